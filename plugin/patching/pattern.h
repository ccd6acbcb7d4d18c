// Byte signatures: the bytes a place of the game holds in the supported
// version, written as text.  Two hex digits per byte (either case); any other
// character is a wildcard half byte ("??" is any byte); blanks between bytes
// are skipped; "*n*" passes over n bytes of memory.
#pragma once
#include <cstdint>

// 0-15 for a hex digit, -1 for anything else (a wildcard).
int HexDigitValue(char c);

// 1 when the memory at `address` matches the whole pattern, 0 otherwise.
// Stops reading memory at the first differing byte.
int MatchPattern(const void* address, const char* pattern);

// How many bytes of memory the pattern covers (its "*n*" skips included).
uint32_t PatternSpan(const char* pattern);
