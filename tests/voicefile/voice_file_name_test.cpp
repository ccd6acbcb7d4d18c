// Which voice-file names the plug-in takes as its own, and the zoomed volume.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "plugin/speech/voice_channel.h"
#include "plugin/speech/voice_file_name.h"

namespace {

std::string Hex(const void* p) {
  char b[16];
  wsprintfA(b, "%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(p)));
  return b;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(tolower(c));
  return s;
}

TEST(VoiceFileName, MadeFromTheChannelAddress) {
  char name[VoiceFileNameSize];
  MakeVoiceFileName(&VoiceFemaleDlg, name);
  EXPECT_EQ(std::string(name), "VTTS" + Hex(&VoiceFemaleDlg));
  EXPECT_EQ(ChannelFromVoiceFileName(name), &VoiceFemaleDlg);
}

TEST(VoiceFileName, OnlyNamesOfTheFourChannelsAreOurs) {
  const std::string male = Hex(&VoiceMaleDlg);
  const struct {
    std::string path;
    VoiceChannel* channel;
  } cases[] = {
      {"VTTS" + male, &VoiceMaleDlg},
      {"Vo\\r\\dark elf\\VTTS" + male, &VoiceMaleDlg},         // any folder before the name
      {"VTTS" + Lower(male), &VoiceMaleDlg},                     // digits in either case
      {"VTTS" + Hex(&VoiceDoc) + ".mp3", &VoiceDoc},             // the run ends at the dot
      {"VTTS12" + Hex(&VoiceCreatureDlg), &VoiceCreatureDlg},    // its last eight digits count
      {"vtts" + male, nullptr},                                  // the tag is case-sensitive
      {"VTTS\\x" + male, nullptr},                               // the tag is in a folder name only
      {"VTTS" + Hex(reinterpret_cast<char*>(&VoiceMaleDlg) + 4), nullptr},  // not a channel
      {"VTTS00000000", nullptr},
      {"VTTS", nullptr},
      {"Vo\\b\\orc\\m\\Hello.mp3", nullptr},
  };
  for (const auto& c : cases) EXPECT_EQ(ChannelFromVoiceFileName(c.path.c_str()), c.channel) << c.path;
  EXPECT_EQ(ChannelFromVoiceFileName(nullptr), nullptr);
}

TEST(ZoomedVoiceVolume, Table) {
  const struct { int32_t volume, saved, target; uint32_t result; } cases[] = {
      {250, 75, 60, 255},  // 250 + 10, limited
      {200, 75, 60, 210},
      {200, 75, -1, 200},  // no zoom target
      {200, 75, 0, 200},
      {100, 75, 72, 102},  // 3 / 1.5 = 2
      {100, 75, 74, 101},  // 0.67 rounds to 1
      {100, 76, 73, 102},  // 2.0
      {100, 40, 37, 102},
      {100, 4, 1, 102},
      {100, 2, 1, 101},    // 0.67
      {100, 37, 37, 100},
      {0, 0, 0, 0},
      {-5, 75, -1, 0},     // never negative
  };
  for (const auto& c : cases)
    EXPECT_EQ(ZoomedVoiceVolume(c.volume, c.saved, c.target), c.result) << c.volume << " " << c.saved << " " << c.target;
}

}  // namespace
