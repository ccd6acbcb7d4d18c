// What patching costs: the installation at attach, and one pass through a
// notification stub and an inline stub against the game's own bytes.  Run by
// hand under Wine; prints figures, asserts nothing.
//
//   scripts/wine-run build/run/bench/patch_bench.exe [rounds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/game_double.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/game_state.h"
#include "plugin/patching/hook_catalogue.h"
#include "bench_clock.h"

namespace {


struct Saved {
  uint8_t bytes[16];
};
Saved patched[64];

void PutBack(bool original) {
  uint32_t count;
  const game_double::PlaceBytes* places = game_double::AllPlaces(&count);
  for (uint32_t i = 0; i < count; ++i)
    game_double::PokeImage(places[i].offset, original ? places[i].bytes : patched[i].bytes, places[i].size);
}

void SavePatched() {
  uint32_t count;
  const game_double::PlaceBytes* places = game_double::AllPlaces(&count);
  for (uint32_t i = 0; i < count; ++i) std::memcpy(patched[i].bytes, game_double::At(places[i].offset), places[i].size);
}

alignas(16) uint32_t stack[1024];

// Nanoseconds per run of the place, harness included.
double PerRun(uint32_t offset, const game_double::Cpu& in, int rounds) {
  game_double::Cpu out;
  const double start = Now();
  for (int i = 0; i < rounds; ++i) game_double::RunPlace(game_double::Base() + offset, in, out);
  return (Now() - start) * 1e9 / rounds;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? atoi(argv[1]) : 200000;
  game_double::BuildGameImage();
  GameBase = game_double::Base();
  Settings = PluginDefaults();
  Settings.VoiceFxByRace = 1;

  double first = Now();
  const uint32_t failures = InstallHooks();
  first = Now() - first;
  SavePatched();
  const int installs = 200;
  double total = 0;
  for (int i = 0; i < installs; ++i) {
    PutBack(true);
    const double t = Now();
    InstallHooks();
    total += Now() - t;
  }
  printf("install: first %.1f us, then %.1f us per installation (35 places, 2 data checks; failures %u)\n",
         first * 1e6, total * 1e6 / installs, failures);

  game_double::Cpu in{};
  in.esp = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&stack[512]));
  in.eflags = 0x202;
  in.eax = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(game_double::Objects().gameMaster));
  in.esi = in.ecx = in.eax;
  MenuPhase.Reset();
  MenuPhase.open = 0;  // the gate lets the call through

  struct Case {
    const char* name;
    uint32_t offset;
  } cases[] = {{"notification (17, exit menu mode)", 0x1951AB}, {"inline (22, water in menu mode)", 0x11C896},
               {"gate (4, GoToJail, passed)", 0x167F9D}};
  for (const Case& c : cases) {
    PutBack(true);
    PerRun(c.offset, in, rounds / 10);
    const double original = PerRun(c.offset, in, rounds);
    PutBack(false);
    PerRun(c.offset, in, rounds / 10);
    const double hooked = PerRun(c.offset, in, rounds);
    printf("%-36s game's bytes %7.1f ns, patched %7.1f ns, stub adds %7.1f ns per pass\n", c.name, original, hooked,
           hooked - original);
  }
  return 0;
}
