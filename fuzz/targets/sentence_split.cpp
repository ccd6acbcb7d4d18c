// SpeechPieceEnd over any bytes a line or page may hold.  The text is exactly
// `size` bytes with no terminator, so a read past its end is an
// AddressSanitizer report.
//
// Properties: the pieces laid end to end are the text; each is non-empty;
// every cut lies behind a blank and before a non-blank; SpeechPieceCount
// counts them.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/sentence_split.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  const std::vector<char> text(data, data + size);
  const auto length = static_cast<uint32_t>(size);
  uint32_t pieces = 0;
  for (uint32_t at = 0; at < length; ++pieces) {
    const uint32_t end = SpeechPieceEnd(text.data(), length, at);
    if (end <= at || end > length) std::abort();
    if (end < length && (text[end - 1] != ' ' && text[end - 1] != '\t')) std::abort();
    if (end < length && (text[end] == ' ' || text[end] == '\t')) std::abort();
    at = end;
  }
  if (SpeechPieceCount(text.data(), length) != pieces) std::abort();
  return 0;
}
