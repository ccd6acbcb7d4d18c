// Portable: no Windows here, so that the filter also builds for the host's
// sanitizers and fuzzers (fuzz/).
#include "plugin/speech/text_filter.h"

namespace {
bool Dropped(char c) { return c == '@' || c == '#' || c == 0x7F; }
}  // namespace

void SpeechTextFilter(char* destination, const char* source, uint32_t length) {
  bool inMarkup = false;
  char* out = destination;
  for (uint32_t i = 0; i < length; ++i) {
    while (i < length && Dropped(source[i])) ++i;
    if (i == length || source[i] == 0) break;
    const char c = source[i];
    if (c == '<') inMarkup = true;
    if (!inMarkup) *out++ = (c == '\n' || c == '\r') ? ' ' : c;
    if (c == '>') inMarkup = false;
  }
  *out = 0;
}
