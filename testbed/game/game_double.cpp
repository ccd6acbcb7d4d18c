#include "game/game_double.h"
#include "game/documents_double.h"

#include "game/camera_double.h"

#include <mmsystem.h>
#include <dsound.h>

#include <cstdio>
#include <cstring>

// The game image: the first thing in the executable's code section, so that
// it starts at image base + 0x1000 like the game's own code.  int3 wherever
// the double put nothing.
asm(".section .init,\"ax\"\n"
    ".globl _GameImage\n"
    "_GameImage:\n"
    ".fill 0x3D5000, 1, 0xCC\n"
    ".text\n");
extern "C" uint8_t GameImage[];

namespace game_double {
namespace {

// ---------------------------------------------------------------------------
// Harness: RunPlace loads the registers and jumps to the place; the exits
// store them back and return to RunPlace's caller.
extern "C" {
Cpu* volatile runOut;
uint32_t savedHostEsp;
uint32_t runEntry;
uint32_t exitPath;
uint32_t captureEax;
uint32_t __cdecl RunPlaceAsm(const Cpu* in, Cpu* out, uint32_t entry);
void CaptureFall();
void CaptureTaken();
void __cdecl RecordRoutineCall(uint32_t id, Cpu* frame);
}

asm(".text\n"
    ".globl _RunPlaceAsm\n"
    "_RunPlaceAsm:\n\t"
    "pushl %ebp\n\tpushl %ebx\n\tpushl %esi\n\tpushl %edi\n\t"
    "movl %esp, _savedHostEsp\n\t"
    "movl 20(%esp), %esi\n\t"      // in
    "movl 24(%esp), %eax\n\t"
    "movl %eax, _runOut\n\t"
    "movl 28(%esp), %eax\n\t"
    "movl %eax, _runEntry\n\t"
    "movl 12(%esi), %esp\n\t"      // the game's stack
    "pushl _runEntry\n\t"
    "pushl 32(%esi)\n\t"           // flags, popped last
    "movl 28(%esi), %eax\n\t"
    "movl 24(%esi), %ecx\n\t"
    "movl 20(%esi), %edx\n\t"
    "movl 16(%esi), %ebx\n\t"
    "movl 8(%esi), %ebp\n\t"
    "movl 0(%esi), %edi\n\t"
    "movl 4(%esi), %esi\n\t"
    "popfl\n\t"
    "ret\n"
    ".globl _CaptureTaken\n"
    "_CaptureTaken:\n\t"
    "movl $1, _exitPath\n\t"
    "jmp 1f\n"
    ".globl _CaptureFall\n"
    "_CaptureFall:\n\t"
    "movl $0, _exitPath\n"
    "1:\n\t"
    "movl %eax, _captureEax\n\t"
    "movl _runOut, %eax\n\t"
    "movl %edi, 0(%eax)\n\t"
    "movl %esi, 4(%eax)\n\t"
    "movl %ebp, 8(%eax)\n\t"
    "movl %esp, 12(%eax)\n\t"
    "movl %ebx, 16(%eax)\n\t"
    "movl %edx, 20(%eax)\n\t"
    "movl %ecx, 24(%eax)\n\t"
    "pushfl\n\t"
    "popl 32(%eax)\n\t"
    "movl _captureEax, %ecx\n\t"
    "movl %ecx, 28(%eax)\n\t"
    "movl _savedHostEsp, %esp\n\t"
    "popl %edi\n\tpopl %esi\n\tpopl %ebx\n\tpopl %ebp\n\t"
    "movl _exitPath, %eax\n\t"
    "ret\n");

// ---------------------------------------------------------------------------
// The game's routines: each records its registers and stack arguments, sets
// its result and removes as many argument bytes as the real one does.
#define GAME_ROUTINE(id, pop)                   \
  ".globl _GameRoutine" #id "\n"                \
  "_GameRoutine" #id ":\n\t"                    \
  "pushal\n\t"                                  \
  "pushl %esp\n\t"                              \
  "pushl $" #id "\n\t"                          \
  "call _RecordRoutineCall\n\t"                 \
  "addl $8, %esp\n\t"                           \
  "popal\n\t"                                   \
  "ret $" #pop "\n"

asm(".text\n"
    GAME_ROUTINE(0, 0)      // GoToJailCheck
    GAME_ROUTINE(1, 0)      // ViewModeChange: this in ECX
    GAME_ROUTINE(2, 8)      // HeadTracking: (tracking ref, looked-at ref), callee-cleaned
    GAME_ROUTINE(3, 0)      // JournalPageCallback: five arguments, cdecl
    GAME_ROUTINE(4, 0)      // OpenDocument: two arguments, cdecl
    GAME_ROUTINE(5, 8)      // SendTextLine: this, two arguments
    GAME_ROUTINE(6, 0)      // OpenBook: one argument, cdecl
    GAME_ROUTINE(7, 0)      // BookPageCallbackA: five, cdecl
    GAME_ROUTINE(8, 0)      // BookPageCallbackB: five, cdecl
    GAME_ROUTINE(9, 24)     // DialogueText: this, six arguments
    GAME_ROUTINE(10, 0)     // LeaveMenuMode: this
    GAME_ROUTINE(11, 8)     // VoiceFileLoader: this, path, second
    GAME_ROUTINE(12, 0)     // InventoryHint
    GAME_ROUTINE(13, 8)     // VoicePitchStep: sound, second
    GAME_ROUTINE(14, 4)     // SetFieldOfView: this, float
    GAME_ROUTINE(15, 16)    // VoiceVolumeQuery: this, 0, 1.0f, 1, 0
    GAME_ROUTINE(16, 16)    // SayVoiceFile: this, name, speaker, 0, volume
);
extern "C" void GameRoutine0(), GameRoutine1(), GameRoutine2(), GameRoutine3(), GameRoutine4(), GameRoutine5(),
    GameRoutine6(), GameRoutine7(), GameRoutine8(), GameRoutine9(), GameRoutine10(), GameRoutine11(),
    GameRoutine12(), GameRoutine13(), GameRoutine14(), GameRoutine15(), GameRoutine16();

struct RoutineInfo {
  uint32_t offset;
  void (*body)();
  uint32_t argBytes;
};
const RoutineInfo Routines[RoutineCount] = {
    {0x16A620, GameRoutine0, 0},  {0x142570, GameRoutine1, 0},   {0x06F910, GameRoutine2, 8},
    {0x1D7260, GameRoutine3, 0},  {0x213060, GameRoutine4, 0},   {0x188BE0, GameRoutine5, 8},
    {0x1AC2A0, GameRoutine6, 0},  {0x1AC970, GameRoutine7, 0},   {0x1AC8C0, GameRoutine8, 0},
    {0x00B500, GameRoutine9, 24}, {0x195450, GameRoutine10, 0},  {0x001DB0, GameRoutine11, 8},
    {0x01CA50, GameRoutine12, 0}, {0x002A60, GameRoutine13, 8},  {0x10F8C0, GameRoutine14, 4},
    {0x10E450, GameRoutine15, 16}, {0x08C2B0, GameRoutine16, 16},
};
RoutineCall calls[RoutineCount];
uint32_t resultOverride[RoutineCount];
bool resultOverridden[RoutineCount];

// Object memory.
alignas(16) uint8_t gameMaster[0x400], menuController[0x80], playerList[0x40], playerMobile[0x600],
    playerRef[0x80], partnerMobile[0x600], partnerRef[0x80], viewController[0x100], soundRecord[0x60],
    soundFormat[0x20], soundManager[0x300];
uint8_t* playerSlot;
World world{gameMaster, menuController, playerList, playerMobile, playerRef, partnerMobile, partnerRef,
            viewController, soundRecord, soundFormat, soundManager};

template <typename T>
void Put(uint8_t* object, uint32_t offset, T value) {
  std::memcpy(object + offset, &value, sizeof value);
}
uint32_t Addr(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

float viewSwitchFov = 50.0f;

void* __cdecl GameAllocate(uint32_t bytes);
uint32_t LoadVoiceFile(uint8_t* manager, const char* path);
void Say(uint32_t manager, const char* name, uint32_t speaker, uint32_t second, uint32_t volume);

// The view-mode routine resets the field of view, as a first/third person
// switch does; the set-field-of-view routine stores what it is given.  The
// loader makes a record of a voice file the double has on disk, and the say
// routine does what the game's does.  True when the effect set eax itself.
bool RoutineEffect(uint32_t id, Cpu* frame, const uint32_t* stack) {
  DocumentRoutineEffect(static_cast<Routine>(id), stack);
  if (id == ViewModeChange) Put(gameMaster, 0x13C, viewSwitchFov);
  if (id == SetFieldOfView) std::memcpy(reinterpret_cast<uint8_t*>(frame->ecx) + 8, &stack[1], 4);
  if (id == VoiceFileLoader) {
    // A file the double does not have: no record, as the game's loader gives.
    frame->eax = LoadVoiceFile(reinterpret_cast<uint8_t*>(frame->ecx), reinterpret_cast<const char*>(stack[1]));
    return true;
  }
  if (id == SayVoiceFile) Say(frame->ecx, reinterpret_cast<const char*>(stack[1]), stack[2], stack[3], stack[4]);
  return false;
}

// ---------------------------------------------------------------------------
// The places.  Each: the game's bytes (signature first), then where the
// continuation hands back to the harness.  Offsets of exits are from the place.
enum : uint8_t { None = 0xFF };
struct Place {
  uint32_t offset;
  uint8_t bytes[16];
  uint8_t size;
  uint8_t fallAt;         // jmp CaptureFall written here
  uint8_t takenAt;        // jmp CaptureTaken written here (branch target), or None
  int32_t innerRoutineAt; // a routine called by the game's code after the place: ret n
  uint16_t innerPop;
  uint32_t absoluteAt;    // byte index of an absolute game address (GameBase + absoluteOffset), or 0
  uint32_t absoluteOffset;
};
constexpr int32_t NoInner = 0x7FFFFFFF;

// clang-format off
const Place Places[] = {
  // 1: mov al,[ebp+0x5B2] / test al,al / jnz +0x10
  {0x169264, {0x8A,0x85,0xB2,0x05,0x00,0x00, 0x84,0xC0, 0x0F,0x85,0x10,0x00,0x00,0x00}, 14, 14, 0x1E, NoInner, 0, 0, 0},
  // 2: test al,al / mov [esp+0x20],ebx / je +0xA4
  {0x169148, {0x84,0xC0, 0x89,0x5C,0x24,0x20, 0x0F,0x84,0xA4,0x00,0x00,0x00}, 12, 12, 0xB0, NoInner, 0, 0, 0},
  // 3: mov [esp+0x1C],ecx / mov ecx,[eax+0x4C] / push 0 / call +0x20 (ret 4)
  {0x169120, {0x89,0x4C,0x24,0x1C, 0x8B,0x48,0x4C, 0x6A,0x00, 0xE8,0x12,0x00,0x00,0x00}, 14, 14, None, 0x20, 4, 0, 0},
  // 4: call 0x16A620 / mov ecx,edi / call 0x1672C0 (ret)
  {0x167F9D, {0xE8,0x7E,0x26,0x00,0x00, 0x8B,0xCF, 0xE8,0x17,0xF3,0xFF,0xFF}, 12, 12, None, 12 - 0xCE9, 0, 0, 0},
  // 5: mov dx,[0x7D3442] / push edx / call +0xD6 (ret 4)
  {0x12935A, {0x66,0x8B,0x15,0x42,0x34,0x7D,0x00, 0x52, 0xE8,0xC9,0x00,0x00,0x00}, 13, 13, None, 0xD6, 4, 0, 0},
  // 6: call 0x142570 / mov ecx,[esi+0x38] / call +0xF9 (ret)
  {0x143A17, {0xE8,0x54,0xEB,0xFF,0xFF, 0x8B,0x4E,0x38, 0xE8,0xEC,0x00,0x00,0x00}, 13, 13, None, 0xF9, 0, 0, 0},
  // 7: mov ecx,[eax+0x2E4] / test byte [ecx+0x24],8 / jnz +5
  {0x121D7D, {0x8B,0x88,0xE4,0x02,0x00,0x00, 0xF6,0x41,0x24,0x08, 0x75,0x05}, 12, 12, 17, NoInner, 0, 0, 0},
  // 8: fnstsw ax / test ah,0x41 / je +0x11 / mov [esi+0xB0],ebx
  {0x12EB76, {0xDF,0xE0, 0xF6,0xC4,0x41, 0x74,0x11, 0x89,0x9E,0xB0,0x00,0x00,0x00}, 13, 13, 0x18, NoInner, 0, 0, 0},
  // 9: call 0x6F910 / mov edi,[edi+4] / test edi,edi / je +5
  {0x16F68B, {0xE8,0x80,0x02,0xF0,0xFF, 0x8B,0x7F,0x04, 0x85,0xFF, 0x74,0x05}, 12, 12, 17, NoInner, 0, 0, 0},
  // 10: push 0x5D7260 / push 0xFFFF8044
  {0x1D644E, {0x68,0x60,0x72,0x5D,0x00, 0x68,0x44,0x80,0xFF,0xFF}, 10, 10, None, NoInner, 0, 0, 0},
  {0x1D6377, {0x68,0x60,0x72,0x5D,0x00, 0x68,0x44,0x80,0xFF,0xFF}, 10, 10, None, NoInner, 0, 0, 0},
  // 11: call 0x213060 / add esp,8 / mov ecx,esi
  {0x2138FB, {0xE8,0x60,0xF7,0xFF,0xFF, 0x83,0xC4,0x08, 0x8B,0xCE}, 10, 10, None, NoInner, 0, 0, 0},
  // 12: call 0x188BE0 / mov ebx,eax / push 0x80CF
  {0x21375E, {0xE8,0x7D,0x54,0xF7,0xFF, 0x8B,0xD8, 0x68,0xCF,0x80,0x00,0x00}, 12, 12, None, NoInner, 0, 0, 0},
  //     call 0x188BE0 / mov ebx,eax / mov eax,[ebp+0x20]
  {0x21378C, {0xE8,0x4F,0x54,0xF7,0xFF, 0x8B,0xD8, 0x8B,0x45,0x20}, 10, 10, None, NoInner, 0, 0, 0},
  // 13: call 0x1AC2A0 / add esp,4 / pop ebp / pop ecx
  {0x0A2A15, {0xE8,0x86,0x98,0x10,0x00, 0x83,0xC4,0x04, 0x5D, 0x59}, 10, 10, None, NoInner, 0, 0, 0},
  // 14: call 0x188BE0 / mov esi,eax / push 0x80CF
  {0x1AD9AF, {0xE8,0x2C,0xB2,0xFD,0xFF, 0x8B,0xF0, 0x68,0xCF,0x80,0x00,0x00}, 12, 12, None, NoInner, 0, 0, 0},
  //     call 0x188BE0 / xor ecx,ecx / mov cx,[0x7D3442]
  {0x1ADAB3, {0xE8,0x28,0xB1,0xFD,0xFF, 0x33,0xC9, 0x66,0x8B,0x0D,0,0,0,0}, 14, 14, None, NoInner, 0, 10, 0x3D3442},
  // 15: push 0x5AC970 / push 0xFFFF8037 (and the three others)
  {0x1AC36B, {0x68,0x70,0xC9,0x5A,0x00, 0x68,0x37,0x80,0xFF,0xFF}, 10, 10, None, NoInner, 0, 0, 0},
  {0x1ABE9C, {0x68,0x70,0xC9,0x5A,0x00, 0x68,0x35,0x80,0xFF,0xFF}, 10, 10, None, NoInner, 0, 0, 0},
  {0x1AC358, {0x68,0xC0,0xC8,0x5A,0x00, 0x68,0x36,0x80,0xFF,0xFF}, 10, 10, None, NoInner, 0, 0, 0},
  {0x1ABCBF, {0x68,0xC0,0xC8,0x5A,0x00, 0x68,0x35,0x80,0xFF,0xFF}, 10, 10, None, NoInner, 0, 0, 0},
  // 16: call 0xB500 / pop edi / pop esi / ret 0x2C
  {0x00BE32, {0xE8,0xC9,0xF6,0xFF,0xFF, 0x5F, 0x5E, 0xC2,0x2C,0x00}, 10, None, None, NoInner, 0, 0, 0},
  // 17: call 0x195450 / mov ecx,[esp+0x14] / pop edi
  {0x1951AB, {0xE8,0xA0,0x02,0x00,0x00, 0x8B,0x4C,0x24,0x14, 0x5F}, 10, 10, None, NoInner, 0, 0, 0},
  // 18: mov al,[ecx+0xD6] / test al,al / jnz +5
  {0x01B3AF, {0x8A,0x81,0xD6,0x00,0x00,0x00, 0x84,0xC0, 0x0F,0x85,0x05,0x00,0x00,0x00}, 14, 14, 19, NoInner, 0, 0, 0},
  // 19: mov ecx,[0x7D2B14] / test ecx,ecx / push esi / je +5
  {0x1AD630, {0x8B,0x0D,0,0,0,0, 0x85,0xC9, 0x56, 0x74,0x05}, 11, 11, 16, NoInner, 0, 2, 0x3D2B14},
  // 20: mov edx,[ecx+0x2E4] / mov [edx+0x3C],ax
  {0x195244, {0x8B,0x91,0xE4,0x02,0x00,0x00, 0x66,0x89,0x42,0x3C}, 10, 10, None, NoInner, 0, 0, 0},
  // 21: call 0x1DB0 / push esi / mov ebp,eax / call +0xC7 (ret 4)
  {0x08C369, {0xE8,0x42,0x5A,0xF7,0xFF, 0x56, 0x8B,0xE8, 0xE8,0xBA,0x00,0x00,0x00}, 13, 13, None, 0xC7, 4, 0, 0},
  // 22: mov cl,[eax+0xD6] / test cl,cl / jnz +5
  {0x11C896, {0x8A,0x88,0xD6,0x00,0x00,0x00, 0x84,0xC9, 0x0F,0x85,0x05,0x00,0x00,0x00}, 14, 14, 19, NoInner, 0, 0, 0},
  // 23: mov al,[esi+0xD6] / test al,al / jnz +5
  {0x00F68D, {0x8A,0x86,0xD6,0x00,0x00,0x00, 0x84,0xC0, 0x0F,0x85,0x05,0x00,0x00,0x00}, 14, 14, 19, NoInner, 0, 0, 0},
  // 24: mov cl,[eax+0xD6] / jnz +0x13 (flags from before) / test cl,cl
  {0x0388D0, {0x8A,0x88,0xD6,0x00,0x00,0x00, 0x75,0x13, 0x84,0xC9}, 10, 10, 0x1B, NoInner, 0, 0, 0},
  // 25: mov cl,[eax+0xD6] / add esp,4 / test cl,cl
  {0x1EB7BC, {0x8A,0x88,0xD6,0x00,0x00,0x00, 0x83,0xC4,0x04, 0x84,0xC9}, 11, 11, None, NoInner, 0, 0, 0},
  // 26: mov al,[ecx+0xD6] / test al,al / jnz +5
  {0x06F420, {0x8A,0x81,0xD6,0x00,0x00,0x00, 0x84,0xC0, 0x0F,0x85,0x05,0x00,0x00,0x00}, 14, 14, 19, NoInner, 0, 0, 0},
  // 27: mov cl,[eax+0x5B0] / test cl,cl / jnz +5
  {0x194C1D, {0x8A,0x88,0xB0,0x05,0x00,0x00, 0x84,0xC9, 0x0F,0x85,0x05,0x00,0x00,0x00}, 14, 14, 19, NoInner, 0, 0, 0},
  // 28: call 0x1CA50 / call 0x23FC50 (ret)
  {0x01B3D6, {0xE8,0x75,0x16,0x00,0x00, 0xE8,0x70,0x48,0x22,0x00}, 10, 10, None, 10 + 0x224870, 0, 0, 0},
  // 29: call 0x2A60 / mov eax,[0x7C67DC]
  {0x08C6B6, {0xE8,0xA5,0x63,0xF7,0xFF, 0xA1,0xDC,0x67,0x7C,0x00}, 10, 10, None, NoInner, 0, 0, 0},
  // Data places: jmp [slot] import thunks (the allocator, then a neighbour).
  {0x327692, {0xFF,0x25,0,0,0,0, 0xFF,0x25,0,0,0,0}, 12, None, None, NoInner, 0, 2, 0x3C7000},
  {0x327732, {0xFF,0x25,0,0,0,0, 0xFF,0x25,0,0,0,0}, 12, None, None, NoInner, 0, 2, 0x3C7008},
};
// clang-format on
constexpr uint32_t PlaceCount = sizeof Places / sizeof Places[0];
uint8_t placeBytes[PlaceCount][16];
PlaceBytes placeViews[PlaceCount];

// The import slots the thunks read, and what they lead to.
constexpr uint32_t ImportSlots = 0x3C7000;
void* __cdecl GameAllocate(uint32_t bytes) { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes); }
void __cdecl GameFree(void* block) { HeapFree(GetProcessHeap(), 0, block); }

void WriteJump(uint8_t* at, uint8_t opcode, const void* target) {
  at[0] = opcode;
  const int32_t rel = static_cast<int32_t>(reinterpret_cast<uintptr_t>(target) - reinterpret_cast<uintptr_t>(at + 5));
  std::memcpy(at + 1, &rel, 4);
}

// ObjectRef slot 72 and SceneNode slot 23.
float __thiscall RefScale(void*) { return 1.25f; }
void* __thiscall FindNode(void*, const char*) { return nullptr; }
void* refVtable[80];
void* nodeVtable[32];

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

// ---------------------------------------------------------------------------
// Voice files.  The game's loader reads a 16-bit mono WAV the double finds
// on disk (relative to the current folder) into a record of the game's
// layout: buffer +0x00, format +0x08, buffer description +0x1C (its format
// pointer at +0x2C), peaks +0x44 (none for the double's own files).
uint32_t LoadVoiceFile(uint8_t* manager, const char* path) {
  if (!manager || !path) return 0;
  HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 0;
  const DWORD size = GetFileSize(f, nullptr);
  uint8_t* file = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, size ? size : 1));
  DWORD got = 0;
  ReadFile(f, file, size, &got, nullptr);
  CloseHandle(f);
  const uint8_t* fmt = nullptr;
  const uint8_t* data = nullptr;
  uint32_t dataBytes = 0;
  for (uint32_t at = 12; got >= 12 && !std::memcmp(file, "RIFF", 4) && at + 8 <= got;) {
    uint32_t chunk;
    std::memcpy(&chunk, file + at + 4, 4);
    if (!std::memcmp(file + at, "fmt ", 4)) fmt = file + at + 8;
    if (!std::memcmp(file + at, "data", 4)) {
      data = file + at + 8;
      dataBytes = chunk <= got - at - 8 ? chunk : got - at - 8;
    }
    at += 8 + chunk + (chunk & 1);
  }
  uint8_t* record = nullptr;
  IDirectSound* sound = nullptr;
  if (fmt && data) std::memcpy(&sound, manager + 0x0C, 4);  // the manager is read for a real file only
  if (sound) {
    record = static_cast<uint8_t*>(GameAllocate(0x58));
    std::memcpy(record + 0x08, fmt, 16);  // WAVEFORMATEX without the extra size
    DSBUFFERDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
    d.dwBufferBytes = dataBytes ? dataBytes : 4;
    d.lpwfxFormat = reinterpret_cast<WAVEFORMATEX*>(record + 0x08);
    std::memcpy(record + 0x1C, &d, sizeof d);
    IDirectSoundBuffer* buffer = nullptr;
    if (SUCCEEDED(sound->CreateSoundBuffer(&d, &buffer, nullptr)) && buffer) {
      void* p;
      DWORD n;
      if (SUCCEEDED(buffer->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER))) {
        std::memcpy(p, data, dataBytes < n ? dataBytes : n);
        buffer->Unlock(p, n, nullptr, 0);
      }
      std::memcpy(record, &buffer, 4);
    }
  }
  HeapFree(GetProcessHeap(), 0, file);
  return Addr(record);
}

