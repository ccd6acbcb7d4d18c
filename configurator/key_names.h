// KeyNameTable: what a key cell shows for each Windows virtual-key code.
#pragma once
#include <cstdint>

// The virtual-key constant's name without "VK_"; "" for code 0, "_" for codes
// that name no key.
extern const char* const KeyNameTable[256];

// The key code a cell stores for a key-down: Shift, Control and Alt become
// their left or right variant by the keyboard state (`isDown` reports
// whether a code's key is down).
uint8_t SidedKeyCode(uint8_t code, bool (*isDown)(uint8_t code));
