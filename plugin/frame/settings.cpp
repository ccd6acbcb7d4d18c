#include "plugin/frame/settings.h"

#include <windows.h>

#include "plugin/frame/log.h"
#include "plugin/frame/plugin_state.h"

constinit PluginSettings Settings = PluginDefaults();

namespace {
using settings_file::Key;

static_assert(settings_file::BindsEachKeyOnce<PluginSettings>(
                  [](PluginSettings& s, auto&& bind) { BindPluginFields(s, bind); }, &Key::KnownToPlugin),
              "BindPluginFields binds each key the plug-in reads once, to a field of its form");

int32_t ReadInt(const Key& key, int32_t current, const char* path) {
  int32_t value = static_cast<int32_t>(GetPrivateProfileIntA(key.section, key.name, current, path));
  if (value < key.range.min) {
    LOG_LINE("DLLMAIN::%s=%i is below %i; %i is used.", key.name, value, key.range.min, key.range.min);
    value = key.range.min;
  } else if (value > key.range.max) {
    LOG_LINE("DLLMAIN::%s=%i is above %i; %i is used.", key.name, value, key.range.max, key.range.max);
    value = key.range.max;
  }
  return value;
}

// Flags and integers as read: any value other than 0 is on.
void Read(const Key& key, int32_t& field, const char* path) { field = ReadInt(key, field, path); }

// Pitches keep only their low 16 bits, sign included.
void Read(const Key& key, int16_t& field, const char* path) {
  field = static_cast<int16_t>(ReadInt(key, field, path));
}

template <size_t N>
void Read(const Key& key, char (&field)[N], const char* path) {
  char current[N];
  lstrcpynA(current, field, N);
  GetPrivateProfileStringA(key.section, key.name, current, field, N, path);
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
  // The order of reading has no effect on what is read.
  BindPluginFields(Settings,
                   [&](settings_file::Setting id, auto& field) { Read(settings_file::KeyOf(id), field, path); });
}
