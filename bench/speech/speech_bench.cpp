// Speech benchmark (run by hand: scripts/wine-run build/run/speech_bench.exe):
// SpeechTextFilter throughput, and Speak + GetAudio through the SAPI stand-in
// as time spent per second of rendered audio.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "plugin/speech/text_filter.h"
#include "sapi_standin_control.h"
#include "speech/speech_voice.h"
#include "bench_clock.h"

namespace {


void BenchFilter() {
  const std::string line = "@Vivec# is a <font color=\"red\">god</font>,\r\nor so they say.<BR>";
  std::string text;
  while (text.size() < (1u << 20)) text += line;
  std::string out(text.size() + 8, 0);
  const int rounds = 50;
  double start = Now();
  for (int i = 0; i < rounds; ++i) SpeechTextFilter(out.data(), text.c_str(), static_cast<uint32_t>(text.size()));
  double s = Now() - start;
  std::printf("SpeechTextFilter: %d x %zu bytes in %.3f s = %.1f MB/s (%.2f ns/byte)\n", rounds, text.size(), s,
              rounds * text.size() / s / 1e6, s * 1e9 / (rounds * text.size()));
  const char* dialogue = "@Well met#, outlander. <BR>What brings you to Balmora?";
  char small[128];
  const int n = 1000000;
  start = Now();
  for (int i = 0; i < n; ++i) SpeechTextFilter(small, dialogue, static_cast<uint32_t>(std::strlen(dialogue)));
  s = Now() - start;
  std::printf("SpeechTextFilter: one %zu-byte dialogue line in %.1f ns\n", std::strlen(dialogue), s * 1e9 / n);
}

void BenchSpeak(const char* label, const char* config, const char* text, int rounds) {
  SpeechVoice v;
  std::memset(&v, 0, sizeof v);
  v.Init(MemoryStream, 0);
  v.SetAudioFormat(AudioFormat44kHz16BitMono);
  v.SetConfig(config);
  if (v.SelectVoice("Quorrim Bench") != 0) std::printf("  (voice not selected)\n");
  double audioSeconds = 0;
  double start = Now();
  for (int i = 0; i < rounds; ++i) {
    v.Speak(text);
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    v.GetAudio(&data, &size);
    audioSeconds += size / 88200.0;
  }
  double s = Now() - start;
  std::printf("Speak+GetAudio %-22s %3d x %3zu chars: %.3f s for %.1f s of audio = %.2f ms per audio second "
              "(%.1f ms per call)\n",
              label, rounds, std::strlen(text), s, audioSeconds, s * 1000 / audioSeconds, s * 1000 / rounds);
  v.Release();
}

}  // namespace

int main() {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string dir = self;
  dir.resize(dir.find_last_of('\\') + 1);
  if (!sapistandin::Register(dir + sapistandin::DllName)) {
    std::printf("cannot register %s%s\n", dir.c_str(), sapistandin::DllName);
    return 1;
  }
  sapistandin::SetVoices({"Quorrim Bench"});
  BenchFilter();
  const char* line =
      "Well met, outlander. What brings you to Balmora? The Hlaalu keep good order here, mostly.";
  BenchSpeak("(rate 0)", "<pitch absmiddle=\"0\"><rate absspeed=\"0\"><volume level=\"100\">", line, 40);
  BenchSpeak("(rate 5)", "<pitch absmiddle=\"2\"><rate absspeed=\"5\"><volume level=\"80\">", line, 40);
  BenchSpeak("(short line)", "", "Hello.", 200);
  return 0;
}
