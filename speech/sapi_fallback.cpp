#include "speech/sapi_fallback.h"

#include <sapi.h>

#include "speech/wave_memory_stream.h"

namespace {

// Four channels in the plug-in, one test voice in the configurator, and room
// to spare for tests that keep several voices alive.
SpeechFallback Table[16];

// A whole-number attribute value after `name="` (found without regard to
// case), or `fallback`.
int32_t Attribute(const wchar_t* config, const wchar_t* name, int32_t fallback) {
  const int length = lstrlenW(name);
  for (const wchar_t* p = config; p && *p; ++p) {
    if (CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, p, length, name, length) != CSTR_EQUAL) continue;
    const wchar_t* v = p + length;
    while (*v == L' ') ++v;
    if (*v++ != L'=') continue;
    while (*v == L' ') ++v;
    if (*v++ != L'"') continue;
    bool negative = *v == L'-';
    if (*v == L'-' || *v == L'+') ++v;
    if (*v < L'0' || *v > L'9') return fallback;
    long value = 0;
    for (; *v >= L'0' && *v <= L'9'; ++v)
      if (value < 100000) value = value * 10 + (*v - L'0');
    return static_cast<int32_t>(negative ? -value : value);
  }
  return fallback;
}

ISpVoice* SpVoiceOf(ISpeechVoice* voice) {
  ISpVoice* sp = nullptr;
  if (!voice || FAILED(voice->QueryInterface(IID_ISpVoice, reinterpret_cast<void**>(&sp)))) return nullptr;
  return sp;
}

// The description of a voice token: its default value, as SAPI keeps it.
bool DescriptionOf(ISpObjectToken* token, wchar_t** description) {
  *description = nullptr;
  return SUCCEEDED(token->GetStringValue(nullptr, description)) && *description;
}

IEnumSpObjectTokens* CategoryVoices(ULONG* count) {
  *count = 0;
  ISpObjectTokenCategory* category = nullptr;
  if (FAILED(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL, IID_ISpObjectTokenCategory,
                              reinterpret_cast<void**>(&category))))
    return nullptr;
  IEnumSpObjectTokens* tokens = nullptr;
  if (FAILED(category->SetId(SPCAT_VOICES, FALSE)) || FAILED(category->EnumTokens(nullptr, nullptr, &tokens)))
    tokens = nullptr;
  category->Release();
  if (tokens && FAILED(tokens->GetCount(count))) *count = 0;
  return tokens;
}

}  // namespace

SpeechFallback* FindFallback(const SpeechVoice* owner) {
  for (SpeechFallback& f : Table)
    if (f.owner == owner) return &f;
  return nullptr;
}

SpeechFallback* ClaimFallback(const SpeechVoice* owner) {
  if (SpeechFallback* found = FindFallback(owner)) return found;
  for (SpeechFallback& f : Table) {
    if (InterlockedCompareExchangePointer(&f.owner, const_cast<SpeechVoice*>(owner), nullptr) == nullptr) {
      f.stream = nullptr;
      f.route = 0;
      f.pitchLeft = 0;
      return &f;
    }
  }
  return nullptr;
}

void DropFallback(const SpeechVoice* owner) {
  SpeechFallback* f = FindFallback(owner);
  if (!f) return;
  if (auto* stream = static_cast<WaveMemoryStream*>(
          InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&f->stream), nullptr)))
    stream->Release();
  f->route = 0;
  f->pitchLeft = 0;
  InterlockedExchangePointer(&f->owner, nullptr);
}

int32_t SelectVoiceFromCategory(ISpeechVoice* voice, const wchar_t* name) {
  ISpVoice* sp = SpVoiceOf(voice);
  if (!sp) return 2;
  ULONG count = 0;
  IEnumSpObjectTokens* tokens = CategoryVoices(&count);
  int32_t result = 2;
  for (ULONG i = count; tokens && i-- > 0 && result != 0;) {
    ISpObjectToken* token = nullptr;
    if (FAILED(tokens->Item(i, &token)) || !token) continue;
    wchar_t* description = nullptr;
    if (DescriptionOf(token, &description) && lstrcmpiW(description, name) == 0 && SUCCEEDED(sp->SetVoice(token)))
      result = 0;
    CoTaskMemFree(description);
    token->Release();
  }
  if (tokens) tokens->Release();
  sp->Release();
  return result;
}

