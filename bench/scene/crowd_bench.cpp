// What a voice of its own for every speaker costs a line, in the game double
// with the plug-in's code linked in and the SAPI stand-in as the voices.
// Run by hand under Wine; prints figures, asserts nothing.
//
//   scripts/wine-run build/run/bench/crowd_bench.exe [lines]
//
//   - latency from the dialogue call site to the game's say routine with the
//     worker running: one voice and no pool, against a pool of four where
//     each line's speaker has another voice than the line before (and a
//     timbre of its own, variety 5), side by side;
//   - how 1 000 speaker ids share a pool of four voices, and how many of
//     them a fourth voice takes from a pool of three.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/speaker_voice.h"
#include "game/game_double.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/game_state.h"
#include "plugin/game/voice_playback.h"
#include "plugin/patching/hook_catalogue.h"
#include "plugin/speech/speak_loop.h"
#include "plugin/speech/voice_channel.h"
#include "sapi_standin_control.h"
#include "bench_clock.h"
#include "bench_speaking_game.h"

namespace {

using namespace bench;

const char Line[] = "Welcome to Balmora, outlander. Mind the guards, they do not like strangers.";
const std::string_view Pool[4] = {"Quorrim Bench A", "Quorrim Bench B", "Quorrim Bench C", "Quorrim Bench D"};

DWORD WINAPI Worker(void*) {
  SetUpVoices();
  RunSpeakLoop(VoicePlayback);
  return 0;
}

// The partner's record id, which the plug-in reads at each line.
char partnerId[SpeakerIdSize];

struct Latency {
  double first, laterMean, worst;
};

// `ids`: the partner's id for each line, in turn.
Latency Measure(int lines, const std::vector<std::string>& ids) {
  HANDLE thread = CreateThread(nullptr, 0, Worker, nullptr, 0, &WorkerThreadId);
  while (!PostThreadMessageA(WorkerThreadId, WM_USER + 1, 0, 0)) Sleep(5);
  Sleep(500);
  Latency l{0, 0, 0};
  for (int i = 0; i < lines; ++i) {
    lstrcpynA(partnerId, ids[static_cast<size_t>(i) % ids.size()].c_str(), sizeof partnerId);
    const double t = CallSiteToSayMs(Line);
    if (i == 0) l.first = t;
    else l.laterMean += t / (lines - 1);
    if (t > l.worst) l.worst = t;
    Sleep(1200);  // the player reads the line before the next one comes
  }
  PostThreadMessageA(WorkerThreadId, WM_WORKER_QUIT, 0, 0);
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  return l;
}

// Ids whose voices in the pool of four come in the order A, B, C, D.
std::vector<std::string> AlternatingIds() {
  std::vector<std::string> ids(4);
  for (int n = 0, found = 0; found < 4; ++n) {
    const std::string id = "guard_" + std::to_string(n);
    const int voice = ChooseSpeakerVoice(id, Pool, 4, 5).poolIndex;
    if (ids[voice].empty()) ids[voice] = id, ++found;
  }
  return ids;
}

void Distribution() {
  int share[4] = {}, moved = 0;
  for (int i = 0; i < 1000; ++i) {
    const uint64_t h = SpeakerIdHash("npc_" + std::to_string(i));
    const int four = ChoosePoolVoice(h, Pool, 4);
    ++share[four];
    moved += ChoosePoolVoice(h, Pool, 3) != four;
  }
  std::printf("1000 ids over a pool of 4: A %d, B %d, C %d, D %d; a fourth voice added to three takes %d (%.1f %%)\n",
              share[0], share[1], share[2], share[3], moved, moved / 10.0);
}

}  // namespace

int main(int argc, char** argv) {
  const int lines = argc > 1 ? std::atoi(argv[1]) : 8;
  if (!RegisterStandIn()) return 1;
  std::vector<std::string> voices;
  for (std::string_view v : Pool) voices.push_back(sapistandin::VoiceEntry(std::string(v), "Female"));
  sapistandin::SetVoices(voices);

  if (!HookedSpeakingGame("Quorrim Bench A")) return 1;
  // The partner's id is read through its record, as the game keeps it.
  const uint8_t* ref = game_double::Objects().partnerRef;
  uint8_t* record = *reinterpret_cast<uint8_t* const*>(ref + 0x28);
  uint8_t* data = *reinterpret_cast<uint8_t* const*>(record + 0x6C);
  Put(data, 0x2C, Addr(partnerId));
  for (VoiceChannel* c : {&VoiceMaleDlg, &VoiceFemaleDlg, &VoiceCreatureDlg})
    std::strcpy(c->voiceConfig, "<pitch absmiddle=\"0\"><rate absspeed=\"0\"><volume level=\"100\">");

  const Latency one = Measure(lines, {"dralasa nerethi"});
  std::strcpy(Settings.VoicePool[PoolFemale], PoolOfGender);
  Settings.VoiceVariety[PoolFemale] = 5;
  const Latency pool = Measure(lines, AlternatingIds());
  std::printf("dialogue call site -> say routine over %d lines (stand-in synthesizer, %zu-char line):\n", lines,
              sizeof Line - 1);
  std::printf("                       first line   later lines (mean)   worst\n");
  std::printf("  one voice            %7.1f ms   %7.1f ms             %7.1f ms\n", one.first, one.laterMean, one.worst);
  std::printf("  pool of 4, alternating %5.1f ms   %7.1f ms             %7.1f ms\n", pool.first, pool.laterMean,
              pool.worst);
  Distribution();
  return 0;
}
