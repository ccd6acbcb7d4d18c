// Names of LirraCfg.ini: the one file both deliverables share.  The plug-in
// reads it at attach; the configurator writes it when its window closes.  Its
// keys are in common/settings_schema.h.
#pragma once

namespace settings_file {

inline constexpr char FileName[] = "LirraCfg.ini";

inline constexpr char BaseConfig[] = "BaseConfig";
inline constexpr char PauseConfig[] = "PauseConfig";
inline constexpr char RaceConfig[] = "RaceConfig";
inline constexpr char LirraDlg[] = "LirraDlg";
inline constexpr char LirraDoc[] = "LirraDoc";

}  // namespace settings_file
