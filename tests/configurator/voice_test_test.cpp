// LISTEN on the TESTING page: which voice and configuration a test uses,
// the race step and the buffer's pitch, and the test played through Wine's
// DirectSound with the SAPI stand-in as the voice.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <string>
#include <vector>

#include "common/sentence_split.h"
#include "configurator/test_pieces.h"
#include "configurator/voice_test.h"
#include "support/standin_environment.h"

namespace {

const auto* const environment = ::testing::AddGlobalTestEnvironment(new speechtest::StandInEnvironment);

ConfiguratorSettings Settings(bool fxByRace, bool boundPitch) {
  ConfiguratorSettings s = ConfiguratorDefaults("Sethrim.exe");
  s.voices[VoiceMale] = {"Quorrim Male", "<pitch absmiddle=\"2\"><rate absspeed=\"0\"><volume level=\"100\">"};
  s.voices[VoiceFemale] = {"Quorrim Female", "<pitch absmiddle=\"-1\"><rate absspeed=\"0\"><volume level=\"100\">"};
  s.voices[VoiceCreature] = {"Quorrim Creature", "<pitch absmiddle=\"0\"><rate absspeed=\"0\"><volume level=\"90\">"};
  s.voices[VoiceDocument] = {"Quorrim Female", "<rate absspeed=\"1\">"};
  s.VPBaseMale = 300;
  s.VPBaseFemale = 2000;
  s.VPBaseCreature = -500;
  s.flags[FlagVoiceFxByRace] = fxByRace;
  s.flags[FlagTTSBoundPitchDS] = boundPitch;
  return s;
}

std::string Pitched(int pitch) {
  return "<pitch absmiddle=\"" + std::to_string(pitch) + "\"><rate absspeed=\"0\"><volume level=\"100\">";
}

TEST(VoiceTest, PlanByVoiceAndSettings) {
  const struct {
    const char* name;
    int testVoice;
    bool fxByRace, boundPitch;
    int32_t raceOffset;
    bool valid;
    const char* voice;
    std::string config;
    int32_t offset;
  } cases[] = {
      {"male, race into pitch and buffer", TestMale, true, true, 10000, true, "Quorrim Male", Pitched(10), 10300},
      {"male, race step -1", TestMale, true, true, -700, true, "Quorrim Male", Pitched(-1), -400},
      {"female, race step -5", TestFemale, true, true, -2600, true, "Quorrim Female", Pitched(-5), -600},
      // As in the game: the pitch is bound to the voice only with the race effects on.
      {"female, bound but no race effects", TestFemale, false, true, -2600, true, "Quorrim Female", Pitched(-1), 2000},
      {"female, race in the buffer only", TestFemale, true, false, -2600, true, "Quorrim Female", Pitched(-1), -600},
      {"male, no race at all", TestMale, false, false, 10000, true, "Quorrim Male", Pitched(2), 300},
      {"creature: base pitch, never a race", TestCreature, true, true, 10000, true, "Quorrim Creature",
       "<pitch absmiddle=\"0\"><rate absspeed=\"0\"><volume level=\"90\">", -500},
      {"document: neither", TestDocument, true, true, 10000, true, "Quorrim Female", "<rate absspeed=\"1\">", 0},
      {"outside the list", 4, true, true, 0, false, "", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const VoiceTestPlan plan = PlanVoiceTest(Settings(c.fxByRace, c.boundPitch), c.testVoice, c.raceOffset);
    EXPECT_EQ(plan.valid, c.valid);
    if (!c.valid) continue;
    EXPECT_EQ(plan.voiceName, c.voice);
    EXPECT_EQ(plan.config, c.config);
    EXPECT_EQ(plan.frequencyOffset, c.offset);
  }
}

// The buffer's frequency follows the game's rule (common/pitch_rule.h, its
// cases in tests/common/pitch_rule_test.cpp).
TEST(VoiceTest, RaceTable) {
  // cbTestRaceType lists the races in the FILTERS page's order.
  const int expected[10] = {0, 2, 3, 8, 9, 1, 7, 6, 4, 5};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(TestRaceToRaceConfig(i), expected[i]) << i;
  EXPECT_EQ(TestRaceToRaceConfig(10), -1);
  EXPECT_EQ(TestRaceToRaceConfig(-1), -1);
}

// The whole click with Wine's DirectSound: the buffer holds the rendered
// text, plays at its own frequency plus base and race pitch, and a second
// click stops the first buffer before its own starts.
TEST(VoiceTest, PlaysThroughItsOwnBuffer) {
  sapistandin::SetVoices({"Quorrim Male", "Quorrim Female", "Quorrim Creature"}, "Quorrim Creature");
  HWND owner = CreateWindowA("STATIC", "voice test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  TestSound sound;
  OpenTestSound(sound, owner);
  ASSERT_NE(sound.device, nullptr) << "no DirectSound device under Wine";
  SpeechVoice voice{};
  ConfiguratorSettings s = Settings(true, true);
  s.racePitch[0] = 10000;  // the Orc's slider at 100; Orc is the first test race
  const std::string text = "Listen to me.";
  HearTestVoice(voice, sound, s, TestMale, 0, text);
  ASSERT_NE(sound.buffer, nullptr);
  EXPECT_EQ(sapistandin::ReadNumber("LastPitch"), 10);
  DWORD frequency = 0;
  sound.buffer->GetFrequency(&frequency);
  EXPECT_EQ(frequency, 44100u + 300 + 10000);
  DSBCAPS caps{};
  caps.dwSize = sizeof caps;
  sound.buffer->GetCaps(&caps);
  EXPECT_EQ(caps.dwBufferBytes, text.size() * speechtest::BytesPerChar);
  DWORD status = 0;
  sound.buffer->GetStatus(&status);
  EXPECT_TRUE(status & DSBSTATUS_PLAYING);

  IDirectSoundBuffer* first = sound.buffer;
  first->AddRef();
  HearTestVoice(voice, sound, s, TestDocument, 0, text);
  first->GetStatus(&status);
  EXPECT_FALSE(status & DSBSTATUS_PLAYING);
  first->Release();
  ASSERT_NE(sound.buffer, nullptr);
  sound.buffer->GetFrequency(&frequency);
  EXPECT_EQ(frequency, 44100u);  // the document voice: no base, no race

  voice.Release();
  CloseTestSound(sound);
  DestroyWindow(owner);
}

// On a SAPI that reads no markup (Wine's) the voice's pitch cannot go into
// the text: LISTEN carries it on the buffer's frequency, as the plug-in
// does, beside the base and race pitch.
TEST(VoiceTest, APitchTheSapiCouldNotApplyIsOnTheBuffer) {
  sapistandin::SetVoices({"Quorrim Male", "Quorrim Female", "Quorrim Creature"});
  HWND owner = CreateWindowA("STATIC", "voice test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  TestSound sound;
  OpenTestSound(sound, owner);
  ASSERT_NE(sound.device, nullptr) << "no DirectSound device under Wine";
  for (const char* refusal : {"RefuseMarkup", "ReadMarkupAsText"}) {
    SCOPED_TRACE(refusal);
    sapistandin::SetRefused("RefuseMemoryStream", true);
    sapistandin::SetRefused(refusal, true);
    SpeechVoice voice{};
    ConfiguratorSettings s = Settings(true, true);
    s.racePitch[0] = -2600;  // the Orc's slider at -26: voice step -5, buffer -600 with the base
    HearTestVoice(voice, sound, s, TestFemale, 0, "Listen to me.");
    sapistandin::SetRefused("RefuseMemoryStream", false);
    sapistandin::SetRefused(refusal, false);
    ASSERT_NE(sound.buffer, nullptr);
    EXPECT_EQ(sapistandin::ReadNumber("LastPitch"), 0);
    DWORD frequency = 0;
    sound.buffer->GetFrequency(&frequency);
    EXPECT_EQ(frequency, 44100u - 600 - 5 * 500);
    voice.Release();
  }
  CloseTestSound(sound);
  DestroyWindow(owner);
}

// A long test text is said as the plug-in says a long line: piece by piece,
// each rendered with the test's voice and played at the test's pitch once
// the one before has stopped, the pieces together the whole text.  With
// SpeakInPieces off, or markup in the text, it is said whole.
TEST(VoiceTest, ALongTextIsHeardInPieces) {
  sapistandin::SetVoices({"Quorrim Male", "Quorrim Female", "Quorrim Creature"}, "Quorrim Creature");
  HWND owner = CreateWindowA("STATIC", "voice test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  TestSound sound;
  OpenTestSound(sound, owner);
  ASSERT_NE(sound.device, nullptr) << "no DirectSound device under Wine";
  SpeechVoice voice{};
  ConfiguratorSettings s = Settings(true, true);
  s.voices[VoiceMale].config = "<pitch absmiddle=\"2\"><rate absspeed=\"10\"><volume level=\"100\">";
  s.racePitch[0] = 10000;
  std::string text = "Through discipline and training you have reached a new level. ";
  for (int i = 0; i < 7; ++i) text += "Your skills grow with every battle you fight, and every book you read. ";
  const size_t pieces = SpeechPieceCount(text.c_str(), static_cast<uint32_t>(text.size()));
  ASSERT_GE(pieces, 3u);

  const struct {
    const char* name;
    int32_t inPieces;
    std::string text;
    size_t speaks;
  } cases[] = {
      {"in pieces", 1, text, pieces},
      {"pieces off", 0, text, 1},
      {"markup in the text", 1, "<emph>" + text + "</emph>", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    s.SpeakInPieces = c.inPieces;
    sapistandin::StartRecordingSpoken();
    HearTestVoice(voice, sound, s, TestMale, 0, c.text);
    std::vector<IDirectSoundBuffer*> heard;
    bool overlapped = false;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 60000;) {
      if (sound.buffer && (heard.empty() || heard.back() != sound.buffer)) {
        if (!heard.empty()) {
          DWORD status = 0;
          heard.back()->GetStatus(&status);
          overlapped = overlapped || (status & DSBSTATUS_PLAYING);
        }
        sound.buffer->AddRef();
        heard.push_back(sound.buffer);
      }
      DWORD status = 0;
      if (!TestPiecesGoOn() && (!sound.buffer || (SUCCEEDED(sound.buffer->GetStatus(&status)) &&
                                                  !(status & DSBSTATUS_PLAYING))))
        break;
      MSG m;
      while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
      Sleep(1);
    }
    EXPECT_FALSE(overlapped) << "a piece began while the one before played";
    const std::vector<sapistandin::SpokenText> spoken = sapistandin::Spoken();
    ASSERT_EQ(spoken.size(), c.speaks);
    ASSERT_EQ(heard.size(), c.speaks);
    std::string joined;
    for (size_t i = 0; i < spoken.size(); ++i) {
      joined += spoken[i].plain;
      EXPECT_EQ(spoken[i].pitch, 10);  // the race step on every piece
      DWORD frequency = 0;
      heard[i]->GetFrequency(&frequency);
      EXPECT_EQ(frequency, 44100u + 300 + 10000);
      heard[i]->Release();
    }
    EXPECT_EQ(joined, text);  // the stand-in's plain text leaves the markup out
  }
  sapistandin::StopRecordingSpoken();
  voice.Release();
  CloseTestSound(sound);
  DestroyWindow(owner);
}

}  // namespace
