// Portable: the text table's parsing and lookup build for the host's
// sanitizers and fuzzers too (fuzz/).
#include "configurator/localize_table.h"

#include "common/ascii_case.h"

LocalizeTable ParseLocalizeTable(const char* text, size_t length) {
  LocalizeTable table;
  size_t at = 0;
  while (at < length) {
    size_t end = at;
    while (end < length && text[end] != '\r' && text[end] != '\n' && text[end] != 0) ++end;
    const std::string line(text + at, end - at);
    const size_t eq = line.find('=');
    if (eq != std::string::npos) table.push_back({line.substr(0, eq), line.substr(eq + 1)});
    at = end + 1;
  }
  return table;
}

namespace {
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::string GetLocalizedText(const LocalizeTable& table, int lang, const std::string& key) {
  const std::string name = std::to_string(lang) + "_" + key;
  for (const LocalizeEntry& e : table) {
    if (!SameIgnoringCase(e.name, name)) continue;
    std::string text = e.value;
    for (char& c : text)
      if (c == '\t') c = '\n';
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
  }
  return "";
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    if (end > at) lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}
