// Every patched place run as the game's code reaches it.  This program is a
// game double itself: it carries the game image at the game's offsets, has
// the plug-in's code linked in, installs the hooks once, and then runs each
// place patched and, as the reference, with the game's original bytes put
// back for the run.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <vector>

#include "game/game_double.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/game_routines.h"
#include "plugin/game/game_state.h"
#include "plugin/patching/hook_catalogue.h"
#include "support/raw_memory.h"

using game_double::Cpu;
using game_double::LastCall;
using game_double::Objects;
using game_double::Routine;

namespace {

constexpr uint32_t CF = 0x001, PF = 0x004, ZF = 0x040, SF = 0x080, OF = 0x800;
constexpr uint32_t StatusFlags = CF | PF | ZF | SF | OF;
constexpr uint32_t BaseFlags = 0x202;  // IF and the reserved bit

using rawmemory::Addr;

alignas(16) uint32_t gameStack[2048];
constexpr int StackTop = 1024;  // index of the game's esp at the place

struct PlaceRun {
  Cpu out;
  uint32_t path;
  std::vector<uint32_t> stack;   // words from the game's esp before the run
  std::vector<uint32_t> pushed;  // words from the game's esp after the run
  uint32_t espDelta() const { return out.esp - Addr(&gameStack[StackTop]); }
};

Cpu Regs(uint32_t eax = 0xA0A0A0A0, uint32_t ecx = 0xC0C0C0C0, uint32_t edx = 0xD0D0D0D0, uint32_t ebx = 0xB0B0B0B0,
         uint32_t esi = 0x51515151, uint32_t edi = 0xD1D1D1D1, uint32_t ebp = 0xBEBEBEBE, uint32_t flags = BaseFlags) {
  return Cpu{edi, esi, ebp, 0, ebx, edx, ecx, eax, flags};
}

// With `original`, the game's own bytes stand at the place for this run.
PlaceRun RunAt(uint32_t offset, Cpu in, const std::vector<uint32_t>& stack, bool original = false) {
  std::memset(gameStack, 0x77, sizeof gameStack);
  std::memcpy(&gameStack[StackTop], stack.data(), stack.size() * 4);
  in.esp = Addr(&gameStack[StackTop]);
  uint8_t patched[16];
  const game_double::PlaceBytes* place = game_double::FindPlace(offset);
  if (original) {
    std::memcpy(patched, game_double::At(offset), place->size);
    game_double::PokeImage(offset, place->bytes, place->size);
  }
  PlaceRun r{};
  r.path = game_double::RunPlace(game_double::Base() + offset, in, r.out);
  if (original) game_double::PokeImage(offset, patched, place->size);
  r.stack.assign(&gameStack[StackTop], &gameStack[StackTop] + 32);
  const uint32_t* esp = reinterpret_cast<const uint32_t*>(r.out.esp);
  r.pushed.assign(esp, esp + 4);
  return r;
}

struct Both {
  PlaceRun patched, reference;
  game_double::RoutineCall patchedCall, referenceCall;
};

// The place run both ways; `routine` is the game routine whose call is kept
// from each run.
Both RunBoth(uint32_t offset, const Cpu& in, const std::vector<uint32_t>& stack,
             Routine routine = game_double::RoutineCount) {
  Both b;
  game_double::ResetCalls();
  b.reference = RunAt(offset, in, stack, true);
  if (routine != game_double::RoutineCount) b.referenceCall = LastCall(routine);
  game_double::ResetCalls();
  b.patched = RunAt(offset, in, stack);
  if (routine != game_double::RoutineCount) b.patchedCall = LastCall(routine);
  return b;
}

enum RegBit : uint32_t { EDI = 1, ESI = 2, EBP = 4, ESP = 8, EBX = 16, EDX = 32, ECX = 64, EAX = 128 };
const char* const RegNames[] = {"edi", "esi", "ebp", "esp", "ebx", "edx", "ecx", "eax"};

// Registers outside `except`, and the status flags unless asked not to.
void ExpectSameState(const Cpu& patched, const Cpu& reference, uint32_t except = 0, bool flags = true) {
  const uint32_t* p = &patched.edi;
  const uint32_t* r = &reference.edi;
  for (int i = 0; i < 8; ++i)
    if (!(except & (1u << i))) {
      EXPECT_EQ(p[i], r[i]) << RegNames[i];
    }
  if (flags) {
    EXPECT_EQ(patched.eflags & StatusFlags, reference.eflags & StatusFlags) << "flags";
  }
}

void ExpectSameCall(const game_double::RoutineCall& patched, const game_double::RoutineCall& reference,
                    int args, bool sameReturn = true, uint32_t scratch = 0) {
  ASSERT_EQ(patched.count, 1u);
  ASSERT_EQ(reference.count, 1u);
  ExpectSameState(patched.regs, reference.regs, scratch, false);
  for (int i = 0; i < args; ++i) EXPECT_EQ(patched.args[i], reference.args[i]) << "argument " << i + 1;
  if (sameReturn) {
    EXPECT_EQ(patched.returnAddress, reference.returnAddress);
  }
}

uint8_t* GameMaster() { return Objects().gameMaster; }
using rawmemory::Get;
using rawmemory::Put;

DWORD Protection(uint32_t offset) {
  MEMORY_BASIC_INFORMATION m;
  VirtualQuery(game_double::At(offset), &m, sizeof m);
  return m.Protect;
}

// Code places on read-execute pages, the compass place on a page writable
// already, and a global.
const uint32_t ProtectionProbes[] = {0x169264, 0x00BE32, 0x1D644E, 0x08C6B6, 0x1EB7BC, 0x3C67DC};
DWORD protectionBefore[std::size(ProtectionProbes)];

// After installation every page has the protection it had before.  (Wine
// shows an image page made writable as write-copy, 0x80 or 0x08, so the
// compass page is opened and closed again like the others; the path without
// a protection change is covered by the writer's own tests.)
// The plug-in as the attach notification leaves it: settings read, hooks in.
class HookEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    game_double::BuildGameImage();
    GameBase = game_double::Base();
    Settings = PluginDefaults();
    Settings.VoiceFxByRace = 1;
    for (size_t i = 0; i < std::size(ProtectionProbes); ++i) protectionBefore[i] = Protection(ProtectionProbes[i]);
    ASSERT_EQ(InstallHooks(), 0u);
  }
};
testing::Environment* const environment = testing::AddGlobalTestEnvironment(new HookEnvironment);