struct SectionLock {
  SectionLock() { InitializeCriticalSection(&section); }
  CRITICAL_SECTION section;
};
CRITICAL_SECTION& SayLock() {
  static SectionLock lock;
  return lock.section;
}
constexpr uint32_t MaxSays = 256;
SayEntry says[MaxSays];
volatile LONG sayCount;

// What the game's say routine does with a voice file, reduced to the parts
// the plug-in meets: the path goes to the loader call (this = the manager),
// a record that comes back goes to the pitch step call with the file name in
// edi, and its buffer is played.  Both calls are the game's code in the
// image, so whatever is written at those places runs.
void Say(uint32_t manager, const char* name, uint32_t speaker, uint32_t second, uint32_t volume) {
  SayEntry e{};
  lstrcpynA(e.name, name ? name : "", sizeof e.name);
  e.speaker = speaker;
  e.volume = volume;
  char path[MAX_PATH];
  wsprintfA(path, "Sound\\%s", e.name);
  // The game's stack for the two calls: on the heap, well away from ours.
  constexpr uint32_t StackWords = 65536;
  uint32_t* stack = static_cast<uint32_t*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, StackWords * 4));
  uint32_t* top = stack + StackWords - 64;

  const uint32_t loaderBefore = calls[VoiceFileLoader].count, pitchBefore = calls[VoicePitchStep].count;
  Cpu in{}, out{};
  in.eflags = 0x202;
  in.ecx = manager;
  in.esi = speaker;
  in.edi = Addr(e.name);
  top[0] = Addr(path);
  top[1] = second;
  in.esp = Addr(top);
  RunPlace(Base() + 0x08C369, in, out);
  e.record = out.ebp;  // mov ebp, eax after the call
  if (e.record) {
    top[0] = e.record;
    top[1] = second;
    in.esp = Addr(top);
    RunPlace(Base() + 0x08C6B6, in, out);
  }
  e.gameLoader = calls[VoiceFileLoader].count != loaderBefore;
  e.pitchStep = calls[VoicePitchStep].count != pitchBefore;
  HeapFree(GetProcessHeap(), 0, stack);

  IDirectSoundBuffer* buffer = nullptr;
  if (e.record) std::memcpy(&buffer, reinterpret_cast<void*>(e.record), 4);
  if (buffer) {
    // Played as soon as it is loaded; what the double keeps of it for its
    // report and recording is copied while it plays, so that the copy adds
    // nothing to the silence before a line.
    e.startTick = GetTickCount();
    buffer->Play(0, 0, 0);
    e.buffer = Addr(buffer);
    const auto* record = reinterpret_cast<const uint8_t*>(e.record);
    const auto* format = *reinterpret_cast<WAVEFORMATEX* const*>(record + 0x2C);
    e.formatRate = format ? format->nSamplesPerSec : 0;
    DWORD frequency = 0;
    buffer->GetFrequency(&frequency);
    e.frequency = frequency;
    void* p;
    DWORD n;
    if (SUCCEEDED(buffer->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER))) {
      auto* copy = static_cast<int16_t*>(HeapAlloc(GetProcessHeap(), 0, n + 2));
      std::memcpy(copy, p, n);
      buffer->Unlock(p, n, nullptr, 0);
      e.pcm = copy;
      e.bytes = n;
    }
    const int16_t* peaks = *reinterpret_cast<int16_t* const*>(record + 0x44);
    if (peaks) {
      e.peakCount = e.bytes / 2304;
      for (uint32_t i = 0; i < e.peakCount; ++i) {
        const int32_t m = peaks[i] < 0 ? -peaks[i] : peaks[i];
        if (m > e.peakMax) e.peakMax = m;
      }
    }
  }
  EnterCriticalSection(&SayLock());
  if (sayCount < static_cast<LONG>(MaxSays)) {
    says[sayCount] = e;
    InterlockedIncrement(&sayCount);
  }
  LeaveCriticalSection(&SayLock());
}

}  // namespace

