// Entry stubs of the hook catalogue.  Each does the least in assembly: keep
// what the game's code around the place relies on, call a C++ handler, go on.
// Conventions: a stub entered by the call written at the place sees its own
// return address on top, so the game's [esp+n] is the stub's [esp+n+4].  Every
// game address is computed from GameBase at run time.  "Jump to the target"
// pushes GameBase + offset and returns into it, which leaves every register
// as the game had it, so the target runs and returns straight to the game.
#include "plugin/patching/hook_stubs.h"

#include <cstddef>

#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/dialogue_camera.h"
#include "plugin/game/dialogue_capture.h"
#include "plugin/game/documents.h"
#include "plugin/game/game_access.h"
#include "plugin/game/game_offsets.h"
#include "plugin/game/game_state.h"
#include "plugin/game/menu_pause.h"
#include "plugin/game/voice_pitch_gate.h"
#include "plugin/speech/speaker_buffer_table.h"

#define STUB extern "C" __attribute__((naked, used)) void
// Needs the operands [base] (&GameBase) and [target] (the offset).
#define JUMP_TO_TARGET "pushl %c[base]\n\taddl %[target], (%%esp)\n\tret\n\t"

// A call gated by the menu phase: while MenuPhase.open is set the call is
// skipped and eax = MenuPhase.open; otherwise the routine at `routine` runs with
// every register as the game left it.
#define MENU_PHASE_GATE(routine)                                                   \
  asm("pushl %%eax\n\t"                                                           \
      "movl %c[flag], %%eax\n\t"                                                  \
      "testl %%eax, %%eax\n\t"                                                    \
      "jz 1f\n\t"                                                                 \
      "addl $4, %%esp\n\t"                                                        \
      "ret\n"                                                                      \
      "1:\n\t"                                                                    \
      "popl %%eax\n\t" JUMP_TO_TARGET::[flag] "i"(&MenuPhase.open), [base] "i"(&GameBase), \
      [target] "i"(routine))

// A byte load made into a filter: `out` (a 32-bit register) = bit 0 of the
// byte at `from` while `keep_when` holds for `setting` ("jne": it is set,
// "je": it is 0), otherwise 0.  Flags kept.
#define MENU_BYTE_FILTER(from, out, keep_when, setting)                              \
  asm("pushfl\n\t"                                                                \
      "movzbl " from ", %%" out "\n\t"                                            \
      "andl $1, %%" out "\n\t"                                                    \
      "cmpl $0, %c[flag]\n\t" keep_when " 1f\n\t"                                 \
      "xorl %%" out ", %%" out "\n"                                                \
      "1:\n\t"                                                                    \
      "popfl\n\t"                                                                 \
      "ret" ::[flag] "i"(setting))


// 1: replaces `mov al, [ebp+0x5B2]` (mouse look disabled).  al = that byte XOR
// Dialogue.turnActive's low byte, eax's upper bytes those of Dialogue.turnActive: while the
// plug-in turns the camera the game treats mouse look as flipped.  The game
// tests al next; flags are not read.
STUB StubMouseLookCheck() {
  asm("movl %c[turn], %%eax\n\t"
      "xorb 0x5B2(%%ebp), %%al\n\t"
      "ret" ::[turn] "i"(&Dialogue.turnActive));
}

// 2: replaces `test al, al; mov [esp+0x20], ebx`.  While a turn runs, the
// plug-in's vertical step stands in for the game's.  The game's je reads ZF.
STUB StubVerticalDelta() {
  asm("cmpl $0, %c[turn]\n\t"
      "je 1f\n\t"
      "movl %c[dy], %%ebx\n"
      "1:\n\t"
      "movl %%ebx, 0x24(%%esp)\n\t"
      "testb %%al, %%al\n\t"
      "ret" ::[turn] "i"(&Dialogue.turnActive), [dy] "i"(&Dialogue.turnDeltaY));
}

// 3: replaces `mov [esp+0x1C], ecx; mov ecx, [eax+0x4C]`.  The horizontal
// step likewise; flags are kept as the two moves kept them.
STUB StubHorizontalDelta() {
  asm("pushfl\n\t"
      "cmpl $0, %c[turn]\n\t"
      "je 1f\n\t"
      "movl %c[dx], %%ecx\n"
      "1:\n\t"
      "movl %%ecx, 0x24(%%esp)\n\t"  // the game's [esp+0x1C] under our return address and flags
      "movl 0x4C(%%eax), %%ecx\n\t"
      "popfl\n\t"
      "ret" ::[turn] "i"(&Dialogue.turnActive), [dx] "i"(&Dialogue.turnDeltaX));
}

// 4: replaces `call +0x16A620` (the GoToJail check).  In the menu phase the
// check is skipped and eax = MenuPhase.open; otherwise the routine runs.
STUB StubGoToJailGate() { MENU_PHASE_GATE(game_offsets::GoToJailCheck); }

