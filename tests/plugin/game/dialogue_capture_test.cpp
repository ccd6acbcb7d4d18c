// From a line the game shows to a speak request: parity, journal entries,
// speaker classification, the document voice; and the speaker's pitch.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <string>
#include <vector>

#include "common/voice_config.h"
#include "plugin/game/fake_game.h"
#include "plugin/frame/log.h"
#include "plugin/frame/settings.h"
#include "plugin/game/captured_text.h"
#include "plugin/game/dialogue_capture.h"
#include "plugin/game/game_state.h"
#include "plugin/game/speaker_pitch.h"
#include "plugin/speech/speak_request.h"
#include "plugin/speech/voice_channel.h"
#include "support/plugin_log.h"
#include "support/test_support.h"

using fakegame::Actor;
using testsupport::WrittenLog;
using testsupport::ScratchDir;

namespace {

struct Posted {
  VoiceChannel* channel;
  ObjectRef* speaker;
  std::string text;
  int32_t voicePitch;
};

// This thread stands in for the worker: requests are posted to it and
// taken back here.
std::vector<Posted> TakePosted() {
  std::vector<Posted> posted;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_SPEAK_REQUEST, WM_SPEAK_REQUEST, PM_REMOVE)) {
    auto* request = reinterpret_cast<SpeakRequest*>(msg.lParam);
    posted.push_back({reinterpret_cast<VoiceChannel*>(msg.wParam), request->speaker, request->text,
                      request->voicePitch});
    HeapFree(GetProcessHeap(), 0, request);
  }
  return posted;
}

class Capture : public ::testing::Test {
 protected:
  Capture() : log("capture") {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // this thread's queue
    WorkerThreadId = GetCurrentThreadId();
    lstrcpynA(LogFilePath, (log / "loader.log").c_str(), sizeof LogFilePath);
    Settings = PluginDefaults();
    for (VoiceChannel* c : AllChannels) c->text = nullptr, c->speaker = nullptr;
    player = game.MakeNpc("Nerevarine", false, "Breton");
    game.SetPlayer(&player);
    ClearCapturedText();
    TakePosted();
    // Start every test on a call that speaks.
    if (DialogueParity() == 1) CaptureDialogueText(nullptr, nullptr);
    Dialogue.CurrentSpeaker = nullptr;
  }
  ~Capture() override {
    testsupport::CloseLog();
    WorkerThreadId = 0;
  }
  std::vector<std::string> Log() { return WrittenLog(log / "loader.log"); }

  ScratchDir log;
  fakegame::Game game;
  Actor player;
};

TEST_F(Capture, EverySecondCallSpeaksAndJournalEntriesCountToo) {
  Actor npc = game.MakeNpc("Fargoth", false, "Wood Elf");
  const struct {
    std::vector<bool> journal;  // per call: a journal entry (else an NPC line)
    std::vector<bool> spoken;
  } cases[] = {
      {{false, false, false}, {true, false, true}},
      {{false, true, false, false}, {true, false, true, false}},  // the entry shifts the pairs
  };
  for (const auto& c : cases) {
    for (size_t i = 0; i < c.journal.size(); ++i) {
      CaptureDialogueText(c.journal[i] ? player.mobile : npc.mobile, "Line.");
      EXPECT_EQ(TakePosted().size(), c.spoken[i] ? 1u : 0u) << "call " << i;
    }
    if (DialogueParity() == 1) CaptureDialogueText(nullptr, nullptr);
  }
}

TEST_F(Capture, JournalEntriesAreCollectedNeverPosted) {
  CaptureDialogueText(player.mobile, "I met @Fargoth#.");
  CaptureDialogueText(player.mobile, "He wants a <b>ring</b>\r\nback.");
  EXPECT_STREQ(CapturedText, "I met Fargoth..   He wants a ring  back..   ");
  EXPECT_TRUE(TakePosted().empty());
  for (const std::string& line : Log()) EXPECT_EQ(line.find("Preparing a dialogue"), std::string::npos);
}

