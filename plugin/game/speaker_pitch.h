// The pitch of a speaker: base pitch by kind and sex, plus a step per race,
// added to the frequency of the sound buffer that carries the line.
#pragma once
#include <cstdint>

#include "common/pitch_rule.h"

struct IDirectSoundBuffer;
struct ObjectRef;
struct VoiceChannel;

// The race step of the speaker's race setting; 0 for a null speaker, a
// missing race or a race not in the table (compared exactly, letter case
// included, on at most 31 characters).
int32_t RacePitch(ObjectRef* speaker);

// Sets the buffer's frequency to its own plus the speaker's offset and the
// frequency of the timbre its line was rendered with (LineFrequencyOffset),
// limited to 100..100000 (PitchedFrequency).  1 when there is no buffer or
// no speaker (nothing done).
uint32_t ApplySpeakerPitch(IDirectSoundBuffer* buffer, VoiceChannel* channel);

// The offset ApplySpeakerPitch adds for this speaker.
int32_t SpeakerPitchOffset(ObjectRef* speaker);

// With speaker pitch by race bound to the voice (VoiceFxByRace and
// TTSBoundPitchDS both on), the pitch value a line of this NPC is rendered
// with: the race step on the speech scale.  KeepVoicePitch otherwise, and
// for creatures, which have no race step.
int32_t RaceBoundVoicePitch(ObjectRef* speaker);
