// SapiProbe.exe: what the SAPI of this prefix offers the voice object, one
// line per question, so a prefix without Windows' SAPI (Wine's own) can be
// looked at without the plug-in:
//
//   SapiProbe.exe [TEXT [VOICE]]
//
// which classes can be created, whether the automation voice speaks plain
// text and markup, whether ISpVoice renders into an SpStream over a memory
// stream (and how many bytes), which voice tokens the category lists, and
// what the voice object chooses and renders there.
#include <windows.h>
#include <sapi.h>

#include <cstdio>

#include "speech/speech_voice.h"
#include "speech/wave_memory_stream.h"

namespace {

const GUID& WaveFormatExId = WaveFormatExFormatId;

void Report(const char* what, HRESULT hr) { std::printf("%-44s 0x%08lx\n", what, static_cast<unsigned long>(hr)); }

HRESULT Create(const CLSID& clsid, const IID& iid, void** out) {
  *out = nullptr;
  return CoCreateInstance(clsid, nullptr, CLSCTX_ALL, iid, out);
}

void ProbeClasses() {
  const struct {
    const char* name;
    const CLSID* clsid;
  } classes[] = {
      {"SpVoice", &CLSID_SpVoice},
      {"SpMemoryStream", &CLSID_SpMemoryStream},
      {"SpAudioFormat", &CLSID_SpAudioFormat},
      {"SpFileStream", &CLSID_SpFileStream},
      {"SpStream", &CLSID_SpStream},
      {"SpObjectTokenCategory", &CLSID_SpObjectTokenCategory},
  };
  for (const auto& c : classes) {
    IUnknown* object = nullptr;
    char line[80];
    wsprintfA(line, "create %s", c.name);
    Report(line, Create(*c.clsid, IID_IUnknown, reinterpret_cast<void**>(&object)));
    if (object) object->Release();
  }
}

void ProbeAutomation(const wchar_t* text) {
  ISpeechVoice* voice = nullptr;
  if (FAILED(Create(CLSID_SpVoice, IID_ISpeechVoice, reinterpret_cast<void**>(&voice)))) return;
  BSTR empty = SysAllocString(L"");
  ISpeechObjectTokens* tokens = nullptr;
  Report("ISpeechVoice::GetVoices", voice->GetVoices(empty, empty, &tokens));
  if (tokens) {
    LONG count = -1;
    tokens->get_Count(&count);
    std::printf("  %ld tokens\n", count);
    for (LONG i = 0; i < count; ++i) {
      ISpeechObjectToken* token = nullptr;
      if (FAILED(tokens->Item(i, &token)) || !token) continue;
      BSTR description = nullptr;
      const HRESULT hr = token->GetDescription(0, &description);
      std::printf("  GetDescription 0x%08lx %ls\n", static_cast<unsigned long>(hr), description ? description : L"");
      SysFreeString(description);
      token->Release();
    }
    tokens->Release();
  }
  SysFreeString(empty);
  LONG stream = 0;
  BSTR plain = SysAllocString(text);
  Report("ISpeechVoice::Speak plain", voice->Speak(plain, SVSFPurgeBeforeSpeak, &stream));
  SysFreeString(plain);
  BSTR markup = SysAllocString(L"<pitch absmiddle=\"0\"><rate absspeed=\"0\"><volume level=\"100\">x");
  Report("ISpeechVoice::Speak markup", voice->Speak(markup, SVSFPurgeBeforeSpeak, &stream));
  SysFreeString(markup);
  voice->Release();
}

void ProbeVoiceTokens() {
  ISpObjectTokenCategory* category = nullptr;
  if (FAILED(Create(CLSID_SpObjectTokenCategory, IID_ISpObjectTokenCategory, reinterpret_cast<void**>(&category))))
    return;
  Report("category SetId(voices)", category->SetId(SPCAT_VOICES, FALSE));
  IEnumSpObjectTokens* all = nullptr;
  Report("category EnumTokens", category->EnumTokens(nullptr, nullptr, &all));
  if (all) {
    ULONG count = 0;
    all->GetCount(&count);
    for (ULONG i = 0; i < count; ++i) {
      ISpObjectToken* token = nullptr;
      if (FAILED(all->Item(i, &token)) || !token) continue;
      wchar_t* id = nullptr;
      token->GetId(&id);
      std::printf("  token %ls\n", id ? id : L"?");
      CoTaskMemFree(id);
      token->Release();
    }
    all->Release();
  }
  category->Release();
}

// ISpVoice into an SpStream over a memory IStream of 44 100 Hz, 16-bit mono.
void ProbeStreamRender(const wchar_t* text) {
  ISpVoice* voice = nullptr;
  if (FAILED(Create(CLSID_SpVoice, IID_ISpVoice, reinterpret_cast<void**>(&voice)))) return;
  ISpStream* stream = nullptr;
  IStream* memory = nullptr;
  HRESULT hr = Create(CLSID_SpStream, IID_ISpStream, reinterpret_cast<void**>(&stream));
  if (SUCCEEDED(hr)) hr = CreateStreamOnHGlobal(nullptr, TRUE, &memory);
  WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
  if (SUCCEEDED(hr)) Report("ISpStream::SetBaseStream", hr = stream->SetBaseStream(memory, WaveFormatExId, &format));
  if (SUCCEEDED(hr)) Report("ISpVoice::SetOutput(SpStream)", hr = voice->SetOutput(stream, TRUE));
  if (SUCCEEDED(hr)) {
    Report("ISpVoice::Speak plain", voice->Speak(text, SPF_IS_NOT_XML | SPF_PURGEBEFORESPEAK, nullptr));
    LARGE_INTEGER zero{};
    ULARGE_INTEGER end{};
    memory->Seek(zero, STREAM_SEEK_CUR, &end);
    std::printf("  %lu bytes rendered\n", static_cast<unsigned long>(end.QuadPart));
    Report("ISpVoice::Speak markup", voice->Speak(L"<rate absspeed=\"2\">x", SPF_PURGEBEFORESPEAK, nullptr));
    Report("ISpVoice::Speak SPF_IS_XML", voice->Speak(L"<rate absspeed=\"2\">x", SPF_IS_XML, nullptr));
  }
  if (memory) memory->Release();
  if (stream) stream->Release();
  voice->Release();
}

// Sets the voice whose token's default value is `name` (the last listed).
void SetVoiceByName(ISpVoice* voice, const wchar_t* name) {
  ISpObjectTokenCategory* category = nullptr;
  IEnumSpObjectTokens* all = nullptr;
  if (FAILED(Create(CLSID_SpObjectTokenCategory, IID_ISpObjectTokenCategory, reinterpret_cast<void**>(&category))))
    return;
  if (SUCCEEDED(category->SetId(SPCAT_VOICES, FALSE)) && SUCCEEDED(category->EnumTokens(nullptr, nullptr, &all))) {
    ULONG count = 0;
    all->GetCount(&count);
    for (ULONG i = 0; i < count; ++i) {
      ISpObjectToken* token = nullptr;
      if (FAILED(all->Item(i, &token)) || !token) continue;
      wchar_t* description = nullptr;
      if (SUCCEEDED(token->GetStringValue(nullptr, &description)) && description && lstrcmpiW(description, name) == 0)
        Report("ISpVoice::SetVoice(named token)", voice->SetVoice(token));
      CoTaskMemFree(description);
      token->Release();
    }
    all->Release();
  }
  category->Release();
}

// ISpVoice into a stream of our own (what the voice object falls back to),
// with SAPI's default voice and then with `name`.
void ProbeOwnStreamRender(const wchar_t* text, const wchar_t* name) {
  ISpVoice* voice = nullptr;
  if (FAILED(Create(CLSID_SpVoice, IID_ISpVoice, reinterpret_cast<void**>(&voice)))) return;
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) SetVoiceByName(voice, name);
  WaveMemoryStream* stream = WaveMemoryStream::Create();
  std::printf("-- %s voice\n", pass == 0 ? "default" : "named");
  Report("ISpVoice::SetOutput(own stream)", voice->SetOutput(static_cast<ISpStreamFormat*>(stream), TRUE));
  Report("ISpVoice::Speak plain (own stream)", voice->Speak(text, SPF_IS_NOT_XML | SPF_PURGEBEFORESPEAK, nullptr));
  std::printf("  %lu bytes rendered\n", static_cast<unsigned long>(stream->Position()));
  stream->Rewind();
  Report("ISpVoice::Speak markup (own stream)", voice->Speak(L"<rate absspeed=\"2\">x", SPF_PURGEBEFORESPEAK, nullptr));
  std::printf("  %lu bytes rendered\n", static_cast<unsigned long>(stream->Position()));
  stream->Rewind();
  Report("ISpVoice::Speak SPF_IS_XML (own stream)", voice->Speak(L"<rate absspeed=\"2\">x", SPF_IS_XML, nullptr));
  std::printf("  %lu bytes rendered\n", static_cast<unsigned long>(stream->Position()));
  stream->Rewind();
  Report("ISpVoice::Speak plain x (own stream)", voice->Speak(L"x", SPF_IS_NOT_XML, nullptr));
  std::printf("  %lu bytes rendered\n", static_cast<unsigned long>(stream->Position()));
  stream->Release();
  }
  voice->Release();
}

