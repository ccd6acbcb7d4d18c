#pragma once
#include <cstdint>

// The 16-bit ones'-complement sum of the bytes (little-endian words, an odd
// last byte added alone), complemented over all 32 bits; 0 for null.
uint32_t TextChecksum(const void* data, uint32_t length);
