// SpeechTextFilter over any bytes the game may hand over (dialogue, books,
// mods' markup), NULs included.  The destination is exactly length + 1 bytes,
// so a write past the documented size is an AddressSanitizer report.
//
// Properties: the output is no longer than the input; it holds none of the
// dropped signs, no markup opener and no line break; filtering it again
// changes nothing.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plugin/speech/text_filter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<char> source(data, data + size);
  std::vector<char> out(size + 1);
  SpeechTextFilter(out.data(), source.data(), static_cast<uint32_t>(size));
  const size_t length = std::strlen(out.data());
  if (length > size) std::abort();
  for (size_t i = 0; i < length; ++i) {
    const char c = out[i];
    if (c == '@' || c == '#' || c == 0x7F || c == '<' || c == '\r' || c == '\n') std::abort();
  }
  std::vector<char> again(length + 1);
  SpeechTextFilter(again.data(), out.data(), static_cast<uint32_t>(length));
  if (std::strcmp(again.data(), out.data()) != 0) std::abort();
  return 0;
}