TEST(Installed, PageProtectionsAsBefore) {
  for (size_t i = 0; i < std::size(ProtectionProbes); ++i)
    EXPECT_EQ(Protection(ProtectionProbes[i]), protectionBefore[i]) << std::hex << ProtectionProbes[i];
  EXPECT_EQ(Protection(0x169264) & 0xFF, static_cast<DWORD>(PAGE_EXECUTE_READ));
}

// The first data place is the game's allocator: calling it runs the game's
// import thunk into the allocator behind it.
TEST(Installed, AllocatorRecorded) {
  ASSERT_EQ(reinterpret_cast<uintptr_t>(GameAllocator), game_double::Base() + 0x327692);
  void* block = GameAllocator(88);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(HeapSize(GetProcessHeap(), 0, block), 88u);
  HeapFree(GetProcessHeap(), 0, block);
}

// Flags the stubs read, reset before every test.
class PatchedPlace : public testing::Test {
 protected:
  void SetUp() override {
    Dialogue.Reset();
    MenuPhase.Reset();
    MenuPhase.open = 0;  // out of menu mode: the gates let the game's calls through
    Settings.MPause[MenuDialogue] = 1;
    game_double::SetPlayerPresent(true);
    Put<uint8_t>(GameMaster(), 0xD6, 0);
  }
};

// ---------------------------------------------------------------------------
// Camera turn (1-3).

