// voice_engine_bench.exe: how long QuorrimVoice's engine takes to render
// the scene's lines (espeak-ng started as a Unix program, its wave read
// back and converted to 44 100 Hz), called directly as SAPI would call it.
// Wine's own SAPI is not in between: the root's Wine 8.0 cannot call
// engines (see SapiProbe.exe).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_clock.h"
#include "voice_engine/tts_engine.h"

namespace {

class CountingSite final : public ISpTTSEngineSite {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { return *out = nullptr, E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE AddEvents(const SPEVENT*, ULONG) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetEventInterest(ULONGLONG* interest) override { return *interest = 0, S_OK; }
  DWORD STDMETHODCALLTYPE GetActions() override { return EngineContinue; }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG size, ULONG* written) override {
    if (firstWrite < 0) firstWrite = Now();
    bytes += size;
    if (written) *written = size;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetRate(LONG* r) override { return *r = 0, S_OK; }
  HRESULT STDMETHODCALLTYPE GetVolume(USHORT* v) override { return *v = 100, S_OK; }
  HRESULT STDMETHODCALLTYPE GetSkipInfo(DWORD*, LONG* items) override { return *items = 0, S_OK; }
  HRESULT STDMETHODCALLTYPE CompleteSkip(LONG) override { return S_OK; }
  double firstWrite = -1;
  size_t bytes = 0;
};

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  const wchar_t* lines[] = {
      L"Greetings, outlander. What brings you to Balmora?",
      L"Strength is the only thing an orc respects, outlander.",
      L"Meet me at the silt strider port at dawn.",
      L"Caius Cosades sent me to Balmora. Fargoth lost his best ring.",
  };
  IUnknown* unknown = CreateQuorrimVoiceEngine();
  ISpTTSEngine* engine = nullptr;
  unknown->QueryInterface(IID_ISpTTSEngineOwn, reinterpret_cast<void**>(&engine));
  unknown->Release();
  const WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
  const GUID id = {0xc31adbae, 0x527f, 0x4ff5, {0xa2, 0x30, 0xf6, 0x2b, 0xb6, 0x1f, 0xf7, 0x0c}};
  std::printf("%-64s %9s %9s %9s\n", "line (3 runs each)", "sound s", "first ms", "whole ms");
  for (const wchar_t* line : lines) {
    std::vector<double> whole, first;
    double sound = 0;
    for (int run = 0; run < 3; ++run) {
      SPVTEXTFRAG f{};
      f.State.eAction = SPVA_Speak;
      f.State.Volume = 100;
      f.pTextStart = line;
      f.ulTextLen = static_cast<ULONG>(lstrlenW(line));
      CountingSite site;
      const double start = Now();
      const HRESULT hr = engine->Speak(0, id, &format, &f, &site);
      whole.push_back((Now() - start) * 1000);
      first.push_back((site.firstWrite - start) * 1000);
      sound = site.bytes / 88200.0;
      if (FAILED(hr)) std::printf("  Speak failed 0x%08lx\n", static_cast<unsigned long>(hr));
    }
    std::sort(whole.begin(), whole.end());
    std::sort(first.begin(), first.end());
    std::printf("%-64ls %9.2f %9.0f %9.0f\n", line, sound, first[1], whole[1]);
  }
  engine->Release();
  return 0;
}
