#include "plugin/frame/settings.h"

#include <windows.h>

#include "common/settings_keys.h"
#include "plugin/frame/log.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/speech/voice_channel.h"

PluginSettings Settings = PluginDefaults();

namespace {
using namespace settings_file;

struct IntKey {
  const char* section;
  const char* key;
  int32_t PluginSettings::*field;
};

// BaseConfig integers, in reading order.
constexpr IntKey BaseIntegers[] = {
    {BaseConfig, settings_file::SpeakKeyCode, &PluginSettings::SpeakKeyCode},
    {BaseConfig, settings_file::SilenceKeyCode, &PluginSettings::SilenceKeyCode},
    {BaseConfig, settings_file::DocVoiceAsDlg, &PluginSettings::DocVoiceAsDlg},
    {BaseConfig, settings_file::VoiceFxByRace, &PluginSettings::VoiceFxByRace},
    {BaseConfig, settings_file::TTSBoundPitchDS, &PluginSettings::TTSBoundPitchDS},
    {BaseConfig, settings_file::AlwReadOpenJnl, &PluginSettings::AlwReadOpenJnl},
    {BaseConfig, settings_file::StopSpkOnClose, &PluginSettings::StopSpkOnClose},
    {BaseConfig, settings_file::DlgSwitchToFP, &PluginSettings::DlgSwitchToFP},
    {BaseConfig, settings_file::DlgEnableZoom, &PluginSettings::DlgEnableZoom},
    {BaseConfig, settings_file::SmoothZooming, &PluginSettings::SmoothZooming},
    {BaseConfig, settings_file::SpeakAfterZoom, &PluginSettings::SpeakAfterZoom},
    {BaseConfig, settings_file::ZoomDistNPC, &PluginSettings::ZoomDistNPC},
    {BaseConfig, settings_file::LangIndex, &PluginSettings::LangIndex},
    {BaseConfig, settings_file::SpeakInPieces, &PluginSettings::SpeakInPieces},
};

int32_t ReadInt(const char* section, const char* key, int32_t current, const char* path) {
  return static_cast<int32_t>(GetPrivateProfileIntA(section, key, current, path));
}

// Pitches keep only their low 16 bits, sign included.
void ReadPitch(const char* section, const char* key, int16_t& field, const char* path) {
  field = static_cast<int16_t>(ReadInt(section, key, field, path));
}

template <size_t N>
void ReadText(const char* section, const char* key, char (&field)[N], const char* path) {
  char current[N];
  lstrcpynA(current, field, N);
  GetPrivateProfileStringA(section, key, current, field, N, path);
}

// Dialogue voices share VoiceEnable and AutoSpeak of LirraDlg; the document
// voice has its own in LirraDoc.
void ReadChannelFlags(const char* section, const char* path, VoiceChannel* const* channels, int count) {
  const int32_t enabled = ReadInt(section, settings_file::VoiceEnable, 0, path);
  const int32_t autoSpeak = ReadInt(section, settings_file::AutoSpeak, 1, path);
  for (int i = 0; i < count; ++i) {
    channels[i]->enabled = enabled;
    channels[i]->autoSpeak = autoSpeak;
  }
}

void DefaultVoiceName(VoiceChannel& channel) {
  if (channel.voiceName[0] == 0) lstrcpyA(channel.voiceName, "?");
}
}  // namespace

void ReadSettings(const char* fileName) {
  char path[MAX_PATH + 64];
  if (fileName[0] != 0 && fileName[1] == ':') {
    lstrcpynA(path, fileName, sizeof path);
  } else {
    lstrcpynA(path, PluginDir, sizeof path);
    lstrcatA(path, fileName);
  }

  for (const IntKey& k : BaseIntegers) Settings.*k.field = ReadInt(k.section, k.key, Settings.*k.field, path);
  // A negative distance (only a hand-edited file has one) would let the zoom
  // divide by the distance of a partner standing on the player.
  if (Settings.ZoomDistNPC < 0) {
    LOG_LINE("DLLMAIN::ZoomDistNPC=%i is below 0; 0 is used.", Settings.ZoomDistNPC);
    Settings.ZoomDistNPC = 0;
  }
  ReadPitch(BaseConfig, settings_file::VPBaseMale, Settings.VPBaseMale, path);
  ReadPitch(BaseConfig, settings_file::VPBaseFemale, Settings.VPBaseFemale, path);
  ReadPitch(BaseConfig, settings_file::VPBaseCreature, Settings.VPBaseCreature, path);

  char key[32];
  for (int i = 0; i < 10; ++i) {
    wsprintfA(key, "%s%s", PausePrefix, MenuKinds[i]);
    Settings.MPause[i] = ReadInt(PauseConfig, key, Settings.MPause[i], path);
  }
  for (int i = 0; i < 10; ++i) {
    wsprintfA(key, "%s%s", KeepAiPrefix, MenuKinds[i]);
    Settings.MKeepAi[i] = ReadInt(PauseConfig, key, Settings.MKeepAi[i], path);
  }
  for (int i = 0; i < 10; ++i) ReadPitch(RaceConfig, RaceKeys[i], Settings.RacePitch[i], path);

  ReadText(BaseConfig, settings_file::ConfigAppName, Settings.ConfigAppName, path);

  VoiceChannel* const dialogue[] = {&VoiceMaleDlg, &VoiceFemaleDlg, &VoiceCreatureDlg};
  for (VoiceChannel* c : dialogue) DefaultVoiceName(*c);
  DefaultVoiceName(VoiceDoc);

  ReadChannelFlags(LirraDlg, path, dialogue, 3);
  ReadText(LirraDlg, settings_file::VoiceMaleName, VoiceMaleDlg.voiceName, path);
  ReadText(LirraDlg, settings_file::VoiceFemaleName, VoiceFemaleDlg.voiceName, path);
  ReadText(LirraDlg, settings_file::VoiceCreatureName, VoiceCreatureDlg.voiceName, path);
  ReadText(LirraDlg, settings_file::VoiceMaleConfig, VoiceMaleDlg.voiceConfig, path);
  ReadText(LirraDlg, settings_file::VoiceFemaleConfig, VoiceFemaleDlg.voiceConfig, path);
  ReadText(LirraDlg, settings_file::VoiceCreatureConfig, VoiceCreatureDlg.voiceConfig, path);

  VoiceChannel* const document[] = {&VoiceDoc};
  ReadChannelFlags(LirraDoc, path, document, 1);
  ReadText(LirraDoc, settings_file::VoiceName, VoiceDoc.voiceName, path);
  ReadText(LirraDoc, settings_file::VoiceConfig, VoiceDoc.voiceConfig, path);
}