void VisitCategoryVoices(void (*visit)(void* context, const wchar_t* description, const wchar_t* gender),
                         void* context) {
  ULONG count = 0;
  IEnumSpObjectTokens* tokens = CategoryVoices(&count);
  if (!tokens) return;
  for (ULONG i = 0; i < count; ++i) {
    ISpObjectToken* token = nullptr;
    if (FAILED(tokens->Item(i, &token)) || !token) continue;
    wchar_t* description = nullptr;
    if (DescriptionOf(token, &description)) {
      wchar_t* gender = nullptr;
      ISpDataKey* attributes = nullptr;
      if (SUCCEEDED(token->OpenKey(L"Attributes", &attributes)) && attributes) {
        if (FAILED(attributes->GetStringValue(L"Gender", &gender))) gender = nullptr;
        attributes->Release();
      }
      visit(context, description, gender ? gender : L"");
      CoTaskMemFree(gender);
    }
    CoTaskMemFree(description);
    token->Release();
  }
  tokens->Release();
}

long AppendCategoryVoices(HANDLE heap, wchar_t** list) {
  ULONG count = 0;
  IEnumSpObjectTokens* tokens = CategoryVoices(&count);
  if (!tokens) return -1;
  long appended = 0;
  for (ULONG i = count; i-- > 0;) {
    ISpObjectToken* token = nullptr;
    if (FAILED(tokens->Item(i, &token)) || !token) continue;
    wchar_t* description = nullptr;
    if (DescriptionOf(token, &description)) {
      const SIZE_T grown = (static_cast<SIZE_T>(lstrlenW(*list)) + lstrlenW(description)) * 2 + 32;
      if (auto* larger = static_cast<wchar_t*>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, *list, grown))) {
        *list = larger;
        lstrcatW(*list, description);
        lstrcatW(*list, L"\r\n");
        ++appended;
      }
    }
    CoTaskMemFree(description);
    token->Release();
  }
  tokens->Release();
  return appended;
}

Prosody ReadProsody(const wchar_t* config) {
  Prosody p;
  p.pitch = Attribute(config, L"absmiddle", p.pitch);
  p.rate = Attribute(config, L"absspeed", p.rate);
  p.volume = Attribute(config, L"level", p.volume);
  return p;
}

bool SpVoiceTakesMarkup(ISpeechVoice* voice, SpeechFallback& fallback) {
  ISpVoice* sp = SpVoiceOf(voice);
  if (!sp) return true;
  if (fallback.stream) {
    fallback.stream->Rewind();
    sp->SetOutput(static_cast<ISpStreamFormat*>(fallback.stream), TRUE);
  }
  // Asked as markup outright: Wine 10 reads a text that merely begins with
  // a tag as plain text, tags and all, and refuses only SPF_IS_XML.
  const HRESULT hr = sp->Speak(L"<volume level=\"100\"/>", SPF_IS_XML | SPF_PURGEBEFORESPEAK, nullptr);
  sp->Release();
  return hr != E_NOTIMPL;
}

HRESULT SpeakThroughSpVoice(ISpeechVoice* voice, SpeechFallback& fallback, const wchar_t* config, const wchar_t* text,
                            DWORD flags) {
  ISpVoice* sp = SpVoiceOf(voice);
  if (!sp) return E_NOINTERFACE;
  if (fallback.stream) {
    fallback.stream->Rewind();
    sp->SetOutput(static_cast<ISpStreamFormat*>(fallback.stream), TRUE);
  } else {
    sp->SetOutput(nullptr, TRUE);
  }
  HRESULT hr;
  if (fallback.route & RoutePlainText) {
    const Prosody p = ReadProsody(config);
    sp->SetRate(p.rate < -10 ? -10 : p.rate > 10 ? 10 : p.rate);
    sp->SetVolume(static_cast<USHORT>(p.volume < 0 ? 0 : p.volume > 100 ? 100 : p.volume));
    fallback.pitchLeft = p.pitch;
    hr = sp->Speak(text, flags | SPF_IS_NOT_XML, nullptr);
  } else {
    const int length = lstrlenW(config) + lstrlenW(text) + 1;
    auto* whole = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(length) * 2));
    if (!whole) {
      sp->Release();
      return E_OUTOFMEMORY;
    }
    lstrcpyW(whole, config);
    lstrcatW(whole, text);
    hr = sp->Speak(whole, flags, nullptr);
    HeapFree(GetProcessHeap(), 0, whole);
  }
  sp->Release();
  return hr;
}

HRESULT SpeakPlainThroughAutomation(ISpeechVoice* voice, SpeechFallback& fallback, const wchar_t* config,
                                    const wchar_t* text, DWORD flags) {
  const Prosody p = ReadProsody(config);
  voice->put_Rate(p.rate < -10 ? -10 : p.rate > 10 ? 10 : p.rate);
  voice->put_Volume(p.volume < 0 ? 0 : p.volume > 100 ? 100 : p.volume);
  fallback.pitchLeft = p.pitch;
  BSTR plain = SysAllocString(text);
  LONG stream = 0;
  const HRESULT hr = voice->Speak(plain, static_cast<SpeechVoiceSpeakFlags>(flags | SVSFIsNotXML), &stream);
  SysFreeString(plain);
  return hr;
}
