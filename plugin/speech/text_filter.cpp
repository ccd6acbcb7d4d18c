#include "plugin/speech/text_filter.h"

#include <windows.h>

#include "plugin/speech/voice_channel.h"

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

bool SetChannelText(VoiceChannel* channel, const char* text) {
  HANDLE heap = GetProcessHeap();
  const uint32_t length = text ? static_cast<uint32_t>(lstrlenA(text)) : 0;
  char* block = static_cast<char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, length + 8));
  if (!block) return false;
  SpeechTextFilter(block, text ? text : "", length);
  if (channel->text) HeapFree(heap, 0, channel->text);
  channel->text = block;
  return true;
}