// The voice object as the plug-in's worker sets it up, with the voice
// named on the command line.
void ProbeVoiceObject(const char* name, const char* text) {
  SpeechVoice v;
  ZeroMemory(&v, sizeof v);
  std::printf("%-44s %ld\n", "SpeechVoice::Init(MemoryStream)", static_cast<long>(v.Init(MemoryStream, 0)));
  std::printf("%-44s %ld\n", "SpeechVoice::SetAudioFormat(34)", static_cast<long>(v.SetAudioFormat(34)));
  v.SetConfig("<pitch absmiddle=\"3\"><rate absspeed=\"1\"><volume level=\"80\">");
  std::printf("%-44s %ld\n", "SpeechVoice::SelectVoice", static_cast<long>(v.SelectVoice(name)));
  std::printf("  route: %s\n", SpeechVoice::RouteDescription(v.Route()));
  const DWORD start = GetTickCount();
  v.Speak(text);
  const DWORD took = GetTickCount() - start;
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  std::printf("%-44s %ld\n", "SpeechVoice::GetAudio", static_cast<long>(v.GetAudio(&data, &size)));
  std::printf("  %lu bytes (%.2f s of sound) in %lu ms, pitch left to the caller %ld\n",
              static_cast<unsigned long>(size), size / 88200.0, static_cast<unsigned long>(took),
              static_cast<long>(v.PitchLeft()));
  char list[4096] = {};
  uint32_t count = 0;
  v.ListVoices(list, sizeof list, &count);
  std::printf("  %lu voices listed:\n%s", static_cast<unsigned long>(count), list);
  v.Release();
}

}  // namespace

int main(int argc, char** argv) {
  wchar_t text[512] = L"Hello from the probe.";
  const char* narrow = argc > 1 ? argv[1] : "Hello from the probe.";
  MultiByteToWideChar(CP_ACP, 0, narrow, -1, text, 512);
  const char* voice = argc > 2 ? argv[2] : "Quorrim English Male";
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  ProbeClasses();
  ProbeVoiceTokens();
  ProbeAutomation(text);
  ProbeStreamRender(text);
  wchar_t wideVoice[128];
  MultiByteToWideChar(CP_ACP, 0, voice, -1, wideVoice, 128);
  ProbeOwnStreamRender(text, wideVoice);
  ProbeVoiceObject(voice, narrow);
  CoUninitialize();
  return 0;
}
