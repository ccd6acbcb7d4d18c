// Portable: the name's parsing and the volume rule build for the host's
// sanitizers and fuzzers too (fuzz/); what ties a name to a channel is in
// voice_channel.cpp.
#include "plugin/speech/voice_file_name.h"

#include <cmath>
#include <cstdio>
#include <cstring>

void FormatVoiceFileName(uint32_t address, char* name) {
  std::snprintf(name, VoiceFileNameSize, "%s%08X", VoiceFileTag, static_cast<unsigned>(address));
}

namespace {
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

bool VoiceFileAddress(const char* path, uint32_t* address) {
  if (!path) return false;
  const char* slash = std::strrchr(path, '\\');
  const char* name = slash ? slash + 1 : path;
  if (std::strncmp(name, VoiceFileTag, 4) != 0) return false;
  // Shifting the whole run through 32 bits keeps its last eight digits.
  uint32_t value = 0;
  for (const char* p = name + 4; HexValue(*p) >= 0; ++p) value = (value << 4) | static_cast<uint32_t>(HexValue(*p));
  *address = value;
  return true;
}

uint32_t ZoomedVoiceVolume(int32_t volume, int32_t savedFov, int32_t targetFov) {
  double v = volume;
  // The default rounding mode rounds halves to even.
  if (targetFov > 0) v += std::nearbyint((static_cast<double>(savedFov) - targetFov) / 1.5);
  if (v < 0) return 0;
  return v > 255 ? 255u : static_cast<uint32_t>(v);
}