TEST_F(PatchedPlace, MouseLookFlagIsFlippedWhileTurning) {
  uint8_t* player = Objects().playerMobile;
  const struct { uint32_t turn; uint8_t disabled; uint32_t path; } cases[] = {
      {0, 0, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 0}};
  for (const auto& c : cases) {
    Dialogue.turnActive = c.turn;
    Put<uint8_t>(player, 0x5B2, c.disabled);
    Both b = RunBoth(0x169264, Regs(0xAABBCC00, 1, 2, 3, 4, 5, Addr(player)), {});
    EXPECT_EQ(b.patched.path, c.path) << c.turn << "/" << int(c.disabled);
    EXPECT_EQ(b.patched.out.eax, c.turn ^ c.disabled);  // upper bytes those of Dialogue.turnActive
    EXPECT_EQ(b.reference.path, c.disabled);
    ExpectSameState(b.patched.out, b.reference.out, EAX, !c.turn);
  }
}

TEST_F(PatchedPlace, VerticalStepReplacedWhileTurning) {
  Dialogue.turnDeltaY = -7;
  for (uint32_t turn : {0u, 1u})
    for (uint32_t al : {0u, 1u}) {
      Dialogue.turnActive = turn;
      Both b = RunBoth(0x169148, Regs(al, 1, 2, 0x1111), std::vector<uint32_t>(16, 0));
      const uint32_t ebx = turn ? static_cast<uint32_t>(-7) : 0x1111;
      EXPECT_EQ(b.patched.stack[8], ebx);  // the game's [esp+0x20]
      EXPECT_EQ(b.patched.out.ebx, ebx);
      EXPECT_EQ(b.patched.path, b.reference.path);  // je reads test al, al
      ExpectSameState(b.patched.out, b.reference.out, EBX);
      if (!turn) {
        EXPECT_EQ(b.patched.stack, b.reference.stack);
      }
    }
}

TEST_F(PatchedPlace, HorizontalStepReplacedWhileTurningFlagsKept) {
  uint8_t object[0x50] = {};
  Put(object, 0x4C, 0x3333u);
  Dialogue.turnDeltaX = 9;
  for (uint32_t turn : {0u, 1u}) {
    Dialogue.turnActive = turn;
    Both b = RunBoth(0x169120, Regs(Addr(object), 0x2222, 0, 0, 0, 0, 0, BaseFlags | CF | ZF | SF),
                     std::vector<uint32_t>(16, 0));
    EXPECT_EQ(b.patched.stack[7], turn ? 9u : 0x2222u);  // the game's [esp+0x1C]
    EXPECT_EQ(b.patched.out.ecx, 0x3333u);
    ExpectSameState(b.patched.out, b.reference.out);
  }
}

// ---------------------------------------------------------------------------
// Gates (4, 28): skipped in the menu phase with eax = MenuPhase.open.

TEST_F(PatchedPlace, MenuPhaseGates) {
  const struct { uint32_t offset; Routine routine; } gates[] = {{0x167F9D, game_double::GoToJailCheck},
                                                                {0x01B3D6, game_double::InventoryHint}};
  for (const auto& g : gates) {
    MenuPhase.open = 0;
    Both open = RunBoth(g.offset, Regs(), {}, g.routine);
    ExpectSameCall(open.patchedCall, open.referenceCall, 0);
    ExpectSameState(open.patched.out, open.reference.out);
    EXPECT_EQ(open.patched.out.eax, game_double::RoutineResult(g.routine));

    MenuPhase.open = 3;
    Both closed = RunBoth(g.offset, Regs(), {}, g.routine);
    EXPECT_EQ(closed.patchedCall.count, 0u);
    EXPECT_EQ(closed.patched.out.eax, 3u);
    ExpectSameState(closed.patched.out, closed.reference.out, EAX, false);
  }
}

// ---------------------------------------------------------------------------
// Dialogue begin (5): handler with all registers kept, edx zero-extended.

