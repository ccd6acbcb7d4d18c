// The help document in the rich-text view of the INFORMATION page: streamed
// in as RTF, readable and scrollable, but not selectable with the mouse.
#pragma once
#include <windows.h>

#include <string>

enum StreamRtfResult { RtfShown = 0, RtfLibraryMissing = 1, RtfCallbackRefused = 2 };

// Puts the RTF document `text` into `view` (emptied first by the caller).
int StreamRtfText(HWND view, const std::string& text);

// Makes `view` take clicks as "focus, caret at the start" and pass every
// other message on to its own window procedure.
void InstallHelpViewWindowProc(HWND view);
