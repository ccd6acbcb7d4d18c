// The open-file dialog that asks the player for the game when the walk up
// from the configurator's folder found no Morrowind.ini.
#pragma once
#include <windows.h>

#include <string>

// The folder of the Morrowind.ini the player chose, with trailing
// backslash.  Without the game there is nothing to configure: when the
// player cancels, the process ends here with exit code 0 and nothing saved.
std::string AskForGameDirectory(HWND owner, const std::wstring& title);
