// DriveSethrim.exe FOLDER: the demo's player at the configurator.  Starts
// FOLDER\Sethrim.exe, switches it to English, sets the speak chord to right
// Control + F5 and the Orcs' pitch to its lowest, closes the window (which
// writes LirraCfg.ini) and says what it saw on the way.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "configurator/resource.h"
#include "window_driver.h"

using namespace windowdriver;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: DriveSethrim.exe FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  Program sethrim(folder + "\\Sethrim.exe", folder);
  HWND window = sethrim.WaitForWindow("TfmTCfgMain");
  if (!window) {
    std::fprintf(stderr, "DriveSethrim: no configurator window\n");
    return 1;
  }
  std::map<int, HWND> control = ControlsOf(window);
  BringToFront(window);
  std::printf("configurator: \"%s\"\n", TextOf(window).c_str());

  auto showPage = [&](int index) { SendMessageW(control[IDC_pcMainPageCtrl], TCM_SETCURFOCUS, index, 0); };
  Click(control[IDC_sbLngEng]);
  if (!WaitFor([&] { return TextOf(window) == "Configure Quorrim"; }, 10000)) {
    std::fprintf(stderr, "DriveSethrim: the language did not switch\n");
    return 1;
  }
  std::printf("English flag clicked: \"%s\"\n", TextOf(window).c_str());

  showPage(2);
  const struct {
    int cell;
    WORD key;
    bool extended;
  } chord[] = {{IDC_edKeyA_BS, VK_RCONTROL, true}, {IDC_edKeyB_BS, VK_F5, false}};
  for (const auto& k : chord) {
    ClickInto(control[k.cell]);
    PressKey(k.key, k.extended);
  }
  WaitFor([&] { return TextOf(control[IDC_edKeyB_BS]) == "F5"; }, 5000);
  std::printf("START SPEAKING: %s + %s + %s + %s\n", TextOf(control[IDC_edKeyA_BS]).c_str(),
              TextOf(control[IDC_edKeyB_BS]).c_str(), TextOf(control[IDC_edKeyC_BS]).c_str(),
              TextOf(control[IDC_edKeyD_BS]).c_str());

  showPage(1);
  ClickInto(control[IDC_tbVPOrc]);
  PressKey(VK_HOME);  // the slider's lowest position
  WaitFor([&] { return SendMessageW(control[IDC_tbVPOrc], TBM_GETPOS, 0, 0) == -100; }, 5000);
  std::printf("ORC pitch slider: %d\n", static_cast<int>(SendMessageW(control[IDC_tbVPOrc], TBM_GETPOS, 0, 0)));

  PostMessageW(window, WM_CLOSE, 0, 0);
  const int code = sethrim.WaitForExit();
  std::printf("configurator closed (exit code %d)\n", code);
  return code == 0 ? 0 : 1;
}
