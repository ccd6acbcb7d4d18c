// The hook catalogue: every place of the game the plug-in patches at attach.
#pragma once
#include <cstdint>

struct HookPlace {
  uint32_t offset;        // from GameBase
  const char* signature;  // the ten bytes the place holds in 1.6.1820
};

struct HookEntry {
  const char* logLine;
  const HookPlace* places;
  uint32_t placeCount;
  uint8_t opcode;         // 0xE8 call rel32 to the stub, 0x68 push of its address
  uint32_t extraNops;
  const void* stub;
  bool onlyWithVoiceFxByRace;
};

// In installation order.
extern const HookEntry HookCatalogue[];
extern const uint32_t HookCatalogueSize;

inline constexpr const char* DataPlaceSignature = "FF??????????FF??????";

// Writes every hook in catalogue order (each after its log line), then checks
// the two data places.  Returns the failure sum: the PatchResult codes of all
// hooks plus one per data place that did not match.
uint32_t InstallHooks();

// Puts back the game's bytes at every place the last InstallHooks wrote.
void UndoHooks();
