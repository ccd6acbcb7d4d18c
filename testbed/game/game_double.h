// The game double: the parts of Morrowind.exe 1.6.1820 the plug-in touches,
// laid out at the game's offsets inside the executable that links this
// library (linked at 0x400000, so GetModuleHandleA(NULL) is the game base).
//
//   - the code places of the hook catalogue and the two data places, each
//     with its signature, plausible bytes under the wildcards, and a
//     continuation that hands the registers back to the harness;
//   - the game routines the places call and the plug-in calls, recording how
//     they were called;
//   - the game objects reachable from the globals;
//   - RunPlace: runs one place as the game's code would reach it.
#pragma once
#include <windows.h>

#include <cstdint>

namespace game_double {

inline constexpr uint32_t ImageEnd = 0x3D6000;  // the game image spans [0x1000, ImageEnd)

// Fills the image and sets page protections: code read-execute (one page
// already writable, the compass place's), globals read-write.
void BuildGameImage();
uintptr_t Base();
template <typename T = uint8_t>
T* At(uint32_t offset) {
  return reinterpret_cast<T*>(Base() + offset);
}

// The game's bytes at a place, as the double wrote them (signature first).
struct PlaceBytes {
  uint32_t offset;
  const uint8_t* bytes;
  uint32_t size;
};
const PlaceBytes* FindPlace(uint32_t offset);
const PlaceBytes* AllPlaces(uint32_t* count);
// Writes bytes into the image whatever the page protection (test setup).
void PokeImage(uint32_t offset, const void* bytes, uint32_t size);

// The game's routines: where they are, and the last call each received.
enum Routine : uint32_t {
  GoToJailCheck, ViewModeChange, HeadTracking, JournalPageCallback, OpenDocument, SendTextLine, OpenBook,
  BookPageCallbackA, BookPageCallbackB, DialogueText, LeaveMenuMode, VoiceFileLoader, InventoryHint,
  VoicePitchStep, SetFieldOfView, VoiceVolumeQuery, SayVoiceFile, RoutineCount
};
uint32_t RoutineOffset(Routine r);
uint32_t RoutineResult(Routine r);   // what the routine returns in eax
void SetRoutineResult(Routine r, uint32_t value);
uint32_t RoutineArgBytes(Routine r); // stack bytes the routine removes itself

// Registers in pushad order, then the flags.
struct Cpu {
  uint32_t edi, esi, ebp, esp, ebx, edx, ecx, eax;
  uint32_t eflags;
};

struct RoutineCall {
  uint32_t count;
  Cpu regs;               // at entry (esp: pointing at the return address)
  uint32_t returnAddress;
  uint32_t args[8];
};
const RoutineCall& LastCall(Routine r);
void ResetCalls();

// The game's objects (raw memory; offsets written here by hand, independently
// of the plug-in's layouts).
struct World {
  uint8_t* gameMaster;
  uint8_t* menuController;
  uint8_t* playerList;
  uint8_t* playerMobile;
  uint8_t* playerRef;
  uint8_t* partnerMobile;
  uint8_t* partnerRef;
  uint8_t* viewController;
  uint8_t* soundRecord;   // a voice-sound record: +0x2C -> format, rate at +4
  uint8_t* soundFormat;
  uint8_t* soundManager;  // held at +0x3C67E0: bytes +0x04, +0x18, +0x2A8, IDirectSound* at +0x0C
};
World& Objects();
void SetPlayerPresent(bool present);  // GameMaster +0x5C set or null
// The field of view the view-mode routine sets (50 unless set).
void SetViewSwitchFov(float fov);

// Runs the code at `entry` with the registers, flags and stack pointer of
// `in` until it reaches one of the continuation exits; `out` receives the
// registers, flags and stack pointer there.  Returns 0 for the fall-through
// exit, 1 for the branch-taken exit.
uint32_t RunPlace(uintptr_t entry, const Cpu& in, Cpu& out);
uintptr_t FallExitAddress();    // where a return into the harness lands

// The say routine (+0x8C2B0) runs the game's code around the loader call
// (+0x8C369) and the pitch step call (+0x8C6B6), then plays the record's
// buffer.  Every call leaves one entry here, in call order.
struct SayEntry {
  char name[64];
  uint32_t speaker;
  uint32_t volume;
  uint32_t record;          // what the loader call handed back
  uint32_t buffer;          // the record's IDirectSoundBuffer*, or 0
  bool gameLoader;          // the game's own loader ran for it
  bool pitchStep;           // the game's pitch step ran for it
  uint32_t formatRate;      // the buffer's format
  uint32_t frequency;       // as the buffer plays (after any SetFrequency)
  uint32_t bytes;
  uint32_t peakCount;       // entries of the record's peak array (0 without one)
  int32_t peakMax;          // greatest magnitude among them
  const int16_t* pcm;       // a copy of the buffer's 16-bit mono samples, kept for the process
  DWORD startTick;
};
uint32_t SayCount();
SayEntry GetSay(uint32_t index);

}  // namespace game_double
