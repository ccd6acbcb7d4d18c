// The signature language.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "plugin/patching/pattern.h"

namespace {

TEST(HexDigitValue, DigitsInEitherCaseAndWildcards) {
  const struct { char c; int value; } cases[] = {
      {'0', 0}, {'9', 9}, {'A', 10}, {'F', 15}, {'a', 10}, {'f', 15}, {'?', -1}, {'G', -1}, {'g', -1}, {'*', -1}};
  for (const auto& c : cases) EXPECT_EQ(HexDigitValue(c.c), c.value) << c.c;
}

struct MatchCase {
  const char* pattern;
  std::vector<uint8_t> memory;
  int expected;
};

class MatchPatternTable : public testing::TestWithParam<MatchCase> {};

TEST_P(MatchPatternTable, Matches) {
  const MatchCase& c = GetParam();
  std::vector<uint8_t> memory = c.memory;
  memory.resize(64, 0xEE);
  EXPECT_EQ(MatchPattern(memory.data(), c.pattern), c.expected) << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Language, MatchPatternTable,
    testing::Values(
        MatchCase{"E8A0020000??????????", {0xE8, 0xA0, 0x02, 0x00, 0x00, 1, 2, 3, 4, 5}, 1},
        MatchCase{"E8A0020000??????????", {0xE8, 0xA0, 0x02, 0x00, 0x01, 1, 2, 3, 4, 5}, 0},
        MatchCase{"8B0D????????85C95674", {0x8B, 0x0D, 0x14, 0x2B, 0x7D, 0x00, 0x85, 0xC9, 0x56, 0x74}, 1},
        MatchCase{"8B0D????????85C95674", {0x8B, 0x0D, 0x14, 0x2B, 0x7D, 0x00, 0x85, 0xC9, 0x56, 0x75}, 0},
        MatchCase{"8b0d", {0x8B, 0x0D}, 1},
        MatchCase{"E8*3*C3", {0xE8, 9, 9, 9, 0xC3}, 1},
        MatchCase{"E8*3*C3", {0xE8, 9, 9, 0xC3, 9}, 0},
        MatchCase{"E8 A0 02", {0xE8, 0xA0, 0x02}, 1},
        // Half-byte wildcards keep the other half fixed.
        MatchCase{"8?", {0x8F}, 1},
        MatchCase{"?F", {0x3F}, 1},
        MatchCase{"?F", {0x3E}, 0},
        // The empty pattern matches anything; a pattern cut after one digit
        // was not read whole.
        MatchCase{"", {0x00}, 1},
        MatchCase{"E8A", {0xE8, 0xA0}, 0}));

TEST(PatternSpan, BytesTheMatcherMayRead) {
  const struct { const char* pattern; uint32_t span; } cases[] = {
      {"E8A0020000??????????", 10}, {"E8 A0 02", 3}, {"E8*3*C3", 5}, {"*12*", 12}, {"", 0}, {"E8A", 1}, {"8?", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(PatternSpan(c.pattern), c.span) << c.pattern;
}

// The matcher stops at the first differing byte: memory after it may not
// even be readable.
TEST(MatchPattern, ReadsNoFurtherThanTheFirstDifference) {
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  uint8_t* pages = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * si.dwPageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(pages, nullptr);
  DWORD old;
  ASSERT_TRUE(VirtualProtect(pages + si.dwPageSize, si.dwPageSize, PAGE_NOACCESS, &old));
  uint8_t* last = pages + si.dwPageSize - 1;
  *last = 0x90;
  EXPECT_EQ(MatchPattern(last, "E8A0020000??????????"), 0);
  *last = 0xE8;
  EXPECT_EQ(MatchPattern(last, "E8"), 1);
  VirtualFree(pages, 0, MEM_RELEASE);
}

}  // namespace
