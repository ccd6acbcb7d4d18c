// SpeechVoice over the SAPI 5 automation interfaces.  The GUIDs of
// the SAPI classes and interfaces are defined here, once.
#include <initguid.h>

#include "speech/speech_voice.h"

#include <sapi.h>

#include "speech/sapi_fallback.h"
#include "speech/wave_memory_stream.h"

namespace {

constexpr DWORD CoInitFlags = COINIT_MULTITHREADED | COINIT_SPEED_OVER_MEMORY;  // 8

// Takes the pointer out of its field before releasing it, so that however
// often (and from whichever thread) a release path runs, each interface is
// released at most once.
template <class T>
void ReleaseOnce(T*& field) {
  auto* taken = static_cast<T*>(InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&field), nullptr));
  if (taken) taken->Release();
}

// 8-bit text (system ANSI code page) into a 256-unit field; false when the
// conversion fails (longer input is cut).
bool ToWide(const char* text, wchar_t (&out)[256]) {
  if (!text) text = "";
  if (MultiByteToWideChar(CP_ACP, 0, text, -1, out, 256) != 0) return true;
  if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    out[255] = 0;
    return true;
  }
  out[0] = 0;
  return false;
}

// The empty attribute strings GetVoices takes.
struct EmptyBstr {
  EmptyBstr() : value(SysAllocString(L"")) {}
  ~EmptyBstr() { SysFreeString(value); }
  BSTR value;
};

VARIANT Int32Variant(LONG value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

// The whole token collection of SAPI's installed voices, or null when SAPI
// refuses it or hands over one whose tokens cannot be reached (Wine 10
// counts them but answers no Item); SAPI's token category serves then.
ISpeechObjectTokens* InstalledVoices(ISpeechVoice* voice, LONG* count) {
  EmptyBstr required, optional;
  ISpeechObjectTokens* tokens = nullptr;
  *count = 0;
  if (FAILED(voice->GetVoices(required.value, optional.value, &tokens)) || !tokens) return nullptr;
  if (FAILED(tokens->get_Count(count))) *count = 0;
  ISpeechObjectToken* first = nullptr;
  if (*count > 0 && (FAILED(tokens->Item(0, &first)) || !first)) {
    tokens->Release();
    *count = 0;
    return nullptr;
  }
  if (first) first->Release();
  return tokens;
}

}  // namespace

int32_t SpeechVoice::Init(uint32_t outputMode, uint32_t asyncFlag) {
  DropFallback(this);
  voice = nullptr;
  tokens = nullptr;
  fileStream = nullptr;
  memoryStream = nullptr;
  audioFormat = nullptr;
  configLength = 0;
  audioArray = nullptr;
  voiceList = nullptr;
  mode = outputMode;
  async = asyncFlag;
  heap = GetProcessHeap();
  voiceName[0] = config[0] = fileName[0] = 0;

  CoInitializeEx(nullptr, CoInitFlags);
  HRESULT hr = CoCreateInstance(CLSID_SpAudioFormat, nullptr, CLSCTX_ALL, IID_ISpeechAudioFormat,
                                reinterpret_cast<void**>(&audioFormat));
  switch (mode) {
    case Speakers:
      return hr;
    case MemoryStream: {
      const HRESULT stream = CoCreateInstance(CLSID_SpMemoryStream, nullptr, CLSCTX_ALL, IID_ISpeechMemoryStream,
                                              reinterpret_cast<void**>(&memoryStream));
      if (SUCCEEDED(stream) && memoryStream && audioFormat) return stream;
      // A SAPI without either class (Wine's) renders into a stream of our
      // own through ISpVoice; it has the one format the plug-in asks for.
      if (FAILED(stream)) memoryStream = nullptr;
      ReleaseOnce(memoryStream);
      SpeechFallback* fallback = ClaimFallback(this);
      if (!fallback || !(fallback->stream = WaveMemoryStream::Create()))
        return FAILED(stream) ? stream : E_OUTOFMEMORY;
      fallback->route = RouteOwnStream;
      return S_OK;
    }
    case FileStream:
      return CoCreateInstance(CLSID_SpFileStream, nullptr, CLSCTX_ALL, IID_ISpeechFileStream,
                              reinterpret_cast<void**>(&fileStream));
    default:
      return -1;
  }
}

