// Process-wide state of the plug-in, made at attach and kept until the
// process ends.  Flags shared between threads are plain 32-bit values, each
// written whole.
#pragma once
#include <windows.h>
#include <cstdint>

extern HINSTANCE PluginInstance;
extern HANDLE PluginHeap;          // GetProcessHeap(): every block of the plug-in
extern uintptr_t GameBase;         // base of the game's main module
extern char PluginDir[256];        // the library's folder, trailing backslash kept
extern char LogFilePath[256];      // the host's log; logging is on when [0] != 0
extern char* CapturedText;         // document, book and journal text being collected

extern HANDLE WorkerThread;
extern DWORD WorkerThreadId;

// The worker thread's messages.
inline constexpr UINT WM_SPEAK_REQUEST = WM_USER;     // wParam: the VoiceChannel
inline constexpr UINT WM_WORKER_QUIT = WM_USER + 9;

inline constexpr char ProductName[] = "Quorrim";
inline constexpr char ConfiguratorFileName[] = "Sethrim.exe";
inline constexpr uint32_t PluginVersion = 0x0001020B;
