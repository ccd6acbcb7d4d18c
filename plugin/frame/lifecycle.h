// The plug-in's life: attach (the whole start-up), detach, and the worker
// thread that owns the voices.
#pragma once
#include <windows.h>

BOOL AttachPlugin(HINSTANCE instance);
void DetachPlugin(bool processTerminating);

// Releases the four voices on the calling thread (the worker's own exit).
void ReleaseVoices();
// The host's exit event: the worker releases its voices itself when it runs.
void ReleaseVoicesFromHost();

// Shown when a signature differed: the text follows LangIndex (0 Russian).
const char* VersionMessageText(int langIndex);
