// Stand-in for the module loader's library MLDRLib.dll: WriteLogFile gives the
// path of the loader's log file (a profile file) beside this library.
#include <windows.h>
#include <cstdint>
#include <cstring>

namespace {
char logPath[MAX_PATH];
HINSTANCE self;
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

// Two 32-bit arguments that the loader ignores (the plug-in passes zeros).
// Built stdcall by default; the cdecl variant proves the caller copes with
// either convention.
#ifdef MLDR_CDECL
#define MLDR_CALL __cdecl
#else
#define MLDR_CALL __stdcall
#endif
extern "C" __declspec(dllexport) const char* MLDR_CALL WriteLogFile(uint32_t, uint32_t) {
  GetModuleFileNameA(self, logPath, sizeof logPath);
  char* slash = strrchr(logPath, '\\');
  lstrcpyA(slash ? slash + 1 : logPath, "ModuleLoader.log");
  return logPath;
}
