#include "configurator/configurator_settings.h"

#include <windows.h>

#include <cstdio>
#include <limits>

#include "common/settings_keys.h"
#include "common/voice_config.h"

using namespace settings_file;

ConfiguratorSettings ConfiguratorDefaults(const std::string& exeName) {
  ConfiguratorSettings s{};
  s.LangIndex = 0;
  s.SpeakKeyCode = 0x72A2;    // left Control, F3
  s.SilenceKeyCode = 0x73A2;  // left Control, F4
  s.MaxDialogueFOV = 75;
  s.MinDialogueFOV = 20;
  s.SpeakInPieces = 1;
  s.flags = {};
  for (GlobalFlag f : {FlagVoiceFxByRace, FlagTTSBoundPitchDS, FlagDlgSwitchToFP, FlagDlgEnableZoom,
                       FlagStopSpkOnClose, FlagDocVoiceAsDlg, FlagDocVoiceEnable, FlagDlgVoiceEnable,
                       FlagDocAutoSpeak, FlagDlgAutoSpeak})
    s.flags[f] = 1;
  // The world keeps running in dialogue, containers and inventory.
  const int32_t pause[10] = {1, 1, 1, 1, 0, 0, 0, 1, 1, 1};
  for (int i = 0; i < 10; ++i) s.flags[FlagMPauseFirst + i] = pause[i];
  s.racePitch = {-8000, -6000, -2000, 4000, 0, 1000, 8000, -1000, -3000, -4000};
  s.ConfigAppName = exeName;
  return s;
}

namespace {

enum class Form { Text, Integer, Flag, Pitch };

struct Key {
  Form form;
  const char* section;
  std::string key;
  void* field;
};

// The 60 keys in the order they are written.  Reading order has no effect on
// the result, so LoadSettings goes through the same list.
template <typename Settings, typename Visit>
void ForEachKey(Settings& s, Visit visit) {
  auto at = [](auto& field) { return const_cast<void*>(static_cast<const void*>(&field)); };
  auto text = [&](const char* section, const char* key, auto& field) {
    visit(Key{Form::Text, section, key, at(field)});
  };
  auto integer = [&](const char* section, const char* key, auto& field) {
    visit(Key{Form::Integer, section, key, at(field)});
  };
  auto flag = [&](const char* section, const std::string& key, auto& field) {
    visit(Key{Form::Flag, section, key, at(field)});
  };
  auto pitch = [&](const char* section, const char* key, auto& field) {
    visit(Key{Form::Pitch, section, key, at(field)});
  };

  text(LirraDoc, VoiceName, s.voices[VoiceDocument].name);
  text(LirraDoc, VoiceConfig, s.voices[VoiceDocument].config);
  text(LirraDlg, VoiceMaleName, s.voices[VoiceMale].name);
  text(LirraDlg, VoiceFemaleName, s.voices[VoiceFemale].name);
  text(LirraDlg, VoiceCreatureName, s.voices[VoiceCreature].name);
  text(LirraDlg, VoiceMaleConfig, s.voices[VoiceMale].config);
  text(LirraDlg, VoiceFemaleConfig, s.voices[VoiceFemale].config);
  text(LirraDlg, VoiceCreatureConfig, s.voices[VoiceCreature].config);
  flag(LirraDoc, VoiceEnable, s.flags[FlagDocVoiceEnable]);
  flag(LirraDlg, VoiceEnable, s.flags[FlagDlgVoiceEnable]);
  flag(LirraDoc, AutoSpeak, s.flags[FlagDocAutoSpeak]);
  flag(LirraDlg, AutoSpeak, s.flags[FlagDlgAutoSpeak]);

  text(BaseConfig, ConfigAppName, s.ConfigAppName);
  text(BaseConfig, GameInstDir, s.GameInstDir);
  integer(BaseConfig, LangIndex, s.LangIndex);
  pitch(BaseConfig, VPBaseMale, s.VPBaseMale);
  pitch(BaseConfig, VPBaseFemale, s.VPBaseFemale);
  pitch(BaseConfig, VPBaseCreature, s.VPBaseCreature);
  integer(BaseConfig, SpeakKeyCode, s.SpeakKeyCode);
  integer(BaseConfig, SilenceKeyCode, s.SilenceKeyCode);
  integer(BaseConfig, MaxDialogueFOV, s.MaxDialogueFOV);
  integer(BaseConfig, MinDialogueFOV, s.MinDialogueFOV);
  flag(BaseConfig, TTSBoundPitchDS, s.flags[FlagTTSBoundPitchDS]);
  flag(BaseConfig, VoiceFxByRace, s.flags[FlagVoiceFxByRace]);
  flag(BaseConfig, StopSpkOnClose, s.flags[FlagStopSpkOnClose]);
  flag(BaseConfig, DlgSwitchToFP, s.flags[FlagDlgSwitchToFP]);
  flag(BaseConfig, DlgEnableZoom, s.flags[FlagDlgEnableZoom]);
  flag(BaseConfig, AlwReadOpenJnl, s.flags[FlagAlwReadOpenJnl]);
  flag(BaseConfig, DocVoiceAsDlg, s.flags[FlagDocVoiceAsDlg]);
  flag(BaseConfig, SpeakInPieces, s.SpeakInPieces);

  for (int i = 0; i < 10; ++i)
    flag(PauseConfig, std::string(PausePrefix) + MenuKinds[i], s.flags[FlagMPauseFirst + i]);
  for (int i = 0; i < 10; ++i)
    flag(PauseConfig, std::string(KeepAiPrefix) + MenuKinds[i], s.flags[FlagMKeepAiFirst + i]);
  for (int i = 0; i < 10; ++i) pitch(RaceConfig, RaceKeys[i], s.racePitch[i]);
}

std::string ReadText(const char* section, const std::string& key, const std::string& fallback,
                     const std::string& path) {
  char value[2048];
  GetPrivateProfileStringA(section, key.c_str(), fallback.c_str(), value, sizeof value, path.c_str());
  return value;
}

int32_t ReadInteger(const char* section, const std::string& key, int32_t fallback, const std::string& path) {
  // A sentinel no real value can hold tells "missing" from "empty".
  static const char Missing[] = "\x01";
  const std::string text = ReadText(section, key, Missing, path);
  if (text == Missing) return fallback;
  return ParseIntValue(text, fallback);
}

}  // namespace

