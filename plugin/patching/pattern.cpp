#include "plugin/patching/pattern.h"

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int MatchPattern(const void* address, const char* pattern) {
  const uint8_t* memory = static_cast<const uint8_t*>(address);
  const char* p = pattern;
  uint32_t index = 0;
  while (*p) {
    while (*p == ' ') ++p;
    if (!*p) break;
    if (*p == '*') {
      uint32_t count = 0;
      for (++p; *p >= '0' && *p <= '9'; ++p) count = count * 10 + static_cast<uint32_t>(*p - '0');
      if (*p == '*') ++p;
      index += count;
      continue;
    }
    // A byte needs both of its characters; a pattern cut after one half
    // byte cannot have matched "the whole pattern".
    if (!p[1]) return 0;
    const int high = HexDigitValue(p[0]);
    const int low = HexDigitValue(p[1]);
    const uint8_t actual = memory[index];
    const uint8_t wanted = static_cast<uint8_t>(((high < 0 ? actual >> 4 : high) << 4) |
                                                (low < 0 ? actual & 0x0F : low));
    if (wanted != actual) return 0;
    p += 2;
    ++index;
  }
  return 1;
}

uint32_t PatternSpan(const char* pattern) {
  uint32_t span = 0;
  for (const char* p = pattern; p && *p;) {
    if (*p == ' ') {
      ++p;
    } else if (*p == '*') {
      uint32_t count = 0;
      for (++p; *p >= '0' && *p <= '9'; ++p) count = count * 10 + static_cast<uint32_t>(*p - '0');
      if (*p == '*') ++p;
      span += count;
    } else {
      if (!p[1]) break;  // a lone half byte is never read
      p += 2;
      ++span;
    }
  }
  return span;
}
