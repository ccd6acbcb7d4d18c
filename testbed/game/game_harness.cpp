// The game double's harness: the image the game's code lives in, RunPlace
// (registers in, a jump to the place, registers back at its exits), and the
// game's routines, each recording its call and answering for the game.
#include "game/game_double_parts.h"
#include "game/documents_double.h"

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
namespace detail {
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

}  // namespace

const RoutineInfo Routines[RoutineCount] = {
    {0x16A620, GameRoutine0, 0},  {0x142570, GameRoutine1, 0},   {0x06F910, GameRoutine2, 8},
    {0x1D7260, GameRoutine3, 0},  {0x213060, GameRoutine4, 0},   {0x188BE0, GameRoutine5, 8},
    {0x1AC2A0, GameRoutine6, 0},  {0x1AC970, GameRoutine7, 0},   {0x1AC8C0, GameRoutine8, 0},
    {0x00B500, GameRoutine9, 24}, {0x195450, GameRoutine10, 0},  {0x001DB0, GameRoutine11, 8},
    {0x01CA50, GameRoutine12, 0}, {0x002A60, GameRoutine13, 8},  {0x10F8C0, GameRoutine14, 4},
    {0x10E450, GameRoutine15, 16}, {0x08C2B0, GameRoutine16, 16},
};
RoutineCall calls[RoutineCount];
void* CaptureFallAddress() { return reinterpret_cast<void*>(&CaptureFall); }
void* CaptureTakenAddress() { return reinterpret_cast<void*>(&CaptureTaken); }

namespace {
uint32_t resultOverride[RoutineCount];
bool resultOverridden[RoutineCount];

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

}  // namespace
}  // namespace detail

using namespace detail;

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
uintptr_t FallExitAddress() { return reinterpret_cast<uintptr_t>(&CaptureFall); }

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

}  // namespace game_double
