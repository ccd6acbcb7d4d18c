#include "plugin/speech/speak_request.h"

#include <windows.h>

#include <cstddef>

#include "plugin/frame/plugin_state.h"
#include "plugin/speech/text_filter.h"
#include "plugin/speech/voice_channel.h"

bool PostSpeakRequest(VoiceChannel* channel, ObjectRef* speaker, const char* rawText, int32_t voicePitch) {
  SetChannelText(channel, rawText);
  channel->speaker = speaker;
  const char* filtered = channel->text ? channel->text : "";
  const size_t length = static_cast<size_t>(lstrlenA(filtered));
  HANDLE heap = GetProcessHeap();
  auto* request =
      static_cast<SpeakRequest*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, offsetof(SpeakRequest, text) + length + 1));
  if (request) {
    request->speaker = speaker;
    request->voicePitch = voicePitch;
    lstrcpyA(request->text, filtered);
  }
  if (PostThreadMessageA(WorkerThreadId, WM_SPEAK_REQUEST, reinterpret_cast<WPARAM>(channel),
                         reinterpret_cast<LPARAM>(request)))
    return true;
  if (request) HeapFree(heap, 0, request);
  return false;
}
