// What the game double's parts share among themselves (not the tests): the
// harness (game_harness.cpp) runs places and records routine calls, the
// places (game_places.cpp) lay the game's bytes into the image, the world
// (game_world.cpp) holds the game's objects, and the sound (game_sound.cpp)
// is what the game's voice-file loader and say routine do.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "game/game_double.h"

namespace game_double::detail {

template <typename T>
void Put(uint8_t* object, uint32_t offset, T value) {
  std::memcpy(object + offset, &value, sizeof value);
}
inline uint32_t Addr(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

// Harness.
struct RoutineInfo {
  uint32_t offset;
  void (*body)();
  uint32_t argBytes;
};
extern const RoutineInfo Routines[RoutineCount];
extern RoutineCall calls[RoutineCount];
void* CaptureFallAddress();
void* CaptureTakenAddress();

// World.
extern uint8_t gameMaster[0x400];
extern float viewSwitchFov;
void BuildObjects();
void* __cdecl GameAllocate(uint32_t bytes);
void __cdecl GameFree(void* block);

// Sound.
uint32_t LoadVoiceFile(uint8_t* manager, const char* path);
void Say(uint32_t manager, const char* name, uint32_t speaker, uint32_t second, uint32_t volume);

}  // namespace game_double::detail
