#include "common/voice_config.h"

#include <windows.h>

int32_t PitchToVoiceScale(int32_t offset) {
  if (offset >= 5000) return 10;
  if (offset <= -5000) return -10;
  return offset / 500;  // truncates toward zero
}

uint32_t SetConfigAttribute(int32_t value, const char* key, char* config) {
  const int keyLength = lstrlenA(key);
  char work[256];
  lstrcpynA(work, config, sizeof work);
  const int length = lstrlenA(work);
  if (length < keyLength) return ConfigShorterThanKey;

  int at = -1;
  for (int i = 0; i + keyLength <= length; ++i) {
    if (CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, work + i, keyLength, key, keyLength) == CSTR_EQUAL) {
      at = i;
      break;
    }
  }
  if (at < 0) return ConfigKeyNotFound;

  const char* open = nullptr;
  for (const char* p = work + at + keyLength; *p; ++p)
    if (*p == '"') { open = p; break; }
  if (!open) return ConfigQuotesMissing;
  const char* close = nullptr;
  for (const char* p = open + 1; *p; ++p)
    if (*p == '"') { close = p; break; }
  if (!close) return ConfigQuotesMissing;

  const int prefixLength = static_cast<int>(open - work) + 1;
  const int suffixLength = lstrlenA(close);
  char number[16];
  const int numberLength = wsprintfA(number, "%i", value);
  if (prefixLength > 127 || suffixLength > 127 ||
      prefixLength + numberLength + suffixLength > static_cast<int>(VoiceConfigSize) - 1)
    return ConfigTooLong;

  char result[VoiceConfigSize];
  lstrcpynA(result, work, prefixLength + 1);
  lstrcatA(result, number);
  lstrcatA(result, close);
  lstrcpyA(config, result);
  return ConfigChanged;
}
