// The text table as a resource may hold it: any bytes, line ends of any
// kind, NULs.  Properties: every entry's name has no '=' and no line end;
// a looked-up text has no TAB and starts and ends with no blank.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "configurator/localize_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const LocalizeTable table = ParseLocalizeTable(reinterpret_cast<const char*>(data), size);
  for (const LocalizeEntry& e : table) {
    if (e.name.find_first_of("=\r\n") != std::string::npos) std::abort();
    const size_t cut = e.name.find('_');
    if (cut == std::string::npos || e.name.size() > 64) continue;
    const int lang = e.name[0] == '0' ? 0 : 1;
    const std::string text = GetLocalizedText(table, lang, e.name.substr(cut + 1));
    if (text.find('\t') != std::string::npos) std::abort();
    if (!text.empty() && (static_cast<unsigned char>(text.front()) <= ' ' ||
                          static_cast<unsigned char>(text.back()) <= ' '))
      std::abort();
    for (const std::string& line : SplitLines(text))
      if (line.empty() || line.find_first_of("\r\n") != std::string::npos) std::abort();
  }
  return 0;
}
