// A picture of a window as it stands on the screen, kept as a PNG for a
// person to look at.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Folder of the screenshots (out/screens of the source tree), created on
// demand.
std::string ScreensDir();

// The RGB pixels of a rectangle of the screen, row by row; empty when it
// could not be read.
std::vector<uint8_t> ScreenPixels(const RECT& area);

// The window's client area as it stands on the screen, into `path`; false
// when nothing could be read or written.
bool SaveWindowPng(HWND window, const std::string& path);
