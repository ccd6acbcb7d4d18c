// The text table's lookup rules on a small table.  Portable: also run
// natively under the sanitizers (fuzz/).
#include <gtest/gtest.h>

#include "configurator/localize_table.h"

namespace {

LocalizeTable Fixture() {
  const char text[] =
      "0_Title=  Заголовок \r\n"
      "1_Title=Title\r\n"
      "1_List=First\tSecond\t\r\n"
      "1_Spaced= \t text with = sign \t\r\n"
      "1_title=second entry of the same name\r\n"
      "no equals sign here\r\n"
      "1_Empty=\r\n";
  return ParseLocalizeTable(text, sizeof text - 1);
}

TEST(Localization, LookupRules) {
  const LocalizeTable table = Fixture();
  struct Case {
    int lang;
    const char* key;
    const char* expected;
  } cases[] = {
      {1, "Title", "Title"},
      {1, "TITLE", "Title"},      // letter case ignored; the first entry wins
      {0, "title", "Заголовок"},  // trimmed
      {1, "List", "First\nSecond"},
      {1, "Spaced", "text with = sign"},
      {1, "Missing", ""},
      {2, "Title", ""},           // a language without entries
      {1, "Empty", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(GetLocalizedText(table, c.lang, c.key), c.expected) << c.key;
  // A trailing TAB adds no empty item.
  EXPECT_EQ(SplitLines(GetLocalizedText(table, 1, "List")).size(), 2u);
}

}  // namespace
