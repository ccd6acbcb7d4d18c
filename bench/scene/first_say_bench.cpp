// How soon a long line starts, and what its seams cost, in the game double
// with the plug-in's code linked in: the worker runs as in the game, a line
// goes through the dialogue routine's call site, and the game double's say
// routine loads it through the hooked loader and plays it with Wine's
// DirectSound.  Run by hand under Wine; prints figures, asserts nothing.
//
//   scripts/wine-run build/run/bench/first_say_bench.exe [seams [repeat]]
//   QUORRIM_WINE_ROOT=/opt/quorrim-wine10 scripts/wine-run build/run/bench/first_say_bench.exe --wine-sapi [seams [repeat]]
//
// For each voice (the stand-in's own synthesizer, and espeak-ng through the
// stand-in when the root has it: its rendering takes longer the longer the
// text, like a real voice's; with --wine-sapi, in the Wine 10 root, Wine's
// own SAPI with the Quorrim voice instead), side by side in one run:
//   - the time from the call site to the first say routine call, for lines
//     of about 100, 1 000 and 4 000 characters, the whole line rendered
//     first (SpeakInPieces=0) against pieces (SpeakInPieces=1);
//   - the silence at each of the first `seams` seams of the 1 000-character
//     line said in pieces: from the moment the piece's buffer was seen to
//     stop to the moment the next piece's buffer was seen to play (both
//     polled every millisecond or so), and whether each buffer played to its
//     end.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "bench_speaking_game.h"
#include "common/sentence_split.h"
#include "game/game_double.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/game_state.h"
#include "plugin/game/voice_playback.h"
#include "plugin/patching/hook_catalogue.h"
#include "plugin/speech/speak_loop.h"
#include "plugin/speech/speaker_buffer_table.h"
#include "plugin/speech/voice_channel.h"
#include "plugin/speech/voice_file_name.h"
#include "sapi_standin_control.h"

