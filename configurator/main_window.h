// TfmTCfgMain: the configurator's one window, six tabbed pages that show
// ConfiguratorSettings.  The window only moves values between its controls
// and the record; reading, writing and the rules live in the model.
#pragma once
#include <windows.h>

#include <map>
#include <string>

#include "configurator/configurator_settings.h"
#include "configurator/localize.h"
#include "configurator/voice_test.h"
#include "speech/speech_voice.h"

struct TfmTCfgMain {
  HWND hwnd = nullptr;
  HWND pages[6] = {};      // tsPageVoices ... tsPageAbout, in tab order
  HWND voiceTabs[4] = {};  // tsVDlgMale, tsVDlgFemale, tsVDlgCreature, tsVoiceDoc
  HWND filterBox = nullptr;  // sclbDSFilters
  int filterScroll = 0;
  int filterContentHeight = 0;
  std::map<int, HWND> controls;  // by control id

  std::string exeDir;   // with trailing backslash
  std::string exeName;
  std::string gameDir;  // with trailing backslash
  ConfiguratorSettings settings;
  std::string settingsIni;  // exeDir + LirraCfg.ini
  std::string gameIni;      // gameDir + Morrowind.ini, source of the test texts
  LocalizeTable localizeTable;
  int currentLang = 0;
  int testStringIndex = 0;
  SpeechVoice TestVoice{};
  TestSound testSound;  // the voice test's DirectSound device and last buffer
  uint8_t keyCodes[8] = {};  // one per key cell: A..D of START, then of STOP

  HWND Item(int id) const {
    auto found = controls.find(id);
    return found == controls.end() ? nullptr : found->second;
  }
};

// Builds the window (hidden) and runs its start-up; the process may end in
// it when the player cancels the search for the game.
HWND CreateMainWindow(HINSTANCE instance);
