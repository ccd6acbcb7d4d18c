// The pitch rule that the game's lines and the configurator's LISTEN share.
// Portable: also run natively under the sanitizers (fuzz/).
#include <gtest/gtest.h>

#include "common/pitch_rule.h"

namespace {

TEST(PitchedFrequency, StaysWithinWhatDirectSoundTakes) {
  const struct { uint32_t frequency; int32_t offset; uint32_t result; } cases[] = {
      {22050, -30000, 100},   {90000, 20000, 100000}, {44100, 3000, 47100},    {44100, -44000, 100},
      {44100, -44001, 100},   {100, 0, 100},          {44100, 55900, 100000},  {44100, 10300, 54400},
      {44100, -50000, 100},   {44100, 60000, 100000}, {44100, -43999, 101},    {44100, 55899, 99999},
      // Offsets and frequencies at their ends do not wrap.
      {0xFFFFFFFFu, 0, 100000}, {0, INT32_MIN, 100}, {0xFFFFFFFFu, INT32_MIN, 100000}, {0, INT32_MAX, 100000},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PitchedFrequency(c.frequency, c.offset), c.result) << c.frequency << " " << c.offset;
}

}  // namespace
