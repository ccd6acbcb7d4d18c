// Portable: no Windows here, so that both deliverables share it and the
// host's sanitizers and fuzzers (fuzz/) can build it too.
#include "common/voice_config.h"

#include "common/ascii_case.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

int32_t PitchToVoiceScale(int32_t offset) {
  if (offset >= 5000) return 10;
  if (offset <= -5000) return -10;
  return offset / 500;  // truncates toward zero
}

uint32_t SetConfigAttribute(int32_t value, const char* key, char* config) {
  const size_t keyLength = std::strlen(key);
  // The configuration is a VoiceConfigSize buffer: nothing past it is read,
  // even when a hand-edited one comes without its terminator.
  const size_t length = strnlen(config, VoiceConfigSize - 1);
  if (length < keyLength) return ConfigShorterThanKey;

  size_t at = 0;
  while (at + keyLength <= length && !SameIgnoringCase({config + at, keyLength}, {key, keyLength})) ++at;
  if (at + keyLength > length) return ConfigKeyNotFound;

  const char* const end = config + length;
  const char* open = std::find(static_cast<const char*>(config) + at + keyLength, end, '"');
  if (open == end) return ConfigQuotesMissing;
  const char* close = std::find(open + 1, end, '"');
  if (close == end) return ConfigQuotesMissing;

  char number[16];
  const int numberLength = std::snprintf(number, sizeof number, "%i", static_cast<int>(value));
  const size_t prefixLength = static_cast<size_t>(open - config) + 1;
  const size_t suffixLength = static_cast<size_t>(end - close);
  if (prefixLength + static_cast<size_t>(numberLength) + suffixLength > VoiceConfigSize - 1) return ConfigTooLong;

  char result[VoiceConfigSize];
  std::memcpy(result, config, prefixLength);
  std::memcpy(result + prefixLength, number, static_cast<size_t>(numberLength));
  std::memcpy(result + prefixLength + numberLength, close, suffixLength);
  result[prefixLength + numberLength + suffixLength] = 0;
  std::memcpy(config, result, prefixLength + numberLength + suffixLength + 1);
  return ConfigChanged;
}
