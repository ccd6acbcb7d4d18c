// What a spoken dialogue line costs, in the game double with the plug-in's
// code linked in and the SAPI stand-in as the voice (or, with --wine-sapi
// in the Wine 10 root, Wine's own SAPI with the Quorrim voice).  Run by
// hand under Wine; prints figures, asserts nothing.
//
//   scripts/wine-run build/run/bench/scene_bench.exe [--espeak] [lines]
//   QUORRIM_WINE_ROOT=/opt/quorrim-wine10 scripts/wine-run build/run/bench/scene_bench.exe --wine-sapi [lines]
//
//   - the game's thread: one line through the dialogue routine's call site
//     (the game passes it twice), hooked against the game's own bytes;
//   - ProcessVoiceFile (the hooked loader) per second of rendered audio;
//   - latency from the dialogue call site to the game's say routine, with the
//     worker running as in the game.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/game_double.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/game_state.h"
#include "plugin/patching/hook_catalogue.h"
#include "plugin/speech/speak_loop.h"
#include "plugin/speech/voice_channel.h"
#include "plugin/game/voice_playback.h"
#include "plugin/speech/voice_file_name.h"
#include "sapi_standin_control.h"
#include "bench_clock.h"
#include "bench_speaking_game.h"

namespace {

using namespace bench;

const char Line[] = "Welcome to Balmora, outlander. Mind the guards, they do not like strangers.";



DWORD WINAPI Worker(void*) {
  SetUpVoices();
  RunSpeakLoop(VoicePlayback);
  return 0;
}

void BenchGameThread(int lines) {
  WorkerThreadId = StartQueuedThread(DrainRequests);
  const game_double::PlaceBytes* place = game_double::FindPlace(0x00BE32);
  uint8_t patched[16];
  std::memcpy(patched, game_double::At(0x00BE32), place->size);
  double perLine[2];
  for (int hooked = 0; hooked < 2; ++hooked) {
    game_double::PokeImage(0x00BE32, hooked ? patched : place->bytes, place->size);
    for (int i = 0; i < lines / 10; ++i) DialogueText(Line);
    const double start = Now();
    for (int i = 0; i < lines; ++i) {
      DialogueText(Line);
      DialogueText(Line);
    }
    perLine[hooked] = (Now() - start) * 1e6 / lines;
  }
  std::printf("game thread, one %zu-char line (two passes): game's bytes %.2f us, hooked %.2f us, "
              "CaptureDialogueText adds %.2f us\n",
              std::strlen(Line), perLine[0], perLine[1], perLine[1] - perLine[0]);
  PostThreadMessageA(WorkerThreadId, WM_QUIT, 0, 0);
}

void BenchProcessVoiceFile(int rounds) {
  char name[VoiceFileNameSize];
  VoiceChannel& channel = PartnerChannelOnThisThread(name);
  double seconds = 0, audio = 0, render = 0;
  for (int i = 0; i < rounds; ++i) {
    const double rendering = Now();
    channel.voice.Speak(Line);
    render += Now() - rendering;
    const double start = Now();
    void* record = ProcessVoiceFile(game_double::Objects().soundManager, nullptr, name, 0);
    seconds += Now() - start;
    if (!record) {
      std::printf("ProcessVoiceFile: no record\n");
      return;
    }
    const uint32_t bytes = *reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(record) + 0x1C + 8);
    audio += bytes / 88200.0;
  }
  std::printf("rendering the line (Speak): %.1f ms\n", render * 1000 / rounds);
  std::printf("ProcessVoiceFile: %d x %.2f s of audio, %.3f ms per call = %.3f ms per audio second\n", rounds,
              audio / rounds, seconds * 1000 / rounds, seconds * 1000 / audio);
  channel.voice.Release();
}

void BenchLatency(int lines) {
  WorkerThreadId = StartQueuedThread(Worker);
  Sleep(500);
  double total = 0, worst = 0, first = 0;
  for (int i = 0; i < lines; ++i) {
    const double t = CallSiteToSayMs(Line);
    if (i == 0) first = t;
    total += t;
    if (t > worst) worst = t;
    Sleep(1200);  // the player reads the line before the next one comes
  }
  // The first line finds the worker idle; the later ones come while it runs
  // its active rounds (the line before is still "active").
  std::printf("dialogue call site -> say routine: first %.1f ms, mean %.1f ms, later lines mean %.1f ms, worst %.1f ms "
              "over %d lines\n",
              first, total / lines, lines > 1 ? (total - first) / (lines - 1) : 0.0, worst, lines);
}

}  // namespace

int main(int argc, char** argv) {
  bool espeak = false, wineSapi = false;
  int lines = 2000;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--espeak")) espeak = true;
    else if (!std::strcmp(argv[i], "--wine-sapi")) wineSapi = true;
    else lines = std::atoi(argv[i]);
  }
  if (wineSapi) {
    if (!RegisterQuorrimVoice() || !HookedSpeakingGame(WineSapiVoice)) return 1;
    std::printf("voice: %s through Wine's own SAPI (QuorrimVoice.dll, espeak-ng)\n", WineSapiVoice);
  } else {
    if (!RegisterStandIn()) return 1;
    sapistandin::SetVoices({espeak ? "Quorrim Bench=espeak:gmw/en+f3" : "Quorrim Bench"});
    if (!HookedSpeakingGame("Quorrim Bench")) return 1;
    std::printf("voice: %s\n", espeak ? "espeak-ng gmw/en+f3 through the stand-in" : "the stand-in's own synthesizer");
  }

  BenchGameThread(lines);
  BenchProcessVoiceFile(wineSapi ? 5 : 20);
  BenchLatency(espeak || wineSapi ? 3 : 5);
  return 0;
}
