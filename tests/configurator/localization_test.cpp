// The LOCALIZE resource the configurator carries (linked into this program
// too).
#include <gtest/gtest.h>

#include <set>

#include "configurator/localize.h"

namespace {

class Resource : public ::testing::Test {
 protected:
  LocalizeTable table = LoadLocalizeTable(GetModuleHandleA(nullptr));
};

TEST_F(Resource, EveryKeyInBothLanguages) {
  std::set<std::string> keys[2];
  for (const LocalizeEntry& e : table) {
    ASSERT_TRUE(e.name.size() > 2 && (e.name[0] == '0' || e.name[0] == '1') && e.name[1] == '_') << e.name;
    keys[e.name[0] - '0'].insert(e.name.substr(2));
  }
  EXPECT_EQ(keys[0], keys[1]);
  for (const char* key : {"fmTCfgMain", "tsPageVoices", "tsPageAbout", "stLblVPitchHighElf", "bHearTestVoice",
                          "clGlobalFlags", "reHelpInfo", "MldrLirraDesc", "odOpenGameInst", "MLNOTFOUND",
                          "INSTTOMLDR", "TMNOTINST", "MLNOTINST", "tsPageNames", "bLexAdd", "bLexChange",
                          "bLexRemove", "bLexListen", "lvLexEntries", "LexNotAnEntry", "LexRepeated"})
    EXPECT_TRUE(keys[0].count(key)) << key;
}

TEST_F(Resource, ListsHaveTheirItemCounts) {
  for (int lang : {LangRussian, LangEnglish}) {
    EXPECT_EQ(SplitLines(GetLocalizedText(table, lang, "clGlobalFlags")).size(), 31u) << lang;
    EXPECT_EQ(SplitLines(GetLocalizedText(table, lang, "cbTestRaceType")).size(), 10u) << lang;
    EXPECT_EQ(SplitLines(GetLocalizedText(table, lang, "cbTestVoice")).size(), 4u) << lang;
    EXPECT_EQ(SplitLines(GetLocalizedText(table, lang, "lvLexEntries")).size(), 2u) << lang;  // column heads
  }
  auto english = SplitLines(GetLocalizedText(table, LangEnglish, "clGlobalFlags"));
  EXPECT_EQ(english[0], "ALLOW THE SEPARATE PITCH CONTROL FOR RACES");
  EXPECT_EQ(english[30], "DO NOT DISABLE A.I. IN THE GAME MENU");
  EXPECT_EQ(SplitLines(GetLocalizedText(table, LangEnglish, "cbTestVoice"))[2], "Creature`s voice");
}

TEST_F(Resource, TextsAreInCodePage1251) {
  EXPECT_EQ(GetLocalizedText(table, LangEnglish, "fmTCfgMain"), "Configure Quorrim");
  // "Настройка Quorrim" in code page 1251.
  EXPECT_EQ(GetLocalizedText(table, LangRussian, "fmTCfgMain"),
            "\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE0 Quorrim");
  for (int lang : {LangRussian, LangEnglish}) {
    const std::string help = GetLocalizedText(table, lang, "reHelpInfo");
    EXPECT_EQ(help.rfind("{\\rtf1", 0), 0u) << lang;
    EXPECT_EQ(help.find('\n'), std::string::npos) << lang;
  }
}

}  // namespace
