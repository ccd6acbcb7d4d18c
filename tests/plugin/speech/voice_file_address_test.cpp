// The address a voice-file name carries, and the zoomed volume.  Portable:
// also run natively under the sanitizers (fuzz/).
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "plugin/speech/voice_file_name.h"

namespace {

TEST(VoiceFileAddress, Table) {
  const struct {
    const char* path;
    bool ours;
    uint32_t address;
  } cases[] = {
      {"VTTS0041A2B0", true, 0x0041A2B0},
      {"Vo\\r\\dark elf\\VTTS0041a2b0", true, 0x0041A2B0},  // any folder; digits in either case
      {"VTTS0041A2B0.mp3", true, 0x0041A2B0},                  // the run ends at the dot
      {"VTTS120041A2B0", true, 0x0041A2B0},                    // its last eight digits count
      {"VTTS", true, 0},
      {"VTTSxyz", true, 0},
      {"vtts0041A2B0", false, 0},  // the tag is case-sensitive
      {"VTTS\\x0041A2B0", false, 0},  // the tag is in a folder name only
      {"Vo\\b\\orc\\m\\Hello.mp3", false, 0},
      {"", false, 0},
  };
  for (const auto& c : cases) {
    uint32_t address = 0xDEADBEEF;
    EXPECT_EQ(VoiceFileAddress(c.path, &address), c.ours) << c.path;
    if (c.ours) {
      EXPECT_EQ(address, c.address) << c.path;
    }
  }
  uint32_t address;
  EXPECT_FALSE(VoiceFileAddress(nullptr, &address));
  char name[VoiceFileNameSize];
  FormatVoiceFileName(0x0041A2B0, name);
  EXPECT_EQ(std::string(name), "VTTS0041A2B0");
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
      {0, INT32_MIN, 1, 0},           // a field of view from a broken game object:
      {0, INT32_MAX, -INT32_MAX, 0},  // no target, and no overflow on the way
  };
  for (const auto& c : cases)
    EXPECT_EQ(ZoomedVoiceVolume(c.volume, c.saved, c.target), c.result) << c.volume << " " << c.saved << " " << c.target;
}

}  // namespace
