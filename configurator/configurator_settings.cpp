#include "configurator/configurator_settings.h"

#include <windows.h>

#include <type_traits>

using settings_file::Default;
using settings_file::Form;
using settings_file::Key;
using settings_file::Setting;

static_assert(settings_file::BindsEachKeyOnce<ConfiguratorSettings>(
                  [](ConfiguratorSettings& s, auto&& bind) { BindConfiguratorFields(s, bind); },
                  &Key::KnownToConfigurator),
              "BindConfiguratorFields binds each key the configurator knows once, to a field of its form");

namespace {

// The keys the configurator knows, in the table's order, each with its field.
template <class S, class Visit>
void ForEachKey(S& settings, Visit visit) {
  for (const Key& key : settings_file::Schema) {
    if (!key.KnownToConfigurator()) continue;
    BindConfiguratorFields(settings, [&](Setting id, auto& field) {
      if (id == key.id) visit(key, field);
    });
  }
}

void Assume(const Default& d, const std::string& exeName, std::string& field) {
  field = d.kind == Default::OwnFileName ? exeName : d.text;
}
template <class Integer>
void Assume(const Default& d, const std::string&, Integer& field) {
  field = static_cast<Integer>(d.number);
}

std::string ReadText(const Key& key, const std::string& fallback, const std::string& path) {
  char value[8192];  // a pool of many voices is long
  GetPrivateProfileStringA(key.section, key.name, fallback.c_str(), value, sizeof value, path.c_str());
  return value;
}

int32_t ReadInteger(const Key& key, int32_t fallback, const std::string& path) {
  // A sentinel no real value can hold tells "missing" from "empty".
  static const char Missing[] = "\x01";
  const std::string text = ReadText(key, Missing, path);
  if (text == Missing) return fallback;
  return ParseIntValue(text, fallback);
}

void Load(const Key& key, std::string& field, const std::string& path) { field = ReadText(key, field, path); }
void Load(const Key& key, int32_t& field, const std::string& path) {
  const int32_t value = ReadInteger(key, field, path);
  field = key.form == Form::Flag ? value != 0 : value;
}
// Key chords: 32 bits read and written as a signed integer.
void Load(const Key& key, uint32_t& field, const std::string& path) {
  field = static_cast<uint32_t>(ReadInteger(key, static_cast<int32_t>(field), path));
}
// Pitches keep their low 16 bits, as the plug-in keeps them.
void Load(const Key& key, int16_t& field, const std::string& path) {
  field = static_cast<int16_t>(ReadInteger(key, field, path));
}

std::string ValueText(const Key&, const std::string& field) { return field; }
std::string ValueText(const Key& key, int32_t field) {
  return key.form == Form::Flag ? (field ? "1" : "0") : std::to_string(field);
}
std::string ValueText(const Key&, uint32_t field) { return std::to_string(static_cast<int32_t>(field)); }
std::string ValueText(const Key&, int16_t field) { return std::to_string(field); }

}  // namespace

ConfiguratorSettings ConfiguratorDefaults(const std::string& exeName) {
  ConfiguratorSettings s{};
  BindConfiguratorFields(s, [&](Setting id, auto& field) {
    Assume(settings_file::KeyOf(id).configurator, exeName, field);
  });
  return s;
}

void LoadSettings(ConfiguratorSettings& settings, const std::string& path, const std::string& exeName) {
  settings = ConfiguratorDefaults(exeName);
  ForEachKey(settings, [&](const Key& key, auto& field) { Load(key, field, path); });
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

bool SaveSettings(const ConfiguratorSettings& settings, const std::string& path) {
  bool written = true;
  ForEachKey(settings, [&](const Key& key, const auto& field) {
    if (!written) return;
    written = WritePrivateProfileStringA(key.section, key.name, ValueText(key, field).c_str(), path.c_str()) != FALSE;
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
