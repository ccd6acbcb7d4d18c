// The journal page's checksum over any page the game lays out.  Properties:
// the complement of a 16-bit sum (the upper half all ones, or 0xFFFE after a
// carry); swapping two aligned 16-bit words changes nothing (so "same page"
// must be decided by the text itself, not by this sum).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plugin/game/text_checksum.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> page(data, data + size);
  page.reserve(1);  // an empty page is still a page, not a null pointer
  const uint32_t sum = TextChecksum(page.data(), static_cast<uint32_t>(page.size()));
  if ((sum >> 16) != 0xFFFF && (sum >> 16) != 0xFFFE) std::abort();
  if (page.size() >= 4) {
    std::swap(page[0], page[2]);
    std::swap(page[1], page[3]);
    if (TextChecksum(page.data(), static_cast<uint32_t>(page.size())) != sum) std::abort();
  }
  return 0;
}
