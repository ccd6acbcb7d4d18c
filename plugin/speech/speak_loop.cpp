#include "plugin/speech/speak_loop.h"

#include <windows.h>

#include "plugin/frame/lifecycle.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/speech/speaker_buffer_table.h"


namespace {
volatile LONG releaseRequested = 0;

// Wakes the worker with an id it consumes without effect.
constexpr UINT WM_WAKE = WM_USER + 1;
}  // namespace

void RequestVoiceRelease() {
  InterlockedExchange(&releaseRequested, 1);
  PostThreadMessageA(WorkerThreadId, WM_WAKE, 0, 0);
}

void RunSpeakLoop() {
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0xFFFFFFFF, PM_REMOVE);  // makes the queue
  for (;;) {
    if (GetMessageA(&msg, nullptr, WM_SPEAK_REQUEST, WM_WORKER_QUIT) <= 0) break;
    if (msg.message == WM_WORKER_QUIT) break;
    if (InterlockedExchange(&releaseRequested, 0)) ReleaseVoices();
  }
}