extern "C" void __cdecl RecordRoutineCall(uint32_t id, Cpu* frame) {
  RoutineCall& c = calls[id];
  // The pushad frame holds eight registers; the return address follows.
  const uint32_t* stack = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(frame) + 32);
  c.count++;
  std::memcpy(&c.regs, frame, 32);
  c.regs.esp = frame->esp;  // pushad stored esp as it was before it ran: at the return address
  c.returnAddress = stack[0];
  std::memcpy(c.args, stack + 1, sizeof c.args);
  if (!RoutineEffect(id, frame, stack)) frame->eax = RoutineResult(static_cast<Routine>(id));
}

uintptr_t Base() { return reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr)); }

uint32_t RoutineOffset(Routine r) { return Routines[r].offset; }
uint32_t RoutineResult(Routine r) { return resultOverridden[r] ? resultOverride[r] : 0x5EED0000u + 0x100u * r; }
void SetRoutineResult(Routine r, uint32_t value) {
  resultOverride[r] = value;
  resultOverridden[r] = true;
}
uint32_t RoutineArgBytes(Routine r) { return Routines[r].argBytes; }
const RoutineCall& LastCall(Routine r) { return calls[r]; }
void ResetCalls() { std::memset(calls, 0, sizeof calls); }
World& Objects() { return world; }
void SetViewSwitchFov(float fov) { viewSwitchFov = fov; }
void SetPlayerPresent(bool present) { Put(gameMaster, 0x5C, present ? Addr(playerList) : 0u); }
uintptr_t FallExitAddress() { return reinterpret_cast<uintptr_t>(&CaptureFall); }

