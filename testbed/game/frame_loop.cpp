#include "game/frame_loop.h"

#include <cstring>
#include <initializer_list>

#include "game/camera_double.h"
#include "game/game_double.h"

namespace game_double {
namespace {

alignas(16) uint32_t frameStack[4096];
uint8_t* frameActor;
uint8_t scratch[0x100];  // what the game's registers point at around a place

uint32_t Addr(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }
uint8_t* Master() { return Objects().gameMaster; }

// Runs the place at `offset` with the registers given and a game stack whose
// first words are `words`; returns the path, `out` the registers after.
uint32_t Run(uint32_t offset, Cpu in, Cpu& out, std::initializer_list<uint32_t> words = {}) {
  std::memset(frameStack, 0, sizeof frameStack);
  uint32_t* top = &frameStack[2048];
  uint32_t i = 0;
  for (uint32_t w : words) top[i++] = w;
  in.esp = Addr(top);
  if (!in.eflags) in.eflags = 0x202;
  return RunPlace(Base() + offset, in, out);
}
uint32_t Run(uint32_t offset, Cpu in, std::initializer_list<uint32_t> words = {}) {
  Cpu out;
  return Run(offset, in, out, words);
}

// A byte-reading place: its answer is the low byte of `reg` after it.
uint8_t MenuByteAt(uint32_t offset, uint32_t Cpu::*objectReg, uint32_t Cpu::*outReg) {
  Cpu in{}, out{};
  in.*objectReg = Addr(Master());
  Run(offset, in, out);
  return static_cast<uint8_t>(out.*outReg & 0xFF);
}

// The x87 status the game's comparison leaves when an actor's animation
// group is due to change (C0 set).
void ComparisonSaysChange() { asm volatile("fld1\n\tfldz\n\tfcompp" ::: "st", "st(1)"); }

uint8_t* PlayerMobile() { return Objects().playerMobile; }

void ActorUpdate(Frame& f) {
  uint8_t* actor = frameActor ? frameActor : Objects().partnerMobile;
  uint8_t* ref;
  std::memcpy(&ref, actor + 0x14, 4);
  Cpu in{};
  in.eax = Addr(Master());
  in.esi = Addr(actor);
  f.partnerAiOff = Run(0x121D7D, in) == 1;  // jnz: the AI is off for it
  if (!f.partnerAiOff) {
    ComparisonSaysChange();
    Cpu group{};
    group.esi = Addr(actor);
    f.partnerGroupChanged = Run(0x12EB76, group) == 0;  // je over the change not taken
    asm volatile("fninit");
  }
  Cpu look{};
  look.ecx = Addr(Master());
  f.headTrackingRan = Run(0x06F420, look) == 0;
  if (f.headTrackingRan) {
    const uint32_t before = LastCall(HeadTracking).count;
    Cpu call{};
    call.edi = Addr(scratch);
    Run(0x16F68B, call, {Addr(ref), OwnLookTarget});
    if (LastCall(HeadTracking).count != before) f.partnerLooksAt = LastCall(HeadTracking).args[1];
  }
}

// The game's mouse look: the player's disabled byte decides whether it runs;
// the horizontal and vertical movement pass through the game's locals.
void MouseLook(Frame& f, int32_t dx, int32_t dy) {
  Cpu check{};
  check.ebp = Addr(PlayerMobile());
  f.mouseLookRan = Run(0x169264, check) == 0;
  if (!f.mouseLookRan) return;
  Cpu h{}, out{};
  h.eax = Addr(scratch);
  h.ecx = static_cast<uint32_t>(dx);
  Run(0x169120, h, out, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  f.mouseDx = static_cast<int32_t>(frameStack[2048 + 7]);   // the game's [esp+0x1C]
  Cpu v{};
  v.eax = 1;
  v.ebx = static_cast<uint32_t>(dy);
  Run(0x169148, v, out, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  f.mouseDy = static_cast<int32_t>(frameStack[2048 + 8]);   // the game's [esp+0x20]
  TurnCamera(f.mouseDx, f.mouseDy);
}

// A requested first/third person switch: the view-mode routine runs (it
// resets the field of view), the state flips.
void ViewSwitch(Frame& f) {
  uint8_t* view = Objects().viewController;
  if (view[0xE9] != 1) return;
  Cpu in{};
  in.ecx = Addr(view);
  in.esi = Addr(scratch);
  Run(0x143A17, in);
  view[0xE8] = view[0xE8] ? 0 : 1;
  view[0xE9] = 0;
  f.viewSwitched = true;
}

bool Called(Routine r, uint32_t offset) {
  const uint32_t before = LastCall(r).count;
  Cpu in{};
  in.edi = Addr(scratch);
  Run(offset, in);
  return LastCall(r).count != before;
}

}  // namespace

void SetFrameActor(uint8_t* mobile) { frameActor = mobile; }

Frame RunFrame(int32_t mouseDx, int32_t mouseDy) {
  Frame f{};
  Cpu freeze{};
  freeze.ecx = Addr(Master());
  f.frozen = Run(0x01B3AF, freeze) == 1;  // jnz: behave as in menu mode
  if (!f.frozen) {
    f.extrasSeeMenu[0] = MenuByteAt(0x1EB7BC, &Cpu::eax, &Cpu::ecx) != 0;
    f.extrasSeeMenu[1] = MenuByteAt(0x0388D0, &Cpu::eax, &Cpu::ecx) != 0;
    f.extrasSeeMenu[2] = MenuByteAt(0x00F68D, &Cpu::esi, &Cpu::eax) != 0;
    f.extrasSeeMenu[3] = MenuByteAt(0x11C896, &Cpu::eax, &Cpu::ecx) != 0;
    ActorUpdate(f);
    MouseLook(f, mouseDx, mouseDy);
  }
  ViewSwitch(f);
  if (Master()[0xD6]) f.hintCalled = Called(InventoryHint, 0x01B3D6);
  f.jailChecked = Called(GoToJailCheck, 0x167F9D);
  Cpu inventory{}, out{};
  inventory.eax = Addr(PlayerMobile());
  f.inventoryControlsDisabled = Run(0x194C1D, inventory, out) == 1;
  std::memcpy(&f.fov, Master() + 0x13C, 4);
  f.heading = CameraHeading();
  f.fromUp = CameraFromUp();
  return f;
}

void OpenMenu(uint16_t id) {
  Cpu in{};
  in.eax = id;
  in.ecx = Addr(Master());
  Run(0x195244, in);
  Master()[0xD6] = 1;
}

void CloseMenu() {
  Run(0x1951AB, Cpu{}, {0, 0, 0, 0, 0, 0, 0, 0});
  Master()[0xD6] = 0;
}

void StartDialogue(uint8_t* mobile) {
  Cpu in{};
  in.esi = Addr(mobile);
  Run(0x12935A, in);
}

}  // namespace game_double
