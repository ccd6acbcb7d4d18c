// Menu-mode pause and AI control (filled in by its own issue).
#pragma once
#include <cstdint>

// The game leaves menu mode.  Game thread, all registers saved by the stub.
void ExitMenuMode();

// Asked on each freeze check while a menu is open and a player exists:
// 1 = freeze the world, 0 = let it run.
uint8_t MenuFreezeCheck();
