// Sethrim.exe: the configurator of Quorrim.  One window; the process ends
// when it closes.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "configurator/lexicon_file.h"
#include "configurator/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  // All floating-point exceptions masked: voice engines and drivers loaded
  // into this process must not trap on what they compute.
  const unsigned short controlWord = 0x027F;
  __asm__ volatile("fldcw %0" : : "m"(controlWord));
  // A single-threaded apartment: the rich-text view's OLE callback and the
  // file dialog want one; the voice object's own COM call then changes
  // nothing.
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  WriteDefaultLexiconBesideProgram();  // the release's, where the player has none
  HWND window = CreateMainWindow(instance);
  if (!window) return 1;
  ShowWindow(window, show);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  OleUninitialize();
  return 0;
}