// 5: replaces `mov dx, [GameBase+0x3D3442]` (dialogue begins with the actor
// in esi).  All registers and flags kept around the handler; edx then holds
// the 16-bit value zero-extended.
STUB StubDialogueBegin() {
  asm("pushfl\n\t"
      "pushal\n\t"
      "pushl %%esi\n\t"
      "call %c[handler]\n\t"
      "addl $4, %%esp\n\t"
      "popal\n\t"
      "movl %c[base], %%edx\n\t"
      "movzwl %c[word](%%edx), %%edx\n\t"
      "popfl\n\t"
      "ret" ::[handler] "i"(&BeginDialogueCamera),
      [base] "i"(&GameBase), [word] "i"(game_offsets::DialogueBeginWord));
}

// 6: replaces `call +0x142570` (view mode, this in ECX).  Outside the menu
// phase the routine runs plainly; inside it the field of view is kept.
STUB StubViewModeChange() {
  asm("cmpl $0, %c[flag]\n\t"
      "jne 1f\n\t" JUMP_TO_TARGET "1:\n\t"
      "jmp %c[keep]" ::[flag] "i"(&MenuPhase.open),
      [base] "i"(&GameBase), [target] "i"(game_offsets::ViewModeChange), [keep] "i"(&ChangeViewModeKeepingFov));
}

// 7: replaces `mov ecx, [eax+0x2E4]; test byte [ecx+0x24], 8` (AI off?).  For
// the dialogue partner (esi) the flags come from testing its +0xEC for zero
// instead (a null esi counts as zero); eax and ecx are as the game left them.
STUB StubAiStateCheck() {
  asm("movl 0x2E4(%%eax), %%ecx\n\t"
      "cmpl %c[partner], %%esi\n\t"
      "jne 2f\n\t"
      "testl %%esi, %%esi\n\t"
      "jz 1f\n\t"
      "cmpl $0, 0xEC(%%esi)\n"
      "1:\n\t"
      "ret\n"
      "2:\n\t"
      "testb $8, 0x24(%%ecx)\n\t"
      "ret" ::[partner] "i"(&Dialogue.partner));
}

// 8: replaces `fnstsw ax; test ah, 0x41` before the game's je.  The partner
// keeps its animation group: ZF set, and the je is taken.
STUB StubAnimationGroup() {
  asm("cmpl %c[partner], %%esi\n\t"
      "je 1f\n\t"
      "fnstsw %%ax\n\t"
      "testb $0x41, %%ah\n"
      "1:\n\t"
      "ret" ::[partner] "i"(&Dialogue.partner));
}

// 9: replaces `call +0x6F910` (head tracking: tracking ref, looked-at ref).
// The speaker looks at the player; without a player the game's own target
// stays, since the routine would be handed a null reference otherwise.
STUB StubHeadTracking() {
  asm("pushl %%eax\n\t"
      "movl 8(%%esp), %%eax\n\t"
      "cmpl %c[speaker], %%eax\n\t"
      "popl %%eax\n\t"
      "jne 1f\n\t"
      "pushal\n\t"
      "call %c[player]\n\t"
      "testl %%eax, %%eax\n\t"
      "jz 2f\n\t"
      "movl %%eax, 0x28(%%esp)\n"  // the second argument, above pushad and our return address
      "2:\n\t"
      "popal\n"
      "1:\n\t" JUMP_TO_TARGET::[speaker] "i"(&Dialogue.CurrentSpeaker),
      [player] "i"(&GetPlayerRef), [base] "i"(&GameBase), [target] "i"(game_offsets::HeadTracking));
}

// 12, 14: replace `call +0x188BE0` (SendTextLine); the line is its second
// stack argument.
STUB StubSendTextLine() {
  asm("pushal\n\t"
      "pushl 0x28(%%esp)\n\t"
      "call %c[handler]\n\t"
      "addl $4, %%esp\n\t"
      "popal\n\t" JUMP_TO_TARGET::[handler] "i"(&AppendTextLine),
      [base] "i"(&GameBase), [target] "i"(game_offsets::SendTextLine));
}

// 16: replaces `call +0xB500` (dialogue and journal text).  The owner is the
// second stack argument, the text the sixth.
STUB StubDialogueText() {
  asm("pushal\n\t"
      "pushl 0x38(%%esp)\n\t"   // sixth: 0x18 at entry (return + 5 args) + 0x20 (pushad)
      "pushl 0x2C(%%esp)\n\t"   // second: 0x08 at entry + 0x20 + 4 (the push above)
      "call %c[handler]\n\t"
      "addl $8, %%esp\n\t"
      "popal\n\t" JUMP_TO_TARGET::[handler] "i"(&CaptureDialogueText),
      [base] "i"(&GameBase), [target] "i"(game_offsets::DialogueText));
}

// 17: replaces `call +0x195450` (leaving menu mode).
STUB StubExitMenuMode() {
  asm("pushal\n\t"
      "call %c[handler]\n\t"
      "popal\n\t" JUMP_TO_TARGET::[handler] "i"(&ExitMenuMode),
      [base] "i"(&GameBase), [target] "i"(game_offsets::LeaveMenuMode));
}

