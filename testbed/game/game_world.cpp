// The game's world as the plug-in reads it: the game master, the menus, the
// player and a partner, the view controller and the sound manager, at the
// game's offsets, and the game's allocator behind its import thunks.
#include "game/game_double_parts.h"
#include "game/camera_double.h"

namespace game_double {
namespace detail {

alignas(16) uint8_t gameMaster[0x400];
float viewSwitchFov = 50.0f;

void* __cdecl GameAllocate(uint32_t bytes) { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes); }
void __cdecl GameFree(void* block) { HeapFree(GetProcessHeap(), 0, block); }

namespace {
alignas(16) uint8_t menuController[0x80], playerList[0x40], playerMobile[0x600], playerRef[0x80],
    partnerMobile[0x600], partnerRef[0x80], viewController[0x100], soundRecord[0x60], soundFormat[0x20],
    soundManager[0x300];
uint8_t* playerSlot;
World world{gameMaster, menuController, playerList, playerMobile, playerRef, partnerMobile, partnerRef,
            viewController, soundRecord, soundFormat, soundManager};

// ObjectRef slot 72 and SceneNode slot 23.
float __thiscall RefScale(void*) { return 1.25f; }
void* __thiscall FindNode(void*, const char*) { return nullptr; }
void* refVtable[80];
void* nodeVtable[32];

}  // namespace

void BuildObjects() {
  Put(At(0x3C67DC), 0, Addr(gameMaster));
  Put(gameMaster, 0x5C, Addr(playerList));
  Put(gameMaster, 0x2E4, Addr(menuController));
  Put(gameMaster, 0x13C, 75.0f);
  Put(gameMaster, 0x2C0 + 8, 75.0f);
  playerSlot = playerMobile;
  Put(playerList, 0x24, Addr(&playerSlot));
  Put(playerMobile, 0x14, Addr(playerRef));
  Put(playerMobile, 0x244, Addr(viewController));
  Put(partnerMobile, 0x14, Addr(partnerRef));
  refVtable[72] = reinterpret_cast<void*>(&RefScale);
  nodeVtable[23] = reinterpret_cast<void*>(&FindNode);
  Put(playerRef, 0, Addr(refVtable));
  Put(partnerRef, 0, Addr(refVtable));
  Put(soundRecord, 0x2C, Addr(soundFormat));
  Put(soundFormat, 4, 44100u);
  Put(At(0x3C67E0), 0, Addr(soundManager));
  BuildCamera();
}

}  // namespace detail

using namespace detail;

World& Objects() { return world; }
void SetViewSwitchFov(float fov) { viewSwitchFov = fov; }
void SetPlayerPresent(bool present) { Put(gameMaster, 0x5C, present ? Addr(playerList) : 0u); }

}  // namespace game_double
