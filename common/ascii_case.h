// Letter case folded in ASCII only: the names compared this way (voice
// tags, text-table keys, folder names of a path) are ASCII or compared
// byte for byte beyond it, whatever the system's code page.
#pragma once
#include <string_view>

constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

constexpr bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}