namespace {

using namespace bench;

DWORD WINAPI Worker(void*) {
  SetUpVoices();
  RunSpeakLoop(VoicePlayback);
  return 0;
}

// Sentences of a Balmora guide, repeated and cut to `length` characters (the
// last sentence shortened at a blank and closed with a dot).
std::string LineOf(size_t length) {
  static const char* const sentences[] = {
      "Balmora stands on the Odai river, in the heart of the West Gash.",
      "Its great houses keep their halls here, and the Council Club serves their friends.",
      "Mind the guards; they do not like strangers who ask too many questions.",
      "The silt strider leaves from the eastern bank at dawn and at dusk.",
      "Across the river, the Mages Guild sells spells to anyone with gold.",
      "Fargoth says he lost his ring again, but nobody believes him any more.",
  };
  std::string line;
  for (size_t i = 0; line.size() < length; ++i) {
    if (!line.empty()) line += ' ';
    line += sentences[i % 6];
  }
  line.resize(line.rfind(' ', length - 1));
  if (line.back() == '.' || line.back() == ',' || line.back() == ';') line.pop_back();
  return line + '.';
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

IDirectSoundBuffer* BufferOf(uint32_t say) {
  return reinterpret_cast<IDirectSoundBuffer*>(game_double::GetSay(say).buffer);
}
bool Playing(IDirectSoundBuffer* b) {
  DWORD status = 0;
  return b && SUCCEEDED(b->GetStatus(&status)) && (status & DSBSTATUS_PLAYING);
}

// Until the worker has rendered nothing for a while (a chain's next piece,
// rendered after its first was said, is done), then a word said and
// stopped: the voice lets go of a long line's audio now, not while the next
// case is timed.
void WaitForQuietWorker() {
  auto quiet = [] {
    long count = sapistandin::SpeakCount();
    for (double since = Now(); Now() - since < 1.5; Sleep(50)) {
      const long now = sapistandin::SpeakCount();
      if (now != count) count = now, since = Now();
    }
  };
  quiet();
  const uint32_t before = game_double::SayCount();
  DialogueText("Hm.");
  DialogueText("Hm.");
  for (const double start = Now(); game_double::SayCount() == before && Now() - start < 60;) Sleep(5);
  StopAllSpeech();
  quiet();
}

// Milliseconds from the call site to the say routine's first call for the
// line, or -1 when it never came.
double FirstSay(const std::string& line, bool pieces) {
  Settings.SpeakInPieces = pieces ? 1 : 0;
  Dialogue.CurrentSpeaker = reinterpret_cast<ObjectRef*>(game_double::Objects().partnerRef);
  const uint32_t before = game_double::SayCount();
  const double start = Now();
  DialogueText(line.c_str());
  DialogueText(line.c_str());  // the game passes each line twice
  while (game_double::SayCount() == before && Now() - start < 300) Sleep(1);
  const double ms = game_double::SayCount() == before ? -1 : (Now() - start) * 1000;
  StopAllSpeech();
  WaitForQuietWorker();
  return ms;
}

struct Seam {
  double silenceMs;   // seen stopped -> next say
  bool playedOut;     // the buffer before it ran to its end (cursor back at 0, furthest past 90 %)
};

// The first `count` seams of a line said in pieces.
std::vector<Seam> Seams(const std::string& line, int count) {
  Settings.SpeakInPieces = 1;
  Dialogue.CurrentSpeaker = reinterpret_cast<ObjectRef*>(game_double::Objects().partnerRef);
  std::vector<Seam> seams;
  uint32_t say = game_double::SayCount();
  DialogueText(line.c_str());
  DialogueText(line.c_str());
  const double start = Now();
  while (game_double::SayCount() == say && Now() - start < 300) Sleep(1);
  auto* partner = reinterpret_cast<ObjectRef*>(game_double::Objects().partnerRef);
  for (int i = 0; i < count && game_double::SayCount() > say; ++i, ++say) {
    IDirectSoundBuffer* buffer = BufferOf(say);
    const game_double::SayEntry e = game_double::GetSay(say);
    DWORD furthest = 0;
    while (Playing(buffer)) {
      DWORD cursor = 0;
      if (SUCCEEDED(buffer->GetCurrentPosition(&cursor, nullptr)) && cursor > furthest) furthest = cursor;
      Sleep(1);
    }
    const double stopped = Now();
    DWORD cursor = 1;
    buffer->GetCurrentPosition(&cursor, nullptr);
    // The next piece is heard once the speaker's entry holds a new buffer
    // that plays.
    SpeakerLine next{};
    while (Now() - stopped < 60) {
      next = SpeakerLineOf(partner);
      if (next.buffer && next.buffer != buffer && next.playing) break;
      Sleep(1);
    }
    if (!next.buffer || next.buffer == buffer || !next.playing) break;  // no next piece
    seams.push_back({(Now() - stopped) * 1000, cursor == 0 && furthest >= e.bytes / 10 * 9});
    while (game_double::SayCount() == say + 1 && Now() - stopped < 60) Sleep(1);
  }
  StopAllSpeech();
  WaitForQuietWorker();
  return seams;
}

// What a piece costs the worker before its say, and the say itself: the
// voice's rendering (one word shows what a text costs at all), the hooked
// loader making the buffer of it, and the whole say routine of the game
// double around it, on the main thread with no worker.
void BenchPieceCosts(int repeat) {
  char name[VoiceFileNameSize];
  VoiceChannel& channel = PartnerChannelOnThisThread(name);
  const std::string thousand = LineOf(1000);
  const auto length = static_cast<uint32_t>(thousand.size());
  const uint32_t first = SpeechPieceEnd(thousand.c_str(), length, 0);
  const uint32_t second = SpeechPieceEnd(thousand.c_str(), length, first);
  const struct {
    const char* what;
    std::string text;
  } texts[] = {{"one word", "Balmora."},
               {"a first piece", thousand.substr(0, first)},
               {"a later piece", thousand.substr(first, second - first)},
               {"the whole line", thousand}};
  channel.voice.Speak("Warm up.");
  std::printf("  rendering, and the loader's buffer of it:\n");
  for (const auto& t : texts) {
    std::vector<double> render, load, say;
    for (int i = 0; i < repeat; ++i) {
      const double a = Now();
      channel.voice.Speak(t.text.c_str());
      const double b = Now();
      void* record = ProcessVoiceFile(game_double::Objects().soundManager, nullptr, name, 0);
      load.push_back((Now() - b) * 1000);
      render.push_back((b - a) * 1000);
      if (record) StopAllSpeech();
      const double c = Now();
      PlayChannel(&channel, SpeechEpoch(), false);
      say.push_back((Now() - c) * 1000);
      StopAllSpeech();
    }
    std::printf("    %-15s %5zu characters: rendered in %6.0f ms, loaded in %4.1f ms, said in %4.1f ms\n", t.what,
                t.text.size(), Median(render), Median(load), Median(say));
  }
  channel.voice.Release();
  std::memset(&channel.voice, 0, sizeof channel.voice);
}

// `description`: the stand-in's voice entry, or null on Wine's own SAPI.
void BenchVoice(const char* voice, const char* description, int seams, int repeat) {
  if (description) sapistandin::SetVoices({description});
  for (VoiceChannel* c : {&VoiceMaleDlg, &VoiceFemaleDlg, &VoiceCreatureDlg}) {
    c->voice.Release();
    std::memset(&c->voice, 0, sizeof c->voice);
  }
  std::printf("\n%s\n", voice);
  BenchPieceCosts(repeat);
  WorkerThreadId = 0;
  HANDLE worker = CreateThread(nullptr, 0, Worker, nullptr, 0, &WorkerThreadId);
  while (!PostThreadMessageA(WorkerThreadId, WM_USER + 1, 0, 0)) Sleep(5);  // its queue exists
  Sleep(500);
  FirstSay(LineOf(100), true);  // warm-up: the voice's first text

  std::printf("  call site -> first say (median of %d)  whole line     pieces   (first piece)\n", repeat);
  for (size_t length : {100, 1000, 4000}) {
    const std::string line = LineOf(length);
    std::vector<double> wholes, piecewise;
    for (int i = 0; i < repeat; ++i) {
      wholes.push_back(FirstSay(line, false));
      piecewise.push_back(FirstSay(line, true));
    }
    const double whole = Median(wholes), pieces = Median(piecewise);
    const uint32_t first = SpeechPieceEnd(line.c_str(), static_cast<uint32_t>(line.size()), 0);
    std::printf("    %4zu characters                   %8.0f ms  %8.0f ms   (%u characters, %u pieces)\n",
                line.size(), whole, pieces, first, SpeechPieceCount(line.c_str(), static_cast<uint32_t>(line.size())));
  }
  const std::vector<Seam> measured = Seams(LineOf(1000), seams);
  std::printf("  seams of the 1000-character line (silence added between two pieces):");
  double worst = 0, sum = 0;
  for (const Seam& s : measured) {
    std::printf(" %.0f ms%s", s.silenceMs, s.playedOut ? "" : " (cut short)");
    worst = std::max(worst, s.silenceMs);
    sum += s.silenceMs;
  }
  if (!measured.empty()) std::printf("; mean %.0f ms, worst %.0f ms", sum / measured.size(), worst);
  std::printf("\n");
  PostThreadMessageA(WorkerThreadId, WM_WORKER_QUIT, 0, 0);
  WaitForSingleObject(worker, 60000);
  CloseHandle(worker);
}

}  // namespace

int main(int argc, char** argv) {
  const bool wineSapi = argc > 1 && !std::strcmp(argv[1], "--wine-sapi");
  if (wineSapi) --argc, ++argv;
  const int seams = argc > 1 ? std::atoi(argv[1]) : 4;
  const int repeat = argc > 2 ? std::atoi(argv[2]) : 3;
  if (wineSapi) {
    if (!RegisterQuorrimVoice() || !HookedSpeakingGame(WineSapiVoice)) return 1;
    BenchVoice("Wine's own SAPI with the Quorrim voice (espeak-ng)", nullptr, seams, repeat);
    return 0;
  }
  if (!RegisterStandIn()) return 1;
  if (!HookedSpeakingGame("Quorrim Bench")) return 1;

  BenchVoice("the stand-in's own synthesizer", "Quorrim Bench", seams, repeat);
  if (GetFileAttributesA("Z:\\usr\\bin\\espeak-ng") != INVALID_FILE_ATTRIBUTES)
    BenchVoice("espeak-ng gmw/en+f3 through the stand-in", "Quorrim Bench=espeak:gmw/en+f3", seams, repeat);
  else
    std::printf("\nno espeak-ng in the root: only the stand-in's own synthesizer\n");
  return 0;
}
