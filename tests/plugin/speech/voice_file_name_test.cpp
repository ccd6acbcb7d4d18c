// Which voice-file names the plug-in takes as its own: those of its four channels.
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

}  // namespace
