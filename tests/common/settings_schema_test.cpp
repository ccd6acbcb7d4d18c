// The table of LirraCfg.ini where its names are built by hand: the keys of
// the families (pause and keep-AI flags per menu kind, pitches per race) must
// name the member of the family at their place.  The table's shape (ids in
// order, no key twice, defaults of the right form) is checked by the build.
// Portable: also run natively under the sanitizers (fuzz/).
#include <gtest/gtest.h>

#include <string>

#include "common/settings_schema.h"

using namespace settings_file;

namespace {

TEST(SettingsSchema, FamilyKeysNameTheirMember) {
  const char* const kinds[MenuKindCount] = {"Chargen",   "Service",   "Resting",   "Journal",  "Dialogue",
                                            "Container", "Inventory", "Documents", "Messages", "Options"};
  for (int k = 0; k < MenuKindCount; ++k) {
    EXPECT_EQ(std::string(KeyOf(PauseSetting(MenuKind(k))).name), std::string("MPause") + kinds[k]);
    EXPECT_EQ(std::string(KeyOf(KeepAiSetting(MenuKind(k))).name), std::string("MKeepAi") + kinds[k]);
    EXPECT_STREQ(KeyOf(PauseSetting(MenuKind(k))).section, PauseConfig);
    EXPECT_STREQ(KeyOf(KeepAiSetting(MenuKind(k))).section, PauseConfig);
  }
  // A race's key is "VP" and its game id without blanks: "Dark Elf", VPDarkElf.
  for (const RaceNames& race : Races) {
    std::string key = "VP";
    for (const char* c = race.gameId; *c; ++c)
      if (*c != ' ') key += *c;
    EXPECT_EQ(key, race.pitchKey) << race.gameId;
    EXPECT_STREQ(KeyOf(RaceSetting(race.race)).name, race.pitchKey);
    EXPECT_STREQ(KeyOf(RaceSetting(race.race)).section, RaceConfig);
  }
}

}  // namespace
