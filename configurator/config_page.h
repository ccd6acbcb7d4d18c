// A page of the configurator's window: one tab, one dialog template in
// sethrim.rc, one file in configurator/pages/.  The frame (main_window.cpp)
// makes the page's dialog, places it under its tab and captions its labels
// and buttons from the text table; the page does the rest, called in this
// order over its life:
//
//   Create         once: its controls' ranges and styles, the windows it
//                  makes itself
//   SetCaption     at start and at every language switch, for each text of
//                  the language that names no tab and no label or button of
//                  the window: a caption of its own (the tabs of an inner
//                  tab control)
//   ApplyLanguage  then: its lists' items, the help document
//   Load           the settings record into its controls, after the language
//   Start          once, when the game folder is known and the settings shown
//   Store          its controls back into the record: at LISTEN, at a
//                  language switch and at close
//   Save           at close, after the record was written: a file of its
//                  own; false when it could not be written (the page said
//                  so), and the window stays open
//   Close          after every file was written at close
//
// and, whenever INSTALL or UNINSTALL changed which voices are installed
// (under Wine), VoicesChanged: the page shows the voices as they are now,
// keeping what the player set.
//
// While the window is open the controls hold what the player set; the
// record only carries it in and out.
#pragma once
#include <windows.h>

#include <string>

#include "configurator/common_controls.h"
#include "configurator/configurator_settings.h"

struct TfmTCfgMain;

class ConfigPage {
 public:
  // name: the tab's key in the text table; dialog: its template.
  ConfigPage(TfmTCfgMain& window, const char* name, int dialog) : window(window), name(name), dialog(dialog) {}
  virtual ~ConfigPage() = default;
  ConfigPage(const ConfigPage&) = delete;
  ConfigPage& operator=(const ConfigPage&) = delete;

  virtual void Create() {}
  // True when `key` named something of the page's.
  virtual bool SetCaption(const std::string& /*key*/, const std::wstring& /*text*/) { return false; }
  virtual void ApplyLanguage(int /*lang*/) {}
  virtual void Load(const ConfiguratorSettings&) {}
  virtual void Store(ConfiguratorSettings&) const {}
  virtual void Start() {}
  virtual bool Save() { return true; }
  virtual void Close() {}
  virtual void VoicesChanged() {}
  // The dialog procedure of the page (WM_INITDIALOG is the frame's): TRUE
  // for a message it took.
  virtual INT_PTR DialogProc(UINT /*message*/, WPARAM, LPARAM) { return FALSE; }

  // A control of the page, also inside child dialogs the page made.
  HWND Item(int id) const { return FindControl(hwnd, id); }

  TfmTCfgMain& window;
  const char* const name;
  const int dialog;
  HWND hwnd = nullptr;
};
