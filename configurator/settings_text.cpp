// Portable: the configurator's reading of values and voice tags builds for
// the host's sanitizers and fuzzers too (fuzz/).
#include <cstdio>
#include <string>

#include "common/ascii_case.h"
#include "common/voice_config.h"
#include "configurator/configurator_settings.h"

int32_t ParseIntValue(const std::string& text, int32_t fallback) {
  const bool hex = text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  size_t at = hex ? 2 : 0;
  bool negative = false;
  if (!hex && at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  if (at == text.size()) return fallback;
  uint64_t value = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return fallback;
    value = value * (hex ? 16 : 10) + digit;
    if (value > 0xFFFFFFFFull) return fallback;
  }
  if (hex) return static_cast<int32_t>(static_cast<uint32_t>(value));
  if (negative) return value > 0x80000000ull ? fallback : static_cast<int32_t>(-static_cast<int64_t>(value));
  return value > 0x7FFFFFFFull ? fallback : static_cast<int32_t>(value);
}

int32_t ReadVoiceTag(const std::string& tag, const std::string& config) {
  auto upper = [](std::string s) {
    for (char& c : s) c = AsciiUpper(c);
    return s;
  };
  const std::string text = upper(config);
  const std::string key = upper(tag) + "=\"";
  const size_t at = text.find(key);
  if (at == std::string::npos) return NoTagValue;
  const std::string rest = text.substr(at + key.size());
  const size_t end = rest.find("\">");
  if (end == std::string::npos) return NoTagValue;
  // A value that is no integer is as good as none: the slider stays.
  return ParseIntValue(rest.substr(0, end), NoTagValue);
}

std::string VoiceConfigText(int pitch, int rate, int volume) {
  char text[VoiceConfigSize];
  std::snprintf(text, sizeof text, VoiceConfigFormat, pitch, rate, volume);
  return text;
}

int FindCharFromEnd(const std::string& text, char c, int n, int skip) {
  const int last = static_cast<int>(text.size()) - 1;
  if (skip < 0) skip = 0;  // counting never starts behind the last character
  if (last < skip) return -1;
  if (n < 0) n = -n;
  if (n == 0) n = 1;
  int count = 0;
  for (int at = last - skip; at >= 0; --at)
    if (text[at] == c && ++count == n) return at;
  return -1;
}
