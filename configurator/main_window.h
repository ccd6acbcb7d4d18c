// TfmTCfgMain: the configurator's one window, the frame around seven tabbed
// pages (config_page.h, one file each in pages/) that show
// ConfiguratorSettings.  The frame owns the tabs, the language and the
// settings record, and runs start-up and close; the pages only move values
// between their controls and the record; reading, writing and the rules
// live in the model.
#pragma once
#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "configurator/config_page.h"
#include "configurator/configurator_settings.h"
#include "configurator/lexicon_file.h"
#include "configurator/localize.h"
#include "configurator/voice_pools.h"
#include "configurator/voice_test.h"
#include "speech/speech_voice.h"

struct TfmTCfgMain {
  HWND hwnd = nullptr;
  // Tab order: VOICES, FILTERS, PARAMETERS, TESTING, INSTALLING, INFORMATION,
  // NAMES.
  std::array<std::unique_ptr<ConfigPage>, 7> pages;

  std::string exeDir;   // with trailing backslash
  std::string exeName;
  std::string gameDir;  // with trailing backslash
  ConfiguratorSettings settings;
  std::string settingsIni;  // exeDir + LirraCfg.ini
  LocalizeTable localizeTable;
  int currentLang = 0;
  // The VOICES page lists the voices it knows; LISTEN speaks with it.
  SpeechVoice TestVoice{};
  // The installed voices with their tokens' Gender, listed once by the
  // VOICES page: its pools' check lists and LISTEN's speakers go by them.
  InstalledVoices installedVoices;
  // The device both LISTEN buttons play through (the TESTING page opens and
  // closes it).
  TestSound testSound;
  // Lexicon.txt as the NAMES page edits it; both LISTEN buttons speak
  // through it.
  LexiconFile lexicon;

  std::string Localized(int lang, const char* key) const { return GetLocalizedText(localizeTable, lang, key); }
};

// Russian for 0, English for every other index: the flag buttons can show
// nothing else, and what is saved is what they show.
inline int LanguageOf(int32_t langIndex) { return langIndex == 0 ? 0 : 1; }

// The language of the record, then every page from the record.
void SettingsToForm(TfmTCfgMain& w);
// Every page into the record.
void FormToSettings(TfmTCfgMain& w);

// A file of the configurator's that could not be written, told the player.
void ReportUnwritable(const TfmTCfgMain& w, const std::string& path);

// Builds the window (hidden) and runs its start-up; the process may end in
// it when the player cancels the search for the game.
HWND CreateMainWindow(HINSTANCE instance);
