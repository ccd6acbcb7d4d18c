// The plug-in's life: attach (the whole start-up), detach, and the start
// and end of the worker thread (whose voices belong to plugin/speech).
#pragma once
#include <windows.h>

BOOL AttachPlugin(HINSTANCE instance);
void DetachPlugin(bool processTerminating);

// The host's exit event: the worker releases its voices itself when it runs.
void ReleaseVoicesFromHost();

// Shown when a signature differed: the text follows LangIndex (0 Russian).
const char* VersionMessageText(int langIndex);
