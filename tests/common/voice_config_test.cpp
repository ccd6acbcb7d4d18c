// Race pitch on the speech scale, and its insertion into a configuration.
// Portable: also run natively under the sanitizers (fuzz/).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
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
  std::snprintf(buffer, sizeof buffer, VoiceConfigFormat, pitch, rate, volume);
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
    std::strcpy(config, c.before.c_str());
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
  std::strcpy(config, before.c_str());
  EXPECT_EQ(SetConfigAttribute(-10000, PitchAttribute, config), ConfigTooLong);
  EXPECT_EQ(std::string(config), before);
  EXPECT_EQ(SetConfigAttribute(9, PitchAttribute, config), ConfigChanged);  // same length fits
}

// A hand-edited configuration may fill its buffer without a terminator:
// nothing past the buffer is read, and the change still fits in it.
TEST(SetConfigAttribute, ReadsNoFurtherThanItsBuffer) {
  struct {
    char config[VoiceConfigSize];
    char beyond[8];
  } b;
  std::memset(b.beyond, '"', sizeof b.beyond);
  const std::string start = "<pitch absmiddle=\"1\">";
  std::memset(b.config, 'x', sizeof b.config);
  std::memcpy(b.config, start.c_str(), start.size());
  EXPECT_EQ(SetConfigAttribute(7, PitchAttribute, b.config), ConfigChanged);
  EXPECT_EQ(std::string(b.config), "<pitch absmiddle=\"7\">" + std::string(127 - start.size(), 'x'));
  std::memset(b.config, 'x', sizeof b.config);
  std::memcpy(b.config, "<pitch absmiddle=\"", 18);  // its closing quote would lie beyond
  EXPECT_EQ(SetConfigAttribute(7, PitchAttribute, b.config), ConfigQuotesMissing);
}

}  // namespace
