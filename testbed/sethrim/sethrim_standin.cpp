// Stand-in for the configurator: records that it ran, where, and with what
// command line, in "sethrim-ran.txt" beside itself.
#include <windows.h>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  char* slash = strrchr(path, '\\');
  lstrcpyA(slash + 1, "sethrim-ran.txt");
  HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  const char* line = GetCommandLineA();
  DWORD written;
  WriteFile(f, line, lstrlenA(line), &written, nullptr);
  CloseHandle(f);
  return 0;
}
