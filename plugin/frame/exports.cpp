// The eight exports the module loader calls (stdcall, undecorated names: see
// vandrel.def).
#include <windows.h>

#include "plugin/frame/lifecycle.h"
#include "plugin/frame/log.h"
#include "plugin/frame/plugin_state.h"

// The library's entry point.  The C runtime's start-up runs first and then
// calls this; the module loader may also call it by its exported name.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      return AttachPlugin(instance);
    case DLL_PROCESS_DETACH:
      DetachPlugin(reserved != nullptr);
      return TRUE;
    case DLL_THREAD_ATTACH:
    case DLL_THREAD_DETACH:
      return TRUE;
    default:
      return FALSE;
  }
}

extern "C" uint32_t __stdcall ModGetVersion() { return PluginVersion; }

extern "C" uint32_t __stdcall ModGetParameters() { return 0; }

extern "C" uint32_t __stdcall ModEventOnHostStart() {
  LOG_LINE("Initialized");
  return 0;
}

extern "C" uint32_t __stdcall ModEventOnHostExit() {
  LOG_LINE("Unloading...");
  ReleaseVoicesFromHost();
  StopLogWriter();  // the host may end the process next
  return 0;
}

extern "C" const char* __stdcall ModGetConfigShellName() { return ConfiguratorFileName; }

// Starts the configurator from the plug-in's own folder.  The path is quoted,
// so that a folder name with blanks cannot make Windows start some other
// program (a "C:\Program.exe", say) in its place.
extern "C" uint32_t __stdcall ModRunConfigShell(uint32_t) {
  char command[sizeof PluginDir + sizeof ConfiguratorFileName + 2];
  wsprintfA(command, "\"%s%s\"", PluginDir, ConfiguratorFileName);
  return WinExec(command, SW_SHOWNORMAL) > 31 ? 0 : 1;
}
