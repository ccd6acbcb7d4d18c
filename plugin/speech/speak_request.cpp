#include "plugin/speech/speak_request.h"

#include <windows.h>

#include <cstddef>

#include "plugin/frame/plugin_state.h"
#include "plugin/speech/speak_loop.h"
#include "plugin/speech/text_filter.h"
#include "plugin/speech/voice_channel.h"

bool PostSpeakRequest(VoiceChannel* channel, ObjectRef* speaker, const char* rawText, int32_t voicePitch,
                      SpeechKind kind, const char* speakerId) {
  if (!SetChannelText(channel, rawText)) return false;
  const size_t length = static_cast<size_t>(lstrlenA(channel->text));
  HANDLE heap = GetProcessHeap();
  auto* request =
      static_cast<SpeakRequest*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, offsetof(SpeakRequest, text) + length + 1));
  if (!request) return false;  // no copy, no line: the channel's fields are not the worker's to read
  request->speaker = speaker;
  request->voicePitch = voicePitch;
  request->epoch = SpeechEpoch();
  request->kind = kind;
  if (speakerId) lstrcpynA(request->speakerId, speakerId, sizeof request->speakerId);
  lstrcpyA(request->text, channel->text);
  if (PostThreadMessageA(WorkerThreadId, WM_SPEAK_REQUEST, reinterpret_cast<WPARAM>(channel),
                         reinterpret_cast<LPARAM>(request)))
    return true;
  HeapFree(heap, 0, request);
  return false;
}
