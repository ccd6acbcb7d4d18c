// What the menu pause and the dialogue camera add to the game's frame, in the
// game double with the plug-in's code linked in.  Run by hand under Wine;
// prints figures, asserts nothing.
//
//   cd build/run/bench && ../../../scripts/wine-run camera_bench.exe [frames]
//
//   - the double's whole frame update (frame_loop.cpp) on the game's own
//     bytes, before any hook is written: the reference;
//   - the freeze check's place in menu mode, on the game's bytes and hooked:
//     with nothing running, and with a zoom and a turn stepping every frame;
//   - the same whole frame, hooked, in an unpaused dialogue.
#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_clock.h"
#include "game/camera_double.h"
#include "game/frame_loop.h"
#include "game/game_double.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/dialogue_camera.h"
#include "plugin/game/game_state.h"
#include "plugin/patching/hook_catalogue.h"

namespace {

uint32_t Addr(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }
template <typename T>
void Put(uint8_t* object, uint32_t offset, T value) {
  std::memcpy(object + offset, &value, sizeof value);
}

template <typename F>
double PerCallNs(int count, F&& f) {
  const double start = Now();
  for (int i = 0; i < count; ++i) f();
  return (Now() - start) * 1e9 / count;
}

alignas(16) uint32_t stack[1024];
uint32_t FreezePlace() {
  game_double::Cpu in{}, out{};
  in.eflags = 0x202;
  in.ecx = Addr(game_double::Objects().gameMaster);
  in.esp = Addr(&stack[512]);
  return game_double::RunPlace(game_double::Base() + 0x01B3AF, in, out);
}

// The freeze check's place with the game's own bytes for the measurement.
template <typename F>
double Unhooked(F&& measure) {
  const game_double::PlaceBytes* place = game_double::FindPlace(0x01B3AF);
  uint8_t hooked[16];
  std::memcpy(hooked, game_double::At(0x01B3AF), place->size);
  game_double::PokeImage(0x01B3AF, place->bytes, place->size);
  const double ns = measure();
  game_double::PokeImage(0x01B3AF, hooked, place->size);
  return ns;
}

// A zoom that never reaches its target, and a turn toward a partner who
// stepped aside and above, which the camera never reaches (the mouse look is
// not run here): both parts of the turn and the zoom step on every call, the
// dearest a frame gets.
void KeepZoomAndTurnRunning() {
  uint8_t* partner = game_double::Objects().partnerRef;
  Put(partner, 0x38, -100.0f);
  Put(partner, 0x3C, 40.0f);
  Put(partner, 0x40, 150.0f);
  AimCameraAtPartner(reinterpret_cast<ActorMobile*>(game_double::Objects().partnerMobile));
  Dialogue.smoothZoomActive = 1;
  Dialogue.zoomFov = INT_MAX / 2;
  Dialogue.targetFov = 1;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? atoi(argv[1]) : 200000;
  game_double::BuildGameImage();
  GameBase = game_double::Base();
  Settings = PluginDefaults();
  uint8_t* master = game_double::Objects().gameMaster;
  uint8_t* partner = game_double::Objects().partnerRef;
  Put(partner, 0x38, 103.9f);
  Put(partner, 0x3C, 60.0f);
  game_double::PlaceCamera(0.0f, 0.0f, 110.0f, 0.0f, 90.0f);

  // The reference: the double's frame update as the game has it, out of menu
  // mode (every place runs) and in a menu (the world frozen).
  for (int i = 0; i < 1000; ++i) game_double::RunFrame();
  const double frameGame = PerCallNs(frames / 10, [] { game_double::RunFrame(); });
  master[0xD6] = 1;
  const double frameGameMenu = PerCallNs(frames / 10, [] { game_double::RunFrame(); });
  const double placeGameBefore = PerCallNs(frames, FreezePlace);

  if (InstallHooks() != 0) {
    printf("hooks not installed\n");
    return 1;
  }
  // The game leaves its start menu; a dialogue that lets the world run opens.
  master[0xD6] = 0;
  game_double::CloseMenu();
  const double frameHookedOut = PerCallNs(frames / 10, [] { game_double::RunFrame(); });
  game_double::OpenMenu(0xFF1A);
  game_double::StartDialogue(game_double::Objects().partnerMobile);
  for (int i = 0; i < 60; ++i) game_double::RunFrame();  // zoom and turn done
  const bool settled = !Dialogue.smoothZoomActive && !Dialogue.turnActive;

  const double placeGame = Unhooked([&] { return PerCallNs(frames, FreezePlace); });
  const double placeIdle = PerCallNs(frames, FreezePlace);
  KeepZoomAndTurnRunning();
  const double placeBusy = PerCallNs(frames, FreezePlace);
  const bool stillBusy = Dialogue.smoothZoomActive && Dialogue.turnActive && Dialogue.turnDeltaX && Dialogue.turnDeltaY;
  Dialogue.smoothZoomActive = 0;
  Dialogue.turnActive = 0;
  const double frameHooked = PerCallNs(frames / 10, [] { game_double::RunFrame(); });

  printf("frames measured:                          %d (whole frames: %d)\n", frames, frames / 10);
  printf("frame update, game's bytes, no menu:      %8.0f ns  (every place runs; the reference)\n", frameGame);
  printf("frame update, game's bytes, in a menu:    %8.0f ns  (the world frozen)\n", frameGameMenu);
  printf("frame update, hooked, no menu:            %8.0f ns\n", frameHookedOut);
  printf("frame update, hooked, unpaused dialogue:  %8.0f ns  (%s)\n", frameHooked,
         settled ? "zoom and turn finished" : "zoom or turn still running");
  printf("freeze place, game's bytes:               %8.0f ns  (before the hooks: %.0f ns)\n", placeGame,
         placeGameBefore);
  printf("freeze place, hooked, nothing running:    %8.0f ns  adds %6.0f ns = %.4f of a frame\n", placeIdle,
         placeIdle - placeGame, (placeIdle - placeGame) / frameGame);
  printf("freeze place, hooked, zoom and turn:      %8.0f ns  adds %6.0f ns = %.4f of a frame%s\n", placeBusy,
         placeBusy - placeGame, (placeBusy - placeGame) / frameGame, stillBusy ? "" : "  (ended early!)");
  return 0;
}
