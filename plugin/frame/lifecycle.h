// The plug-in's life: attach (the whole start-up), detach, and the start
// and end of the worker thread (whose voices belong to plugin/speech).
#pragma once
#include <windows.h>

// The whole start-up, in the attach notification: the process state, then
// (in the game) the hooks and the worker.
BOOL AttachPlugin(HINSTANCE instance);

// The start-up's stages, which the tests also run one by one.
// Process-wide state: the library's handle, the game's base, the host's log
// path, the plug-in's folder, cleared channels and buffer table, the settings.
void SetUpProcessState(HINSTANCE instance);
// The worker thread, holding a reference to the library, created suspended
// and resumed last.  It sets up the enabled voices, runs the speak loop until
// WM_WORKER_QUIT, releases the voices and ends through the library.  False
// when it could not be started.
bool StartWorker();
void DetachPlugin(bool processTerminating);

// The host's exit event: the worker releases its voices itself when it runs.
void ReleaseVoicesFromHost();

// Shown when a signature differed: the text follows LangIndex (0 Russian).
const char* VersionMessageText(int langIndex);