TEST_F(PatchedPlace, DialogueBeginLoadsTheWordZeroExtended) {
  *game_double::At<uint16_t>(0x3D3442) = 0x8123;
  Both b = RunBoth(0x12935A, Regs(1, 2, 0xFFFF0000, 3, Addr(Objects().partnerMobile), 4, 5, BaseFlags | CF | OF), {});
  EXPECT_EQ(b.reference.out.edx, 0xFFFF8123u);
  EXPECT_EQ(b.patched.out.edx, 0x00008123u);
  ExpectSameState(b.patched.out, b.reference.out, EDX);
}

// The partner becomes the speaker and is held in its talking pose; the player
// talking to itself leaves everything as it was.
TEST_F(PatchedPlace, DialogueBeginMakesThePartnerTheSpeaker) {
  uint8_t* partner = Objects().partnerMobile;
  uint8_t* player = Objects().playerMobile;
  const struct { uint8_t* actor; bool becomesPartner; } cases[] = {{player, false}, {partner, true}};
  for (const auto& c : cases) {
    Dialogue.partner = nullptr;
    Dialogue.CurrentSpeaker = nullptr;
    Put(c.actor, 0x36C, uint16_t{0x77});
    Put(c.actor, 0xDC, uint8_t{0x55});
    RunBoth(0x12935A, Regs(1, 2, 3, 4, Addr(c.actor)), {});
    EXPECT_EQ(Dialogue.partner, c.becomesPartner ? reinterpret_cast<ActorMobile*>(c.actor) : nullptr);
    EXPECT_EQ(Addr(Dialogue.CurrentSpeaker), c.becomesPartner ? Addr(Objects().partnerRef) : 0u);
    EXPECT_EQ(*reinterpret_cast<uint16_t*>(c.actor + 0x36C), c.becomesPartner ? 4 : 0x77);
    EXPECT_EQ(c.actor[0xDC], c.becomesPartner ? 0 : 0x55);
  }
  Dialogue.partner = nullptr;
  Dialogue.CurrentSpeaker = nullptr;
}

// ---------------------------------------------------------------------------
// View mode (6): in the menu phase the field of view survives the switch.

TEST_F(PatchedPlace, ViewModeKeepsTheFieldOfViewInTheMenuPhase) {
  uint8_t viewObject[0x40] = {};
  Put(viewObject, 0x38, 0x1234u);
  const Cpu in = Regs(1, 0xC1C1, 3, 4, Addr(viewObject));
  Put(GameMaster(), 0x13C, 75.0f);
  Both plain = RunBoth(0x143A17, in, {}, game_double::ViewModeChange);
  ExpectSameCall(plain.patchedCall, plain.referenceCall, 0);
  ExpectSameState(plain.patched.out, plain.reference.out);
  EXPECT_EQ(Get<float>(GameMaster(), 0x13C), 50.0f);  // the routine's own change stands

  MenuPhase.open = 1;
  Put(GameMaster(), 0x13C, 75.0f);
  game_double::ResetCalls();
  PlaceRun r = RunAt(0x143A17, in, {});
  const auto& view = LastCall(game_double::ViewModeChange);
  EXPECT_EQ(view.count, 1u);
  EXPECT_EQ(view.regs.ecx, 0xC1C1u);
  const auto& fov = LastCall(game_double::SetFieldOfView);
  EXPECT_EQ(fov.count, 2u);
  EXPECT_EQ(fov.regs.ecx, Addr(GameMaster() + 0x134));  // the main camera control last
  EXPECT_EQ(Get<float>(GameMaster(), 0x13C), 75.0f);
  EXPECT_EQ(Get<float>(GameMaster(), 0x2C0 + 8), 75.0f);
  EXPECT_EQ(r.out.ecx, 0x1234u);  // mov ecx, [esi+0x38] after the call
  ExpectSameState(r.out, plain.reference.out, EAX | ECX | EDX, false);
  EXPECT_EQ(r.espDelta(), 0u);
}

// ---------------------------------------------------------------------------
// AI state (7) and animation group (8) for the dialogue partner.

