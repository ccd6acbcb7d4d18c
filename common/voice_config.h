// The voice-configuration string: SAPI markup that stays open and is put in
// front of every text a voice speaks,
//   <pitch absmiddle="%i"><rate absspeed="%i"><volume level="%i">
// Both deliverables change its pitch value for a speaker's race.
#pragma once
#include <cstdint>

inline constexpr char VoiceConfigFormat[] = "<pitch absmiddle=\"%i\"><rate absspeed=\"%i\"><volume level=\"%i\">";
inline constexpr char PitchAttribute[] = "PITCH ABSMIDDLE";
inline constexpr char RateAttribute[] = "RATE ABSSPEED";
inline constexpr char VolumeAttribute[] = "VOLUME LEVEL";
inline constexpr uint32_t VoiceConfigSize = 128;

// A race pitch offset (-10000..10000, the buffer-frequency scale) on the
// speech pitch scale -10..10.
int32_t PitchToVoiceScale(int32_t offset);
// The other way: a voice pitch step as a buffer-frequency offset, for a
// voice whose SAPI takes no markup and so leaves its pitch to the sound.
inline int32_t VoiceScaleToPitchOffset(int32_t step) { return step * 500; }

// Whether a character's race step is also rendered into the voice's pitch:
// only with the race effects on (VoiceFxByRace) and bound to the voice
// (TTSBoundPitchDS).  The game's lines and the configurator's voice test
// follow this one rule, so that the test sounds as the game will.
inline bool RaceStepBoundToVoice(int32_t voiceFxByRace, int32_t ttsBoundPitchDS) {
  return voiceFxByRace != 0 && ttsBoundPitchDS != 0;
}

enum SetConfigResult : uint32_t {
  ConfigChanged = 0,
  ConfigShorterThanKey = 1,
  ConfigKeyNotFound = 2,
  ConfigQuotesMissing = 3,
  ConfigTooLong = 4,  // the result would not fit the 128-byte configuration
};

// Replaces the quoted value that follows `key` (found without regard to
// case) with `value` in decimal.  `config` is a VoiceConfigSize buffer,
// changed only when the result is ConfigChanged.
uint32_t SetConfigAttribute(int32_t value, const char* key, char* config);
