#include "plugin/game/captured_text.h"

#include <windows.h>

#include "plugin/frame/plugin_state.h"
#include "plugin/speech/text_filter.h"

void AppendCapturedText(const char* text, const char* suffix) {
  if (!text) return;
  const uint32_t have = CapturedText ? static_cast<uint32_t>(lstrlenA(CapturedText)) : 0;
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
  // Only the new part is measured: a page of many lines costs each line its
  // own length, not the page's.
  end += lstrlenA(end);
  lstrcpynA(end, suffix ? suffix : "", 32);
}

void ClearCapturedText() {
  if (CapturedText) CapturedText[0] = 0;
}