TEST_F(PatchedPlace, AiStateOfThePartnerDecides) {
  uint8_t* partner = Objects().partnerMobile;
  uint8_t* other = Objects().playerMobile;
  Put(Objects().menuController, 0x24, 8u);  // the game's AI is off
  const struct { uint8_t* esi; uint8_t* partnerSet; uint32_t ec; uint32_t path; bool likeGame; } cases[] = {
      {other, partner, 0, 1, true},     // not the partner: the game's test
      {partner, partner, 0, 0, false},  // partner, +0xEC zero: ZF set
      {partner, partner, 5, 1, false},
      {nullptr, nullptr, 0, 0, false},  // a null esi counts as zero
  };
  for (const auto& c : cases) {
    Dialogue.partner = reinterpret_cast<ActorMobile*>(c.partnerSet);
    if (c.esi) Put(c.esi, 0xEC, c.ec);
    Both b = RunBoth(0x121D7D, Regs(Addr(GameMaster()), 0, 0, 0, Addr(c.esi)), {});
    EXPECT_EQ(b.patched.path, c.path);
    EXPECT_EQ(b.patched.out.ecx, Addr(Objects().menuController));
    ExpectSameState(b.patched.out, b.reference.out, 0, c.likeGame);
  }
}

void FpuBelow() { asm volatile("fld1\n\tfldz\n\tfcompp" ::: "st", "st(1)"); }  // C0 set: 0 < 1

TEST_F(PatchedPlace, AnimationGroupKeptForThePartner) {
  uint8_t* partner = Objects().partnerMobile;
  uint8_t* other = Objects().playerMobile;
  Dialogue.partner = reinterpret_cast<ActorMobile*>(partner);
  // Not the partner: the game's comparison decides, both ways.
  game_double::ResetCalls();
  for (bool below : {false, true}) {
    const Cpu in = Regs(0, 0, 0, 0x0B0B, Addr(other));
    if (below) FpuBelow(); else asm volatile("fninit");
    PlaceRun reference = RunAt(0x12EB76, in, {}, true);
    if (below) FpuBelow(); else asm volatile("fninit");
    PlaceRun patched = RunAt(0x12EB76, in, {});
    EXPECT_EQ(patched.path, below ? 0u : 1u);
    EXPECT_EQ(patched.path, reference.path);
    ExpectSameState(patched.out, reference.out);
  }
  FpuBelow();
  PlaceRun r = RunAt(0x12EB76, Regs(0x1234, 0, 0, 0, Addr(partner)), {});
  EXPECT_EQ(r.path, 1u);
  EXPECT_TRUE(r.out.eflags & ZF);
  asm volatile("fninit");
}

// ---------------------------------------------------------------------------
// Head tracking (9): the speaker looks at the player.

TEST_F(PatchedPlace, SpeakerLooksAtThePlayer) {
  uint8_t holder[8] = {};
  Dialogue.CurrentSpeaker = reinterpret_cast<ObjectRef*>(Objects().partnerRef);
  const uint32_t lookedAt = 0x10C0;
  for (uint8_t* tracking : {Objects().partnerRef, Objects().playerRef}) {
    Both b = RunBoth(0x16F68B, Regs(1, 2, 3, 4, 5, Addr(holder)), {Addr(tracking), lookedAt},
                     game_double::HeadTracking);
    const bool speaker = tracking == Objects().partnerRef;
    EXPECT_EQ(b.patchedCall.args[0], Addr(tracking));
    EXPECT_EQ(b.patchedCall.args[1], speaker ? Addr(Objects().playerRef) : lookedAt);
    ExpectSameState(b.patchedCall.regs, b.referenceCall.regs, 0, false);
    EXPECT_EQ(b.patchedCall.returnAddress, b.referenceCall.returnAddress);
    ExpectSameState(b.patched.out, b.reference.out);
  }
  game_double::SetPlayerPresent(false);
  Both alone = RunBoth(0x16F68B, Regs(1, 2, 3, 4, 5, Addr(holder)), {Addr(Objects().partnerRef), lookedAt},
                       game_double::HeadTracking);
  EXPECT_EQ(alone.patchedCall.args[1], lookedAt);  // never a null reference
}