uint32_t SayCount() { return static_cast<uint32_t>(sayCount); }
SayEntry GetSay(uint32_t index) {
  EnterCriticalSection(&SayLock());
  SayEntry e = index < static_cast<uint32_t>(sayCount) ? says[index] : SayEntry{};
  LeaveCriticalSection(&SayLock());
  return e;
}

// The harness keeps its state in globals: one run at a time, whichever
// thread (the game's or the plug-in's worker, through the say routine) asks.
CRITICAL_SECTION& RunLock() {
  struct SectionLock {
    SectionLock() { InitializeCriticalSection(&section); }
    CRITICAL_SECTION section;
  };
  static SectionLock lock;
  return lock.section;
}

// A routine of the double may run places itself (a page laid out line by
// line): the inner run keeps the outer one's way back.
uint32_t RunPlace(uintptr_t entry, const Cpu& in, Cpu& out) {
  EnterCriticalSection(&RunLock());
  Cpu* const outerOut = runOut;
  const uint32_t outerEsp = savedHostEsp;
  const uint32_t path = RunPlaceAsm(&in, &out, static_cast<uint32_t>(entry));
  runOut = outerOut;
  savedHostEsp = outerEsp;
  LeaveCriticalSection(&RunLock());
  return path;
}

const PlaceBytes* FindPlace(uint32_t offset) {
  for (const PlaceBytes& p : placeViews)
    if (p.offset == offset) return &p;
  return nullptr;
}

