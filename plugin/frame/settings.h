// PluginSettings: the plug-in's copy of LirraCfg.ini, filled once at attach by
// ReadSettings and read-only afterwards.
#pragma once
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "common/settings_schema.h"
#include "common/speaker_voice.h"

// Voice names and configurations, as the speech channels hold them.
inline constexpr uint32_t VoiceTextSize = 128;
// A pool's names, several voice descriptions long.
inline constexpr uint32_t VoicePoolTextSize = 1024;

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
  int32_t SpeakInPieces;
  int16_t VPBaseMale;
  int16_t VPBaseFemale;
  int16_t VPBaseCreature;
  int32_t MPause[MenuKindCount];
  int32_t MKeepAi[MenuKindCount];
  int16_t RacePitch[RaceCount];
  char ConfigAppName[64];
  // LirraDlg: the three dialogue voices share VoiceEnable and AutoSpeak.
  int32_t DlgVoiceEnable;
  int32_t DlgAutoSpeak;
  char VoiceMaleName[VoiceTextSize];
  char VoiceFemaleName[VoiceTextSize];
  char VoiceCreatureName[VoiceTextSize];
  char VoiceMaleConfig[VoiceTextSize];
  char VoiceFemaleConfig[VoiceTextSize];
  char VoiceCreatureConfig[VoiceTextSize];
  // The pools and varieties of the three dialogue voices, male, female,
  // creature (PoolKind): a voice of its own for each speaker.
  char VoicePool[PoolKindCount][VoicePoolTextSize];
  int32_t VoiceVariety[PoolKindCount];
  // LirraDoc
  int32_t DocVoiceEnable;
  int32_t DocAutoSpeak;
  char DocVoiceName[VoiceTextSize];
  char DocVoiceConfig[VoiceTextSize];
};

// Where each key that the plug-in reads lives in the record: bind(id, field)
// once per key.  A key of the table left out or bound twice, or bound to a
// field that cannot hold its form, fails the build (settings.cpp).
template <class Bind>
constexpr void BindPluginFields(PluginSettings& s, Bind&& bind) {
  using settings_file::Setting;
  bind(Setting::SpeakKeyCode, s.SpeakKeyCode);
  bind(Setting::SilenceKeyCode, s.SilenceKeyCode);
  bind(Setting::DocVoiceAsDlg, s.DocVoiceAsDlg);
  bind(Setting::VoiceFxByRace, s.VoiceFxByRace);
  bind(Setting::TTSBoundPitchDS, s.TTSBoundPitchDS);
  bind(Setting::AlwReadOpenJnl, s.AlwReadOpenJnl);
  bind(Setting::StopSpkOnClose, s.StopSpkOnClose);
  bind(Setting::DlgSwitchToFP, s.DlgSwitchToFP);
  bind(Setting::DlgEnableZoom, s.DlgEnableZoom);
  bind(Setting::SmoothZooming, s.SmoothZooming);
  bind(Setting::SpeakAfterZoom, s.SpeakAfterZoom);
  bind(Setting::ZoomDistNPC, s.ZoomDistNPC);
  bind(Setting::LangIndex, s.LangIndex);
  bind(Setting::SpeakInPieces, s.SpeakInPieces);
  bind(Setting::VPBaseMale, s.VPBaseMale);
  bind(Setting::VPBaseFemale, s.VPBaseFemale);
  bind(Setting::VPBaseCreature, s.VPBaseCreature);
  for (int kind = 0; kind < MenuKindCount; ++kind) {
    bind(settings_file::PauseSetting(MenuKind(kind)), s.MPause[kind]);
    bind(settings_file::KeepAiSetting(MenuKind(kind)), s.MKeepAi[kind]);
  }
  for (int race = 0; race < RaceCount; ++race) bind(settings_file::RaceSetting(Race(race)), s.RacePitch[race]);
  bind(Setting::ConfigAppName, s.ConfigAppName);
  bind(Setting::DlgVoiceEnable, s.DlgVoiceEnable);
  bind(Setting::DlgAutoSpeak, s.DlgAutoSpeak);
  bind(Setting::VoiceMaleName, s.VoiceMaleName);
  bind(Setting::VoiceFemaleName, s.VoiceFemaleName);
  bind(Setting::VoiceCreatureName, s.VoiceCreatureName);
  bind(Setting::VoiceMaleConfig, s.VoiceMaleConfig);
  bind(Setting::VoiceFemaleConfig, s.VoiceFemaleConfig);
  bind(Setting::VoiceCreatureConfig, s.VoiceCreatureConfig);
  bind(Setting::VoiceMalePool, s.VoicePool[PoolMale]);
  bind(Setting::VoiceFemalePool, s.VoicePool[PoolFemale]);
  bind(Setting::VoiceCreaturePool, s.VoicePool[PoolCreature]);
  bind(Setting::VoiceMaleVariety, s.VoiceVariety[PoolMale]);
  bind(Setting::VoiceFemaleVariety, s.VoiceVariety[PoolFemale]);
  bind(Setting::VoiceCreatureVariety, s.VoiceVariety[PoolCreature]);
  bind(Setting::DocVoiceEnable, s.DocVoiceEnable);
  bind(Setting::DocAutoSpeak, s.DocAutoSpeak);
  bind(Setting::DocVoiceName, s.DocVoiceName);
  bind(Setting::DocVoiceConfig, s.DocVoiceConfig);
}

// What the plug-in uses when a key is missing (a file the configurator never
// saved, or no file at all): the table's plug-in defaults.
constexpr PluginSettings PluginDefaults() {
  PluginSettings s{};
  BindPluginFields(s, [](settings_file::Setting id, auto& field) {
    const settings_file::Default& d = settings_file::KeyOf(id).plugin;
    if constexpr (std::is_array_v<std::remove_reference_t<decltype(field)>>) {
      size_t i = 0;
      for (; d.text[i] != 0 && i + 1 < sizeof field; ++i) field[i] = d.text[i];
      field[i] = 0;
    } else {
      field = static_cast<std::remove_reference_t<decltype(field)>>(d.number);
    }
  });
  return s;
}

extern PluginSettings Settings;

// Reads every key the plug-in knows.  A bare file name is looked up in
// PluginDir; a name whose second character is ':' is used as it stands.
// Missing keys keep the value the field already has.  The voice keys stay in
// the record: attach hands them to the speech channels (CopyVoiceSettings).
void ReadSettings(const char* fileName);