int32_t SpeechVoice::SelectVoice(const char* description) {
  ReleaseOnce(voice);
  ReleaseOnce(tokens);
  if (FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpeechVoice, reinterpret_cast<void**>(&voice))) ||
      !voice) {
    voice = nullptr;
    return 1;
  }
  LONG count = 0;
  tokens = InstalledVoices(voice, &count);
  ToWide(description, voiceName);
  if (!tokens) {  // automation enumeration refused: SAPI's token category instead
    const int32_t found = SelectVoiceFromCategory(voice, voiceName);
    if (found != 0) voiceName[0] = 0;
    DecideMarkup();
    return found;
  }

  // From the last index down: of two voices with one description, the one
  // SAPI lists later wins.
  for (LONG i = count - 1; i >= 0; --i) {
    ISpeechObjectToken* token = nullptr;
    if (FAILED(tokens->Item(i, &token)) || !token) continue;
    BSTR found = nullptr;
    bool equal = SUCCEEDED(token->GetDescription(0, &found)) && found && lstrcmpiW(found, voiceName) == 0;
    SysFreeString(found);
    if (equal) {
      voice->putref_Voice(token);
      token->Release();
      ReleaseOnce(tokens);
      DecideMarkup();
      return 0;
    }
    token->Release();
  }
  voiceName[0] = 0;
  ReleaseOnce(tokens);
  DecideMarkup();
  return 2;
}

void SpeechVoice::DecideMarkup() {
  SpeechFallback* fallback = FindFallback(this);
  if (fallback && (fallback->route & RouteOwnStream) && !SpVoiceTakesMarkup(voice, *fallback))
    fallback->route |= RoutePlainText;
}

uint32_t SpeechVoice::Route() const {
  const SpeechFallback* fallback = FindFallback(this);
  return fallback ? fallback->route : 0;
}

int32_t SpeechVoice::PitchLeft() const {
  const SpeechFallback* fallback = FindFallback(this);
  return fallback && (fallback->route & RoutePlainText) ? fallback->pitchLeft : 0;
}

const char* SpeechVoice::RouteDescription(uint32_t route) {
  switch (route & (RouteOwnStream | RoutePlainText)) {
    case 0:
      return "SAPI's memory stream and markup";
    case RouteOwnStream:
      return "ISpVoice into a memory stream of its own, with markup";
    case RoutePlainText:
      return "SAPI's memory stream, plain text with the voice's rate and volume, pitch by the sound's frequency";
    default:
      return "ISpVoice into a memory stream of its own, plain text with the voice's rate and volume, "
             "pitch by the sound's frequency";
  }
}

int32_t SpeechVoice::SetConfig(const char* text) {
  configLength = text ? static_cast<uint32_t>(lstrlenA(text)) : 0;
  return ToWide(text, config) ? 0 : 1;
}

int32_t SpeechVoice::SetFileName(const char* path) { return ToWide(path, fileName) ? 0 : 1; }

int32_t SpeechVoice::SetAudioFormat(int32_t type) {
  if (!audioFormat) {
    const SpeechFallback* fallback = FindFallback(this);
    return fallback && fallback->stream && type == AudioFormat44kHz16BitMono ? 0 : 1;
  }
  audioFormat->put_Type(static_cast<SpeechAudioFormatType>(type));
  if (fileStream) fileStream->putref_Format(audioFormat);
  if (memoryStream) memoryStream->putref_Format(audioFormat);
  return 0;
}

