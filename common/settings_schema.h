// LirraCfg.ini described once: each key with its section, its form, what the
// plug-in assumes when the key is missing, what the configurator assumes, and
// the values the plug-in takes.  The plug-in's reader, the configurator's
// reader and its writer all walk this table; each program binds the rows to
// the fields of its own record (BindPluginFields in plugin/frame/settings.h,
// BindConfiguratorFields in configurator/configurator_settings.h), and its
// build checks that every row it knows is bound once.
//
// A new key: its id and row here, and in the header of each program that
// knows it a field and its bind line; then the control or the code that uses
// it.  The readers and the writer need no change.
#pragma once
#include <cstdint>
#include <limits>
#include <type_traits>

#include "common/ascii_case.h"
#include "common/races.h"
#include "common/settings_keys.h"

// The ten menu kinds, in the order of their MPause... and MKeepAi... keys.
enum MenuKind { MenuChargen, MenuService, MenuResting, MenuJournal, MenuDialogue, MenuContainer, MenuInventory,
                MenuDocuments, MenuMessages, MenuOptions, MenuKindCount };

namespace settings_file {

enum class Form : uint8_t {
  Flag,     // written "1" or "0"; the plug-in takes any value other than 0 as on
  Integer,  // signed decimal of 32 bits; a key chord is one
  Pitch,    // signed decimal, kept in its low 16 bits
  Text,     // as it is, cut to the reader's field
};

// What a program assumes for a missing key.
struct Default {
  enum Kind : uint8_t { NotKnown, Number, Text, OwnFileName } kind;
  int32_t number;
  const char* text;
};
constexpr Default Num(int32_t number) { return {Default::Number, number, ""}; }
constexpr Default Str(const char* text) { return {Default::Text, 0, text}; }
// The program neither reads nor writes the key: the configurator keeps such
// a key in the file as the player wrote it.
inline constexpr Default NotKnown{Default::NotKnown, 0, ""};
// The configurator's own file name, whatever the player renamed it to.
inline constexpr Default OwnFileName{Default::OwnFileName, 0, ""};

// The values the plug-in uses as read; one outside is taken to the nearest
// end, and the log says so.
struct Range {
  int32_t min, max;
};
inline constexpr Range AnyValue{std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};

// One per key, in the order of the table below.
enum class Setting : uint8_t {
  DocVoiceName, DocVoiceConfig,
  VoiceMaleName, VoiceFemaleName, VoiceCreatureName, VoiceMaleConfig, VoiceFemaleConfig, VoiceCreatureConfig,
  DocVoiceEnable, DlgVoiceEnable, DocAutoSpeak, DlgAutoSpeak,
  ConfigAppName, GameInstDir, LangIndex, VPBaseMale, VPBaseFemale, VPBaseCreature, SpeakKeyCode, SilenceKeyCode,
  MaxDialogueFOV, MinDialogueFOV, TTSBoundPitchDS, VoiceFxByRace, StopSpkOnClose, DlgSwitchToFP, DlgEnableZoom,
  AlwReadOpenJnl, DocVoiceAsDlg, SpeakInPieces, SmoothZooming, SpeakAfterZoom, ZoomDistNPC,
  VoiceMalePool, VoiceFemalePool, VoiceCreaturePool, VoiceMaleVariety, VoiceFemaleVariety, VoiceCreatureVariety,
  MPauseFirst,                                       // then one per MenuKind
  MKeepAiFirst = MPauseFirst + MenuKindCount,        // one per MenuKind
  RacePitchFirst = MKeepAiFirst + MenuKindCount,     // one per Race
  Count = RacePitchFirst + RaceCount,
};
inline constexpr int SettingCount = static_cast<int>(Setting::Count);

constexpr Setting PauseSetting(MenuKind kind) { return Setting(static_cast<int>(Setting::MPauseFirst) + kind); }
constexpr Setting KeepAiSetting(MenuKind kind) { return Setting(static_cast<int>(Setting::MKeepAiFirst) + kind); }
constexpr Setting RaceSetting(Race race) { return Setting(static_cast<int>(Setting::RacePitchFirst) + race); }

struct Key {
  Setting id;
  const char* section;
  const char* name;
  Form form;
  Default plugin;
  Default configurator;
  Range range = AnyValue;

