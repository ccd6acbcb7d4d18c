#include "plugin/game/speaker_pitch.h"

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include "common/pitch_rule.h"
#include "common/races.h"
#include "common/voice_config.h"
#include "plugin/frame/settings.h"
#include "plugin/game/game_access.h"
#include "plugin/speech/speak_request.h"
#include "plugin/speech/speaker_voices.h"
#include "plugin/speech/voice_channel.h"

int32_t RacePitch(ObjectRef* speaker) {
  if (!speaker) return 0;
  const ObjectRecord* record = GetRecord(speaker);
  if (!record || !record->actorData || !record->actorData->race) return 0;
  char id[32];
  lstrcpynA(id, GetRaceId(speaker), sizeof id);
  for (const RaceNames& race : Races)
    if (lstrcmpA(id, race.gameId) == 0) return Settings.RacePitch[race.race];
  return 0;
}

int32_t SpeakerPitchOffset(ObjectRef* speaker) {
  const ObjectRecord* record = GetRecord(speaker);
  if (!record) return 0;
  if (IsCreatureRecord(record)) return Settings.VPBaseCreature;
  int32_t offset = record->actorData && IsFemaleRecord(record) ? Settings.VPBaseFemale : Settings.VPBaseMale;
  if (RaceAddsPitch(/*speakerHasRace=*/true, Settings.VoiceFxByRace)) offset += RacePitch(speaker);
  return offset;
}

uint32_t ApplySpeakerPitch(IDirectSoundBuffer* buffer, VoiceChannel* channel) {
  if (!buffer || !channel || !channel->speaker) return 1;
  DWORD frequency = 0;
  buffer->GetFrequency(&frequency);
  // The speaker's timbre, when it has one, is added like its race pitch and
  // kept within the same bounds; so is the pitch of a voice whose SAPI
  // refused the markup and could not take it (0 wherever markup works).
  const int32_t voicePitch = VoiceScaleToPitchOffset(channel->voice.PitchLeft());
  buffer->SetFrequency(
      PitchedFrequency(frequency, SpeakerPitchOffset(channel->speaker) + LineFrequencyOffset(channel) + voicePitch));
  return 0;
}

int32_t RaceBoundVoicePitch(ObjectRef* speaker) {
  if (!RaceStepBoundToVoice(Settings.VoiceFxByRace, Settings.TTSBoundPitchDS) || !speaker) return KeepVoicePitch;
  const ObjectRecord* record = GetRecord(speaker);
  if (!record || IsCreatureRecord(record)) return KeepVoicePitch;
  return PitchToVoiceScale(RacePitch(speaker));
}
