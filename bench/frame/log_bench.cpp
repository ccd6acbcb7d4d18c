// What the log costs the game's thread, in the game double with the
// plug-in's code linked in: one dialogue line (the game passes it twice; two
// log lines) and one 40-line book page (two log lines, one of them the page's
// first 1023 characters), with the host's log holding 0, 1 000 and 20 000
// lines, against the same places with the game's own bytes.  Run by hand
// under Wine; prints figures, asserts nothing.
//
//   cd build/run/bench && ../../../scripts/wine-run log_bench.exe [calls]
//
// Two paces: a line now and then (each call timed alone, once the log has
// not changed for 200 ms, as when the player reads between two lines; every
// call is cold then), and back to back (the median over rounds of `calls`
// calls, the writer never idle).  The log's writer thread runs as in the
// game, on the other core; what it still has to write after a round goes
// into a spare file, so that every round starts from a log of the size
// given.  "Written on the game's thread" is the log without its writer, as
// every line was written before.  Last, the two log lines of each alone,
// against copying their text.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "game/documents_double.h"
#include "bench_game.h"
#include "game/game_double.h"
#include "plugin/frame/log.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/captured_text.h"
#include "plugin/patching/hook_catalogue.h"

namespace {

using namespace bench;

// The dialogue place and the document places.
const uint32_t Places[] = {0x00BE32, 0x0A2A15, 0x1AD9AF, 0x1ADAB3, 0x1AC36B, 0x1ABE9C, 0x1AC358, 0x1ABCBF, 0x1AD630};

const char Line[] = "Welcome to Balmora, outlander. Mind the guards, they do not like strangers.";
const char PartnerName[] = "Dralasa Nerethi";

// The partner of the double: a Dark Elf woman speaking for herself; the
// player: a record without ActorData (a man).
void MakeActors() {
  MakeDarkElfPartner();
  MakePlayerMan();
}

void DialogueLine() {
  DialogueText(Line);
  DialogueText(Line);
}

const std::string PageText = FortyLinePage();
const char* const Book[] = {PageText.c_str()};
void OpenPage() { game_double::PlayerOpensBook(Book, 1); }

struct Work {
  const char* name;
  void (*call)();
};
const Work Dialogue = {"dialogue line", DialogueLine};
const Work Page = {"40-line page", OpenPage};

std::string folder;
std::string LogPath() { return folder + "log_bench.log"; }
std::string SparePath() { return folder + "log_bench-spare.log"; }

// What the host's log holds after an evening's play.
void GrowLog(int lines) {
  std::string text = "[Quorrim]\r\n";
  char entry[160];
  for (int i = 0; i < lines; ++i) {
    std::snprintf(entry, sizeof entry, "%d_14.6.2024_21:%d:%d:%d=MORROWIND::Detected a Male NPC: %s, [ %s ]\r\n", i,
                  i / 3600 % 60, i / 60 % 60, i % 1000, PartnerName, PartnerName);
    text += entry;
  }
  HANDLE f = CreateFileA(LogPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
}

enum class Logging { Off, Writer, GameThread };
enum class Pace {
  BackToBack,  // call after call: the writer never catches up
  NowAndThen,  // each call once the writer has written what came before, as when the player reads between lines
};

LONGLONG FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return -1;
  return (static_cast<LONGLONG>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}
// The writer is through when the log has not changed for a while.
void WaitUntilWritten() {
  LONGLONG size = FileSize(LogPath());
  for (int quiet = 0, i = 0; quiet < 20 && i < 3000; ++i) {
    Sleep(10);
    const LONGLONG now = FileSize(LogPath());
    quiet = now == size ? quiet + 1 : 0;
    size = now;
  }
}

void LogInto(Logging logging, int logLines) {
  if (logging == Logging::Off) return;
  GrowLog(logLines);
  lstrcpynA(LogFilePath, LogPath().c_str(), sizeof LogFilePath);
  if (logging == Logging::Writer && !StartLogWriter()) std::printf("(no writer thread)\n");
}
void LogOff(Logging logging) {
  if (logging == Logging::Off) return;
  // What is still queued goes into a spare file, out of the next round's way.
  DeleteFileA(SparePath().c_str());
  lstrcpynA(LogFilePath, SparePath().c_str(), sizeof LogFilePath);
  StopLogWriter();
  LogFilePath[0] = 0;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Microseconds per call: back to back, the median over rounds of `calls`
// calls; now and then, the median of `calls` single calls.
double Measure(const Work& work, Logging logging, Pace pace, int logLines, int calls, int rounds) {
  std::vector<double> perCall;
  if (pace == Pace::NowAndThen) {
    LogInto(logging, logLines);
    work.call();  // the first call pays for the file's first read
    for (int i = 0; i < calls; ++i) {
      game_double::ClearLinesSent();
      ClearCapturedText();
      WaitUntilWritten();
      const double start = Now();
      work.call();
      perCall.push_back((Now() - start) * 1e6);
    }
    LogOff(logging);
    return Median(perCall);
  }
  for (int r = 0; r < rounds; ++r) {
    game_double::ClearLinesSent();
    LogInto(logging, logLines);
    ClearCapturedText();
    work.call();
    const double start = Now();
    for (int i = 0; i < calls; ++i) work.call();
    perCall.push_back((Now() - start) * 1e6 / calls);
    LogOff(logging);
  }
  return Median(perCall);
}

int __stdcall DropLine(const char*) { return 1; }

// What logging a line must do in any case: copy its text somewhere (its
// length found as the log finds it).
double CopyCost(size_t bytes, int calls) {
  std::vector<char> from(bytes + 1, 'x'), to(1024);
  from[bytes] = 0;
  volatile char sink = 0;
  const double start = Now();
  for (int i = 0; i < calls; ++i) {
    from[i % bytes] = static_cast<char>('a' + i % 26);
    const size_t length = strnlen(from.data(), 1023);
    std::memcpy(to.data(), from.data(), length);
    sink = sink + to[(i * 7) % length];
  }
  return (Now() - start) * 1e6 / calls;
}

}  // namespace

int main(int argc, char** argv) {
  const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
  const int rounds = 5;
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  folder = self;
  folder.resize(folder.find_last_of('\\') + 1);

  HookedGameWithoutWorker();
  MakeActors();

  const Work works[] = {Dialogue, Page};
  const int sizes[] = {0, 1000, 20000};
  const struct {
    Pace pace;
    const char* name;
    int calls, rounds;
  } paces[] = {
      {Pace::NowAndThen, "a line now and then (each call cold, once the writer is idle)", calls, 1},
      {Pace::BackToBack, "back to back (the writer always busy)", calls, rounds},
  };
  auto cell = [](double v, double own, double off) {
    char text[64];
    if (own < 0) std::snprintf(text, sizeof text, "%.1f", v);
    else if (off < 0) std::snprintf(text, sizeof text, "%.1f (x%.2f)", v, v / own);
    else std::snprintf(text, sizeof text, "%.1f (x%.2f) %+.1f", v, v / own, v - off);
    return std::string(text);
  };
  std::printf("the game's thread, us per call; (x) ratio to the game's own bytes, +/- against logging off\n");
  for (const auto& p : paces) {
    std::printf("\n%s\n%-46s %28s %28s\n", p.name, "", Dialogue.name, Page.name);
    double own[2], off[2];
    {
      GameBytes unpatched(Places);
      for (int w = 0; w < 2; ++w) own[w] = Measure(works[w], Logging::Off, p.pace, 0, p.calls, p.rounds);
    }
    for (int w = 0; w < 2; ++w) off[w] = Measure(works[w], Logging::Off, p.pace, 0, p.calls, p.rounds);
    std::printf("%-46s %28s %28s\n", "game's own bytes", cell(own[0], -1, -1).c_str(), cell(own[1], -1, -1).c_str());
    std::printf("%-46s %28s %28s\n", "hooked, logging off", cell(off[0], own[0], -1).c_str(),
                cell(off[1], own[1], -1).c_str());
    std::fflush(stdout);
    for (int size : sizes) {
      double v[2];
      for (int w = 0; w < 2; ++w) v[w] = Measure(works[w], Logging::Writer, p.pace, size, p.calls, p.rounds);
      char what[64];
      std::snprintf(what, sizeof what, "hooked, log of %5d lines", size);
      std::printf("%-46s %28s %28s\n", what, cell(v[0], own[0], off[0]).c_str(), cell(v[1], own[1], off[1]).c_str());
      std::fflush(stdout);
    }
    if (p.pace == Pace::NowAndThen) {
      // As every line was written before the writer: each call waits for two
      // profile writes, so fewer of them.
      for (int size : sizes) {
        double v[2];
        for (int w = 0; w < 2; ++w)
          v[w] = Measure(works[w], Logging::GameThread, p.pace, size, std::max(3, p.calls / 8), 1);
        char what[64];
        std::snprintf(what, sizeof what, "written on the game's thread, %5d lines", size);
        std::printf("%-46s %28s %28s\n", what, cell(v[0], own[0], off[0]).c_str(), cell(v[1], own[1], off[1]).c_str());
        std::fflush(stdout);
      }
    }
  }

  // The logging alone, the two lines of each as the handlers log them, back
  // to back with the writer busy; against copying their text.
  std::printf("\nthe two log lines alone (LOG_LINE, back to back, median of %d rounds of %d), us\n", rounds, calls);
  for (int size : sizes) {
    double v[2];
    for (int w = 0; w < 2; ++w) {
      std::vector<double> perCall;
      for (int r = 0; r < rounds; ++r) {
        LogInto(Logging::Writer, size);
        const double start = Now();
        for (int i = 0; i < calls; ++i) {
          if (w == 0) {
            LOG_LINE("MORROWIND::Preparing a dialogue text.");
            LOG_LINE("MORROWIND::Detected a Female NPC: %s, [ %s ]", PartnerName, PartnerName);
          } else {
            LOG_LINE("MORROWIND::Preparing document text: %s", PageText.c_str());
            LOG_LINE("MORROWIND::Player is Male");
          }
        }
        perCall.push_back((Now() - start) * 1e6 / calls);
        LogOff(Logging::Writer);
      }
      v[w] = Median(perCall);
    }
    std::printf("log of %5d lines: dialogue line's %.2f, page's %.2f\n", size, v[0], v[1]);
    std::fflush(stdout);
  }

  // Their formatting alone (by the wsprintfA rules, into LogLine's buffer):
  // the copy the text needs in any case.
  {
    double v[2];
    for (int w = 0; w < 2; ++w) {
      std::vector<double> perCall;
      for (int r = 0; r < rounds; ++r) {
        const double start = Now();
        for (int i = 0; i < calls; ++i) {
          if (w == 0) {
            LogLine("MORROWIND::Preparing a dialogue text.", DropLine);
            LogLine("MORROWIND::Detected a Female NPC: %s, [ %s ]", DropLine, PartnerName, PartnerName);
          } else {
            LogLine("MORROWIND::Preparing document text: %s", DropLine, PageText.c_str());
            LogLine("MORROWIND::Player is Male", DropLine);
          }
        }
        perCall.push_back((Now() - start) * 1e6 / calls);
      }
      v[w] = Median(perCall);
    }
    std::printf("their formatting alone (LogLine with a sink that drops them): dialogue line's %.2f, page's %.2f\n",
                v[0], v[1]);
  }

  // The two lines of each: the dialogue's and the page's, as they are logged.
  const size_t dialogueBytes = std::strlen("MORROWIND::Preparing a dialogue text.") +
                               std::strlen("MORROWIND::Detected a Female NPC: , [  ]") + 2 * std::strlen(PartnerName);
  const size_t pageBytes = 1023 + std::strlen("MORROWIND::Player is Male");
  const size_t shortPageLine = std::strlen("MORROWIND::Player is Male");
  std::printf("copying their text alone: dialogue line's (%zu bytes) %.2f, page's (%zu bytes) %.2f\n", dialogueBytes,
              CopyCost(dialogueBytes - 37, 100000) + CopyCost(37, 100000), pageBytes,
              CopyCost(1023, 100000) + CopyCost(shortPageLine, 100000));
  DeleteFileA(LogPath().c_str());
  DeleteFileA(SparePath().c_str());
  PostThreadMessageA(WorkerThreadId, WM_QUIT, 0, 0);
  return 0;
}
