// Whether the game's pitch step is about to act on the plug-in's own speech.
#pragma once
#include <cstdint>

// 1 when `sound` (the pitch step's first argument) holds a 44 100 Hz buffer
// (its record at +0x2C, the rate at +4 of that) and `fileName` begins with
// "VTTS".
uint32_t IsOwnSpeechSound(const void* sound, const char* fileName);
