// Long lines said in pieces by the worker thread in this process: the SAPI
// stand-in renders each piece and records what it said, the test's game
// loads every say through the hooked loader into Wine's DirectSound and
// plays it, so the worker sees each piece's buffer play and stop.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/sentence_split.h"
#include "common/speaker_voice.h"
#include "plugin/frame/lifecycle.h"
#include "plugin/frame/log.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/fake_game.h"
#include "plugin/game/game_state.h"
#include "plugin/game/menu_pause.h"
#include "plugin/game/voice_playback.h"
#include "plugin/speech/speak_loop.h"
#include "plugin/speech/speak_request.h"
#include "plugin/speech/speaker_buffer_table.h"
#include "plugin/speech/voice_channel.h"
#include "support/plugin_log.h"
#include "support/worker_support.h"
#include "support/standin_environment.h"

using namespace testsupport;

namespace {

const auto* const environment = ::testing::AddGlobalTestEnvironment(new speechtest::StandInEnvironment);

constexpr WORD SpeakKey = VK_F9;
constexpr WORD SilenceKey = VK_F10;

// Fast speech (10 ms a character), so that a line of a few pieces plays in
// seconds; the stand-in's own pace (30 ms) where a test acts while the first
// piece plays.
const char FastConfig[] = "<pitch absmiddle=\"-2\"><rate absspeed=\"10\"><volume level=\"80\">";
const char OwnPaceConfig[] = "<pitch absmiddle=\"-2\"><rate absspeed=\"0\"><volume level=\"80\">";

// A first sentence that is the first piece, then `sentences` sentences
// joined into pieces of three, and a short last one.
std::string LongLine(int sentences = 8) {
  std::string line = "Hear me, outlander, for the guards of Balmora do not like strangers at all. ";
  for (int i = 0; i < sentences; ++i)
    line += "The guards of Balmora watch the bridges over the Odai day and night, number " + std::to_string(i) + ". ";
  return line + "Go now.";
}

class Chain : public ::testing::Test {
 protected:
  Chain() : dir_("chain-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())) {}

  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ASSERT_EQ(DirectSoundCreate8(nullptr, &sound, nullptr), DS_OK);
    sound->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY);
  }
  static void TearDownTestSuite() { sound->Release(); }

  void SetUp() override {
    sapistandin::SetVoices({"Quorrim Male", "Quorrim Female", "Quorrim Creature"});
    sapistandin::StartRecordingSpoken();
    lstrcpynA(LogFilePath, (dir_ / "ModuleLoader.log").c_str(), sizeof LogFilePath);
    Settings = PluginDefaults();
    Settings.SpeakKeyCode = SpeakKey;
    Settings.SilenceKeyCode = SilenceKey;
    Settings.VoiceFxByRace = 1;
    Settings.VPBaseMale = -300;
    Settings.RacePitch[RaceOrc] = -4000;
    for (VoiceChannel* c : AllChannels) std::memset(c, 0, sizeof *c);
    VoiceChannel* dialogue[] = {&VoiceMaleDlg, &VoiceFemaleDlg, &VoiceCreatureDlg};
    const char* names[] = {"Quorrim Male", "Quorrim Female", "Quorrim Creature"};
    for (int i = 0; i < 3; ++i) {
      dialogue[i]->enabled = 1;
      dialogue[i]->autoSpeak = 1;
      lstrcpyA(dialogue[i]->voiceName, names[i]);
      lstrcpyA(dialogue[i]->voiceConfig, FastConfig);
    }
    lstrcpyA(VoiceDoc.voiceName, "?");
    std::memset(SpeakerBufferTable, 0, sizeof SpeakerBufferTable);
    *reinterpret_cast<IDirectSound**>(reinterpret_cast<uint8_t*>(game_.soundManager()) + 0x0C) =
        reinterpret_cast<IDirectSound*>(sound);
    fakegame::Calls().playVoices = true;
    fakegame::Calls().volume = 150;
    orc_ = game_.MakeNpc("Gharz gro-Shagdul", false, "Orc");
    other_ = game_.MakeNpc("Ajira", true, "Khajiit");
    Dialogue.Reset();
    SpeakLoop.Reset();
    Dialogue.CurrentSpeaker = orc_.ref;
    // The worker holds a reference to the module it runs in and ends through
    // it: here that is this program.
    PluginInstance = GetModuleHandleA(nullptr);
  }

  // The worker as attach starts it.
  void Start() {
    ASSERT_TRUE(StartWorker());
    ASSERT_TRUE(WaitFor([] { return PostThreadMessageA(WorkerThreadId, WM_USER + 2, 0, 0) != 0; }, 10000));
    ASSERT_TRUE(WaitFor([this] { return Has("WRKTHREAD::Entering message loop."); }, 10000));
  }

