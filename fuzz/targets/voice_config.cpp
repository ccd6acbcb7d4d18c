// SetConfigAttribute on voice configurations as a hand-edited settings file
// may hold them: any bytes in the 128-byte buffer, terminated or not, any
// key, any value.  The buffer is allocated to exactly its size, so a read or
// write past it is an AddressSanitizer report.
//
// Input: 4 bytes of value, 1 byte choosing the key (one of the three
// attributes, or the next bytes up to a NUL), then the configuration.
// Properties: the configuration changes only when the answer says so; a
// changed one is terminated inside the buffer and holds the value; setting
// the same value again is accepted and changes nothing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "common/voice_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  int32_t value;
  std::memcpy(&value, data, sizeof value);
  const uint8_t choice = data[4];
  data += 5;
  size -= 5;
  std::string key;
  switch (choice % 4) {
    case 0: key = PitchAttribute; break;
    case 1: key = RateAttribute; break;
    case 2: key = VolumeAttribute; break;
    default: {
      const size_t n = strnlen(reinterpret_cast<const char*>(data), size);
      key.assign(reinterpret_cast<const char*>(data), n);
      data += n < size ? n + 1 : n;
      size -= n < size ? n + 1 : n;
    }
  }
  std::unique_ptr<char[]> config(new char[VoiceConfigSize]);
  std::memset(config.get(), 0, VoiceConfigSize);
  std::memcpy(config.get(), data, size < VoiceConfigSize ? size : VoiceConfigSize);
  char before[VoiceConfigSize];
  std::memcpy(before, config.get(), VoiceConfigSize);

  const uint32_t result = SetConfigAttribute(value, key.c_str(), config.get());
  if (result > ConfigTooLong) std::abort();
  if (result != ConfigChanged) {
    if (std::memcmp(before, config.get(), VoiceConfigSize) != 0) std::abort();
    return 0;
  }
  if (strnlen(config.get(), VoiceConfigSize) == VoiceConfigSize) std::abort();
  char number[16];
  std::snprintf(number, sizeof number, "\"%i\"", static_cast<int>(value));
  if (!std::strstr(config.get(), number)) std::abort();
  const std::string once(config.get());
  if (SetConfigAttribute(value, key.c_str(), config.get()) != ConfigChanged || once != config.get()) std::abort();

  const int32_t scale = PitchToVoiceScale(value);
  if (scale < -10 || scale > 10) std::abort();
  return 0;
}
