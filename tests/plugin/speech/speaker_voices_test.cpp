// A voice of its own for every speaker, on the worker: each NPC of a crowd
// keeps the voice of its pool and the timbre its id gives it, a file without
// the keys renders every line as it always has, and the configurator's
// LISTEN for a speaker id speaks exactly what the plug-in renders for that
// speaker.  Seen through the SAPI stand-in's record of each Speak.
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "common/speaker_voice.h"
#include "configurator/configurator_settings.h"
#include "configurator/voice_pools.h"
#include "configurator/voice_test.h"
#include "configurator/window_races.h"
#include "plugin/frame/lifecycle.h"
#include "plugin/frame/log.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/dialogue_capture.h"
#include "plugin/game/game_state.h"
#include "plugin/game/speaker_pitch.h"
#include "plugin/speech/speak_loop.h"
#include "plugin/speech/speak_request.h"
#include "plugin/speech/speaker_voices.h"
#include "plugin/speech/voice_channel.h"
#include "plugin/game/fake_game.h"
#include "support/plugin_log.h"
#include "support/worker_support.h"
#include "support/standin_environment.h"

using namespace speechtest;
using namespace testsupport;

namespace {

const auto* const environment = ::testing::AddGlobalTestEnvironment(new StandInEnvironment);

using sapistandin::VoiceEntry;

// Three men, three women, a neutral voice and one that says nothing of itself.
const std::vector<std::string> Installed = {
    VoiceEntry("Arden", "Male"),          VoiceEntry("Bryn", "Female", "Senior"), VoiceEntry("Corin", "Male", "Senior"),
    VoiceEntry("Dace", "Female"),         VoiceEntry("Edric", "Male", "Child"),   VoiceEntry("Fenna", "Female"),
    VoiceEntry("Grub", "Neutral"),        "Plain Voice"};
const std::vector<std::string_view> MalePool = {"Arden", "Corin", "Edric"};  // as installed, Gender=Male

ObjectRef* const SomeActor = reinterpret_cast<ObjectRef*>(0x1234);

// One line as the stand-in rendered it, and the frequency its speaker adds.
struct Rendered {
  std::string voice, text;
  long pitch = 0, rate = 0;
  int32_t frequency = 0;
  std::vector<uint8_t> pcm;
  bool operator==(const Rendered&) const = default;
};

class SpeakerVoices : public ::testing::Test {
 protected:
  SpeakerVoices()
      : dir_("speaker-voices-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())) {}

  void SetUp() override {
    sapistandin::SetVoices(Installed, "Plain Voice");
    lstrcpynA(LogFilePath, (dir_ / "ModuleLoader.log").c_str(), sizeof LogFilePath);
    Settings = PluginDefaults();
    for (VoiceChannel* c : AllChannels) std::memset(c, 0, sizeof *c);
    Dialogue.Reset();
    SpeakLoop.Reset();
    Dialogue.CurrentSpeaker = SomeActor;  // a conversation to say the lines in
    PluginInstance = GetModuleHandleA(nullptr);
  }

  // The settings as the configurator wrote them and the plug-in read them.
  void UseSettings(const ConfiguratorSettings& s) {
    ASSERT_TRUE(SaveSettings(s, dir_ / "LirraCfg.ini"));
    ReadSettings((dir_ / "LirraCfg.ini").c_str());
    CopyVoiceSettings(Settings);
  }

  void Start() {
    ASSERT_TRUE(StartWorker());
    ASSERT_TRUE(WaitFor([] { return PostThreadMessageA(WorkerThreadId, WM_USER + 2, 0, 0) != 0; }, 10000));
    ASSERT_TRUE(WaitFor([this] { return HasLine("WRKTHREAD::Entering message loop."); }, 10000));
  }

  void TearDown() override {
    StopWorkerAndFreeChannels(10000);
    CloseLog();
  }

  bool HasLine(const std::string& line) {
    for (const std::string& l : WrittenLog(dir_ / "ModuleLoader.log"))
      if (l == line) return true;
    return false;
  }

  // Posts a line and waits until the game was asked to say it.
  Rendered Say(const std::function<void()>& post) {
    const size_t says = fakegame::Calls().says.size();
    post();
    EXPECT_TRUE(WaitFor([&] { return fakegame::Calls().says.size() == says + 1; }, 30000));
    Rendered r;
    r.voice = sapistandin::ReadString("LastVoice");
    r.text = sapistandin::ReadString("LastText");
    r.pitch = sapistandin::ReadNumber("LastPitch");
    r.rate = sapistandin::ReadNumber("LastRate");
    r.frequency = LineFrequencyOffset(&VoiceMaleDlg);
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    if (VoiceMaleDlg.voice.GetAudio(&data, &size) == 0) r.pcm.assign(data, data + size);
    return r;
  }

  ConfiguratorSettings Choices(const char* malePool, int32_t variety) {
    ConfiguratorSettings s = ConfiguratorDefaults("Sethrim.exe");
    s.voices[VoiceMale].name = "Arden";
    s.voices[VoiceFemale].name = "Bryn";
    s.voices[VoiceCreature].name = "Grub";
    s.voices[VoiceMale].config = VoiceConfigText(2, -1, 90);
    s.voicePools = {malePool, "", ""};
    s.voiceVariety = {variety, 0, 0};
    s.flags[FlagDocVoiceEnable] = 0;
    return s;
  }

  ScratchDir dir_;
  fakegame::Game game_;
};

// The crowd: five men of one race, each heard twice, between the others.
TEST_F(SpeakerVoices, EachOfACrowdKeepsItsOwnVoiceAndTimbre) {
  UseSettings(Choices("*", 5));
  Start();
  EXPECT_TRUE(HasLine("WRKTHREAD::'VoiceMaleDlg' has 3 voices in its pool."));
  const char* const ids[] = {"fargoth", "hrisskar flat-foot", "vodunius nuccius", "elone", "arrille"};
  std::vector<Rendered> first;
  for (int round = 0; round < 2; ++round)
    for (int i = 0; i < 5; ++i) {
      const Rendered r = Say([&] { PostSpeakRequest(&VoiceMaleDlg, nullptr, "A word.", KeepVoicePitch,
                                                    SpeechKind::Dialogue, ids[i]); });
      const SpeakerVoice expected = ChooseSpeakerVoice(ids[i], MalePool.data(), 3, 5);
      ASSERT_GE(expected.poolIndex, 0);
      EXPECT_EQ(r.voice, MalePool[expected.poolIndex]) << ids[i];
      EXPECT_EQ(r.pitch, std::clamp(2 + expected.timbre.voicePitch, -10, 10)) << ids[i];
      EXPECT_EQ(r.rate, std::clamp(-1 + expected.timbre.voiceRate, -10, 10)) << ids[i];
      EXPECT_EQ(r.frequency, expected.timbre.frequency) << ids[i];
      if (round == 0) {
        first.push_back(r);
      } else {
        EXPECT_EQ(r, first[i]) << ids[i] << " sounds otherwise the second time";
      }
    }
  std::set<std::string> voices;
  std::set<int32_t> frequencies;
  for (const Rendered& r : first) voices.insert(r.voice), frequencies.insert(r.frequency);
  EXPECT_GE(voices.size(), 2u);
  EXPECT_EQ(frequencies.size(), 5u);
  // A line without an id is the channel's own voice and configuration again.
  const Rendered plain = Say([] { PostSpeakRequest(&VoiceMaleDlg, nullptr, "A word."); });
  EXPECT_EQ(plain.voice, "Arden");
  EXPECT_EQ(plain.pitch, 2);
  EXPECT_EQ(plain.rate, -1);
  EXPECT_EQ(plain.frequency, 0);
}

// Variety 0 and no pool: whatever the id, the very bytes of a line without
// any of this.  A pool alone changes the voice, not its configuration.
TEST_F(SpeakerVoices, WithoutVarietyALineRendersAsItAlwaysHas) {
  ReadSettings((dir_ / "none.ini").c_str());  // a file without the keys
  Settings.DlgVoiceEnable = 1;
  for (VoiceChannel* c : {&VoiceMaleDlg}) {
    c->enabled = c->autoSpeak = 1;
    lstrcpyA(c->voiceName, "Arden");
    lstrcpyA(c->voiceConfig, VoiceConfigText(2, -1, 90).c_str());
  }
  Start();
  const auto post = [](const char* id) {
    return [id] { PostSpeakRequest(&VoiceMaleDlg, nullptr, "Always the same words.", KeepVoicePitch,
                                   SpeechKind::Dialogue, id); };
  };
  const Rendered before = Say(post(nullptr));
  ASSERT_FALSE(before.pcm.empty());
  for (const char* id : {"fargoth", "elone", ""}) EXPECT_EQ(Say(post(id)), before) << id;
}

TEST_F(SpeakerVoices, APoolWithoutVarietyKeepsTheConfiguration) {
  UseSettings(Choices("Corin|Edric", 0));
  Start();
  for (const char* id : {"fargoth", "elone", "arrille"}) {
    const Rendered r = Say([id] { PostSpeakRequest(&VoiceMaleDlg, nullptr, "Words.", KeepVoicePitch,
                                                   SpeechKind::Dialogue, id); });
    const std::string_view pool[] = {"Corin", "Edric"};
    EXPECT_EQ(r.voice, pool[ChooseSpeakerVoice(id, pool, 2, 0).poolIndex]) << id;
    EXPECT_EQ(r.text, VoiceConfigText(2, -1, 90) + "Words.") << id;
    EXPECT_EQ(r.frequency, 0) << id;
  }
}

// The configurator's LISTEN for a speaker id and the plug-in's line of that
// speaker, from one file: the same voice, the same string given to it, the
// same frequency added.  The race step is bound to the voice, so the timbre
// goes on top of it as in the game.
TEST_F(SpeakerVoices, ListenForASpeakerIdSpeaksWhatThePluginRenders) {
  ConfiguratorSettings s = Choices("*", 7);
  s.flags[FlagVoiceFxByRace] = 1;
  s.flags[FlagTTSBoundPitchDS] = 1;
  s.VPBaseMale = 300;
  UseSettings(s);
  ConfiguratorSettings loaded;
  LoadSettings(loaded, dir_ / "LirraCfg.ini", "Sethrim.exe");
  const InstalledVoices installed = ListVoicesWithGender();
  ASSERT_EQ(installed.size(), Installed.size());
  EXPECT_EQ(installed[1].gender, "Female");

  fakegame::Actor player = game_.MakeNpc("player", false, "Imperial");
  game_.SetPlayer(&player);
  int woodElf = 0;
  while (WindowRaces[woodElf].race != RaceWoodElf) ++woodElf;
  Start();
  for (const char* name : {"fargoth", "elone", "arrille", "vodunius"}) {
    const fakegame::Actor npc = game_.MakeNpc(name, false, "Wood Elf");
    const std::string text = std::string("Hello from ") + name + ".";
    Dialogue.CurrentSpeaker = npc.ref;
    const Rendered game = Say([&] {
      CaptureDialogueText(npc.mobile, text.c_str());  // the game passes each line twice
      CaptureDialogueText(npc.mobile, text.c_str());
    });
    const int32_t gameOffset = SpeakerPitchOffset(npc.ref) + game.frequency;

    const std::string id = std::string(name) + "_id";  // the fake game's record ids
    const VoiceTestPlan plan = PlanVoiceTest(loaded, TestMale, loaded.racePitch[RaceWoodElf], {id, &installed});
    SpeechVoice voice{};
    TestSound noDevice;
    HearTestVoice(voice, noDevice, loaded, TestMale, woodElf, text, nullptr, true, {id, &installed});
    voice.Release();
    EXPECT_EQ(sapistandin::ReadString("LastVoice"), game.voice) << name;
    EXPECT_EQ(sapistandin::ReadString("LastText"), game.text) << name;
    EXPECT_EQ(plan.frequencyOffset, gameOffset) << name;
    EXPECT_NE(game.text.find(text), std::string::npos);
  }
}

}  // namespace