const PlaceBytes* AllPlaces(uint32_t* count) {
  *count = PlaceCount;
  return placeViews;
}

void PokeImage(uint32_t offset, const void* bytes, uint32_t size) {
  DWORD old;
  VirtualProtect(At(offset), size, PAGE_EXECUTE_READWRITE, &old);
  std::memcpy(At(offset), bytes, size);
  VirtualProtect(At(offset), size, old, &old);
  FlushInstructionCache(GetCurrentProcess(), At(offset), size);
}

void BuildGameImage() {
  static bool built = false;
  if (built) return;
  built = true;
  uint8_t* image = At(0x1000);
  DWORD old;
  VirtualProtect(image, ImageEnd - 0x1000, PAGE_EXECUTE_READWRITE, &old);

  for (const RoutineInfo& r : Routines) WriteJump(At(r.offset), 0xE9, reinterpret_cast<void*>(r.body));
  for (uint32_t i = 0; i < PlaceCount; ++i) {
    const Place& p = Places[i];
    std::memcpy(placeBytes[i], p.bytes, p.size);
    if (p.absoluteAt) Put(placeBytes[i], p.absoluteAt, static_cast<uint32_t>(Base() + p.absoluteOffset));
    if (p.offset == 0x327692 || p.offset == 0x327732)
      Put(placeBytes[i], 8, static_cast<uint32_t>(Base() + p.absoluteOffset + 4));
    std::memcpy(At(p.offset), placeBytes[i], p.size);
    placeViews[i] = {p.offset, placeBytes[i], p.size};
    if (p.fallAt != None) WriteJump(At(p.offset + p.fallAt), 0xE9, reinterpret_cast<void*>(&CaptureFall));
    if (p.takenAt != None) WriteJump(At(p.offset + p.takenAt), 0xE9, reinterpret_cast<void*>(&CaptureTaken));
    if (p.innerRoutineAt != NoInner) {
      uint8_t* r = At(p.offset + p.innerRoutineAt);
      if (p.innerPop) {
        r[0] = 0xC2;
        std::memcpy(r + 1, &p.innerPop, 2);
      } else {
        r[0] = 0xC3;
      }
    }
  }
  Put(At(ImportSlots), 0, Addr(reinterpret_cast<void*>(&GameAllocate)));
  Put(At(ImportSlots), 4, Addr(reinterpret_cast<void*>(&GameFree)));
  Put(At(ImportSlots), 8, Addr(reinterpret_cast<void*>(&GameAllocate)));
  Put(At(ImportSlots), 12, Addr(reinterpret_cast<void*>(&GameFree)));
  BuildObjects();

  // Code read-execute like the game's; the compass place's page stays
  // writable so the writer's path without a protection change is used too.
  VirtualProtect(image, 0x3C6000 - 0x1000, PAGE_EXECUTE_READ, &old);
  VirtualProtect(At(0x1EB000), 0x1000, PAGE_EXECUTE_READWRITE, &old);
  VirtualProtect(At(0x3C6000), ImageEnd - 0x3C6000, PAGE_READWRITE, &old);
  FlushInstructionCache(GetCurrentProcess(), image, ImageEnd - 0x1000);
}

}  // namespace game_double
