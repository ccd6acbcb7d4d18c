#include "plugin/game/captured_text.h"

#include <windows.h>

#include "plugin/frame/plugin_state.h"
#include "plugin/speech/text_filter.h"

namespace {
// The length of the text in CapturedText, known while the buffer is the
// block it was measured in (attach, or a test, may put another there): a
// line then costs its own length, not the page's.
const char* measuredBlock = nullptr;
uint32_t measuredLength = 0;

uint32_t CapturedLength() {
  if (!CapturedText) return 0;
  if (CapturedText != measuredBlock) {
    measuredBlock = CapturedText;
    measuredLength = static_cast<uint32_t>(lstrlenA(CapturedText));
  }
  return measuredLength;
}
}  // namespace

void AppendCapturedText(const char* text, const char* suffix) {
  if (!text) return;
  const uint32_t have = CapturedLength();
  const uint32_t add = static_cast<uint32_t>(lstrlenA(text));
  // The filter never writes more than it reads, and 32 bytes hold any suffix.
  const SIZE_T size = SIZE_T{have} + add + 32;
  char* grown = static_cast<char*>(CapturedText ? HeapReAlloc(GetProcessHeap(), 0, CapturedText, size)
                                                : HeapAlloc(GetProcessHeap(), 0, size));
  if (!grown) return;
  if (!CapturedText) grown[0] = 0;
  CapturedText = grown;
  char* end = grown + have;
  SpeechTextFilter(end, text, add + 1);
  end += lstrlenA(end);
  lstrcpynA(end, suffix ? suffix : "", 32);
  measuredBlock = grown;
  measuredLength = static_cast<uint32_t>(end - grown) + static_cast<uint32_t>(lstrlenA(end));
}

void ClearCapturedText() {
  if (CapturedText) CapturedText[0] = 0;
  measuredBlock = CapturedText;
  measuredLength = 0;
}
