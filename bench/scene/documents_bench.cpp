// What reading a document costs the game's thread, in the game double with
// the plug-in's code linked in.  Run by hand under Wine; prints figures,
// asserts nothing.
//
//   cd build/run/bench && ../../../scripts/wine-run documents_bench.exe [pages]
//
//   - one document line: the line routine's call place with the game's own
//     bytes, and hooked (AppendTextLine runs inside the game's page layout);
//   - a 40-line book page opened through the book opening place, with the
//     game's own bytes everywhere, and hooked (every line collected, the page
//     handed to the worker's queue at the end).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "bench_game.h"
#include "game/documents_double.h"
#include "game/game_double.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/captured_text.h"
#include "plugin/game/documents.h"
#include "plugin/patching/hook_catalogue.h"

namespace {

using namespace bench;

const uint32_t DocumentPlaces[] = {0x0A2A15, 0x1AD9AF, 0x1ADAB3, 0x1AC36B, 0x1ABE9C,
                                   0x1AC358, 0x1ABCBF, 0x1AD630};


alignas(16) uint32_t gameStack[4096];
uint8_t layoutObject[0x40], callerFrame[0x40];
char line[] = "Balmora stands on the Odai river, in the\0heart of the West Gash.";

void SendLine() {
  uint32_t* s = &gameStack[2048];
  s[0] = 16;
  s[1] = Addr(line);
  game_double::Cpu in{}, out{};
  in.eflags = 0x202;
  in.ecx = Addr(layoutObject);
  in.ebp = Addr(callerFrame);
  in.esp = Addr(s);
  game_double::RunPlace(game_double::Base() + 0x1AD9AF, in, out);
}

double PerLine(int lines) {
  for (int i = 0; i < lines / 10; ++i) SendLine();
  const double start = Now();
  for (int i = 0; i < lines; ++i) {
    ClearCapturedText();
    SendLine();
  }
  return (Now() - start) * 1e6 / lines;
}


double PerPage(int pages, const char* const* text) {
  game_double::ClearLinesSent();
  game_double::PlayerOpensBook(text, 1);
  const size_t lines = game_double::LinesSent().size();
  if (lines != 40) std::printf("(the page has %zu lines)\n", lines);
  const double start = Now();
  for (int i = 0; i < pages; ++i) game_double::PlayerOpensBook(text, 1);
  return (Now() - start) * 1e6 / pages;
}

}  // namespace

int main(int argc, char** argv) {
  const int pages = argc > 1 ? std::atoi(argv[1]) : 500;
  HookedGameWithoutWorker();
  MakePlayerMan();  // for SpeakCapturedText

  const int lines = pages * 40;
  double line[2], page[2];
  const std::string text = FortyLinePage();
  const char* const book[] = {text.c_str()};
  {
    GameBytes unpatched(DocumentPlaces);
    line[0] = PerLine(lines);
    page[0] = PerPage(pages, book);
  }
  line[1] = PerLine(lines);
  page[1] = PerPage(pages, book);
  const double append0 = Now();
  for (int i = 0; i < lines; ++i) {
    if (i % 40 == 0) ClearCapturedText();
    AppendTextLine(::line);
  }
  const double append = (Now() - append0) * 1e6 / lines;

  std::printf("one document line (%zu chars): game's bytes %.2f us, hooked %.2f us, ratio %.2f\n",
              std::strlen(::line), line[0], line[1], line[1] / line[0]);
  std::printf("AppendTextLine alone, within 40-line pages: %.2f us per line\n", append);
  std::printf("a 40-line book page opened: game's bytes %.1f us, hooked %.1f us, ratio %.2f "
              "(%.2f us added per line)\n",
              page[0], page[1], page[1] / page[0], (page[1] - page[0]) / 40);
  PostThreadMessageA(WorkerThreadId, WM_QUIT, 0, 0);
  return 0;
}