int32_t SpeechVoice::Speak(const char* text) {
  if (!voice || !text) return 1;
  const auto flags = static_cast<SpeechVoiceSpeakFlags>(SVSFPurgeBeforeSpeak | (async ? SVSFlagsAsync : 0));

  // The configuration markup and the text as one string.
  const int textLength = lstrlenA(text);
  const SIZE_T bytes = (static_cast<SIZE_T>(configLength) + textLength) * 2 + 16;
  auto* buffer = static_cast<wchar_t*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, bytes));
  if (!buffer) return 1;
  lstrcpyW(buffer, config);
  const int used = lstrlenW(buffer);
  MultiByteToWideChar(CP_ACP, 0, text, -1, buffer + used, static_cast<int>(bytes / 2) - used - 1);
  if (SpeechFallback* fallback = FindFallback(this); fallback && (fallback->route & RouteOwnStream)) {
    const HRESULT hr = SpeakThroughSpVoice(voice, *fallback, config, buffer + used, flags);
    HeapFree(heap, 0, buffer);
    return hr == E_NOINTERFACE ? 1 : 0;
  }
  BSTR speech = SysAllocString(buffer);

  // The value 1 (not VARIANT_TRUE) is what the plug-in has always passed; the
  // stream keeps the format SetAudioFormat gave it either way.
  const VARIANT_BOOL allowFormatChange = 1;
  LONG streamNumber = 0;
  int32_t result = 0;
  HRESULT spoken = S_OK;
  SpeechFallback* plain = FindFallback(this);
  if (plain && !(plain->route & RoutePlainText)) plain = nullptr;
  // Markup refused once (E_NOTIMPL, not a syntax error): from then on this
  // voice gets the plain text, with rate and volume set on it.
  const auto speakOnce = [&] {
    if (plain) return SpeakPlainThroughAutomation(voice, *plain, config, buffer + used, flags);
    HRESULT hr = voice->Speak(speech, flags, &streamNumber);
    if (hr == E_NOTIMPL && configLength > 0 && (plain = ClaimFallback(this)) != nullptr) {
      plain->route |= RoutePlainText;
      hr = SpeakPlainThroughAutomation(voice, *plain, config, buffer + used, flags);
    }
    return hr;
  };
  switch (mode) {
    case Speakers:
      voice->put_AllowAudioOutputFormatChangesOnNextSet(allowFormatChange);
      voice->putref_AudioOutput(nullptr);
      spoken = speakOnce();
      break;
    case MemoryStream: {
      if (!memoryStream) {  // no stream to catch it: not aloud on the speakers instead
        result = 1;
        break;
      }
      // Rewound, not truncated: bytes of a longer earlier text stay behind.
      VARIANT newPosition;
      VariantInit(&newPosition);
      memoryStream->Seek(Int32Variant(0), SSSPTRelativeToStart, &newPosition);
      VariantClear(&newPosition);
      voice->put_AllowAudioOutputFormatChangesOnNextSet(allowFormatChange);
      voice->putref_AudioOutputStream(memoryStream);
      spoken = speakOnce();
      break;
    }
    case FileStream: {
      if (!fileStream) {
        result = 1;
        break;
      }
      DeleteFileW(fileName);
      BSTR path = SysAllocString(fileName);
      fileStream->Open(path, SSFMCreateForWrite, VARIANT_FALSE);
      SysFreeString(path);
      voice->put_AllowAudioOutputFormatChangesOnNextSet(allowFormatChange);
      voice->putref_AudioOutputStream(fileStream);
      spoken = speakOnce();
      fileStream->Close();
      break;
    }
    default:
      break;
  }
  (void)spoken;  // SAPI's answer is not the caller's concern, as it never was
  SysFreeString(speech);
  HeapFree(heap, 0, buffer);
  return result;
}

