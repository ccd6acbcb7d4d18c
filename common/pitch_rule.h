// A speaker's pitch as the sound carries it: the base pitch of the speaker's
// kind, plus the pitch of its race when it has one (male and female NPCs;
// creatures have none) and the race effects are on (VoiceFxByRace), added to
// the frequency of the buffer that plays the line and kept within what
// DirectSound takes.  The plug-in pitches the game's lines by this rule and
// the configurator's LISTEN its test, so that the test sounds as the game
// will.  The race's step in the voice's own pitch is RaceStepBoundToVoice
// (common/voice_config.h).
#pragma once
#include <cstdint>

inline constexpr uint32_t MinPitchedFrequency = 100;
inline constexpr uint32_t MaxPitchedFrequency = 100000;

constexpr bool RaceAddsPitch(bool speakerHasRace, int32_t voiceFxByRace) {
  return speakerHasRace && voiceFxByRace != 0;
}

// The frequency after the offset, limited to MinPitchedFrequency..MaxPitchedFrequency.
constexpr uint32_t PitchedFrequency(uint32_t frequency, int32_t offset) {
  const int64_t sum = static_cast<int64_t>(frequency) + offset;
  if (sum < MinPitchedFrequency) return MinPitchedFrequency;
  if (sum > MaxPitchedFrequency) return MaxPitchedFrequency;
  return static_cast<uint32_t>(sum);
}
