// Race pitch on the speech scale, and its insertion into a configuration.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "common/voice_config.h"

namespace {

TEST(PitchToVoiceScale, Table) {
  const struct { int32_t offset, scale; } cases[] = {
      {0, 0},     {499, 0},     {500, 1},     {4999, 9},    {5000, 10},  {10000, 10},
      {-499, 0},  {-500, -1},   {-4999, -9},  {-5000, -10}, {-10000, -10}, {1500, 3},
  };
  for (const auto& c : cases) EXPECT_EQ(PitchToVoiceScale(c.offset), c.scale) << c.offset;
}

std::string Config(int pitch, int rate, int volume) {
  char buffer[VoiceConfigSize];
  wsprintfA(buffer, VoiceConfigFormat, pitch, rate, volume);
  return buffer;
}

TEST(SetConfigAttribute, Table) {
  const struct {
    std::string before;
    int32_t value;
    const char* key;
    uint32_t result;
    std::string after;
  } cases[] = {
      {Config(0, 3, 80), 3, PitchAttribute, ConfigChanged, Config(3, 3, 80)},
      {Config(-2, 3, 80), -10, PitchAttribute, ConfigChanged, Config(-10, 3, 80)},
      {Config(0, 3, 80), 7, RateAttribute, ConfigChanged, Config(0, 7, 80)},
      {Config(0, 3, 80), 55, VolumeAttribute, ConfigChanged, Config(0, 3, 55)},
      {"<PiTcH AbsMiddle=\"\">", 4, PitchAttribute, ConfigChanged, "<PiTcH AbsMiddle=\"4\">"},  // empty value
      {"<rate absspeed=\"1\">", 3, PitchAttribute, ConfigKeyNotFound, "<rate absspeed=\"1\">"},
      {"<pitch", 3, PitchAttribute, ConfigShorterThanKey, "<pitch"},
      {"<pitch absmiddle=5>", 3, PitchAttribute, ConfigQuotesMissing, "<pitch absmiddle=5>"},
      {"<pitch absmiddle=\"5>", 3, PitchAttribute, ConfigQuotesMissing, "<pitch absmiddle=\"5>"},
      {"", 3, PitchAttribute, ConfigShorterThanKey, ""},
  };
  for (const auto& c : cases) {
    char config[VoiceConfigSize];
    lstrcpyA(config, c.before.c_str());
    EXPECT_EQ(SetConfigAttribute(c.value, c.key, config), c.result) << c.before;
    EXPECT_EQ(std::string(config), c.after) << c.before;
  }
}

// The configuration buffer holds 127 characters: a longer result is refused
// and the configuration stays as it was.
TEST(SetConfigAttribute, RefusesAResultThatWouldNotFit) {
  std::string before = "<pitch absmiddle=\"1\">" + std::string(127 - 21, 'x');
  ASSERT_EQ(before.size(), 127u);
  char config[VoiceConfigSize];
  lstrcpyA(config, before.c_str());
  EXPECT_EQ(SetConfigAttribute(-10000, PitchAttribute, config), ConfigTooLong);
  EXPECT_EQ(std::string(config), before);
  EXPECT_EQ(SetConfigAttribute(9, PitchAttribute, config), ConfigChanged);  // same length fits
}

}  // namespace