// ---------------------------------------------------------------------------
// Notifications (12, 14, 16, 17, 21): the game routine gets everything as
// the game passed it, and the game's code after the call runs on as before.

TEST_F(PatchedPlace, NotificationsPassEverythingThrough) {
  uint8_t frame[0x40] = {};
  // The handlers read what the game hands them: a real owner and text, a
  // real file name.
  static const char line[] = "Greetings, outlander.";
  static const char voiceFile[] = "Vo\\d\\m\\Hlo_DM001.mp3";
  static const char pageLine[] = "A page line.\0BR>";  // cut out of the game's page text
  const uint32_t owner = Addr(Objects().partnerMobile);
  const struct { uint32_t offset; Routine routine; int args; std::vector<uint32_t> stack; bool sameReturn; } cases[] = {
      {0x21375E, game_double::SendTextLine, 2, {0x11, Addr(pageLine)}, true},
      {0x21378C, game_double::SendTextLine, 2, {0x11, Addr(pageLine)}, true},
      {0x1AD9AF, game_double::SendTextLine, 2, {0x11, Addr(pageLine)}, true},
      {0x1ADAB3, game_double::SendTextLine, 2, {0x11, Addr(pageLine)}, true},
      {0x1951AB, game_double::LeaveMenuMode, 0, std::vector<uint32_t>(8, 0x99), true},
      // Returns through the game's own `pop edi; pop esi; ret 0x2C`.
      {0x00BE32, game_double::DialogueText, 6,
       {1, owner, 3, 4, 5, Addr(line), 0xED1, 0xE51, static_cast<uint32_t>(game_double::FallExitAddress()), 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 0},
       true},
      // Straight into ProcessVoiceFile, which calls the game's loader itself.
      {0x08C369, game_double::VoiceFileLoader, 2, {Addr(voiceFile), 0x5EC}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.offset);
    Both b = RunBoth(c.offset, Regs(1, 0xC0FFEE, 3, 4, 5, 6, Addr(frame)), c.stack, c.routine);
    // A C++ routine in between may leave eax and edx as it likes: they are
    // no input of a thiscall routine.
    ExpectSameCall(b.patchedCall, b.referenceCall, c.args, c.sameReturn, c.sameReturn ? 0 : EAX | EDX);
    // ProcessVoiceFile is a routine of its own: like any callee it may leave
    // the caller-saved ecx and edx changed (eax is the loader's result).
    ExpectSameState(b.patched.out, b.reference.out, c.sameReturn ? 0 : ECX | EDX, c.sameReturn);
    EXPECT_EQ(b.patched.path, b.reference.path);
  }
}

// ---------------------------------------------------------------------------
// Wrappers (11, 13) and callback wrappers (10, 15).

TEST_F(PatchedPlace, WrappersCallTheRoutineWithTheGamesArguments) {
  Both document = RunBoth(0x2138FB, Regs(1, 2, 3, 4, 0x5E5E), {0xD0C, 0x2}, game_double::OpenDocument);
  EXPECT_EQ(document.patchedCall.args[0], 0xD0Cu);
  EXPECT_EQ(document.patchedCall.args[1], 0x2u);
  ExpectSameState(document.patched.out, document.reference.out, EDX, false);  // the C++ wrapper may use edx

  Both book = RunBoth(0x0A2A15, Regs(), {0xB00C, 0xEB, 0xEC}, game_double::OpenBook);
  EXPECT_EQ(book.patchedCall.args[0], 0xB00Cu);
  EXPECT_EQ(book.patched.out.ebp, 0xEBu);
  EXPECT_EQ(book.patched.out.ecx, 0xECu);
  ExpectSameState(book.patched.out, book.reference.out, EDX, false);
}

