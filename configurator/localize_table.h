// The configurator's two languages: the text table of the LOCALIZE resource
// (code page 1251, one "N_key=text" line per entry, N = 0 Russian, 1 English;
// list items separated by TAB) and the lookup in it.  Portable; reading the
// resource is in localize.h.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

struct LocalizeEntry {
  std::string name;   // "1_tsPageVoices": the part before the first "="
  std::string value;  // the rest of the line, as it stands
};
using LocalizeTable = std::vector<LocalizeEntry>;

inline constexpr int LangRussian = 0;
inline constexpr int LangEnglish = 1;

// Splits resource text into entries; lines without "=" are skipped.
LocalizeTable ParseLocalizeTable(const char* text, size_t length);

// The first entry named `lang`_`key` (letter case ignored), TABs turned into
// line feeds, blanks and control characters trimmed at both ends; empty when
// there is none.
std::string GetLocalizedText(const LocalizeTable& table, int lang, const std::string& key);

// A list text's items, one per line.
std::vector<std::string> SplitLines(const std::string& text);
