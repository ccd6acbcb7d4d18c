// The configurator's reading of values, voice tags and key chords.
// Portable: also run natively under the sanitizers (fuzz/).
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "configurator/configurator_settings.h"

namespace {

TEST(ConfiguratorSettings, IntegerReadingRules) {
  struct Case {
    const char* text;
    int32_t expected;
  } cases[] = {
      {"29346", 29346},       {"-5", -5},           {"+7", 7},
      {"0x73A2", 0x73A2},     {"0X1f", 0x1F},       {"0xFFFFFFFF", -1},
      {"-2147483648", INT32_MIN}, {"2147483647", INT32_MAX},
      {"0x", 99},             {"", 99},             {"-", 99},
      {"abc", 99},            {"12abc", 99},        {"0x12G", 99},
      {"2147483648", 99},     {"0x100000000", 99},  {"1.5", 99},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseIntValue(c.text, 99), c.expected) << "'" << c.text << "'";
}

TEST(ConfiguratorSettings, ReadVoiceTag) {
  const std::string written = VoiceConfigText(-2, 3, 80);
  EXPECT_EQ(written, "<pitch absmiddle=\"-2\"><rate absspeed=\"3\"><volume level=\"80\">");
  struct Case {
    const char* tag;
    const char* config;
    int32_t expected;
  } cases[] = {
      {"PITCH ABSMIDDLE", written.c_str(), -2},
      {"RATE ABSSPEED", written.c_str(), 3},
      {"VOLUME LEVEL", written.c_str(), 80},
      {"pitch absmiddle", "<PITCH ABSMIDDLE=\"-3\">", -3},  // any letter case
      {"RATE ABSSPEED", "<PITCH ABSMIDDLE=\"-3\">", NoTagValue},  // missing tag
      {"PITCH ABSMIDDLE", "<pitch absmiddle=\"12\">", 12},  // the slider clamps, not the reader
      {"PITCH ABSMIDDLE", "<pitch absmiddle=\"4\"/>", NoTagValue},  // value not closed by ">
      {"PITCH ABSMIDDLE", "<pitch absmiddle=\"high\">", NoTagValue},
      {"PITCH ABSMIDDLE", "", NoTagValue},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadVoiceTag(c.tag, c.config), c.expected) << c.tag << " in " << c.config;
}

TEST(ConfiguratorSettings, FindCharFromEnd) {
  struct Case {
    const char* text;
    int n, skip, expected;
  } cases[] = {
      {"C:\\Games\\Morrowind", 1, 0, 8},  {"C:\\Games\\Morrowind\\", 1, 0, 18},
      {"C:\\Games\\Morrowind\\", 2, 0, 8}, {"C:\\Games\\Morrowind\\", -2, 0, 8},
      {"C:\\Games\\Morrowind\\", 0, 0, 18}, {"C:\\Games\\Morrowind\\", 1, 1, 8},
      {"C:\\Games\\Morrowind\\", 3, 0, 2}, {"C:\\Games\\Morrowind\\", 4, 0, -1},
      {"Morrowind", 1, 0, -1},            {"", 1, 0, -1},
      {"ab\\", 1, 3, -1},                 {"\\", 1, 0, 0},
      {"ab\\", 1, -5, 2},  // a negative skip starts at the last character, never behind it
  };
  for (const Case& c : cases)
    EXPECT_EQ(FindCharFromEnd(c.text, '\\', c.n, c.skip), c.expected) << c.text << " n=" << c.n << " skip=" << c.skip;
}

TEST(ConfiguratorSettings, KeyChordsPackCellAInTheLowestByte) {
  const uint8_t cells[4] = {0xA2, 0x72, 0, 0};
  EXPECT_EQ(PackKeyChord(cells), 0x72A2u);
  const uint8_t full[4] = {0xA5, 0, 0x41, 0xFE};  // an empty cell packs 0 in its byte
  EXPECT_EQ(PackKeyChord(full), 0xFE4100A5u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ChordKey(0xFE4100A5u, i), full[i]);
}

}  // namespace
