// Names of LirraCfg.ini: the one file both deliverables share.  The plug-in
// reads it at attach; the configurator writes it when its window closes.
#pragma once

namespace settings_file {

inline constexpr char FileName[] = "LirraCfg.ini";

inline constexpr char BaseConfig[] = "BaseConfig";
inline constexpr char PauseConfig[] = "PauseConfig";
inline constexpr char RaceConfig[] = "RaceConfig";
inline constexpr char LirraDlg[] = "LirraDlg";
inline constexpr char LirraDoc[] = "LirraDoc";

// Keys, by section.  The pause keys are "MPause" or "MKeepAi" followed by a
// menu kind.
inline constexpr char SpeakKeyCode[] = "SpeakKeyCode";
inline constexpr char SilenceKeyCode[] = "SilenceKeyCode";
inline constexpr char DocVoiceAsDlg[] = "DocVoiceAsDlg";
inline constexpr char VoiceFxByRace[] = "VoiceFxByRace";
inline constexpr char TTSBoundPitchDS[] = "TTSBoundPitchDS";
inline constexpr char AlwReadOpenJnl[] = "AlwReadOpenJnl";
inline constexpr char StopSpkOnClose[] = "StopSpkOnClose";
inline constexpr char DlgSwitchToFP[] = "DlgSwitchToFP";
inline constexpr char DlgEnableZoom[] = "DlgEnableZoom";
inline constexpr char SmoothZooming[] = "SmoothZooming";
inline constexpr char SpeakAfterZoom[] = "SpeakAfterZoom";
inline constexpr char ZoomDistNPC[] = "ZoomDistNPC";
inline constexpr char LangIndex[] = "LangIndex";
inline constexpr char SpeakInPieces[] = "SpeakInPieces";
inline constexpr char VPBaseMale[] = "VPBaseMale";
inline constexpr char VPBaseFemale[] = "VPBaseFemale";
inline constexpr char VPBaseCreature[] = "VPBaseCreature";
inline constexpr char MaxDialogueFOV[] = "MaxDialogueFOV";
inline constexpr char MinDialogueFOV[] = "MinDialogueFOV";
inline constexpr char ConfigAppName[] = "ConfigAppName";
inline constexpr char GameInstDir[] = "GameInstDir";
inline constexpr char PausePrefix[] = "MPause";
inline constexpr char KeepAiPrefix[] = "MKeepAi";
// LirraDlg and LirraDoc
inline constexpr char VoiceEnable[] = "VoiceEnable";
inline constexpr char AutoSpeak[] = "AutoSpeak";
inline constexpr char VoiceMaleName[] = "VoiceMaleName";
inline constexpr char VoiceFemaleName[] = "VoiceFemaleName";
inline constexpr char VoiceCreatureName[] = "VoiceCreatureName";
inline constexpr char VoiceMaleConfig[] = "VoiceMaleConfig";
inline constexpr char VoiceFemaleConfig[] = "VoiceFemaleConfig";
inline constexpr char VoiceCreatureConfig[] = "VoiceCreatureConfig";
inline constexpr char VoiceName[] = "VoiceName";
inline constexpr char VoiceConfig[] = "VoiceConfig";

// The ten menu kinds, in the order the MPause... and MKeepAi... keys are
// written and read.
inline constexpr const char* MenuKinds[10] = {"Chargen", "Service",   "Resting",   "Journal",  "Dialogue",
                                              "Container", "Inventory", "Documents", "Messages", "Options"};

// The ten races of RaceConfig, in file order (VPOrc ... VPRedguard).
inline constexpr const char* RaceKeys[10] = {"VPOrc",     "VPNord",     "VPBreton",   "VPKhajiit",  "VPDarkElf",
                                             "VPHighElf", "VPWoodElf", "VPArgonian", "VPImperial", "VPRedguard"};

}  // namespace settings_file
