// PluginSettings: the plug-in's copy of LirraCfg.ini, filled once at attach by
// ReadSettings and read-only afterwards.
#pragma once
#include <cstdint>

struct PluginSettings {
  int32_t SpeakKeyCode;
  int32_t SilenceKeyCode;
  int32_t DocVoiceAsDlg;
  int32_t VoiceFxByRace;
  int32_t TTSBoundPitchDS;
  int32_t AlwReadOpenJnl;
  int32_t StopSpkOnClose;
  int32_t DlgSwitchToFP;
  int32_t DlgEnableZoom;
  int32_t SmoothZooming;
  int32_t SpeakAfterZoom;
  int32_t ZoomDistNPC;
  int32_t LangIndex;
  int32_t SpeakInPieces;  // long lines said piece by piece, the first at once
  int16_t VPBaseMale;
  int16_t VPBaseFemale;
  int16_t VPBaseCreature;
  // Menu kinds in file order: Chargen, Service, Resting, Journal, Dialogue,
  // Container, Inventory, Documents, Messages, Options.
  int32_t MPause[10];
  int32_t MKeepAi[10];
  // Race pitches in file order: Orc, Nord, Breton, Khajiit, Dark Elf,
  // High Elf, Wood Elf, Argonian, Imperial, Redguard.
  int16_t RacePitch[10];
  char ConfigAppName[64];
};

enum MenuKind { MenuChargen, MenuService, MenuResting, MenuJournal, MenuDialogue,
                MenuContainer, MenuInventory, MenuDocuments, MenuMessages, MenuOptions };

enum Race { RaceOrc, RaceNord, RaceBreton, RaceKhajiit, RaceDarkElf,
            RaceHighElf, RaceWoodElf, RaceArgonian, RaceImperial, RaceRedguard };

// What the plug-in uses when a key is missing (a file the configurator never
// saved, or no file at all).
constexpr PluginSettings PluginDefaults() {
  return PluginSettings{
      .SpeakKeyCode = 112,   // F1
      .SilenceKeyCode = 113, // F2
      .DocVoiceAsDlg = 1,
      .VoiceFxByRace = 0,
      .TTSBoundPitchDS = 1,
      .AlwReadOpenJnl = 0,
      .StopSpkOnClose = 1,
      .DlgSwitchToFP = 1,
      .DlgEnableZoom = 1,
      .SmoothZooming = 1,
      .SpeakAfterZoom = 0,
      .ZoomDistNPC = 60,
      .LangIndex = 1,
      .SpeakInPieces = 1,
      .VPBaseMale = 0,
      .VPBaseFemale = 0,
      .VPBaseCreature = 0,
      .MPause = {1, 1, 1, 1, 0, 1, 1, 1, 1, 1},  // the dialogue menu lets the world run
      .MKeepAi = {},
      .RacePitch = {},
      .ConfigAppName = "Sethrim.exe",
  };
}

extern PluginSettings Settings;

// Reads every key.  A bare file name is looked up in PluginDir; a name whose
// second character is ':' is used as it stands.  Missing keys keep the value
// the field already has.  The voice keys go straight into the four channels.
void ReadSettings(const char* fileName);
