// Menu-mode pause and AI control: per kind of menu the world stays frozen
// or keeps running (with the AI on or off) while the player's own controls
// are held.  Game thread.
#pragma once
#include <cstdint>

#include "plugin/frame/settings.h"

// Asked on each freeze check while a menu is open and a player exists:
// 1 = freeze the world, 0 = let it run.  Also drives the dialogue camera's
// zoom and turn, one step per call.
uint8_t MenuFreezeCheck();

// The game leaves menu mode.  Game thread, all registers saved by the stub.
void ExitMenuMode();

// Hold the player's controls and mouse look; give them back as found.
void HoldPlayerControls();
void ReleasePlayerControls();

// Switches the game's AI on or off, but only while the switch stands where
// the plug-in last left it.  Returns 1 when the AI was on before.
uint32_t SetGameAi(uint32_t on);

// The menu kinds whose checks decide the menu `menuId`, in the order they
// are made; returns how many (0: a menu not in the table, which freezes).
uint32_t MenuChecks(uint16_t menuId, MenuKind checks[3]);

// A menu the plug-in leaves to the game as long as it is the last one written.
inline constexpr uint16_t AlwaysFrozenMenuId = 0xFC45;
inline constexpr uint16_t DialogueMenuId = 0xFF1A;
