// The journal page's checksum.  Portable: also run natively under the
// sanitizers (fuzz/).
#include <gtest/gtest.h>

#include <cstdint>

#include "plugin/game/text_checksum.h"

namespace {

TEST(TextChecksum, OnesComplementSumComplementedOverAllBits) {
  const struct {
    const char* data;
    uint32_t length;
    uint32_t sum;
  } cases[] = {
      {"abc", 3, 0xFFFF9D3B},
      {"", 0, 0xFFFFFFFF},
      {nullptr, 5, 0},
      {"a", 1, 0xFFFFFF9E},
      {"ab", 2, 0xFFFF9D9E},
      {"\xFF\xFF\xFF\xFF\x01", 5, 0xFFFEFFFE},  // 0x1FFFF folds to 0x10000, then 0x10001: the upper half stays
      {"abcd", 4, 0xFFFF393B},
  };
  for (const auto& c : cases) EXPECT_EQ(TextChecksum(c.data, c.length), c.sum) << (c.data ? c.data : "null");
}

}  // namespace
