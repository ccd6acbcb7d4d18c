#include "plugin/speech/voice_file_name.h"

#include <windows.h>

#include <cmath>
#include <cstring>

#include "plugin/speech/voice_channel.h"

void MakeVoiceFileName(const VoiceChannel* channel, char* name) {
  wsprintfA(name, "%s%08X", VoiceFileTag, static_cast<unsigned>(reinterpret_cast<uintptr_t>(channel)));
}

namespace {
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

VoiceChannel* ChannelFromVoiceFileName(const char* path) {
  if (!path) return nullptr;
  const char* slash = std::strrchr(path, '\\');
  const char* name = slash ? slash + 1 : path;
  if (std::strncmp(name, VoiceFileTag, 4) != 0) return nullptr;
  // Shifting the whole run through 32 bits keeps its last eight digits.
  uint32_t address = 0;
  for (const char* p = name + 4; HexValue(*p) >= 0; ++p) address = (address << 4) | static_cast<uint32_t>(HexValue(*p));
  return KnownChannel(address);
}

uint32_t ZoomedVoiceVolume(int32_t volume, int32_t savedFov, int32_t targetFov) {
  double v = volume;
  // The default rounding mode rounds halves to even.
  if (targetFov > 0) v += std::nearbyint((savedFov - targetFov) / 1.5);
  if (v < 0) return 0;
  return v > 255 ? 255u : static_cast<uint32_t>(v);
}