TEST_F(PatchedPlace, RegisteredCallbacksReachTheGamesCallback) {
  using Callback = uint32_t(__cdecl*)(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t);
  const struct { uint32_t offset; Routine callback; uint32_t code; } cases[] = {
      {0x1D644E, game_double::JournalPageCallback, 0xFFFF8044}, {0x1D6377, game_double::JournalPageCallback, 0xFFFF8044},
      {0x1AC36B, game_double::BookPageCallbackA, 0xFFFF8037},   {0x1ABE9C, game_double::BookPageCallbackA, 0xFFFF8035},
      {0x1AC358, game_double::BookPageCallbackB, 0xFFFF8036},   {0x1ABCBF, game_double::BookPageCallbackB, 0xFFFF8035},
  };
  for (const auto& c : cases) {
    Both b = RunBoth(c.offset, Regs(), {});
    EXPECT_EQ(b.patched.out.esp, b.reference.out.esp);
    EXPECT_EQ(b.patched.stack[0] - 0, 0x77777777u);  // untouched above the pushes
    const std::vector<uint32_t>& pushed = b.patched.pushed;
    EXPECT_EQ(pushed[0], c.code);
    const uint32_t reference = b.reference.pushed[1];
    EXPECT_EQ(reference, game_double::Base() + game_double::RoutineOffset(c.callback));
    ASSERT_NE(pushed[1], reference);
    game_double::ResetCalls();
    const uint32_t result = reinterpret_cast<Callback>(pushed[1])(11, 12, 13, 14, 15);
    EXPECT_EQ(result, game_double::RoutineResult(c.callback));
    const auto& call = LastCall(c.callback);
    ASSERT_EQ(call.count, 1u);
    for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(call.args[i], 11 + i);
  }
}

// ---------------------------------------------------------------------------
// Menu freeze (18), document open/close (19), last menu id (20).

TEST_F(PatchedPlace, MenuFreezeAnswer) {
  const struct { uint8_t menuMode; bool player; uint32_t eax; uint32_t path; } cases[] = {
      {0, true, 0, 0}, {1, false, 1, 1}, {1, true, 1, 1}};
  for (const auto& c : cases) {
    Put<uint8_t>(GameMaster(), 0xD6, c.menuMode);
    game_double::SetPlayerPresent(c.player);
    Both b = RunBoth(0x01B3AF, Regs(0xFFFFFF00, Addr(GameMaster()), 0xED, 0xEB, 0xE5, 0xE0, 0xEF), {});
    EXPECT_EQ(b.patched.out.eax, c.eax);
    EXPECT_EQ(b.patched.path, c.path);
    ExpectSameState(b.patched.out, b.reference.out, EAX, false);
  }
}

TEST_F(PatchedPlace, DocumentOpenCloseLoadsTheGamesValue) {
  uint32_t* flag = game_double::At<uint32_t>(0x3D2B10);
  uint32_t* value = game_double::At<uint32_t>(0x3D2B14);
  for (uint32_t open : {0u, 1u})
    for (uint32_t v : {0u, 0xD0Cu}) {
      *flag = open;
      *value = v;
      Both b = RunBoth(0x1AD630, Regs(1, 2, 3, 4, 5, 6, 7, BaseFlags | CF), {});
      EXPECT_EQ(b.patched.out.ecx, v);
      EXPECT_EQ(b.patched.path, v ? 0u : 1u);
      ExpectSameState(b.patched.out, b.reference.out);
    }
}

TEST_F(PatchedPlace, LastMenuIdKeepsACopy) {
  Both b = RunBoth(0x195244, Regs(0x7777FC45, Addr(GameMaster()), 0, 0, 0, 0, 0, BaseFlags | ZF | SF), {});
  EXPECT_EQ(MenuPhase.lastMenuId, 0xFC45);
  EXPECT_EQ(Get<uint16_t>(Objects().menuController, 0x3C), 0xFC45);
  ExpectSameState(b.patched.out, b.reference.out);
}

// ---------------------------------------------------------------------------
// Menu-mode byte filters (22-27): the low bit of the game's byte, or 0.

