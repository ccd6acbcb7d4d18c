// What a module loader does with the plug-in, shared by the loader double
// (loader mode) and the game double (game mode): load it on a thread of its
// own, call its exports as the command line asks, and write what it saw into
// a report file, one "name=value" line each.
//
//   --plugin PATH     the library to load (default: Vandrel.dll beside the exe)
//   --no-mldr         do not load MLDRLib.dll first (no host log)
//   --report FILE     where the report goes (default: host-report.txt)
//   --run-config      call ModRunConfigShell
//   --wait-log TEXT   wait (up to 60 s) until the host log holds TEXT
//   --hold-ms N       stay N ms after the start event
//   --no-exit-event   skip ModEventOnHostExit at the end
//   --free            FreeLibrary the plug-in at the end
#pragma once
#include <windows.h>

// Runs the whole sequence; `beforeLoad` runs after MLDRLib.dll is in place and
// before the plug-in is loaded, `afterStart` after the start event (and the
// wait for the log, when asked) and before the exit event.  Returns the
// process exit code.
int RunHost(int argc, char** argv, void (*beforeLoad)() = nullptr, void (*afterStart)() = nullptr);

// The end of the host program: when the plug-in's loading thread ended inside
// the load (the plug-in unloaded itself from its attach notification), the
// loader lock went with it and the process cannot exit the normal way, so it
// is terminated.  Otherwise returns `code`.
int ExitHost(int code);

// Appends a line to the report.
void Report(const char* format, ...);
