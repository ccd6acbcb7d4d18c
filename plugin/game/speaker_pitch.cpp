#include "plugin/game/speaker_pitch.h"

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include "common/voice_config.h"
#include "plugin/frame/settings.h"
#include "plugin/game/game_access.h"
#include "plugin/speech/speak_request.h"
#include "plugin/speech/voice_channel.h"

namespace {
// Race ids as the game stores them, in the order of the race settings.
constexpr const char* RaceIds[10] = {"Orc",      "Nord",     "Breton",   "Khajiit",  "Dark Elf",
                                     "High Elf", "Wood Elf", "Argonian", "Imperial", "Redguard"};
constexpr uint32_t MinFrequency = 100;
constexpr uint32_t MaxFrequency = 100000;
}  // namespace

int32_t RacePitch(ObjectRef* speaker) {
  if (!speaker) return 0;
  const ObjectRecord* record = GetRecord(speaker);
  if (!record || !record->actorData || !record->actorData->race) return 0;
  char id[32];
  lstrcpynA(id, GetRaceId(speaker), sizeof id);
  for (int i = 0; i < 10; ++i)
    if (lstrcmpA(id, RaceIds[i]) == 0) return Settings.RacePitch[i];
  return 0;
}

int32_t SpeakerPitchOffset(ObjectRef* speaker) {
  const ObjectRecord* record = GetRecord(speaker);
  if (!record) return 0;
  if (IsCreatureRecord(record)) return Settings.VPBaseCreature;
  int32_t offset = record->actorData && IsFemaleRecord(record) ? Settings.VPBaseFemale : Settings.VPBaseMale;
  if (Settings.VoiceFxByRace) offset += RacePitch(speaker);
  return offset;
}

uint32_t PitchedFrequency(uint32_t frequency, int32_t offset) {
  const int64_t sum = static_cast<int64_t>(frequency) + offset;
  if (sum < MinFrequency) return MinFrequency;
  if (sum > MaxFrequency) return MaxFrequency;
  return static_cast<uint32_t>(sum);
}

uint32_t ApplySpeakerPitch(IDirectSoundBuffer* buffer, VoiceChannel* channel) {
  if (!buffer || !channel || !channel->speaker) return 1;
  DWORD frequency = 0;
  buffer->GetFrequency(&frequency);
  buffer->SetFrequency(PitchedFrequency(frequency, SpeakerPitchOffset(channel->speaker)));
  return 0;
}

int32_t RaceBoundVoicePitch(ObjectRef* speaker) {
  if (!RaceStepBoundToVoice(Settings.VoiceFxByRace, Settings.TTSBoundPitchDS) || !speaker) return KeepVoicePitch;
  const ObjectRecord* record = GetRecord(speaker);
  if (!record || IsCreatureRecord(record)) return KeepVoicePitch;
  return PitchToVoiceScale(RacePitch(speaker));
}