TEST_F(PatchedPlace, MenuByteFilters) {
  uint8_t* player = Objects().playerMobile;
  struct Filter {
    uint32_t offset;
    uint32_t objectReg;  // which register holds the object
    uint8_t* object;
    uint32_t field;
    uint32_t outReg;
    volatile int32_t* setting;
    volatile uint32_t* flag;
    bool passWhenSet;
  };
  const Filter filters[] = {
      {0x11C896, EAX, GameMaster(), 0xD6, ECX, nullptr, &MenuPhase.freezeExtras, true},
      {0x00F68D, ESI, GameMaster(), 0xD6, EAX, nullptr, &MenuPhase.freezeExtras, true},
      {0x0388D0, EAX, GameMaster(), 0xD6, ECX, nullptr, &MenuPhase.freezeExtras, true},
      {0x1EB7BC, EAX, GameMaster(), 0xD6, ECX, nullptr, &MenuPhase.freezeExtras, true},
      {0x06F420, ECX, GameMaster(), 0xD6, EAX, &Settings.MPause[MenuDialogue], nullptr, true},
      {0x194C1D, EAX, player, 0x5B0, ECX, nullptr, &MenuPhase.open, false},
  };
  for (const Filter& f : filters)
    for (uint8_t byte : {0, 1, 3, 2})
      for (uint32_t on : {0u, 1u})
        for (uint32_t flags : {BaseFlags, BaseFlags | ZF | CF}) {
          if (f.setting) *f.setting = static_cast<int32_t>(on);
          if (f.flag) *f.flag = on;
          Put<uint8_t>(f.object, f.field, byte);
          Cpu in = Regs(0xA0A0A0A0, 0xC0C0C0C0, 0xD0D0D0D0, 0xB0B0B0B0, 0x51515151, 0xD1D1D1D1, 0xBEBEBEBE, flags);
          (&in.edi)[__builtin_ctz(f.objectReg)] = Addr(f.object);
          Both b = RunBoth(f.offset, in, std::vector<uint32_t>(4, 0));
          const bool passes = f.passWhenSet ? on != 0 : on == 0;
          const uint8_t expected = passes ? (byte & 1) : 0;
          const uint32_t out = (&b.patched.out.edi)[__builtin_ctz(f.outReg)];
          SCOPED_TRACE(testing::Message() << std::hex << f.offset << " byte " << int(byte) << " on " << on);
          EXPECT_EQ(out & 0xFF, expected);
          ExpectSameState(b.patched.out, b.reference.out, f.outReg, expected == byte);
          // The flags the game reads after the move are those it had: at
          // 24 its jnz reads them before any test.
          if (f.offset == 0x0388D0) {
            EXPECT_EQ(b.patched.path, b.reference.path);
          }
        }
}

// ---------------------------------------------------------------------------
// Voice pitch (29): the plug-in's own speech is left alone, `ret 8`.

TEST_F(PatchedPlace, VoicePitchGate) {
  uint8_t* sound = Objects().soundRecord;
  uint8_t* format = Objects().soundFormat;
  char own[] = "VTTS0040A000";
  char recorded[] = "vo\\d\\m\\hlo_dm001.mp3";
  const struct { uint32_t rate; char* name; bool skipped; } cases[] = {
      {44100, own, true}, {22050, own, false}, {44100, recorded, false}};
  for (const auto& c : cases) {
    Put(format, 4, c.rate);
    Both b = RunBoth(0x08C6B6, Regs(1, 2, 3, 4, 5, Addr(c.name)), {Addr(sound), 0x5EC0, 0xAAAA},
                     game_double::VoicePitchStep);
    EXPECT_EQ(b.patchedCall.count, c.skipped ? 0u : 1u) << c.name << " " << c.rate;
    if (!c.skipped) {
      ExpectSameCall(b.patchedCall, b.referenceCall, 2);
    }
    EXPECT_EQ(b.patched.espDelta(), 8u);  // both arguments removed either way
    // mov eax, [GameMaster holder] follows.
    ExpectSameState(b.patched.out, b.reference.out, 0, false);
  }
}

}  // namespace
