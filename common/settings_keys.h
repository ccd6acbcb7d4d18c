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

// The ten menu kinds, in the order the MPause... and MKeepAi... keys are
// written and read.
inline constexpr const char* MenuKinds[10] = {"Chargen", "Service",   "Resting",   "Journal",  "Dialogue",
                                              "Container", "Inventory", "Documents", "Messages", "Options"};

// The ten races of RaceConfig, in file order (VPOrc ... VPRedguard).
inline constexpr const char* RaceKeys[10] = {"VPOrc",     "VPNord",     "VPBreton",   "VPKhajiit",  "VPDarkElf",
                                             "VPHighElf", "VPWoodElf", "VPArgonian", "VPImperial", "VPRedguard"};

}  // namespace settings_file