int32_t SpeechVoice::GetAudio(const uint8_t** data, uint32_t* size) {
  if (const SpeechFallback* fallback = FindFallback(this); fallback && fallback->stream) {
    const uint32_t written = fallback->stream->Position();
    SAFEARRAY* copy = SafeArrayCreateVector(VT_UI1, 0, written);
    if (!copy) return 2;
    if (written) CopyMemory(copy->pvData, fallback->stream->Bytes(), written);
    if (size) *size = written;
    if (data) *data = static_cast<const uint8_t*>(copy->pvData);
    if (audioArray) SafeArrayDestroy(audioArray);
    audioArray = copy;
    return 0;
  }
  if (!memoryStream) return 1;
  VARIANT position;
  VariantInit(&position);
  memoryStream->Seek(Int32Variant(0), SSSPTRelativeToCurrentPosition, &position);
  VARIANT asInt;
  VariantInit(&asInt);
  const uint32_t written = SUCCEEDED(VariantChangeType(&asInt, &position, 0, VT_UI4)) ? asInt.ulVal : 0;
  VariantClear(&position);

  VARIANT array;
  VariantInit(&array);
  if (FAILED(memoryStream->GetData(&array)) || !(array.vt & VT_ARRAY) || !array.parray) {
    VariantClear(&array);
    return 2;
  }
  if (size) *size = written;
  if (data) *data = static_cast<const uint8_t*>(array.parray->pvData);
  if (audioArray) SafeArrayDestroy(audioArray);
  audioArray = array.parray;  // kept, so not cleared
  return 0;
}

int32_t SpeechVoice::ListVoices(char* buffer, uint32_t size, uint32_t* count) {
  if (!heap) heap = GetProcessHeap();
  if (voiceList) HeapFree(heap, 0, voiceList);
  voiceList = static_cast<wchar_t*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 16));
  if (!voiceList) return 1;

  ISpeechVoice* lister = nullptr;
  if (FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpeechVoice,
                              reinterpret_cast<void**>(&lister))) ||
      !lister)
    return 1;
  LONG total = 0;
  ISpeechObjectTokens* all = InstalledVoices(lister, &total);
  if (!all) {
    HeapFree(heap, 0, voiceList);
    voiceList = static_cast<wchar_t*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 16));
    if (!voiceList) {
      lister->Release();
      return 1;
    }
    const long listed = AppendCategoryVoices(heap, &voiceList);
    total = 0;
    if (count) *count = listed < 0 ? 0 : static_cast<uint32_t>(listed);
  } else if (count) {
    *count = static_cast<uint32_t>(total);
  }

  for (LONG i = total - 1; i >= 0; --i) {
    ISpeechObjectToken* token = nullptr;
    if (FAILED(all->Item(i, &token)) || !token) continue;
    BSTR description = nullptr;
    if (SUCCEEDED(token->GetDescription(0, &description)) && description) {
      const SIZE_T grown = (static_cast<SIZE_T>(lstrlenW(voiceList)) + SysStringLen(description)) * 2 + 32;
      if (auto* larger = static_cast<wchar_t*>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, voiceList, grown))) {
        voiceList = larger;
        lstrcatW(voiceList, description);
        lstrcatW(voiceList, L"\r\n");
      }
    }
    SysFreeString(description);
    token->Release();
  }
  if (all) all->Release();
  lister->Release();

  if (buffer && size) {
    if (WideCharToMultiByte(CP_ACP, 0, voiceList, -1, buffer, static_cast<int>(size), nullptr, nullptr) == 0)
      buffer[0] = 0;  // too small: no usable list
  }
  return 0;
}

void SpeechVoice::Release() {
  ReleaseOnce(voice);
  ReleaseOnce(tokens);
  ReleaseOnce(fileStream);
  ReleaseOnce(memoryStream);
  ReleaseOnce(audioFormat);
  DropFallback(this);
  if (auto* array = static_cast<SAFEARRAY*>(InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&audioArray), nullptr)))
    SafeArrayDestroy(array);
}