TEST_F(Capture, TheSpeakersKindAndSexChooseTheVoice) {
  const struct {
    Actor actor;
    VoiceChannel* channel;
    std::string line;
  } cases[] = {
      {game.MakeCreature("Scamp", /*female=*/true), &VoiceCreatureDlg, "MORROWIND::Detected a Creature: Scamp, [ Scamp_id ]"},
      {game.MakeNpc("Ajira", true, "Khajiit"), &VoiceFemaleDlg, "MORROWIND::Detected a Female NPC: Ajira, [ Ajira_id ]"},
      {game.MakeNpc("Caius", false, "Imperial"), &VoiceMaleDlg, "MORROWIND::Detected a Male NPC: Caius, [ Caius_id ]"},
  };
  for (const auto& c : cases) {
    CaptureDialogueText(c.actor.mobile, "Well met.");
    CaptureDialogueText(c.actor.mobile, "Well met.");  // the second of the pair is not spoken
    auto posted = TakePosted();
    ASSERT_EQ(posted.size(), 1u) << c.line;
    EXPECT_EQ(posted[0].channel, c.channel);
    EXPECT_EQ(posted[0].speaker, c.actor.ref);
    EXPECT_EQ(posted[0].text, "Well met.");
    EXPECT_EQ(c.channel->speaker, nullptr);  // set by the worker when it renders the line
    EXPECT_STREQ(c.channel->text, "Well met.");
  }
  auto log = Log();
  const std::vector<std::string> expected = {
      "MORROWIND::Preparing a dialogue text.", cases[0].line, "MORROWIND::Preparing a dialogue text.",
      cases[1].line, "MORROWIND::Preparing a dialogue text.", cases[2].line};
  EXPECT_EQ(log, expected);
}

// The game's objects are taken as they come; a missing link skips the text.
TEST_F(Capture, ABrokenOwnerChainSkipsTheText) {
  Actor npc = game.MakeNpc("Ghost", false, "Nord");
  const struct { const char* what; ActorMobile* owner; } cases[] = {
      {"no owner", nullptr},
      {"owner without reference", game.MakeNpc("Nobody", false, "Nord").mobile},
  };
  *reinterpret_cast<ObjectRef**>(reinterpret_cast<uint8_t*>(cases[1].owner) + 0x14) = nullptr;
  for (const auto& c : cases) {
    CaptureDialogueText(c.owner, "Boo.");
    CaptureDialogueText(c.owner, "Boo.");
    EXPECT_TRUE(TakePosted().empty()) << c.what;
  }
  game.SetPlayer(nullptr);
  CaptureDialogueText(npc.mobile, "Boo.");
  EXPECT_TRUE(TakePosted().empty()) << "no player";
}

TEST_F(Capture, NpcWithoutActorDataSpeaksAsMale) {
  Actor npc = game.MakeNpc("Plain", false, nullptr, /*withActorData=*/false);
  CaptureDialogueText(npc.mobile, "Hm.");
  auto posted = TakePosted();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].channel, &VoiceMaleDlg);
}

TEST_F(Capture, DocumentTextGoesToTheDocumentVoiceOrThePlayersOwn) {
  const struct {
    int32_t docVoiceAsDlg;
    bool femalePlayer;
    VoiceChannel* channel;
    const char* sexLine;
  } cases[] = {
      {0, true, &VoiceDoc, nullptr},
      {1, true, &VoiceFemaleDlg, "MORROWIND::Player is Female"},
      {1, false, &VoiceMaleDlg, "MORROWIND::Player is Male"},
  };
  for (const auto& c : cases) {
    ScratchDir dir("capture-doc");
    lstrcpynA(LogFilePath, (dir / "loader.log").c_str(), sizeof LogFilePath);
    Settings.DocVoiceAsDlg = c.docVoiceAsDlg;
    Actor me = game.MakeNpc("Me", c.femalePlayer, "Redguard");
    game.SetPlayer(&me);
    Dialogue.CurrentSpeaker = nullptr;
    ClearCapturedText();
    SpeakCapturedText();  // empty: nothing
    EXPECT_TRUE(TakePosted().empty());
    AppendCapturedText("A page.", "  ");
    SpeakCapturedText();
    auto posted = TakePosted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].channel, c.channel);
    EXPECT_EQ(posted[0].speaker, me.ref);
    EXPECT_EQ(posted[0].text, "A page.  ");
    EXPECT_EQ(Dialogue.CurrentSpeaker, me.ref);
    // (the profile file does not keep a value's trailing blanks)
    std::vector<std::string> expected = {"MORROWIND::Preparing document text: A page."};
    if (c.sexLine) expected.push_back(c.sexLine);
    EXPECT_EQ(WrittenLog(dir / "loader.log"), expected);
    lstrcpynA(LogFilePath, (log / "loader.log").c_str(), sizeof LogFilePath);  // dir goes now
  }
}

