// The application's window: never seen itself, it stands for the program
// in the task bar under the application's title "Quorrim", and owns the
// main window, which goes with it when it is minimised and comes back when
// it is restored.
#pragma once
#include <windows.h>

HWND CreateApplicationWindow(HINSTANCE instance, HICON icon);
// Called by the main window once it exists (as soon as its dialog
// procedure runs).
void SetApplicationMainWindow(HWND application, HWND main);