  constexpr bool KnownToPlugin() const { return plugin.kind != Default::NotKnown; }
  constexpr bool KnownToConfigurator() const { return configurator.kind != Default::NotKnown; }
};

// In the order the configurator writes the keys (the order of a new file).
// The order of reading has no effect on what is read.
inline constexpr Key Schema[SettingCount] = {
    // id                              section      name                   form           plug-in      configurator
    {Setting::DocVoiceName,            LirraDoc,    "VoiceName",           Form::Text,    Str("?"),    Str("")},
    {Setting::DocVoiceConfig,          LirraDoc,    "VoiceConfig",         Form::Text,    Str(""),     Str("")},
    {Setting::VoiceMaleName,           LirraDlg,    "VoiceMaleName",       Form::Text,    Str("?"),    Str("")},
    {Setting::VoiceFemaleName,         LirraDlg,    "VoiceFemaleName",     Form::Text,    Str("?"),    Str("")},
    {Setting::VoiceCreatureName,       LirraDlg,    "VoiceCreatureName",   Form::Text,    Str("?"),    Str("")},
    {Setting::VoiceMaleConfig,         LirraDlg,    "VoiceMaleConfig",     Form::Text,    Str(""),     Str("")},
    {Setting::VoiceFemaleConfig,       LirraDlg,    "VoiceFemaleConfig",   Form::Text,    Str(""),     Str("")},
    {Setting::VoiceCreatureConfig,     LirraDlg,    "VoiceCreatureConfig", Form::Text,    Str(""),     Str("")},
    {Setting::DocVoiceEnable,          LirraDoc,    "VoiceEnable",         Form::Flag,    Num(0),      Num(1)},
    {Setting::DlgVoiceEnable,          LirraDlg,    "VoiceEnable",         Form::Flag,    Num(0),      Num(1)},
    {Setting::DocAutoSpeak,            LirraDoc,    "AutoSpeak",           Form::Flag,    Num(1),      Num(1)},
    {Setting::DlgAutoSpeak,            LirraDlg,    "AutoSpeak",           Form::Flag,    Num(1),      Num(1)},
    {Setting::ConfigAppName,           BaseConfig,  "ConfigAppName",       Form::Text,    Str("Sethrim.exe"),
     OwnFileName},
    {Setting::GameInstDir,             BaseConfig,  "GameInstDir",         Form::Text,    NotKnown,    Str("")},
    {Setting::LangIndex,               BaseConfig,  "LangIndex",           Form::Integer, Num(1),      Num(0)},
    {Setting::VPBaseMale,              BaseConfig,  "VPBaseMale",          Form::Pitch,   Num(0),      Num(0)},
    {Setting::VPBaseFemale,            BaseConfig,  "VPBaseFemale",        Form::Pitch,   Num(0),      Num(0)},
    {Setting::VPBaseCreature,          BaseConfig,  "VPBaseCreature",      Form::Pitch,   Num(0),      Num(0)},
    // Key chords: F1 and F2 for the plug-in, left Control with F3 and F4 for the configurator.
    {Setting::SpeakKeyCode,            BaseConfig,  "SpeakKeyCode",        Form::Integer, Num(112),    Num(0x72A2)},
    {Setting::SilenceKeyCode,          BaseConfig,  "SilenceKeyCode",      Form::Integer, Num(113),    Num(0x73A2)},
    {Setting::MaxDialogueFOV,          BaseConfig,  "MaxDialogueFOV",      Form::Integer, NotKnown,    Num(75)},
    {Setting::MinDialogueFOV,          BaseConfig,  "MinDialogueFOV",      Form::Integer, NotKnown,    Num(20)},
    {Setting::TTSBoundPitchDS,         BaseConfig,  "TTSBoundPitchDS",     Form::Flag,    Num(1),      Num(1)},
    {Setting::VoiceFxByRace,           BaseConfig,  "VoiceFxByRace",       Form::Flag,    Num(0),      Num(1)},
    {Setting::StopSpkOnClose,          BaseConfig,  "StopSpkOnClose",      Form::Flag,    Num(1),      Num(1)},
    {Setting::DlgSwitchToFP,           BaseConfig,  "DlgSwitchToFP",       Form::Flag,    Num(1),      Num(1)},
    {Setting::DlgEnableZoom,           BaseConfig,  "DlgEnableZoom",       Form::Flag,    Num(1),      Num(1)},
    {Setting::AlwReadOpenJnl,          BaseConfig,  "AlwReadOpenJnl",      Form::Flag,    Num(0),      Num(0)},
    {Setting::DocVoiceAsDlg,           BaseConfig,  "DocVoiceAsDlg",       Form::Flag,    Num(1),      Num(1)},
    // 1: a long text is said sentence by sentence, the next rendered while one
    // plays; 0: rendered whole before any of it is heard.  No control.
    {Setting::SpeakInPieces,           BaseConfig,  "SpeakInPieces",       Form::Flag,    Num(1),      Num(1)},
    // Set only by editing the file.
    {Setting::SmoothZooming,           BaseConfig,  "SmoothZooming",       Form::Flag,    Num(1),      NotKnown},
    {Setting::SpeakAfterZoom,          BaseConfig,  "SpeakAfterZoom",      Form::Flag,    Num(0),      NotKnown},
    // A negative distance would let the zoom divide by the distance of a
    // partner standing on the player.
    {Setting::ZoomDistNPC,             BaseConfig,  "ZoomDistNPC",         Form::Integer, Num(60),     NotKnown,
     {0, std::numeric_limits<int32_t>::max()}},
    // A voice of its own for every speaker (common/speaker_voice.h): the
    // plug-in without these keys speaks as before them; the configurator
    // offers every installed voice of the kind's gender and a middle variety.
    {Setting::VoiceMalePool,           LirraDlg,    "VoiceMalePool",       Form::Text,    Str(""),     Str("*")},
    {Setting::VoiceFemalePool,         LirraDlg,    "VoiceFemalePool",     Form::Text,    Str(""),     Str("*")},
    {Setting::VoiceCreaturePool,       LirraDlg,    "VoiceCreaturePool",   Form::Text,    Str(""),     Str("*")},
    {Setting::VoiceMaleVariety,        LirraDlg,    "VoiceMaleVariety",    Form::Integer, Num(0),      Num(5),
     {0, 10}},
    {Setting::VoiceFemaleVariety,      LirraDlg,    "VoiceFemaleVariety",  Form::Integer, Num(0),      Num(5),
     {0, 10}},
    {Setting::VoiceCreatureVariety,    LirraDlg,    "VoiceCreatureVariety", Form::Integer, Num(0),     Num(5),
     {0, 10}},
    // 1: the game stays frozen in that menu, as without the plug-in.  The
    // configurator lets the world run in containers and inventory too.
    {PauseSetting(MenuChargen),        PauseConfig, "MPauseChargen",       Form::Flag,    Num(1),      Num(1)},
    {PauseSetting(MenuService),        PauseConfig, "MPauseService",       Form::Flag,    Num(1),      Num(1)},
    {PauseSetting(MenuResting),        PauseConfig, "MPauseResting",       Form::Flag,    Num(1),      Num(1)},
    {PauseSetting(MenuJournal),        PauseConfig, "MPauseJournal",       Form::Flag,    Num(1),      Num(1)},
    {PauseSetting(MenuDialogue),       PauseConfig, "MPauseDialogue",      Form::Flag,    Num(0),      Num(0)},
    {PauseSetting(MenuContainer),      PauseConfig, "MPauseContainer",     Form::Flag,    Num(1),      Num(0)},
    {PauseSetting(MenuInventory),      PauseConfig, "MPauseInventory",     Form::Flag,    Num(1),      Num(0)},
    {PauseSetting(MenuDocuments),      PauseConfig, "MPauseDocuments",     Form::Flag,    Num(1),      Num(1)},
    {PauseSetting(MenuMessages),       PauseConfig, "MPauseMessages",      Form::Flag,    Num(1),      Num(1)},
    {PauseSetting(MenuOptions),        PauseConfig, "MPauseOptions",       Form::Flag,    Num(1),      Num(1)},
    {KeepAiSetting(MenuChargen),       PauseConfig, "MKeepAiChargen",      Form::Flag,    Num(0),      Num(0)},
    {KeepAiSetting(MenuService),       PauseConfig, "MKeepAiService",      Form::Flag,    Num(0),      Num(0)},
    {KeepAiSetting(MenuResting),       PauseConfig, "MKeepAiResting",      Form::Flag,    Num(0),      Num(0)},
    {KeepAiSetting(MenuJournal),       PauseConfig, "MKeepAiJournal",      Form::Flag,    Num(0),      Num(0)},
    {KeepAiSetting(MenuDialogue),      PauseConfig, "MKeepAiDialogue",     Form::Flag,    Num(0),      Num(0)},
    {KeepAiSetting(MenuContainer),     PauseConfig, "MKeepAiContainer",    Form::Flag,    Num(0),      Num(0)},
    {KeepAiSetting(MenuInventory),     PauseConfig, "MKeepAiInventory",    Form::Flag,    Num(0),      Num(0)},
    {KeepAiSetting(MenuDocuments),     PauseConfig, "MKeepAiDocuments",    Form::Flag,    Num(0),      Num(0)},
    {KeepAiSetting(MenuMessages),      PauseConfig, "MKeepAiMessages",     Form::Flag,    Num(0),      Num(0)},
    {KeepAiSetting(MenuOptions),       PauseConfig, "MKeepAiOptions",      Form::Flag,    Num(0),      Num(0)},
    // The plug-in starts without race pitches; the configurator offers a set.
    {RaceSetting(RaceOrc),             RaceConfig,  Races[RaceOrc].pitchKey,      Form::Pitch, Num(0), Num(-8000)},
    {RaceSetting(RaceNord),            RaceConfig,  Races[RaceNord].pitchKey,     Form::Pitch, Num(0), Num(-6000)},
    {RaceSetting(RaceBreton),          RaceConfig,  Races[RaceBreton].pitchKey,   Form::Pitch, Num(0), Num(-2000)},
    {RaceSetting(RaceKhajiit),         RaceConfig,  Races[RaceKhajiit].pitchKey,  Form::Pitch, Num(0), Num(4000)},
    {RaceSetting(RaceDarkElf),         RaceConfig,  Races[RaceDarkElf].pitchKey,  Form::Pitch, Num(0), Num(0)},
    {RaceSetting(RaceHighElf),         RaceConfig,  Races[RaceHighElf].pitchKey,  Form::Pitch, Num(0), Num(1000)},
    {RaceSetting(RaceWoodElf),         RaceConfig,  Races[RaceWoodElf].pitchKey,  Form::Pitch, Num(0), Num(8000)},
    {RaceSetting(RaceArgonian),        RaceConfig,  Races[RaceArgonian].pitchKey, Form::Pitch, Num(0), Num(-1000)},
    {RaceSetting(RaceImperial),        RaceConfig,  Races[RaceImperial].pitchKey, Form::Pitch, Num(0), Num(-3000)},
    {RaceSetting(RaceRedguard),        RaceConfig,  Races[RaceRedguard].pitchKey, Form::Pitch, Num(0), Num(-4000)},
};

constexpr const Key& KeyOf(Setting id) { return Schema[static_cast<int>(id)]; }

constexpr int ConfiguratorKeyCount() {
  int count = 0;
  for (const Key& key : Schema) count += key.KnownToConfigurator();
  return count;
}

// Rows in the order of their ids, so that KeyOf finds each; no key twice in
// a section (the profile functions match names without regard to case, and
// a second row would read the first one's value); a default that fits the
// form; texts by text, numbers by number.
constexpr bool SchemaIsWellFormed() {
  auto fits = [](Form form, const Default& d) {
    if (d.kind == Default::NotKnown) return true;
    if (form == Form::Text) return d.kind == Default::Text || d.kind == Default::OwnFileName;
    if (d.kind != Default::Number) return false;
    if (form == Form::Flag) return d.number == 0 || d.number == 1;
    return true;
  };
  for (int i = 0; i < SettingCount; ++i) {
    const Key& key = Schema[i];
    if (static_cast<int>(key.id) != i) return false;
    if (!key.KnownToPlugin() && !key.KnownToConfigurator()) return false;
    if (!fits(key.form, key.plugin) || !fits(key.form, key.configurator)) return false;
    if (key.plugin.kind == Default::OwnFileName) return false;
    if (key.range.min > key.range.max) return false;
    if (key.plugin.kind == Default::Number && (key.plugin.number < key.range.min || key.plugin.number > key.range.max))
      return false;
    for (int j = 0; j < i; ++j)
      if (SameIgnoringCase(Schema[j].section, key.section) && SameIgnoringCase(Schema[j].name, key.name)) return false;
  }
  return true;
}
static_assert(SchemaIsWellFormed());

// Whether a field can hold a key's form: a 32-bit integer a flag or an
// integer (a key chord signed or not), a 16-bit one a pitch, a character
// array or a string a text.
template <class Field>
constexpr bool FieldHolds(Form form) {
  if constexpr (std::is_same_v<Field, int16_t>) return form == Form::Pitch;
  else if constexpr (std::is_same_v<Field, int32_t> || std::is_same_v<Field, uint32_t>)
    return form == Form::Flag || form == Form::Integer;
  else if constexpr (std::is_array_v<Field> || std::is_class_v<Field>) return form == Form::Text;
  else return false;
}

// Whether bindAll(record, bind) binds every key that its program knows
// (known) once, each to a field of its own that can hold its form, and no
// other key.
template <class Record, class BindAll>
constexpr bool BindsEachKeyOnce(BindAll bindAll, bool (Key::*known)() const) {
  Record record{};
  int bound[SettingCount] = {};
  const void* fields[SettingCount] = {};
  int count = 0;
  bool holds = true;
  bindAll(record, [&](Setting id, auto& field) {
    const int i = static_cast<int>(id);
    if (i < 0 || i >= SettingCount || count == SettingCount) {
      holds = false;
      return;
    }
    ++bound[i];
    holds = holds && FieldHolds<std::remove_cvref_t<decltype(field)>>(KeyOf(id).form);
    for (int j = 0; j < count; ++j) holds = holds && fields[j] != static_cast<const void*>(&field);
    fields[count++] = &field;
  });
  for (const Key& key : Schema)
    if (bound[static_cast<int>(key.id)] != ((key.*known)() ? 1 : 0)) return false;
  return holds;
}

}  // namespace settings_file