// 18: replaces `mov al, [ecx+0xD6]` (freeze the world in menu mode?).  eax =
// the byte zero-extended; when set, 1 without a player, otherwise the
// handler's answer.  The game tests al next.  edx is kept as well, since the
// replaced move never touched it.
STUB StubMenuFreeze() {
  asm("movzbl 0xD6(%%ecx), %%eax\n\t"
      "testb %%al, %%al\n\t"
      "jz 2f\n\t"
      "pushl %%ecx\n\t"
      "pushl %%edx\n\t"
      "call %c[player]\n\t"
      "testl %%eax, %%eax\n\t"
      "jz 1f\n\t"
      "call %c[check]\n\t"
      "movzbl %%al, %%eax\n\t"
      "popl %%edx\n\t"
      "popl %%ecx\n\t"
      "ret\n"
      "1:\n\t"
      "movl $1, %%eax\n\t"
      "popl %%edx\n\t"
      "popl %%ecx\n"
      "2:\n\t"
      "ret" ::[player] "i"(&GetPlayerMobile),
      [check] "i"(&MenuFreezeCheck));
}

// 19: replaces `mov ecx, [GameBase+0x3D2B14]` (a text document opens or
// closes).  Speech stops when so set; ecx then holds the game's value.
STUB StubDocumentOpenClose() {
  asm("pushfl\n\t"
      "pushal\n\t"
      "movl %c[base], %%eax\n\t"
      "cmpl $0, %c[flag](%%eax)\n\t"
      "je 1f\n\t"
      "cmpl $0, %c[stop]\n\t"
      "je 1f\n\t"
      "call %c[handler]\n"
      "1:\n\t"
      "popal\n\t"
      "movl %c[base], %%ecx\n\t"
      "movl %c[value](%%ecx), %%ecx\n\t"
      "popfl\n\t"
      "ret" ::[base] "i"(&GameBase),
      [stop] "i"(&Settings.StopSpkOnClose), [handler] "i"(&StopAllSpeech),
      [flag] "i"(game_offsets::DocumentOpenFlag), [value] "i"(game_offsets::DocumentOpenValue));
}

// 20: replaces `mov edx, [ecx+0x2E4]`; the game writes ax as the menu
// identifier next, and the plug-in keeps a copy.  No flag changes.
STUB StubLastMenuId() {
  asm("movl 0x2E4(%%ecx), %%edx\n\t"
      "movw %%ax, %c[id]\n\t"
      "ret" ::[id] "i"(&MenuPhase.lastMenuId));
}

// 22, 24, 25: replace `mov cl, [eax+0xD6]`.  Water, shadows and compass see
// menu mode only while MenuPhase.freezeExtras is set.  At 24 the game's jnz right after
// reads flags from before the move, so the flags are kept.
STUB StubFreezeExtrasEax() { MENU_BYTE_FILTER("0xD6(%%eax)", "ecx", "jne", &MenuPhase.freezeExtras); }

// 23: replaces `mov al, [esi+0xD6]` for active objects; as above.
STUB StubFreezeExtrasEsi() { MENU_BYTE_FILTER("0xD6(%%esi)", "eax", "jne", &MenuPhase.freezeExtras); }

// 26: replaces `mov al, [ecx+0xD6]` in head tracking: with the dialogue menu
// not pausing, head tracking never sees menu mode.
STUB StubHeadTrackingInMenu() { MENU_BYTE_FILTER("0xD6(%%ecx)", "eax", "jne", &Settings.MPause[MenuDialogue]); }

// 27: replaces `mov cl, [eax+0x5B0]` (controls disabled): in the menu phase
// the inventory can be left although the plug-in holds the controls.
STUB StubInventoryExit() { MENU_BYTE_FILTER("0x5B0(%%eax)", "ecx", "je", &MenuPhase.open); }

// 28: replaces `call +0x1CA50` (inventory hints); gated like 4.
STUB StubInventoryHintGate() { MENU_PHASE_GATE(game_offsets::InventoryHint); }

// 29: replaces `call +0x2A60` (the game's pitch step, two stack arguments it
// removes itself; the file name in edi).  The plug-in's own speech has its
// pitch already: return removing the arguments.
STUB StubVoicePitchGate() {
  asm("pushal\n\t"
      "pushl %%edi\n\t"
      "pushl 0x28(%%esp)\n\t"  // first argument: 4 + 0x20 + one push
      "call %c[test]\n\t"
      "addl $8, %%esp\n\t"
      "testl %%eax, %%eax\n\t"
      "popal\n\t"
      "jz 1f\n\t"
      "ret $8\n"
      "1:\n\t" JUMP_TO_TARGET::[test] "i"(&IsOwnSpeechSound),
      [base] "i"(&GameBase), [target] "i"(game_offsets::VoicePitchStep));
}
