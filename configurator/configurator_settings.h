// The configurator's side of LirraCfg.ini: its record of the file, how it
// reads and writes it, the key chords, the voice-configuration tags, and the
// walk that finds the game directory.  Plain functions: nothing here needs a
// window.
#pragma once
#include <array>
#include <cstdint>
#include <string>

// Voices in the order the file lists their keys.
enum VoiceKind { VoiceDocument, VoiceMale, VoiceFemale, VoiceCreature, VoiceKindCount };

// The 31 behaviour flags in the order of the flags list (clGlobalFlags):
// each item is bound to one key.
enum GlobalFlag {
  FlagVoiceFxByRace,
  FlagTTSBoundPitchDS,
  FlagDlgSwitchToFP,
  FlagDlgEnableZoom,
  FlagStopSpkOnClose,
  FlagAlwReadOpenJnl,
  FlagDocVoiceAsDlg,
  FlagDocVoiceEnable,
  FlagDlgVoiceEnable,
  FlagDocAutoSpeak,
  FlagDlgAutoSpeak,
  FlagMPauseFirst,                    // ten MPause... flags, menu kinds in file order
  FlagMKeepAiFirst = FlagMPauseFirst + 10,  // ten MKeepAi... flags
  GlobalFlagCount = FlagMKeepAiFirst + 10,
};

struct VoiceSetting {
  std::string name;
  std::string config;  // <pitch absmiddle="%i"><rate absspeed="%i"><volume level="%i">
};

struct ConfiguratorSettings {
  int32_t LangIndex;
  uint32_t SpeakKeyCode;    // four key codes, cell A in the lowest byte
  uint32_t SilenceKeyCode;
  int32_t MaxDialogueFOV;   // no control: read and written back unchanged
  int32_t MinDialogueFOV;
  int32_t SpeakInPieces;    // no control yet: read and written back; LISTEN says long texts in pieces
  std::array<int32_t, GlobalFlagCount> flags;
  // Slider position x 100, kept in 16 bits like the plug-in keeps them.
  std::array<int16_t, 10> racePitch;  // RaceConfig order: Orc, Nord, Breton, ...
  int16_t VPBaseMale;
  int16_t VPBaseFemale;
  int16_t VPBaseCreature;
  std::array<VoiceSetting, VoiceKindCount> voices;
  std::string GameInstDir;
  std::string ConfigAppName;
};

// What the configurator assumes for every missing key (not what the plug-in
// assumes: a file it saves is meant to be read as the player saw it).
ConfiguratorSettings ConfiguratorDefaults(const std::string& exeName);

// An integer value as the configurator reads it: decimal with an optional
// sign, or hexadecimal after "0x"/"0X"; anything else, or a number beyond 32
// bits, gives `fallback`.
int32_t ParseIntValue(const std::string& text, int32_t fallback);

// Fills `settings` from `path`; missing keys and values that are no integer
// take the configurator's defaults.
void LoadSettings(ConfiguratorSettings& settings, const std::string& path, const std::string& exeName);

// Writes all 60 keys, one by one (other keys and sections of the file stay
// as they are), and flushes.  False at the first write the system refused;
// the caller reports it and may try again.
bool SaveSettings(const ConfiguratorSettings& settings, const std::string& path);

// How many keys SaveSettings writes.
inline constexpr int SettingsKeyCount = 60;

// Key chords: one virtual-key code per byte, 0 = empty slot.
inline uint8_t ChordKey(uint32_t chord, int cell) { return static_cast<uint8_t>(chord >> (8 * cell)); }
inline uint32_t PackKeyChord(const uint8_t (&cells)[4]) {
  return cells[0] | cells[1] << 8 | cells[2] << 16 | static_cast<uint32_t>(cells[3]) << 24;
}

// The value of one attribute of a voice configuration ("PITCH ABSMIDDLE"),
// found without regard to case; NoTagValue when the tag is missing or its
// value is not closed by `">`.
inline constexpr int32_t NoTagValue = 0x10001;
int32_t ReadVoiceTag(const std::string& tag, const std::string& config);

// The voice-configuration text for three slider positions.
std::string VoiceConfigText(int pitch, int rate, int volume);

// Position of the n-th `c` counted from the end, starting `skip` characters
// before the last one; -1 when there is none.  n <= 0 counts as |n|, 0 as 1.
int FindCharFromEnd(const std::string& text, char c, int n, int skip);

// Walks up from `start` (a directory with trailing backslash; a missing
// trailing backslash drops the last name first) to the first directory that
// holds "Morrowind.ini".  Empty when no level has one.
std::string WalkToGameDirectory(std::string start);
