// What the tests that run the plug-in's worker thread in their own process
// share: waiting for what the worker does, the keys the player presses, and
// the worker's end.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "plugin/frame/plugin_state.h"
#include "plugin/speech/voice_channel.h"

namespace testsupport {

// Polls `done` until it holds (true) or `timeoutMs` have passed (false).
inline bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

// A key pressed or let go for the whole system, as the player's hand would.
inline void PressKey(WORD vk, bool down) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &in, sizeof in);
}

// Ends the worker, when one runs (it releases its voices on its way out),
// and frees what the channels still hold, so that the next test starts
// from nothing.
inline void StopWorkerAndFreeChannels(DWORD timeoutMs) {
  if (WorkerThread) {
    PostThreadMessageA(WorkerThreadId, WM_WORKER_QUIT, 0, 0);
    EXPECT_EQ(WaitForSingleObject(WorkerThread, timeoutMs), WAIT_OBJECT_0);
    CloseHandle(WorkerThread);
    WorkerThread = nullptr;
  }
  for (VoiceChannel* c : AllChannels) {
    c->voice.Release();
    if (c->text) HeapFree(GetProcessHeap(), 0, c->text);
    c->text = nullptr;
  }
}

}  // namespace testsupport
