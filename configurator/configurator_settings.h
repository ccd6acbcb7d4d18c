// The configurator's side of LirraCfg.ini: its record of the file, how it
// reads and writes it, the key chords, the voice-configuration tags, and the
// walk that finds the game directory.  Plain functions: nothing here needs a
// window.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "common/settings_schema.h"
#include "common/speaker_voice.h"

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
  FlagMPauseFirst,                                     // ten MPause... flags, by MenuKind
  FlagMKeepAiFirst = FlagMPauseFirst + MenuKindCount,  // ten MKeepAi... flags
  GlobalFlagCount = FlagMKeepAiFirst + MenuKindCount,
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
  int32_t SpeakInPieces;    // no control either
  std::array<int32_t, GlobalFlagCount> flags;
  // Slider position x 100, kept in 16 bits like the plug-in keeps them.
  std::array<int16_t, RaceCount> racePitch;  // by Race
  int16_t VPBaseMale;
  int16_t VPBaseFemale;
  int16_t VPBaseCreature;
  std::array<VoiceSetting, VoiceKindCount> voices;
  // The three dialogue voices' pools and varieties, by PoolKind
  // (common/speaker_voice.h): the pool's text as the file holds it.
  std::array<std::string, PoolKindCount> voicePools;
  std::array<int32_t, PoolKindCount> voiceVariety;
  std::string GameInstDir;
  std::string ConfigAppName;
};

// Where each key that the configurator reads and writes lives in the record:
// bind(id, field) once per key.  A key of the table left out or bound twice,
// or bound to a field that cannot hold its form, fails the build
// (configurator_settings.cpp).
template <class S, class Bind>  // S: ConfiguratorSettings, const or not
constexpr void BindConfiguratorFields(S& s, Bind&& bind) {
  using settings_file::Setting;
  bind(Setting::DocVoiceName, s.voices[VoiceDocument].name);
  bind(Setting::DocVoiceConfig, s.voices[VoiceDocument].config);
  bind(Setting::VoiceMaleName, s.voices[VoiceMale].name);
  bind(Setting::VoiceFemaleName, s.voices[VoiceFemale].name);
  bind(Setting::VoiceCreatureName, s.voices[VoiceCreature].name);
  bind(Setting::VoiceMaleConfig, s.voices[VoiceMale].config);
  bind(Setting::VoiceFemaleConfig, s.voices[VoiceFemale].config);
  bind(Setting::VoiceCreatureConfig, s.voices[VoiceCreature].config);
  bind(Setting::VoiceMalePool, s.voicePools[PoolMale]);
  bind(Setting::VoiceFemalePool, s.voicePools[PoolFemale]);
  bind(Setting::VoiceCreaturePool, s.voicePools[PoolCreature]);
  bind(Setting::VoiceMaleVariety, s.voiceVariety[PoolMale]);
  bind(Setting::VoiceFemaleVariety, s.voiceVariety[PoolFemale]);
  bind(Setting::VoiceCreatureVariety, s.voiceVariety[PoolCreature]);
  bind(Setting::DocVoiceEnable, s.flags[FlagDocVoiceEnable]);
  bind(Setting::DlgVoiceEnable, s.flags[FlagDlgVoiceEnable]);
  bind(Setting::DocAutoSpeak, s.flags[FlagDocAutoSpeak]);
  bind(Setting::DlgAutoSpeak, s.flags[FlagDlgAutoSpeak]);
  bind(Setting::ConfigAppName, s.ConfigAppName);
  bind(Setting::GameInstDir, s.GameInstDir);
  bind(Setting::LangIndex, s.LangIndex);
  bind(Setting::VPBaseMale, s.VPBaseMale);
  bind(Setting::VPBaseFemale, s.VPBaseFemale);
  bind(Setting::VPBaseCreature, s.VPBaseCreature);
  bind(Setting::SpeakKeyCode, s.SpeakKeyCode);
  bind(Setting::SilenceKeyCode, s.SilenceKeyCode);
  bind(Setting::MaxDialogueFOV, s.MaxDialogueFOV);
  bind(Setting::MinDialogueFOV, s.MinDialogueFOV);
  bind(Setting::TTSBoundPitchDS, s.flags[FlagTTSBoundPitchDS]);
  bind(Setting::VoiceFxByRace, s.flags[FlagVoiceFxByRace]);
  bind(Setting::StopSpkOnClose, s.flags[FlagStopSpkOnClose]);
  bind(Setting::DlgSwitchToFP, s.flags[FlagDlgSwitchToFP]);
  bind(Setting::DlgEnableZoom, s.flags[FlagDlgEnableZoom]);
  bind(Setting::AlwReadOpenJnl, s.flags[FlagAlwReadOpenJnl]);
  bind(Setting::DocVoiceAsDlg, s.flags[FlagDocVoiceAsDlg]);
  bind(Setting::SpeakInPieces, s.SpeakInPieces);
  for (int kind = 0; kind < MenuKindCount; ++kind) {
    bind(settings_file::PauseSetting(MenuKind(kind)), s.flags[FlagMPauseFirst + kind]);
    bind(settings_file::KeepAiSetting(MenuKind(kind)), s.flags[FlagMKeepAiFirst + kind]);
  }
  for (int race = 0; race < RaceCount; ++race) bind(settings_file::RaceSetting(Race(race)), s.racePitch[race]);
}

// What the configurator assumes for every missing key: the table's
// configurator defaults (not what the plug-in assumes: a file it saves is
// meant to be read as the player saw it).
ConfiguratorSettings ConfiguratorDefaults(const std::string& exeName);

// An integer value as the configurator reads it: decimal with an optional
// sign, or hexadecimal after "0x"/"0X"; anything else, or a number beyond 32
// bits, gives `fallback`.
int32_t ParseIntValue(const std::string& text, int32_t fallback);

// Fills `settings` from `path`; missing keys and values that are no integer
// take the configurator's defaults.
void LoadSettings(ConfiguratorSettings& settings, const std::string& path, const std::string& exeName);

// Writes every key the configurator knows (SettingsKeyCount), one by one in
// the table's order (other keys and sections of the file stay as they are),
// and flushes.  False at the first write the system refused; the caller
// reports it and may try again.
bool SaveSettings(const ConfiguratorSettings& settings, const std::string& path);

// How many keys SaveSettings writes.
inline constexpr int SettingsKeyCount = settings_file::ConfiguratorKeyCount();

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
