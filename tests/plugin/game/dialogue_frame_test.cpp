// Menus and the dialogue as a player sees them: the game double's frame loop
// runs every place of the menu pause and the dialogue camera as real code,
// with the plug-in's hooks in (installed by hook_exec_test.cpp's environment).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "game/camera_double.h"
#include "game/frame_loop.h"
#include "game/game_double.h"
#include "plugin/frame/lifecycle.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/game_state.h"
#include "plugin/game/voice_playback.h"
#include "plugin/speech/speak_loop.h"
#include "plugin/speech/speak_request.h"
#include "plugin/speech/voice_channel.h"
#include "sapi_standin_control.h"
#include "support/plugin_log.h"
#include "support/raw_memory.h"
#include "support/test_support.h"

using game_double::Frame;
using game_double::Objects;
using game_double::RunFrame;

namespace {

constexpr uint16_t Options = 0xFDB2, DialogueId = 0xFF1A, Documents = 0xFD1D, Letter = 0xFF98, Messages = 0xFE02,
                   Chargen = 0xFC7C, Inventory = 0x80B4, LeftToGame = 0xFC45;
constexpr double Pi = 3.14159265358979323846;

using rawmemory::Addr;
using rawmemory::Get;
using rawmemory::Put;

uint8_t* Master() { return Objects().gameMaster; }
uint8_t* Player() { return Objects().playerMobile; }
uint8_t* Partner() { return Objects().partnerMobile; }
uint8_t* PartnerRef() { return Objects().partnerRef; }
uint8_t* View() { return Objects().viewController; }
bool AiOff() { return Get(Objects().menuController, 0x24) & 8; }

// The camera sits at the player's eyes, 110 units above the player's
// reference at the origin, looking along +y; the partner stands 120 units
// away at a heading of 60 degrees.
constexpr float EyeZ = 110.0f;
constexpr float PartnerHeading = 60.0f;

alignas(16) uint8_t flagHolder[0x20];
alignas(16) uint8_t partnerRecord[0x80];
alignas(16) uint8_t heightHolder[0x20];

float PartnerX(float distance) { return distance * static_cast<float>(std::sin(PartnerHeading * Pi / 180)); }
float PartnerY(float distance) { return distance * static_cast<float>(std::cos(PartnerHeading * Pi / 180)); }

class DialogueFrames : public testing::Test {
 protected:
  void SetUp() override {
    const int32_t fx = Settings.VoiceFxByRace;
    Settings = PluginDefaults();
    Settings.VoiceFxByRace = fx;
    game_double::SetPlayerPresent(true);
    game_double::SetFrameActor(nullptr);
    Put(Master(), 0xF4, Addr(flagHolder));
    flagHolder[0x14] = 0x01;
    Put(Objects().menuController, 0x24, 0u);
    Player()[0x5B0] = 0;
    Player()[0x5B2] = 0;
    Put(Player(), 0x244, Addr(View()));
    View()[0xE8] = 0;
    View()[0xE9] = 0;
    *game_double::At<uint8_t>(0x3D16DD) = 0;
    Put(Master(), 0x134, Addr(game_double::Camera()));
    SetFov(75.0f);
    // Whatever an earlier test left open, the game leaves menu mode once.
    MenuPhase.open = 1;
    game_double::CloseMenu();
    View()[0xE9] = 0;
    game_double::PlaceCamera(0.0f, 0.0f, EyeZ, 0.0f, 90.0f);
    game_double::SetMouseSensitivity(1.0f, 0.5f);
    PlacePartner(120.0f);
    Put(PartnerRef(), 0x28, Addr(partnerRecord));
    Put(partnerRecord, 0x28, Addr(heightHolder));
    Put(heightHolder, 0x14, 128.0f);  // times the double's scale 1.25: 160 units
    Put(PartnerRef(), 0x10, 0u);
    Put(Partner(), 0xEC, 0u);
    game_double::ResetCalls();
  }
  void TearDown() override {
    MenuPhase.open = 1;
    game_double::CloseMenu();
  }
  static void SetFov(float fov) {
    Put(Master(), 0x13C, fov);
    Put(Master(), 0x2C0 + 8, fov);
  }
  static void PlacePartner(float distance) {
    Put(PartnerRef(), 0x38, PartnerX(distance));
    Put(PartnerRef(), 0x3C, PartnerY(distance));
    Put(PartnerRef(), 0x40, 0.0f);
  }
  // The partner's model: nodes above its position at the heights given (0: no such node).
  static void GiveModel(const char* neckName, float neckZ, const char* headName, float headZ) {
    uint8_t* root = game_double::MakeSceneNode("root", 0, 0, 0);
    const float x = Get<float>(PartnerRef(), 0x38), y = Get<float>(PartnerRef(), 0x3C);
    uint8_t* body = game_double::MakeSceneNode("Bip01", x, y, 50.0f);
    game_double::AddChildNode(root, body);
    if (neckZ) game_double::AddChildNode(body, game_double::MakeSceneNode(neckName, x, y, neckZ));
    if (headZ) game_double::AddChildNode(body, game_double::MakeSceneNode(headName, x, y, headZ));
    Put(PartnerRef(), 0x10, Addr(root));
  }
  // The dialogue menu opens on the partner and runs `frames` frames.
  static std::vector<Frame> Talk(int frames) {
    game_double::OpenMenu(DialogueId);
    game_double::StartDialogue(Partner());
    std::vector<Frame> out;
    for (int i = 0; i < frames; ++i) out.push_back(RunFrame());
    return out;
  }
};

// ---------------------------------------------------------------------------
// The menu table.

TEST_F(DialogueFrames, MenuTablePerIdentifierAndSetting) {
  struct Case {
    const char* what;
    MenuKind pausedOff[2];  // pause settings set to 0 (MenuService: none)
    MenuKind keepAi;        // AI setting set to 1 (MenuService: none)
    uint16_t id;
    bool runs, aiOff;
  };
  const Case cases[] = {
      {"dialogue", {MenuDialogue, MenuService}, MenuService, DialogueId, true, true},
      {"dialogue paused", {MenuService, MenuService}, MenuService, DialogueId, false, false},
      {"dialogue keeping the AI", {MenuDialogue, MenuService}, MenuDialogue, DialogueId, true, false},
      {"options", {MenuService, MenuService}, MenuService, Options, false, false},
      {"inventory", {MenuInventory, MenuService}, MenuInventory, Inventory, true, false},
      {"chargen frees documents", {MenuChargen, MenuService}, MenuService, Documents, true, true},
      {"chargen frees letters", {MenuChargen, MenuService}, MenuService, Letter, true, true},
      {"chargen frees messages", {MenuChargen, MenuService}, MenuService, Messages, true, true},
      {"chargen itself", {MenuChargen, MenuService}, MenuService, Chargen, true, true},
      {"chargen leaves options", {MenuChargen, MenuService}, MenuService, Options, false, false},
      {"messages free documents", {MenuMessages, MenuService}, MenuService, Documents, true, true},
      {"messages leave chargen", {MenuMessages, MenuService}, MenuService, Chargen, false, false},
      {"documents leave messages", {MenuDocuments, MenuService}, MenuService, Messages, false, false},
      {"service is no menu of the table", {MenuService, MenuService}, MenuService, 0xFE00, false, false},
      {"an unknown menu", {MenuDialogue, MenuChargen}, MenuService, 0x1234, false, false},
      {"0xFC45 on the first frame", {MenuDialogue, MenuChargen}, MenuService, LeftToGame, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Settings.MPause[MenuDialogue] = 1;
    for (MenuKind k : c.pausedOff) Settings.MPause[k] = 0;
    Settings.MPause[MenuService] = 1;
    Settings.MKeepAi[c.keepAi] = 1;
    Settings.MKeepAi[MenuService] = 0;
    flagHolder[0x14] = 0xFF;
    game_double::OpenMenu(c.id);
    for (int frame = 0; frame < 2; ++frame) {
      const Frame f = RunFrame();
      EXPECT_EQ(f.frozen, !c.runs) << "frame " << frame;
      EXPECT_EQ(AiOff(), c.aiOff);
      EXPECT_EQ(Player()[0x5B0], c.runs ? 1 : 0);  // controls held while the world runs
      EXPECT_EQ(Player()[0x5B2], c.runs ? 1 : 0);
      if (c.runs) {
        for (bool seen : f.extrasSeeMenu) EXPECT_FALSE(seen);
        EXPECT_FALSE(f.inventoryControlsDisabled);  // the inventory can still be left
        EXPECT_FALSE(f.hintCalled);
        EXPECT_FALSE(f.jailChecked);
      }
    }
    // Only the dialogue changes the flag byte: bits 1 to 7 cleared, bit 0 kept.
    EXPECT_EQ(flagHolder[0x14], c.runs && c.id == DialogueId ? 0x01 : 0xFF);
    game_double::CloseMenu();
    EXPECT_FALSE(AiOff());
    EXPECT_EQ(Player()[0x5B0], 0);
    EXPECT_EQ(flagHolder[0x14], 0xFF);  // set at every exit
    const Frame after = RunFrame();
    EXPECT_FALSE(after.frozen);
    EXPECT_TRUE(after.jailChecked);
    Settings = PluginDefaults();
  }
}

TEST_F(DialogueFrames, DialogueClearsTheFlagBitsWhenTheWorldRuns) {
  flagHolder[0x14] = 0xFF;
  Talk(1);
  EXPECT_EQ(flagHolder[0x14], 0x01);
  game_double::CloseMenu();
  EXPECT_EQ(flagHolder[0x14], 0xFF);
}

// The decision is made on the first frame of a stay in menu mode; only
// 0xFC45 overrides it, from the second frame on, while it is the last menu.
TEST_F(DialogueFrames, DecisionKeptForTheStayExceptUnder0xFC45) {
  const struct { uint16_t first, second; bool firstRuns, secondRuns; } cases[] = {
      {DialogueId, Options, true, true},
      {Options, DialogueId, false, false},
      {DialogueId, LeftToGame, true, false},
  };
  for (const auto& c : cases) {
    game_double::OpenMenu(c.first);
    EXPECT_EQ(RunFrame().frozen, !c.firstRuns);
    game_double::OpenMenu(c.second);
    EXPECT_EQ(RunFrame().frozen, !c.secondRuns);
    EXPECT_EQ(RunFrame().frozen, !c.secondRuns);
    game_double::OpenMenu(c.first);
    EXPECT_EQ(RunFrame().frozen, !c.firstRuns);
    game_double::CloseMenu();
  }
}

// The game's own start menu: nothing is evaluated, the exit only resets.
TEST_F(DialogueFrames, FirstStayIsNotEvaluated) {
  game_double::OpenMenu(Options);  // a frozen phase first, as the game's start leaves it
  RunFrame();
  game_double::CloseMenu();
  MenuPhase.open = 1;  // as at load
  View()[0xE8] = 1;   // the player in third person
  game_double::OpenMenu(DialogueId);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(RunFrame().frozen);
  EXPECT_EQ(Player()[0x5B0], 0);
  EXPECT_EQ(View()[0xE9], 0);
  game_double::CloseMenu();
  EXPECT_EQ(View()[0xE9], 0);  // the player's view stays his
  EXPECT_EQ(MenuPhase.open, 0u);
}

TEST_F(DialogueFrames, ControlsGivenBackAsFound) {
  for (uint8_t controls : {0, 1})
    for (uint8_t mouseLook : {0, 1}) {
      Player()[0x5B0] = controls;
      Player()[0x5B2] = mouseLook;
      Talk(2);
      EXPECT_EQ(Player()[0x5B0], 1);
      EXPECT_EQ(Player()[0x5B2], 1);
      game_double::OpenMenu(Inventory);  // a second menu in the stay holds nothing twice
      RunFrame();
      game_double::CloseMenu();
      EXPECT_EQ(Player()[0x5B0], controls);
      EXPECT_EQ(Player()[0x5B2], mouseLook);
    }
}

// The player switched the AI off himself during a dialogue that kept it on:
// the exit's request for "on" is dropped once; once he switches it on again
// the next dialogue switches it as set.
TEST_F(DialogueFrames, AiRequestDroppedOnceWhenThePlayerToggled) {
  Settings.MKeepAi[MenuDialogue] = 1;
  Talk(1);
  EXPECT_FALSE(AiOff());
  Put(Objects().menuController, 0x24, 8u);  // the player's toggle
  game_double::CloseMenu();
  EXPECT_TRUE(AiOff());
  Put(Objects().menuController, 0x24, 0u);
  Settings.MKeepAi[MenuDialogue] = 0;
  Talk(1);
  EXPECT_TRUE(AiOff());
  game_double::CloseMenu();
  EXPECT_FALSE(AiOff());
}

// ---------------------------------------------------------------------------
// The partner while the world runs with the AI off.

TEST_F(DialogueFrames, PartnerLooksAtThePlayerAndKeepsItsAnimation) {
  const Frame f = Talk(1)[0];
  ASSERT_FALSE(f.frozen);
  EXPECT_TRUE(AiOff());
  EXPECT_FALSE(f.partnerAiOff);         // its own AI state decides
  EXPECT_FALSE(f.partnerGroupChanged);  // its animation group stays
  EXPECT_TRUE(f.headTrackingRan);
  EXPECT_EQ(f.partnerLooksAt, Addr(Objects().playerRef));
  EXPECT_EQ(Get<uint16_t>(Partner(), 0x36C), 4);
  EXPECT_EQ(Partner()[0xDC], 0);

  // Anyone else: the game's AI switch, and its own head tracking.
  alignas(16) static uint8_t bystander[0x600], bystanderRef[0x80];
  Put(bystander, 0x14, Addr(bystanderRef));
  game_double::SetFrameActor(bystander);
  Frame other = RunFrame();
  EXPECT_TRUE(other.partnerAiOff);
  Put(Objects().menuController, 0x24, 0u);
  other = RunFrame();
  EXPECT_TRUE(other.partnerGroupChanged);
  EXPECT_EQ(other.partnerLooksAt, game_double::OwnLookTarget);
  Put(Objects().menuController, 0x24, 8u);
}

// ---------------------------------------------------------------------------
// Zoom.

TEST_F(DialogueFrames, SmoothZoomOneDegreePerFrame) {
  const std::vector<Frame> frames = Talk(40);
  EXPECT_EQ(Dialogue.savedFov, 75);
  EXPECT_EQ(Dialogue.targetFov, 37);
  for (int i = 0; i < 38; ++i) EXPECT_EQ(frames[i].fov, 74.0f - i) << "frame " << i;
  EXPECT_EQ(frames[39].fov, 37.0f);
  EXPECT_EQ(Dialogue.smoothZoomActive, 0u);
  EXPECT_EQ(Get<float>(Master(), 0x2C0 + 8), 37.0f);
  game_double::CloseMenu();
  EXPECT_EQ(Get<float>(Master(), 0x13C), 75.0f);
  EXPECT_EQ(Get<float>(Master(), 0x2C0 + 8), 75.0f);
  EXPECT_EQ(Dialogue.savedFov, -1);
  EXPECT_EQ(Dialogue.targetFov, -1);
}

// A second dialogue begin in the same menu stay finds the camera zoomed: the
// exit still gives back the player's own field of view.
TEST_F(DialogueFrames, ASecondDialogueBeginKeepsTheFieldOfViewToGiveBack) {
  Settings.SmoothZooming = 0;
  PlacePartner(120);
  EXPECT_EQ(Talk(2)[1].fov, 37.0f);
  game_double::StartDialogue(Partner());
  EXPECT_EQ(RunFrame().fov, 37.0f);
  EXPECT_EQ(Dialogue.savedFov, 75);
  game_double::CloseMenu();
  EXPECT_EQ(Get<float>(Master(), 0x13C), 75.0f);
}

TEST_F(DialogueFrames, ZoomAtOnceOrNotAtAll) {
  const struct { float distance; int32_t smooth; float fov; } cases[] = {{120, 0, 37}, {50, 1, 75}, {50, 0, 75}};
  for (const auto& c : cases) {
    Settings.SmoothZooming = c.smooth;
    PlacePartner(c.distance);
    game_double::ResetCalls();
    const Frame f = Talk(2)[1];
    EXPECT_EQ(f.fov, c.fov) << c.distance;
    EXPECT_EQ(Dialogue.savedFov, 75);
    game_double::CloseMenu();
    // The exit always sets the field of view it found.
    const auto& set = game_double::LastCall(game_double::SetFieldOfView);
    EXPECT_EQ(Get<float>(reinterpret_cast<const uint8_t*>(&set.args[0]), 0), 75.0f);
    EXPECT_EQ(Get<float>(Master(), 0x13C), 75.0f);
  }
}

TEST_F(DialogueFrames, ZoomOffStillRecordsThePartner) {
  Settings.DlgEnableZoom = 0;
  const Frame f = Talk(3)[2];
  EXPECT_EQ(f.fov, 75.0f);
  EXPECT_EQ(f.heading, 0.0f);
  EXPECT_EQ(f.partnerLooksAt, Addr(Objects().playerRef));
  EXPECT_FALSE(f.partnerGroupChanged);
}

// ---------------------------------------------------------------------------
// The turn, through the double's own mouse-look code.

double Degrees(double radians) { return radians * 180 / Pi; }

// Where the camera should end: toward (x, y, z) from the eyes.  The turn
// reads the heading from the forward vector's x and y, which shrink as the
// camera looks up or down; the aims here stay within about 20 degrees of
// level, where that costs a degree or two.
void ExpectAimedAt(const Frame& f, float x, float y, float z) {
  const double dx = x, dy = y, dz = z - EyeZ;
  double heading = Degrees(std::atan2(dx, dy));
  if (heading < 0) heading += 360;
  const double fromUp = Degrees(std::acos(dz / std::sqrt(dx * dx + dy * dy + dz * dz)));
  EXPECT_NEAR(f.heading, heading, 2.0);
  EXPECT_NEAR(f.fromUp, fromUp, 1.0);
}

TEST_F(DialogueFrames, AimPointByModel) {
  const float x = PartnerX(120), y = PartnerY(120);
  const struct { const char* what; const char* neck; float neckZ; const char* head; float headZ; float aimZ; } cases[] = {
      {"neck lowered by the head's height over it", "Neck", 110, "Head", 130, 90},
      {"neck alone", "Neck", 110, "Head", 0, 110},
      {"head alone", "Neck", 0, "Head", 130, 130},
      {"Bip01 neck halfway to the top", "Bip01 Neck", 90, "Bip01 Head", 110, 125},  // top: 160
      {"Bip01 head alone", "Bip01 Neck", 0, "Bip01 Head", 100, 130},
      {"no model: five sixths of the height", nullptr, 0, nullptr, 0, 160.0f * 5 / 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    game_double::PlaceCamera(0.0f, 0.0f, EyeZ, 0.0f, 90.0f);
    Put(PartnerRef(), 0x10, 0u);
    if (c.neck) GiveModel(c.neck, c.neckZ, c.head, c.headZ);
    const std::vector<Frame> frames = Talk(30);
    EXPECT_EQ(Dialogue.turnActive, 0u);
    ExpectAimedAt(frames.back(), x, y, c.aimZ);
    game_double::CloseMenu();
  }
}

// The camera turns by the deltas the plug-in feeds, in frames where the
// player's own mouse look is held; with the look inverted, too.
TEST_F(DialogueFrames, TurnConvergesInTheGamesMouseLook) {
  GiveModel("Neck", 120, "Head", 135);
  for (uint8_t inverted : {0, 1}) {
    SCOPED_TRACE(inverted ? "inverted" : "plain");
    *game_double::At<uint8_t>(0x3D16DD) = inverted;
    game_double::PlaceCamera(0.0f, 0.0f, EyeZ, 0.0f, 90.0f);
    const std::vector<Frame> frames = Talk(30);
    EXPECT_EQ(frames[0].mouseDx, 40);  // 60 degrees to turn: (60 * 100 / 180) * 120 / 100 + 1
    int turning = 0;
    while (turning < 30 && (frames[turning].mouseDx || frames[turning].mouseDy)) {
      EXPECT_TRUE(frames[turning].mouseLookRan);
      ++turning;
    }
    EXPECT_GT(turning, 2);
    EXPECT_LT(turning, 15);
    EXPECT_EQ(Dialogue.turnActive, 0u);
    ExpectAimedAt(frames.back(), PartnerX(120), PartnerY(120), 105);
    // Once the turn ended, the player's held mouse look is his again.
    EXPECT_FALSE(frames.back().mouseLookRan);
    game_double::CloseMenu();
  }
}

// The partner steps behind the camera: the remaining angle grows past twice
// the last one, and the sideways part stops where it is.
TEST_F(DialogueFrames, TurnStopsWhenTheAngleGrows) {
  GiveModel("Neck", 120, "Head", 0);
  std::vector<Frame> frames = Talk(2);
  ASSERT_GT(frames[1].mouseDx, 0);
  uint8_t* root;
  std::memcpy(&root, PartnerRef() + 0x10, 4);
  uint8_t* body;
  std::memcpy(&body, root + 0x34, 4);
  uint8_t* neck;
  std::memcpy(&neck, body + 0x34, 4);
  game_double::MoveSceneNode(neck, -PartnerX(120), -PartnerY(120), 120);
  const float heading = frames[1].heading;
  const Frame f = RunFrame();
  EXPECT_EQ(f.mouseDx, 0);
  EXPECT_EQ(f.heading, heading);
  game_double::CloseMenu();
}

// A dialogue closed in the middle of its turn: the next one turns fully.
TEST_F(DialogueFrames, NextDialogueTurnsFromAFreshStart) {
  GiveModel("Neck", 120, "Head", 0);
  Talk(3);
  EXPECT_EQ(Dialogue.turnActive, 1u);
  game_double::CloseMenu();
  EXPECT_EQ(Dialogue.turnActive, 0u);
  EXPECT_EQ(Dialogue.turnDeltaX, 0);
  game_double::PlaceCamera(0.0f, 0.0f, EyeZ, 0.0f, 90.0f);
  const std::vector<Frame> frames = Talk(30);
  EXPECT_EQ(frames[0].mouseDx, 40);
  ExpectAimedAt(frames.back(), PartnerX(120), PartnerY(120), 120);
}

// ---------------------------------------------------------------------------
// View mode.

TEST_F(DialogueFrames, SwitchToFirstPersonKeepsTheZoom) {
  Settings.SmoothZooming = 0;
  View()[0xE8] = 1;  // third person
  const std::vector<Frame> frames = Talk(2);
  EXPECT_TRUE(frames[0].viewSwitched);
  EXPECT_EQ(View()[0xE8], 0);
  EXPECT_EQ(frames[0].fov, 37.0f);  // the game's switch reset it; the plug-in put the zoom back
  EXPECT_EQ(Get<float>(Master(), 0x2C0 + 8), 37.0f);
  game_double::CloseMenu();
  EXPECT_EQ(View()[0xE9], 1);  // the view found at the start is asked back
  EXPECT_EQ(Get<float>(Master(), 0x13C), 75.0f);
  EXPECT_TRUE(RunFrame().viewSwitched);
  EXPECT_EQ(View()[0xE8], 1);
}

TEST_F(DialogueFrames, PausedDialogueStillSwitchesTheView) {
  Settings.MPause[MenuDialogue] = 1;
  Settings.SmoothZooming = 0;
  View()[0xE8] = 1;
  const Frame f = Talk(1)[0];
  EXPECT_TRUE(f.frozen);
  EXPECT_TRUE(f.viewSwitched);
  EXPECT_EQ(f.fov, 37.0f);
  EXPECT_FALSE(f.headTrackingRan);
}

// ---------------------------------------------------------------------------
// Missing pieces of the world: each step does nothing then.

TEST_F(DialogueFrames, NothingMissingFaults) {
  const struct { const char* what; uint8_t* object; uint32_t offset; } cases[] = {
      {"no view controller", Player(), 0x244},
      {"no dialogue flag object", Master(), 0xF4},
      {"no camera", Master(), 0x134},
      {"no partner record", PartnerRef(), 0x28},
      {"no partner model", PartnerRef(), 0x10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const uint32_t kept = Get(c.object, c.offset);
    Put(c.object, c.offset, 0u);
    SetFov(75.0f);
    View()[0xE8] = 1;
    const std::vector<Frame> frames = Talk(45);
    EXPECT_FALSE(frames.back().frozen);
    EXPECT_EQ(frames.back().fov, 37.0f);
    game_double::CloseMenu();
    RunFrame();
    Put(c.object, c.offset, kept);
  }
  // Without a player the freeze check answers "menu mode" and evaluates nothing.
  game_double::SetPlayerPresent(false);
  game_double::OpenMenu(DialogueId);
  game_double::StartDialogue(Partner());
  EXPECT_TRUE(RunFrame().frozen);
  EXPECT_FALSE(AiOff());
  game_double::CloseMenu();
  game_double::SetPlayerPresent(true);
}

// ---------------------------------------------------------------------------
// Speech at the exit: a line posted in the dialogue never reaches the worker
// after the game left menu mode (the partner may be gone by then).  This
// thread stands in for the worker.

TEST_F(DialogueFrames, LinesOfTheDialogueDroppedAtTheExit) {
  testsupport::ScratchDir dir("dialogue-exit-speech");
  lstrcpynA(LogFilePath, (dir / "ModuleLoader.log").c_str(), sizeof LogFilePath);
  VoiceChannel& channel = VoiceMaleDlg;
  const uint32_t enabled = channel.enabled;
  channel.enabled = 1;  // no voice behind it: the worker only logs what it takes
  const DWORD savedWorker = WorkerThreadId;
  WorkerThreadId = GetCurrentThreadId();
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
  ObjectRef* partner = reinterpret_cast<ObjectRef*>(PartnerRef());
  Talk(1);
  ASSERT_TRUE(PostSpeakRequest(&channel, partner, "Said in the dialogue."));
  game_double::CloseMenu();
  ASSERT_TRUE(PostSpeakRequest(&channel, nullptr, "After the dialogue."));
  PostThreadMessageA(WorkerThreadId, WM_WORKER_QUIT, 0, 0);
  RunSpeakLoop(VoicePlayback);
  SpeakLoop.speechActive = 0;
  WorkerThreadId = savedWorker;
  channel.enabled = enabled;
  EXPECT_EQ(testsupport::WrittenLog(dir / "ModuleLoader.log"),
            std::vector<std::string>{"EVENT::Trying to speak: After the dialogue."});
  LogFilePath[0] = 0;
}

// The worker renders a line and waits for the smooth zoom before it hands it
// to the game; the player leaves the dialogue meanwhile.  The line must not
// be said after the exit (its speaker may be gone, and the exit has already
// stopped what was playing); the next conversation's line is.
TEST_F(DialogueFrames, ALineWaitingForTheZoomIsNotSaidAfterTheExit) {
  ASSERT_TRUE(sapistandin::Register(testsupport::RuntimeDir() + "\\" + sapistandin::DllName));
  sapistandin::SetVoices({"Quorrim Male"});
  Settings.SmoothZooming = 1;
  Settings.SpeakAfterZoom = 1;
  PlacePartner(120);
  uint32_t enabled[4];
  for (int i = 0; i < 4; ++i) enabled[i] = AllChannels[i]->enabled, AllChannels[i]->enabled = 0;
  VoiceChannel& channel = VoiceMaleDlg;
  channel.enabled = 1;
  channel.autoSpeak = 1;
  lstrcpyA(channel.voiceName, "Quorrim Male");
  const DWORD savedWorker = WorkerThreadId;
  PluginInstance = GetModuleHandleA(nullptr);  // the module the worker runs in
  ASSERT_TRUE(StartWorker());
  HANDLE worker = WorkerThread;
  auto waitFor = [](auto done) {
    for (DWORD start = GetTickCount(); !done();) {
      if (GetTickCount() - start > 10000) return false;
      Sleep(10);
    }
    return true;
  };
  ASSERT_TRUE(waitFor([] { return PostThreadMessageA(WorkerThreadId, WM_USER + 2, 0, 0) != 0; }));

  ObjectRef* partner = reinterpret_cast<ObjectRef*>(PartnerRef());
  ObjectRef* next = reinterpret_cast<ObjectRef*>(Objects().playerRef);
  const long spoken = sapistandin::SpeakCount();
  const uint32_t says = game_double::SayCount();
  Talk(1);
  ASSERT_EQ(Dialogue.smoothZoomActive, 1u);
  ASSERT_TRUE(PostSpeakRequest(&channel, partner, "Said while the camera zooms."));
  ASSERT_TRUE(waitFor([&] { return sapistandin::SpeakCount() == spoken + 1; }));  // now waiting for the zoom
  game_double::CloseMenu();
  Dialogue.CurrentSpeaker = next;
  ASSERT_TRUE(PostSpeakRequest(&channel, next, "The next conversation."));
  const bool nextSaid = waitFor([&] {
    for (uint32_t i = says; i < game_double::SayCount(); ++i)
      if (game_double::GetSay(i).speaker == Addr(next)) return true;
    return false;
  });

  PostThreadMessageA(WorkerThreadId, WM_WORKER_QUIT, 0, 0);
  EXPECT_EQ(WaitForSingleObject(worker, 10000), WAIT_OBJECT_0);
  CloseHandle(worker);
  WorkerThread = nullptr;
  WorkerThreadId = savedWorker;
  for (int i = 0; i < 4; ++i) AllChannels[i]->enabled = enabled[i];
  Dialogue.CurrentSpeaker = nullptr;
  SpeakLoop.speechActive = 0;

  ASSERT_TRUE(nextSaid);
  EXPECT_EQ(game_double::SayCount(), says + 1);
  EXPECT_EQ(game_double::GetSay(says).speaker, Addr(next));
}

}  // namespace
