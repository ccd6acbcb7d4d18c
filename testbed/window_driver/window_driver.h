// Driving another program's window from outside, as a player would: find
// it, read its controls through their messages, click and type through
// the system's input queue.  Used by the configurator's window tests and the
// demo.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>

namespace windowdriver {

// Polls `done` every 50 ms; true as soon as it holds.
bool WaitFor(const std::function<bool()>& done, DWORD ms = 20000);

// A program started in a job that ends it when this object goes (a test
// that fails half-way leaves nothing running).
class Program {
 public:
  Program(const std::string& exe, const std::string& cwd);
  ~Program();
  bool started() const { return started_; }
  // A visible top-level window of the program with this class.
  HWND WaitForWindow(const char* className, DWORD ms = 60000) const;
  // Exit code, or -1 while it still runs after `ms`.
  int WaitForExit(DWORD ms = 30000) const;

 private:
  HANDLE job_ = nullptr;
  PROCESS_INFORMATION process_{};
  bool started_ = false;
};

// Every control below `window`, by control id.
std::map<int, HWND> ControlsOf(HWND window);

std::string Utf8(const std::wstring& text);
std::string TextOf(HWND window);
// The control that has the keyboard focus in `window`'s thread.
HWND FocusOf(HWND window);
bool BringToFront(HWND window);

void Click(HWND control, int times = 1, bool right = false);
void PressKey(WORD key, bool extended = false);
// Clicks until the control has the focus (the first click may only
// activate the window).
bool ClickInto(HWND control, int times = 1);

}  // namespace windowdriver
