// Portable: the journal page's checksum builds for the host's sanitizers and
// fuzzers too (fuzz/).
#include "plugin/game/text_checksum.h"

uint32_t TextChecksum(const void* data, uint32_t length) {
  if (!data) return 0;
  const auto* bytes = static_cast<const uint8_t*>(data);
  uint32_t sum = 0;
  for (uint32_t i = 0; i + 1 < length; i += 2) sum += bytes[i] | (uint32_t{bytes[i + 1]} << 8);
  if (length & 1) sum += bytes[length - 1];
  uint32_t t = (sum >> 16) + (sum & 0xFFFF);
  t += t >> 16;
  return ~t;
}
