#include "plugin/game/captured_text.h"

#include <windows.h>

#include "plugin/frame/plugin_state.h"
#include "plugin/speech/text_filter.h"

void AppendCapturedText(const char* text, const char* suffix) {
  const uint32_t have = CapturedText ? static_cast<uint32_t>(lstrlenA(CapturedText)) : 0;
  const uint32_t add = static_cast<uint32_t>(lstrlenA(text));
  const SIZE_T size = have + add + 32;
  char* grown = static_cast<char*>(CapturedText ? HeapReAlloc(GetProcessHeap(), 0, CapturedText, size)
                                                : HeapAlloc(GetProcessHeap(), 0, size));
  if (!grown) return;
  if (!CapturedText) grown[0] = 0;
  CapturedText = grown;
  SpeechTextFilter(grown + have, text, add + 1);
  lstrcatA(grown, suffix);
}

void ClearCapturedText() {
  if (CapturedText) CapturedText[0] = 0;
}
