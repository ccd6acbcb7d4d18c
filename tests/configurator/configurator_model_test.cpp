// The configurator's model without a window: LirraCfg.ini read and written
// as the configurator does it, and read back by the plug-in's own reader;
// the voice tags, the key chords, the game-directory walk, the test texts.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <type_traits>

#include "configurator/configurator_settings.h"
#include "configurator/key_names.h"
#include "configurator/localize.h"
#include "configurator/test_strings.h"
#include "plugin/frame/settings.h"
#include "plugin/speech/voice_channel.h"
#include "support/test_support.h"

using settings_file::Default;
using settings_file::Key;
using settings_file::Schema;
using settings_file::Setting;
using testsupport::ReadFile;
using testsupport::ScratchDir;

namespace {

// A key's value in either program's record, through that program's binding,
// as the file would spell it.
template <class Field>
std::string AsText(const Field& field) {
  if constexpr (std::is_same_v<Field, std::string>) return field;
  else if constexpr (std::is_array_v<Field>) return std::string(field);
  else if constexpr (std::is_same_v<Field, uint32_t>) return std::to_string(static_cast<int32_t>(field));
  else return std::to_string(field);
}
std::string ValueOf(const ConfiguratorSettings& s, Setting id) {
  std::string value;
  BindConfiguratorFields(s, [&](Setting bound, const auto& field) {
    if (bound == id) value = AsText(field);
  });
  return value;
}
std::string ValueOf(PluginSettings& s, Setting id) {
  std::string value;
  BindPluginFields(s, [&](Setting bound, const auto& field) {
    if (bound == id) value = AsText(field);
  });
  return value;
}
std::string AsText(const Default& d, const std::string& exeName) {
  switch (d.kind) {
    case Default::Number: return std::to_string(d.number);
    case Default::Text: return d.text;
    case Default::OwnFileName: return exeName;
    case Default::NotKnown: break;
  }
  return "";
}
std::string Where(const Key& key) { return std::string(key.section) + " " + key.name; }

TEST(ConfiguratorSettings, MissingFileGivesTheConfiguratorDefaults) {
  ScratchDir dir("cfg-none");
  ConfiguratorSettings s;
  LoadSettings(s, dir / "LirraCfg.ini", "Sethrim.exe");
  EXPECT_EQ(s.LangIndex, 0);  // Russian; the plug-in would take English
  EXPECT_EQ(s.SpeakKeyCode, 0x72A2u);
  EXPECT_EQ(s.SilenceKeyCode, 0x73A2u);
  EXPECT_EQ(s.MaxDialogueFOV, 75);
  EXPECT_EQ(s.MinDialogueFOV, 20);
  EXPECT_EQ(s.SpeakInPieces, 1);
  const int16_t race[10] = {-8000, -6000, -2000, 4000, 0, 1000, 8000, -1000, -3000, -4000};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(s.racePitch[i], race[i]) << i;
  EXPECT_EQ(s.VPBaseMale, 0);
  // Flags in list order: race pitch on (the plug-in's default is off),
  // journal re-reading off, containers and inventory let the world run.
  const int32_t flags[GlobalFlagCount] = {1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1,  //
                                          1, 1, 1, 1, 0, 0, 0, 1, 1, 1,     //
                                          0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < GlobalFlagCount; ++i) EXPECT_EQ(s.flags[i], flags[i]) << "flag item " << i;
  for (const VoiceSetting& v : s.voices) {
    EXPECT_EQ(v.name, "");
    EXPECT_EQ(v.config, "");
  }
  EXPECT_EQ(s.GameInstDir, "");
  EXPECT_EQ(s.ConfigAppName, "Sethrim.exe");
}

TEST(ConfiguratorSettings, ValuesInTheFileFollowTheRules) {
  ScratchDir dir("cfg-rules");
  dir.Write("LirraCfg.ini",
            "[BaseConfig]\r\nSpeakKeyCode=0x72A3\r\nSilenceKeyCode=F4\r\nLangIndex=7\r\nVoiceFxByRace=0\r\n"
            "StopSpkOnClose=5\r\nVPBaseMale=70000\r\nConfigAppName=Old.exe\r\n"
            "[RaceConfig]\r\nVPOrc=abc\r\nVPNord=-150\r\n"
            "[LirraDlg]\r\nVoiceMaleName=Some Voice\r\nAutoSpeak=0\r\n");
  ConfiguratorSettings s;
  LoadSettings(s, dir / "LirraCfg.ini", "Sethrim.exe");
  EXPECT_EQ(s.SpeakKeyCode, 0x72A3u);
  EXPECT_EQ(s.SilenceKeyCode, 0x73A2u);  // no integer: the default
  EXPECT_EQ(s.LangIndex, 7);             // kept; the window shows it as English
  EXPECT_EQ(s.flags[FlagVoiceFxByRace], 0);
  EXPECT_EQ(s.flags[FlagStopSpkOnClose], 1);
  EXPECT_EQ(s.VPBaseMale, static_cast<int16_t>(70000));  // low 16 bits
  EXPECT_EQ(s.racePitch[0], -8000);
  EXPECT_EQ(s.racePitch[1], -150);
  EXPECT_EQ(s.voices[VoiceMale].name, "Some Voice");
  EXPECT_EQ(s.flags[FlagDlgAutoSpeak], 0);
  EXPECT_EQ(s.flags[FlagDocAutoSpeak], 1);
  EXPECT_EQ(s.ConfigAppName, "Old.exe");
}

// The keys of a profile file in file order, as "[Section]" and "Key" lines.
std::vector<std::string> FileLayout(const std::string& text) {
  std::vector<std::string> layout;
  for (const std::string& line : SplitLines(text)) layout.push_back(line[0] == '[' ? line : line.substr(0, line.find('=')));
  return layout;
}

TEST(ConfiguratorSettings, SaveWritesAllKeysInOrder) {
  ScratchDir dir("cfg-order");
  ConfiguratorSettings s = ConfiguratorDefaults("Sethrim.exe");
  ASSERT_TRUE(SaveSettings(s, dir / "LirraCfg.ini"));
  const std::vector<std::string> expected = {
      "[LirraDoc]", "VoiceName", "VoiceConfig", "VoiceEnable", "AutoSpeak",
      "[LirraDlg]", "VoiceMaleName", "VoiceFemaleName", "VoiceCreatureName", "VoiceMaleConfig",
      "VoiceFemaleConfig", "VoiceCreatureConfig", "VoiceEnable", "AutoSpeak", "VoiceMalePool", "VoiceFemalePool",
      "VoiceCreaturePool", "VoiceMaleVariety", "VoiceFemaleVariety", "VoiceCreatureVariety",
      "[BaseConfig]", "ConfigAppName", "GameInstDir", "LangIndex", "VPBaseMale", "VPBaseFemale",
      "VPBaseCreature", "SpeakKeyCode", "SilenceKeyCode", "MaxDialogueFOV", "MinDialogueFOV",
      "TTSBoundPitchDS", "VoiceFxByRace", "StopSpkOnClose", "DlgSwitchToFP", "DlgEnableZoom",
      "AlwReadOpenJnl", "DocVoiceAsDlg", "SpeakInPieces",
      "[PauseConfig]", "MPauseChargen", "MPauseService", "MPauseResting", "MPauseJournal", "MPauseDialogue",
      "MPauseContainer", "MPauseInventory", "MPauseDocuments", "MPauseMessages", "MPauseOptions",
      "MKeepAiChargen", "MKeepAiService", "MKeepAiResting", "MKeepAiJournal", "MKeepAiDialogue",
      "MKeepAiContainer", "MKeepAiInventory", "MKeepAiDocuments", "MKeepAiMessages", "MKeepAiOptions",
      "[RaceConfig]", "VPOrc", "VPNord", "VPBreton", "VPKhajiit", "VPDarkElf", "VPHighElf", "VPWoodElf",
      "VPArgonian", "VPImperial", "VPRedguard"};
  const std::vector<std::string> layout = FileLayout(ReadFile(dir / "LirraCfg.ini"));
  EXPECT_EQ(layout, expected);
  int keys = 0;
  for (const std::string& k : layout) keys += k[0] != '[';
  EXPECT_EQ(keys, SettingsKeyCount);
}

// Two sets of choices that differ in every key, flags complementary, so
// that each key is away from any reader's starting value in at least one of
// them: a reader that skipped a key would keep that value and be seen.
ConfiguratorSettings PlayerChoices(int set) {
  const bool a = set == 0;
  ConfiguratorSettings s = ConfiguratorDefaults("Sethrim.exe");
  s.LangIndex = a ? 1 : 0;
  s.SpeakKeyCode = a ? (0xA5 | 0x70 << 8) : 0x7B;  // right Alt and F1, or F12
  s.SilenceKeyCode = a ? (0xA2 | 0xA0 << 8 | 0x41 << 16 | 0xFEu << 24) : 0x20;  // the first negative when written
  s.MaxDialogueFOV = a ? 80 : 95;
  s.MinDialogueFOV = a ? 15 : 5;
  s.SpeakInPieces = a ? 0 : 1;
  for (int i = 0; i < GlobalFlagCount; ++i) s.flags[i] = (i % 3 == 0) == a;
  for (int i = 0; i < 10; ++i) s.racePitch[i] = static_cast<int16_t>(a ? (i - 5) * 1100 : 700 + i * 300);
  s.VPBaseMale = a ? -10000 : 2500;
  s.VPBaseFemale = a ? 10000 : -2500;
  s.VPBaseCreature = a ? -300 : 900;
  const char* names[2][4] = {{"Doc Voice", "Male Voice", "Female Voice", "Creature Voice"},
                             {"Reader", "Man", "Woman", "Beast"}};
  for (int v = 0; v < VoiceKindCount; ++v) {
    s.voices[v].name = names[set][v];
    s.voices[v].config = a ? VoiceConfigText(v - 2, 3 - v, 100 - 10 * v) : VoiceConfigText(7 - v, -4 + v, 30 + v);
  }
  // Pools with and without every voice of a gender, one empty; a name with
  // blanks and a hyphen, as SAPI's descriptions have them.
  const char* pools[2][PoolKindCount] = {{"Arden|Microsoft David - English (United States)", "Cara", "Nix"},
                                         {"*", "", "Gorm|Hild"}};
  const int32_t varieties[2][PoolKindCount] = {{3, 10, 1}, {0, 7, 5}};
  for (int k = 0; k < PoolKindCount; ++k) {
    s.voicePools[k] = pools[set][k];
    s.voiceVariety[k] = varieties[set][k];
  }
  s.GameInstDir = a ? "C:\\Games\\Morrowind\\" : "D:\\Morrowind\\";
  s.ConfigAppName = a ? "Renamed.exe" : "Other.exe";
  return s;
}

// The premise of the round trips below, for every key of the table: each
// reader that knows the key starts from a value that one of the two sets
// does not hold.  A new key fails here until PlayerChoices gives it values.
TEST(ConfiguratorSettings, TheChoicesMoveEveryKey) {
  const ConfiguratorSettings sets[2] = {PlayerChoices(0), PlayerChoices(1)};
  for (const Key& key : Schema) {
    if (!key.KnownToConfigurator()) continue;
    auto movedFrom = [&](const Default& start) {
      const std::string value = AsText(start, "Fallback.exe");
      return ValueOf(sets[0], key.id) != value || ValueOf(sets[1], key.id) != value;
    };
    EXPECT_TRUE(movedFrom(key.configurator)) << Where(key);
    if (key.KnownToPlugin()) {
      EXPECT_TRUE(movedFrom(key.plugin)) << Where(key);
    }
  }
}

TEST(ConfiguratorSettings, SaveThenLoadGivesTheSameRecord) {
  for (int set = 0; set < 2; ++set) {
    SCOPED_TRACE(set);
    ScratchDir dir("cfg-roundtrip");
    const ConfiguratorSettings saved = PlayerChoices(set);
    ASSERT_TRUE(SaveSettings(saved, dir / "LirraCfg.ini"));
    ConfiguratorSettings loaded;
    LoadSettings(loaded, dir / "LirraCfg.ini", "Fallback.exe");
    EXPECT_EQ(loaded.LangIndex, saved.LangIndex);
    EXPECT_EQ(loaded.SpeakKeyCode, saved.SpeakKeyCode);
    EXPECT_EQ(loaded.SilenceKeyCode, saved.SilenceKeyCode);
    EXPECT_EQ(loaded.MaxDialogueFOV, saved.MaxDialogueFOV);
    EXPECT_EQ(loaded.MinDialogueFOV, saved.MinDialogueFOV);
    EXPECT_EQ(loaded.SpeakInPieces, saved.SpeakInPieces);
    EXPECT_EQ(loaded.flags, saved.flags);
    EXPECT_EQ(loaded.racePitch, saved.racePitch);
    EXPECT_EQ(loaded.VPBaseMale, saved.VPBaseMale);
    EXPECT_EQ(loaded.VPBaseFemale, saved.VPBaseFemale);
    EXPECT_EQ(loaded.VPBaseCreature, saved.VPBaseCreature);
    for (int v = 0; v < VoiceKindCount; ++v) {
      EXPECT_EQ(loaded.voices[v].name, saved.voices[v].name);
      EXPECT_EQ(loaded.voices[v].config, saved.voices[v].config);
    }
    EXPECT_EQ(loaded.GameInstDir, saved.GameInstDir);
    EXPECT_EQ(loaded.ConfigAppName, saved.ConfigAppName);
    // And key by key through the binding, so that a key added to the table
    // is compared without a line here.
    int keys = 0;
    for (const Key& key : Schema) {
      if (!key.KnownToConfigurator()) continue;
      EXPECT_EQ(ValueOf(loaded, key.id), ValueOf(saved, key.id)) << Where(key);
      ++keys;
    }
    EXPECT_EQ(keys, SettingsKeyCount);
  }
}

// The file binds the two deliverables: what the configurator saves is what
// the plug-in reads, key by key.
TEST(ConfiguratorSettings, ThePluginReadsWhatTheConfiguratorWrote) {
  for (int set = 0; set < 2; ++set) {
    SCOPED_TRACE(set);
    ScratchDir dir("cfg-plugin");
    const ConfiguratorSettings s = PlayerChoices(set);
    ASSERT_TRUE(SaveSettings(s, dir / "LirraCfg.ini"));

    Settings = PluginDefaults();
    for (VoiceChannel* c : AllChannels) std::memset(c, 0, sizeof *c);
    ReadSettings((dir / "LirraCfg.ini").c_str());
    CopyVoiceSettings(Settings);  // as attach does

    // Key by key through both bindings: what the plug-in reads of a key the
    // configurator writes is what was written; a key only the plug-in knows
    // keeps the plug-in's default.
    for (const Key& key : Schema) {
      if (!key.KnownToPlugin()) continue;
      const std::string expected = key.KnownToConfigurator() ? ValueOf(s, key.id) : AsText(key.plugin, "");
      EXPECT_EQ(ValueOf(Settings, key.id), expected) << Where(key);
    }

    EXPECT_EQ(static_cast<uint32_t>(Settings.SpeakKeyCode), s.SpeakKeyCode);
    EXPECT_EQ(static_cast<uint32_t>(Settings.SilenceKeyCode), s.SilenceKeyCode);
    EXPECT_EQ(Settings.LangIndex, s.LangIndex);
    EXPECT_EQ(Settings.VoiceFxByRace, s.flags[FlagVoiceFxByRace]);
    EXPECT_EQ(Settings.TTSBoundPitchDS, s.flags[FlagTTSBoundPitchDS]);
    EXPECT_EQ(Settings.DlgSwitchToFP, s.flags[FlagDlgSwitchToFP]);
    EXPECT_EQ(Settings.DlgEnableZoom, s.flags[FlagDlgEnableZoom]);
    EXPECT_EQ(Settings.StopSpkOnClose, s.flags[FlagStopSpkOnClose]);
    EXPECT_EQ(Settings.AlwReadOpenJnl, s.flags[FlagAlwReadOpenJnl]);
    EXPECT_EQ(Settings.DocVoiceAsDlg, s.flags[FlagDocVoiceAsDlg]);
    EXPECT_EQ(Settings.SpeakInPieces, s.SpeakInPieces);
    for (int i = 0; i < 10; ++i) {
      EXPECT_EQ(Settings.MPause[i], s.flags[FlagMPauseFirst + i]) << i;
      EXPECT_EQ(Settings.MKeepAi[i], s.flags[FlagMKeepAiFirst + i]) << i;
      EXPECT_EQ(Settings.RacePitch[i], s.racePitch[i]) << i;
    }
    EXPECT_EQ(Settings.VPBaseMale, s.VPBaseMale);
    EXPECT_EQ(Settings.VPBaseFemale, s.VPBaseFemale);
    EXPECT_EQ(Settings.VPBaseCreature, s.VPBaseCreature);
    EXPECT_EQ(Settings.ConfigAppName, s.ConfigAppName);
    // Keys only the plug-in knows keep the plug-in's defaults.
    EXPECT_EQ(Settings.ZoomDistNPC, 60);
    EXPECT_EQ(Settings.SmoothZooming, 1);

    struct Channel {
      VoiceChannel* channel;
      VoiceKind kind;
      GlobalFlag enable, autoSpeak;
    } channels[] = {{&VoiceMaleDlg, VoiceMale, FlagDlgVoiceEnable, FlagDlgAutoSpeak},
                    {&VoiceFemaleDlg, VoiceFemale, FlagDlgVoiceEnable, FlagDlgAutoSpeak},
                    {&VoiceCreatureDlg, VoiceCreature, FlagDlgVoiceEnable, FlagDlgAutoSpeak},
                    {&VoiceDoc, VoiceDocument, FlagDocVoiceEnable, FlagDocAutoSpeak}};
    for (const Channel& c : channels) {
      EXPECT_EQ(c.channel->voiceName, s.voices[c.kind].name);
      EXPECT_EQ(c.channel->voiceConfig, s.voices[c.kind].config);
      EXPECT_EQ(c.channel->enabled, static_cast<uint32_t>(s.flags[c.enable]));
      EXPECT_EQ(c.channel->autoSpeak, static_cast<uint32_t>(s.flags[c.autoSpeak]));
    }
  }
}

TEST(ConfiguratorSettings, SaveKeepsWhatItDoesNotKnow) {
  ScratchDir dir("cfg-keep");
  dir.Write("LirraCfg.ini",
            "; the player's note\r\n[BaseConfig]\r\nZoomDistNPC=90\r\nSmoothZooming=0\r\n"
            "[Mine]\r\nAnything=at all\r\n");
  ASSERT_TRUE(SaveSettings(ConfiguratorDefaults("Sethrim.exe"), dir / "LirraCfg.ini"));
  const std::string path = dir / "LirraCfg.ini";
  char value[64];
  GetPrivateProfileStringA("BaseConfig", "ZoomDistNPC", "", value, sizeof value, path.c_str());
  EXPECT_STREQ(value, "90");
  GetPrivateProfileStringA("BaseConfig", "SmoothZooming", "", value, sizeof value, path.c_str());
  EXPECT_STREQ(value, "0");
  GetPrivateProfileStringA("Mine", "Anything", "", value, sizeof value, path.c_str());
  EXPECT_STREQ(value, "at all");
}

TEST(ConfiguratorSettings, AFileThatCannotBeWrittenIsReportedAndKept) {
  ScratchDir dir("cfg-locked");
  const std::string before = "[BaseConfig]\r\nLangIndex=1\r\nZoomDistNPC=90\r\n";
  dir.Write("LirraCfg.ini", before);
  const std::string path = dir / "LirraCfg.ini";
  HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(SaveSettings(ConfiguratorDefaults("Sethrim.exe"), path));
  CloseHandle(lock);
  EXPECT_EQ(ReadFile(path), before);
  // Once the file is free again, the next try writes it.
  EXPECT_TRUE(SaveSettings(ConfiguratorDefaults("Sethrim.exe"), path));
  EXPECT_EQ(GetPrivateProfileIntA("BaseConfig", "ZoomDistNPC", 0, path.c_str()), 90u);
  EXPECT_EQ(GetPrivateProfileIntA("BaseConfig", "LangIndex", 9, path.c_str()), 0u);
}

TEST(ConfiguratorSettings, GameDirectoryIsTheFirstLevelWithMorrowindIni) {
  ScratchDir dir("cfg-walk");
  const std::string a = dir / "Games\\", b = a + "Morrowind\\", c = b + "Data Files\\", d = c + "Quorrim\\";
  for (const std::string& level : {a, b, c, d}) CreateDirectoryA(level.c_str(), nullptr);
  const std::string ini = "[General]\r\n";
  // Only the top: three levels up.
  std::ofstream(a + "Morrowind.ini") << ini;
  EXPECT_EQ(WalkToGameDirectory(d), a);
  // The nearest one wins.
  std::ofstream(b + "Morrowind.ini") << ini;
  EXPECT_EQ(WalkToGameDirectory(d), b);
  EXPECT_EQ(WalkToGameDirectory(b), b);
  // Without its trailing backslash a directory's own name goes first.
  std::ofstream(d + "Morrowind.ini") << ini;
  EXPECT_EQ(WalkToGameDirectory(d), d);
  EXPECT_EQ(WalkToGameDirectory(d.substr(0, d.size() - 1)), b);
  // Nothing up to the drive's root: no directory.
  ScratchDir none("cfg-walk-none");
  const std::string deep = none / "x\\";
  CreateDirectoryA(deep.c_str(), nullptr);
  EXPECT_EQ(WalkToGameDirectory(deep), "");
}

TEST(KeyNames, TableAndSidedCodes) {
  struct Case {
    int code;
    const char* name;
  } cases[] = {{0x00, ""},         {0x0D, "ENTER"},     {0x12, "ALT"},       {0x15, "IME_HANGUL"},
               {0x19, "IME_KANJI"}, {0x30, "0"},        {0x39, "9"},         {0x3A, "_"},
               {0x41, "A"},         {0x5A, "Z"},        {0x60, "NUMPAD_0"},  {0x69, "NUMPAD_9"},
               {0x70, "F1"},        {0x87, "F24"},      {0x88, "_"},         {0xA0, "LSHIFT"},
               {0xA2, "LCONTROL"},  {0xA3, "RCONTROL"}, {0xA4, "LALT"},      {0xA5, "RALT"},
               {0xBA, "OEM_1"},     {0xC1, "_"},        {0xE5, "PROCESSKEY"}, {0xFE, "OEM_CLEAR"},
               {0xFF, "_"}};
  for (const Case& c : cases) EXPECT_STREQ(KeyNameTable[c.code], c.name) << c.code;

  static uint8_t down;
  auto isDown = [](uint8_t code) { return code == down; };
  struct Sided {
    uint8_t code, downKey, stored;
  } sided[] = {{0x11, 0xA2, 0xA2}, {0x11, 0, 0xA3}, {0x12, 0xA4, 0xA4}, {0x12, 0, 0xA5},
               {0x10, 0xA0, 0xA0}, {0x10, 0xA1, 0xA1}, {0x72, 0, 0x72}};
  for (const Sided& s : sided) {
    down = s.downKey;
    EXPECT_EQ(SidedKeyCode(s.code, isDown), s.stored) << int(s.code);
  }
}

TEST(TestTexts, StepForwardBackwardAndSkip) {
  ScratchDir dir("cfg-texts");
  dir.Write("Morrowind.ini",
            "[Level Up]\r\nLevel1=one\r\nLevel2=two\r\nLevel3=\r\nLevel4=four\r\nLevel19=nineteen\r\n"
            "Level20=twenty\r\n");
  const std::string ini = dir / "Morrowind.ini";
  std::string text;
  struct Step {
    int from, step, index;
    const char* text;
  } steps[] = {
      {0, 0, 1, "one"},         // the first call at start
      {1, 1, 2, "two"},
      {2, 2, 4, "four"},        // Level3 is empty: skipped
      {4, 4, 19, "nineteen"},   // 5..18 missing
      {20, 20, 1, "one"},       // forward wraps to 1
      {2, -2, 20, "twenty"},    // backward from 2 wraps to 20
      {20, -20, 19, "nineteen"},
      {4, -4, 2, "two"},        // backward never reaches 1
  };
  for (const Step& s : steps) {
    EXPECT_EQ(StepTestString(ini, s.step, text), s.index) << "from " << s.from;
    EXPECT_EQ(text, s.text) << "from " << s.from;
  }
  // From 20 forward with Level1 gone: index 2.
  dir.Write("Morrowind.ini", "[Level Up]\r\nLevel2=two\r\n");
  EXPECT_EQ(StepTestString(ini, 20, text), 2);
}

TEST(TestTexts, ThirtyReadsWhenNoneIsPresent) {
  ScratchDir dir("cfg-notexts");
  dir.Write("Morrowind.ini", "[General]\r\nLevel1=not here\r\n");
  std::string text = "left over";
  EXPECT_EQ(StepTestString(dir / "Morrowind.ini", 0, text), 10);  // 1..20, 1..10
  EXPECT_EQ(text, "");
  EXPECT_EQ(StepTestString(dir / "missing.ini", -5, text), 13);  // 4..2, 20..2, 20..13
  EXPECT_EQ(text, "");
}

}  // namespace
