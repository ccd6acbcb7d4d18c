// The SAPI interface ids the engine answers to are defined here, once.
#include <initguid.h>
// (initguid.h first, so that sapi.h defines them)
#include "voice_engine/tts_engine.h"

#include <cmath>
#include <new>
#include <string>
#include <vector>

#include "voice_engine/espeak_process.h"
#include "voice_engine/quorrim_voice.h"

namespace {

LONG Live = 0;

long Clamp(long v, long lo, long hi) { return v < lo ? lo : v > hi ? hi : v; }

std::string Utf8(const wchar_t* text, int length) {
  if (length <= 0) return "";
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
  return out;
}

std::string TokenString(ISpObjectToken* token, const wchar_t* name) {
  wchar_t* value = nullptr;
  if (!token || FAILED(token->GetStringValue(name, &value)) || !value) return "";
  std::string out = Utf8(value, lstrlenW(value));
  CoTaskMemFree(value);
  return out;
}

// What the engine writes: 16-bit mono PCM at the rate SAPI asks for, or
// espeak-ng's own 22 050 Hz when it asks for something else.
WAVEFORMATEX FormatFor(const WAVEFORMATEX* target) {
  WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  if (target && target->wFormatTag == WAVE_FORMAT_PCM && target->nChannels == 1 && target->wBitsPerSample == 16 &&
      target->nSamplesPerSec >= 8000 && target->nSamplesPerSec <= 96000) {
    f.nSamplesPerSec = target->nSamplesPerSec;
    f.nAvgBytesPerSec = f.nSamplesPerSec * 2;
  }
  return f;
}

// Linear interpolation to `rate`, scaled by volume/100.
std::vector<int16_t> Convert(const EspeakWave& wave, uint32_t rate, long volume) {
  std::vector<int16_t> out;
  const size_t count = wave.samples.size();
  if (count == 0 || rate == 0) return out;
  const size_t n = static_cast<size_t>(static_cast<double>(count) * rate / wave.sampleRate);
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    const double pos = static_cast<double>(i) * wave.sampleRate / rate;
    const size_t a = static_cast<size_t>(pos), b = a + 1 < count ? a + 1 : a;
    const double t = pos - static_cast<double>(a),
                 v = (wave.samples[a] * (1 - t) + wave.samples[b] * t) * volume / 100.0;
    out.push_back(static_cast<int16_t>(std::lround(v < -32768 ? -32768 : v > 32767 ? 32767 : v)));
  }
  return out;
}

class Engine final : public ISpTTSEngine, public ISpObjectWithToken {
 public:
  Engine() { InterlockedIncrement(&Live); }
  ~Engine() {
    if (token_) token_->Release();
    InterlockedDecrement(&Live);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISpTTSEngineOwn)
      *out = static_cast<ISpTTSEngine*>(this);
    else if (iid == IID_ISpObjectWithToken)
      *out = static_cast<ISpObjectWithToken*>(this);
    else
      return *out = nullptr, E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG r = InterlockedDecrement(&refs_);
    if (r == 0) delete this;
    return static_cast<ULONG>(r);
  }

  HRESULT STDMETHODCALLTYPE SetObjectToken(ISpObjectToken* token) override {
    if (!token) return E_INVALIDARG;
    token->AddRef();
    if (token_) token_->Release();
    token_ = token;
    voice_ = TokenString(token, EspeakVoiceValue);
    program_ = TokenString(token, EspeakProgramValue);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetObjectToken(ISpObjectToken** token) override {
    if (!token) return E_POINTER;
    *token = token_;
    if (token_) token_->AddRef();
    return token_ ? S_OK : S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE GetOutputFormat(const GUID*, const WAVEFORMATEX* target, GUID* formatId,
                                            WAVEFORMATEX** format) override {
    if (!formatId || !format) return E_POINTER;
    *formatId = WaveFormatExId();
    *format = static_cast<WAVEFORMATEX*>(CoTaskMemAlloc(sizeof(WAVEFORMATEX)));
    if (!*format) return E_OUTOFMEMORY;
    **format = FormatFor(target);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Speak(DWORD, REFGUID, const WAVEFORMATEX* format, const SPVTEXTFRAG* fragments,
                                  ISpTTSEngineSite* site) override {
    if (!site || !format) return E_INVALIDARG;
    if (format->wFormatTag != WAVE_FORMAT_PCM || format->nChannels != 1 || format->wBitsPerSample != 16)
      return E_INVALIDARG;  // GetOutputFormat never offers another
    const std::string program =
        program_.empty() ? FindEspeak({"/usr/bin/espeak-ng", "/usr/local/bin/espeak-ng", "/run/host/usr/bin/espeak-ng"})
                         : FindEspeak({program_});
    if (program.empty()) return EspeakNotFound;

    for (const SPVTEXTFRAG* f = fragments; f; f = f->pNext) {
      if (site->GetActions() & EngineAbort) return S_OK;
      const SPVSTATE& s = f->State;
      if (s.eAction != SPVA_Speak && s.eAction != SPVA_Pronounce && s.eAction != SPVA_SpellOut) continue;
      const std::string text = Utf8(f->pTextStart, static_cast<int>(f->ulTextLen));
      if (text.find_first_not_of(" \t\r\n") == std::string::npos) continue;

      LONG siteRate = 0;
      USHORT siteVolume = 100;
      site->GetRate(&siteRate);
      site->GetVolume(&siteVolume);
      const long rate = Clamp(siteRate + s.RateAdj, -10, 10);
      const long volume =
          Clamp(static_cast<long>(siteVolume) * Clamp(static_cast<long>(s.Volume), 0, 100) / 100, 0, 100);
      EspeakRequest request;
      request.program = program;
      request.voice = voice_.empty() ? "gmw/en" : voice_;
      request.text = text;
      request.wordsPerMinute = std::lround(175 * std::pow(3.0, rate / 10.0));
      request.pitch = Clamp(50 + s.PitchAdj.MiddleAdj * 4, 0, 99);
      EspeakWave wave;
      const HRESULT hr = RunEspeak(request, wave);
      if (FAILED(hr)) return hr;

      const std::vector<int16_t> pcm = Convert(wave, format->nSamplesPerSec, volume);
      const auto* bytes = reinterpret_cast<const uint8_t*>(pcm.data());
      const size_t total = pcm.size() * 2;
      for (size_t at = 0; at < total;) {
        if (site->GetActions() & EngineAbort) return S_OK;
        const ULONG chunk = static_cast<ULONG>(total - at < 8192 ? total - at : 8192);
        ULONG written = 0;
        const HRESULT w = site->Write(bytes + at, chunk, &written);
        if (FAILED(w)) return w;
        at += chunk;
      }
    }
    return S_OK;
  }

 private:
  static GUID WaveFormatExId() {
    return GUID{0xc31adbae, 0x527f, 0x4ff5, {0xa2, 0x30, 0xf6, 0x2b, 0xb6, 0x1f, 0xf7, 0x0c}};
  }
  LONG refs_ = 1;
  ISpObjectToken* token_ = nullptr;
  std::string voice_, program_;
};

}  // namespace

IUnknown* CreateQuorrimVoiceEngine() { return static_cast<ISpTTSEngine*>(new (std::nothrow) Engine); }

long LiveQuorrimVoiceEngines() { return Live; }
