#include "plugin/game/voice_pitch_gate.h"

#include <cstring>

uint32_t IsOwnSpeechSound(const void* sound, const char* fileName) {
  if (!sound || !fileName) return 0;
  const uint8_t* format = *reinterpret_cast<const uint8_t* const*>(static_cast<const uint8_t*>(sound) + 0x2C);
  if (!format) return 0;
  uint32_t rate;
  std::memcpy(&rate, format + 4, sizeof rate);
  return rate == 44100 && std::strncmp(fileName, "VTTS", 4) == 0;
}
