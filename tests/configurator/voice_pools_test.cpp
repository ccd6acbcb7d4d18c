// A pool's text as the checks of its list and back: what the player did not
// touch stays as the file had it, "every voice of the gender" included, and
// a name of a voice this machine lacks survives the window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "configurator/voice_pools.h"

namespace {

const InstalledVoices Installed = {
    {"Arden", "Male"}, {"Bryn", "Female"}, {"Corin", "Male"}, {"Grub", "Neutral"}, {"Plain", ""}};

TEST(VoicePools, ChecksOfAText) {
  const struct {
    const char* text;
    PoolKind kind;
    std::vector<bool> checks;
  } cases[] = {
      {"*", PoolMale, {true, false, true, false, false}},
      {"*", PoolCreature, {false, false, false, true, false}},
      {"bryn|Plain|Gone", PoolMale, {false, true, false, false, true}},
      {"", PoolFemale, {false, false, false, false, false}},
  };
  for (const auto& c : cases) EXPECT_EQ(PoolChecks(c.text, c.kind, Installed), c.checks) << c.text;
}

TEST(VoicePools, TextOfTheChecks) {
  const struct {
    const char* loaded;
    PoolKind kind;
    std::vector<bool> checks;
    const char* text;
  } cases[] = {
      {"*", PoolMale, {true, false, true, false, false}, "*"},       // untouched: follows voices installed later
      {"*", PoolMale, {true, false, false, false, false}, "Arden"},  // one taken out
      {"*", PoolMale, {false, false, false, false, false}, ""},
      {"Arden|Corin", PoolMale, {true, false, true, false, false}, "Arden|Corin"},  // a list stays a list
      {"Gone|corin", PoolMale, {false, false, true, false, true}, "Corin|Plain|Gone"},  // not installed here: kept
      {"", PoolCreature, {false, false, false, true, false}, "Grub"},
  };
  for (const auto& c : cases) EXPECT_EQ(PoolText(c.loaded, c.kind, Installed, c.checks), c.text) << c.loaded;
}

TEST(VoicePools, TheTestSpeakersVoiceIsThePoolsChoice) {
  const TestSpeakerVoice fargoth = ChooseTestSpeakerVoice("Fargoth", "*", PoolMale, 5, Installed);
  const std::string_view pool[] = {"Arden", "Corin"};
  const SpeakerVoice expected = ChooseSpeakerVoice("fargoth", pool, 2, 5);
  EXPECT_EQ(fargoth.voiceName, pool[expected.poolIndex]);
  EXPECT_EQ(fargoth.timbre, expected.timbre);
  // No pool: the kind's own voice, the timbre still the speaker's.
  const TestSpeakerVoice alone = ChooseTestSpeakerVoice("fargoth", "", PoolMale, 5, Installed);
  EXPECT_EQ(alone.voiceName, "");
  EXPECT_EQ(alone.timbre, expected.timbre);
  // The id is cut where a speak request cuts it.
  const std::string longId(100, 'x');
  EXPECT_EQ(ChooseTestSpeakerVoice(longId, "*", PoolMale, 5, Installed).timbre,
            ChooseTestSpeakerVoice(longId.substr(0, SpeakerIdSize - 1), "*", PoolMale, 5, Installed).timbre);
}

}  // namespace
