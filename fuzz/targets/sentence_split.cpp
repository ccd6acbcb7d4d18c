// SpeechPieceEnd over any bytes a line or page may hold.  The text is exactly
// `size` bytes with no terminator, so a read past its end is an
// AddressSanitizer report.
//
// Properties: the pieces laid end to end are the text; each is non-empty;
// every cut lies behind a blank and before a non-blank; SpeechPieceCount
// counts them.  Sentences, likewise, go forward and end behind blanks.
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
  for (uint32_t at = 0; at < length;) {
    const uint32_t next = NextSentenceStart(text.data(), length, at);
    if (next <= at || next > length) std::abort();
    if (next < length && (text[next - 1] != ' ' && text[next - 1] != '\t')) std::abort();
    at = next;
  }
  if (SpeechPieceCount(text.data(), length) != pieces) std::abort();
  return 0;
}