void LoadSettings(ConfiguratorSettings& settings, const std::string& path, const std::string& exeName) {
  settings = ConfiguratorDefaults(exeName);
  ForEachKey(settings, [&](const Key& k) {
    switch (k.form) {
      case Form::Text: {
        auto& field = *static_cast<std::string*>(k.field);
        field = ReadText(k.section, k.key, field, path);
        break;
      }
      case Form::Integer: {
        auto& field = *static_cast<int32_t*>(k.field);
        field = ReadInteger(k.section, k.key, field, path);
        break;
      }
      case Form::Flag: {
        auto& field = *static_cast<int32_t*>(k.field);
        field = ReadInteger(k.section, k.key, field, path) != 0;
        break;
      }
      case Form::Pitch: {
        auto& field = *static_cast<int16_t*>(k.field);
        field = static_cast<int16_t>(ReadInteger(k.section, k.key, field, path));
        break;
      }
    }
  });
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

bool SaveSettings(const ConfiguratorSettings& settings, const std::string& path) {
  bool written = true;
  ForEachKey(settings, [&](const Key& k) {
    if (!written) return;
    std::string value;
    switch (k.form) {
      case Form::Text: value = *static_cast<const std::string*>(k.field); break;
      case Form::Integer: value = std::to_string(*static_cast<const int32_t*>(k.field)); break;
      case Form::Flag: value.assign(1, *static_cast<const int32_t*>(k.field) ? '1' : '0'); break;
      case Form::Pitch: value = std::to_string(*static_cast<const int16_t*>(k.field)); break;
    }
    written = WritePrivateProfileStringA(k.section, k.key.c_str(), value.c_str(), path.c_str()) != FALSE;
  });
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
  return written;
}

std::string WalkToGameDirectory(std::string dir) {
  for (;;) {
    if (GetFileAttributesA((dir + "Morrowind.ini").c_str()) != INVALID_FILE_ATTRIBUTES) return dir;
    if (dir.empty()) return "";
    dir.pop_back();
    const int p = FindCharFromEnd(dir, '\\', 1, 0);
    if (p < 0) return "";
    dir.resize(p + 1);
  }
}
