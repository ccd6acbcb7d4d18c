// Every raw offset of Morrowind.exe 1.6.1820 that the plug-in uses, from the
// base of the game's main module (GameBase).  Field offsets inside the game's
// objects live in game_layout.h; code places and their signatures in the
// hook catalogue.
#pragma once
#include <cstdint>

namespace game_offsets {
// Globals.
inline constexpr uint32_t GameMasterHolder = 0x3C67DC;   // -> GameMaster
inline constexpr uint32_t SoundManagerHolder = 0x3C67E0;  // -> SoundManager, whose method says a voice file
inline constexpr uint32_t LookInversion = 0x3D16DD;      // 8 bits
inline constexpr uint32_t DocumentOpenFlag = 0x3D2B10;   // 32 bits, tested by the open/close hook
inline constexpr uint32_t DocumentOpenValue = 0x3D2B14;  // 32 bits, loaded by the open/close hook's place
inline constexpr uint32_t DialogueBeginWord = 0x3D3442;  // 16 bits, loaded by the dialogue-begin place

// Routines the plug-in calls itself.
inline constexpr uint32_t SetFieldOfView = 0x10F8C0;   // thiscall(camera control, float degrees)
inline constexpr uint32_t VoiceVolumeQuery = 0x10E450; // thiscall(GameMaster+0x34, 0, 1.0f, 1, 0)
inline constexpr uint32_t SayVoiceFile = 0x08C2B0;     // thiscall(say object, name, speaker, 0, volume)
inline constexpr uint32_t VoiceFileLoader = 0x001DB0;  // thiscall(sound manager, path, second)
inline constexpr uint32_t VoicePitchStep = 0x002A60;   // removes its two stack arguments
inline constexpr uint32_t AllocatorThunk = 0x327692;   // cdecl(byte count) -> block
inline constexpr uint32_t SecondThunk = 0x327732;      // same form; only checked

// Routines and callbacks that the stubs wrap or jump to.
inline constexpr uint32_t GoToJailCheck = 0x16A620;
inline constexpr uint32_t ViewModeChange = 0x142570;
inline constexpr uint32_t HeadTracking = 0x06F910;
inline constexpr uint32_t JournalPageCallback = 0x1D7260;
inline constexpr uint32_t OpenDocument = 0x213060;
inline constexpr uint32_t SendTextLine = 0x188BE0;
inline constexpr uint32_t OpenBook = 0x1AC2A0;
inline constexpr uint32_t BookPageCallbackA = 0x1AC970;
inline constexpr uint32_t BookPageCallbackB = 0x1AC8C0;
inline constexpr uint32_t DialogueText = 0x00B500;
inline constexpr uint32_t LeaveMenuMode = 0x195450;
inline constexpr uint32_t InventoryHint = 0x01CA50;
}  // namespace game_offsets