// The race step reaches the voice's pitch tag when both settings ask for it.
TEST_F(Capture, RaceStepBoundToTheVoice) {
  Settings.RacePitch[RaceDarkElf] = 1500;
  Actor dunmer = game.MakeNpc("Dunmer", true, "Dark Elf");
  Actor scamp = game.MakeCreature("Scamp", false);
  const struct {
    int32_t fx, bound;
    Actor actor;
    int32_t voicePitch;
  } cases[] = {
      {1, 1, dunmer, 3},
      {0, 1, dunmer, KeepVoicePitch},
      {1, 0, dunmer, KeepVoicePitch},
      {1, 1, scamp, KeepVoicePitch},
  };
  for (const auto& c : cases) {
    Settings.VoiceFxByRace = c.fx;
    Settings.TTSBoundPitchDS = c.bound;
    CaptureDialogueText(c.actor.mobile, "Hm.");
    CaptureDialogueText(c.actor.mobile, "Hm.");
    auto posted = TakePosted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].voicePitch, c.voicePitch) << c.fx << c.bound;
  }
}

class Pitch : public ::testing::Test {
 protected:
  Pitch() { Settings = PluginDefaults(); }
  fakegame::Game game;
};

TEST_F(Pitch, RaceIdsAreComparedExactly) {
  for (int i = 0; i < 10; ++i) Settings.RacePitch[i] = static_cast<int16_t>(100 * (i + 1));
  const struct { const char* race; int32_t pitch; } cases[] = {
      {"Orc", 100},       {"Nord", 200},      {"Breton", 300},    {"Khajiit", 400},  {"Dark Elf", 500},
      {"High Elf", 600},  {"Wood Elf", 700},  {"Argonian", 800},  {"Imperial", 900}, {"Redguard", 1000},
      {"orc", 0},         {"Dark elf", 0},    {"Orc ", 0},        {"Dremora", 0},    {"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(RacePitch(game.MakeNpc("x", false, c.race).ref), c.pitch) << c.race;
  EXPECT_EQ(RacePitch(nullptr), 0);
}

TEST_F(Pitch, OffsetByKindSexAndRace) {
  Settings.VPBaseMale = 100;
  Settings.VPBaseFemale = 2000;
  Settings.VPBaseCreature = -500;
  Settings.RacePitch[RaceDarkElf] = 1000;
  Settings.RacePitch[RaceOrc] = -8000;
  const struct {
    Actor actor;
    int32_t fx, offset;
  } cases[] = {
      {game.MakeNpc("Dunmer", true, "Dark Elf"), 1, 3000},
      {game.MakeNpc("Dunmer", true, "Dark Elf"), 0, 2000},
      {game.MakeNpc("Orc", false, "Orc"), 1, -7900},
      {game.MakeCreature("Scamp", true), 1, -500},  // a creature: its base only, whatever its flags
  };
  for (const auto& c : cases) {
    Settings.VoiceFxByRace = c.fx;
    EXPECT_EQ(SpeakerPitchOffset(c.actor.ref), c.offset);
  }
}

TEST_F(Pitch, ApplySpeakerPitchNeedsBufferAndSpeaker) {
  VoiceChannel channel{};
  EXPECT_EQ(ApplySpeakerPitch(nullptr, &channel), 1u);
  EXPECT_EQ(ApplySpeakerPitch(reinterpret_cast<IDirectSoundBuffer*>(0x1), &channel), 1u);  // no speaker
}

}  // namespace
