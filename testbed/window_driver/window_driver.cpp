#include "window_driver.h"

namespace windowdriver {

bool WaitFor(const std::function<bool()>& done, DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 50) {
    if (done()) return true;
    Sleep(50);
  }
  return done();
}

Program::Program(const std::string& exe, const std::string& cwd) {
  job_ = CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  std::string line = "\"" + exe + "\"";
  started_ = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, cwd.c_str(),
                            &si, &process_);
  if (started_) {
    AssignProcessToJobObject(job_, process_.hProcess);
    ResumeThread(process_.hThread);
  }
}

Program::~Program() {
  if (started_) {
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  CloseHandle(job_);
}

HWND Program::WaitForWindow(const char* className, DWORD ms) const {
  struct Search {
    DWORD pid;
    const char* cls;
    HWND found;
    static BOOL CALLBACK Visit(HWND window, LPARAM p) {
      auto* s = reinterpret_cast<Search*>(p);
      DWORD pid = 0;
      GetWindowThreadProcessId(window, &pid);
      char cls[64];
      GetClassNameA(window, cls, sizeof cls);
      if (pid == s->pid && lstrcmpA(cls, s->cls) == 0 && IsWindowVisible(window)) {
        s->found = window;
        return FALSE;
      }
      return TRUE;
    }
  } search{process_.dwProcessId, className, nullptr};
  WaitFor([&] { return EnumWindows(Search::Visit, reinterpret_cast<LPARAM>(&search)), search.found != nullptr; },
          ms);
  return search.found;
}

int Program::WaitForExit(DWORD ms) const {
  if (!started_ || WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return -1;
  DWORD code;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<int>(code);
}

std::map<int, HWND> ControlsOf(HWND window) {
  std::map<int, HWND> controls;
  struct Visit {
    static BOOL CALLBACK Control(HWND control, LPARAM out) {
      (*reinterpret_cast<std::map<int, HWND>*>(out))[GetDlgCtrlID(control)] = control;
      return TRUE;
    }
  };
  EnumChildWindows(window, Visit::Control, reinterpret_cast<LPARAM>(&controls));
  return controls;
}

std::string Utf8(const std::wstring& text) {
  std::string out(text.size() * 3 + 1, '\0');
  out.resize(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(),
                                 static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

std::string TextOf(HWND window) {
  wchar_t text[4096] = {};
  SendMessageW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
  return Utf8(text);
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

bool BringToFront(HWND window) {
  SetForegroundWindow(window);
  return WaitFor([&] { return GetForegroundWindow() == window; }, 3000);
}

void Click(HWND control, int times, bool right) {
  RECT r;
  GetWindowRect(control, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  for (int i = 0; i < times; ++i) {
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    press[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(2, press, sizeof(INPUT));
  }
}

void PressKey(WORD key, bool extended) {
  INPUT press[2] = {};
  press[0].type = press[1].type = INPUT_KEYBOARD;
  press[0].ki.wVk = press[1].ki.wVk = key;
  press[0].ki.dwFlags = extended ? KEYEVENTF_EXTENDEDKEY : 0;
  press[1].ki.dwFlags = press[0].ki.dwFlags | KEYEVENTF_KEYUP;
  SendInput(2, press, sizeof(INPUT));
}

bool ClickInto(HWND control, int times) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    Click(control, times);
    if (WaitFor([&] { return FocusOf(control) == control; }, 3000)) return true;
  }
  return false;
}

}  // namespace windowdriver