  void TearDown() override {
    PressKey(SpeakKey, false);
    PressKey(SilenceKey, false);
    StopWorkerAndFreeChannels(20000);
    StopAllSpeech();
    sapistandin::StopRecordingSpoken();
    SpeakLoop.speechActive = 0;
    CloseLog();
  }

  bool Has(const std::string& line) {
    const std::vector<std::string> log = WrittenLog(dir_ / "ModuleLoader.log");
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  size_t EventLines() {
    size_t n = 0;
    for (const std::string& l : WrittenLog(dir_ / "ModuleLoader.log")) n += l.rfind("EVENT::Trying to speak", 0) == 0;
    return n;
  }
  void UseConfig(const char* config) {
    for (VoiceChannel* c : {&VoiceMaleDlg, &VoiceFemaleDlg, &VoiceCreatureDlg}) lstrcpyA(c->voiceConfig, config);
  }
  static size_t Says() { return fakegame::Calls().says.size(); }
  static const fakegame::SayCall& SayAt(size_t i) { return fakegame::Calls().says[i]; }
  static bool Playing(IDirectSoundBuffer* buffer) {
    DWORD status = 0;
    return buffer && SUCCEEDED(buffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING);
  }
  // Until every buffer said so far has stopped and the worker has had time to
  // say another piece, were there one.
  void WaitUntilQuiet() {
    for (;;) {
      const size_t says = Says();
      ASSERT_TRUE(WaitFor([&] { return says == 0 || !Playing(SayAt(says - 1).buffer); }, 30000));
      Sleep(20 * ActiveRoundMs);
      if (Says() == says) return;
    }
  }

  ScratchDir dir_;
  fakegame::Game game_;
  fakegame::Actor orc_, other_;
  static IDirectSound8* sound;
};
IDirectSound8* Chain::sound = nullptr;

// The pieces follow each other, each said once the one before has played to
// its end; joined, they are the line; every piece is said by the line's
// speaker, through the line's channel, as loud and as high as the first; and
// the log names the line once.
TEST_F(Chain, ALongLineIsSaidInPiecesThatMakeUpTheLine) {
  Dialogue.savedFov = 75;
  Dialogue.targetFov = 60;  // zoomed: 150 + (75 - 60) / 1.5 = 160
  Start();
  const std::string line = LongLine();
  const size_t pieces = SpeechPieceCount(line.c_str(), static_cast<uint32_t>(line.size()));
  ASSERT_GE(pieces, 3u);
  ASSERT_TRUE(PostSpeakRequest(&VoiceMaleDlg, orc_.ref, line.c_str(), 4));
  ASSERT_TRUE(WaitFor([] { return Says() >= 1; }, 10000));
  Dialogue.targetFov = 40;  // the zoom goes on: later pieces keep the first one's volume
  WaitUntilQuiet();

  ASSERT_EQ(Says(), pieces);
  std::string heard;
  const std::vector<sapistandin::SpokenText> spoken = sapistandin::Spoken();
  ASSERT_EQ(spoken.size(), pieces);
  for (size_t i = 0; i < pieces; ++i) {
    SCOPED_TRACE(i);
    heard += spoken[i].plain;
    EXPECT_EQ(spoken[i].pitch, 4);  // the line's own pitch on every piece
    EXPECT_EQ(spoken[i].rate, 10);
    EXPECT_EQ(spoken[i].volume, 80);
    const fakegame::SayCall& say = SayAt(i);
    EXPECT_EQ(say.name, SayAt(0).name);
    EXPECT_EQ(say.speaker, orc_.ref);
    EXPECT_EQ(say.volume, 160u);
    EXPECT_EQ(say.frequency, 44100u - 300 - 4000);
    ASSERT_NE(say.buffer, nullptr);
    EXPECT_EQ(say.bytes, spoken[i].plain.size() * speechtest::BytesPerChar / 3);
    EXPECT_GT(say.peakCount, 0u);
    EXPECT_TRUE(say.peaksOfTheBuffer);  // its own peaks for the lips
    // Asked for once the piece before had stopped, and that one had played
    // to its end: its cursor is back at the start.
    EXPECT_FALSE(say.speakerStillPlaying);
    DWORD cursor = 1;
    say.buffer->GetCurrentPosition(&cursor, nullptr);
    EXPECT_EQ(cursor, 0u);
  }
  EXPECT_EQ(heard, line);
  EXPECT_EQ(EventLines(), 1u);
  EXPECT_TRUE(Has("EVENT::Trying to speak: " + line));
}

// A speaker with a timbre of its own (variety, by its id) keeps it on every
// piece: the same pitch and rate in each piece's configuration, the same
// frequency on each buffer, and not the kind's plain voice.
TEST_F(Chain, EveryPieceHasTheSpeakersOwnTimbre) {
  Settings.VoiceVariety[PoolMale] = 10;
  Start();
  const std::string line = LongLine(4);
  const size_t pieces = SpeechPieceCount(line.c_str(), static_cast<uint32_t>(line.size()));
  ASSERT_TRUE(PostSpeakRequest(&VoiceMaleDlg, orc_.ref, line.c_str(), 4, SpeechKind::Dialogue, "gharz gro-shagdul"));
  ASSERT_TRUE(WaitFor([] { return Says() >= 1; }, 10000));
  WaitUntilQuiet();
  ASSERT_EQ(Says(), pieces);
  const std::vector<sapistandin::SpokenText> spoken = sapistandin::Spoken();
  ASSERT_EQ(spoken.size(), pieces);
  const SpeakerTimbre timbre = TimbreOf(SpeakerIdHash("gharz gro-shagdul"), 10);
  ASSERT_NE(timbre, SpeakerTimbre{});
  for (size_t i = 0; i < pieces; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(spoken[i].pitch, std::clamp(4 + timbre.voicePitch, -10, 10));
    EXPECT_EQ(spoken[i].rate, std::clamp(10 + timbre.voiceRate, -10, 10));
    EXPECT_EQ(SayAt(i).frequency, SayAt(0).frequency);
  }
  EXPECT_EQ(SayAt(0).frequency, static_cast<uint32_t>(44100 - 300 - 4000 + timbre.frequency));
}

// A long line that waits for the speak chord is said in pieces once the
// chord comes, the first at once, the rest following.
TEST_F(Chain, ALongLineWaitingForTheSpeakChordIsSaidInPiecesToo) {
  VoiceMaleDlg.autoSpeak = 0;
  Start();
  const std::string line = LongLine(4);
  ASSERT_TRUE(PostSpeakRequest(&VoiceMaleDlg, orc_.ref, line.c_str()));
  ASSERT_TRUE(WaitFor([&] { return Has("EVENT::Trying to speak: " + line); }, 10000));
  Sleep(10 * ActiveRoundMs);
  EXPECT_EQ(Says(), 0u);
  PressKey(SpeakKey, true);
  EXPECT_TRUE(WaitFor([] { return Says() >= 1; }, 10000));
  PressKey(SpeakKey, false);
  WaitUntilQuiet();
  const size_t pieces = SpeechPieceCount(line.c_str(), static_cast<uint32_t>(line.size()));
  ASSERT_EQ(Says(), pieces);
  std::string heard;
  for (const sapistandin::SpokenText& s : sapistandin::Spoken()) heard += s.plain;
  EXPECT_EQ(heard, line);
  for (size_t i = 0; i < pieces; ++i) EXPECT_FALSE(SayAt(i).speakerStillPlaying) << i;
}

// With SpeakInPieces off the line is rendered whole and said once.
TEST_F(Chain, WithPiecesOffTheWholeLineIsSaidAtOnce) {
  Settings.SpeakInPieces = 0;
  Start();
  const std::string line = LongLine();
  ASSERT_TRUE(PostSpeakRequest(&VoiceMaleDlg, orc_.ref, line.c_str()));
  ASSERT_TRUE(WaitFor([] { return Says() >= 1; }, 10000));
  WaitUntilQuiet();
  ASSERT_EQ(Says(), 1u);
  ASSERT_EQ(sapistandin::Spoken().size(), 1u);
  EXPECT_EQ(sapistandin::Spoken()[0].plain, line);
  EXPECT_EQ(SayAt(0).bytes, line.size() * speechtest::BytesPerChar / 3);
}

// Each of a chain's ends, while its first piece plays and the next is ready:
// nothing more of the line is said afterwards.  The stopping ends also stop
// the piece that plays; leaving menu mode (with StopSpkOnClose off) and a new
// line still waiting let it play out.
TEST_F(Chain, EveryEndOfAChainLeavesTheRestUnsaid) {
  const size_t* before = nullptr;
  const struct {
    const char* name;
    bool stopsThePiece;
    std::function<void()> end;  // returns once the end has had its effect
  } ends[] = {
      {"the silence chord", true,
       [] {
         PressKey(SilenceKey, true);
         EXPECT_TRUE(WaitFor([] { return SpeakLoop.speechActive == 0; }, 5000));
         PressKey(SilenceKey, false);
       }},
      {"leaving menu mode", false,
       [] {
         Settings.StopSpkOnClose = 0;
         ExitMenuMode();
       }},
      {"closing the text window", true, [] { StopAllSpeech(); }},  // what its hook calls with StopSpkOnClose
      {"a new line of the same speaker", true,
       [&] {
         ASSERT_TRUE(PostSpeakRequest(&VoiceMaleDlg, orc_.ref, "Enough."));
         EXPECT_TRUE(WaitFor([&] { return Says() == *before + 2; }, 10000));
       }},
      // It is not said until the speak chord, yet the old line ends now.
      {"a new line of the same speaker that waits for the speak chord", false,
       [&] {
         VoiceMaleDlg.autoSpeak = 0;
         ASSERT_TRUE(PostSpeakRequest(&VoiceMaleDlg, orc_.ref, "Wait for it."));
         EXPECT_TRUE(WaitFor([&] { return Has("EVENT::Trying to speak: Wait for it."); }, 10000));
       }},
  };
  UseConfig(OwnPaceConfig);
  Start();
  const std::string line = LongLine(4);
  for (const auto& e : ends) {
    SCOPED_TRACE(e.name);
    Settings.StopSpkOnClose = 1;
    VoiceMaleDlg.autoSpeak = 1;
    Dialogue.CurrentSpeaker = orc_.ref;
    const size_t said = Says();
    before = &said;
    sapistandin::StartRecordingSpoken();
    ASSERT_TRUE(PostSpeakRequest(&VoiceMaleDlg, orc_.ref, line.c_str()));
    // The first piece plays and the second has been rendered.
    ASSERT_TRUE(WaitFor([&] { return Says() == said + 1 && sapistandin::Spoken().size() == 2; }, 10000));
    IDirectSoundBuffer* first = SayAt(said).buffer;
    ASSERT_TRUE(Playing(first));
    e.end();
    EXPECT_EQ(Playing(first), !e.stopsThePiece);
    WaitUntilQuiet();
    std::vector<std::string> speakers;
    for (size_t i = said; i < Says(); ++i) speakers.push_back(SayAt(i).speaker == orc_.ref ? "orc" : "?");
    const bool newLine = std::string(e.name) == "a new line of the same speaker";
    const std::vector<std::string> expected(newLine ? 2 : 1, "orc");
    EXPECT_EQ(speakers, expected);
    const std::vector<sapistandin::SpokenText> spoken = sapistandin::Spoken();
    ASSERT_EQ(spoken.size(), newLine ? 3u : 2u);  // the second piece was rendered, never said
    if (newLine) {
      EXPECT_EQ(spoken[2].plain, "Enough.");
    }
  }
}

// Another speaker's line on the same voice while a chain waits: the chain's
// next piece is rendered again before it is said, and both lines come
// through whole, each in its speaker's voice.
TEST_F(Chain, AnotherLineOnTheSameVoiceDoesNotTakeThePiecesPlace) {
  UseConfig(OwnPaceConfig);
  Start();
  const std::string line = LongLine(4);  // three pieces
  ASSERT_TRUE(PostSpeakRequest(&VoiceMaleDlg, orc_.ref, line.c_str()));
  ASSERT_TRUE(WaitFor([] { return Says() == 1 && sapistandin::Spoken().size() == 2; }, 10000));
  ASSERT_TRUE(PostSpeakRequest(&VoiceMaleDlg, other_.ref, "Ajira has a word."));
  WaitUntilQuiet();
  for (const fakegame::SayCall& say : fakegame::Calls().says) {
    ASSERT_NE(say.buffer, nullptr);
    EXPECT_EQ(say.frequency, say.speaker == orc_.ref ? 44100u - 300 - 4000 : 44100u);
  }
  const size_t pieces = SpeechPieceCount(line.c_str(), static_cast<uint32_t>(line.size()));
  size_t orcSays = 0;
  for (const fakegame::SayCall& say : fakegame::Calls().says) orcSays += say.speaker == orc_.ref;
  EXPECT_EQ(orcSays, pieces);
  // What was rendered, in order: the orc's first and second piece, Ajira's
  // line, the orc's second piece again, then the rest of its pieces.
  std::vector<std::string> plains;
  for (const sapistandin::SpokenText& s : sapistandin::Spoken()) plains.push_back(s.plain);
  ASSERT_EQ(plains.size(), pieces + 2);
  EXPECT_EQ(plains[2], "Ajira has a word.");
  EXPECT_EQ(plains[3], plains[1]);
  std::string orcHeard = plains[0];
  for (size_t i = 3; i < plains.size(); ++i) orcHeard += plains[i];
  EXPECT_EQ(orcHeard, line);
}

}  // namespace
