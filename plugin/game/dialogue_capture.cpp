#include "plugin/game/dialogue_capture.h"

#include <windows.h>

#include "plugin/frame/log.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/captured_text.h"
#include "plugin/game/game_access.h"
#include "plugin/game/game_state.h"
#include "plugin/game/speaker_pitch.h"
#include "plugin/speech/speak_request.h"
#include "plugin/speech/voice_channel.h"

namespace {
// Flips on every call of the dialogue-and-journal routine; dialogue is spoken
// on the calls that leave it set.  The game passes each line through twice.
volatile uint32_t dialogueParity = 0;

// The speaker's record through the owner's reference, or null when a link
// of the chain is missing.
ObjectRecord* OwnerRecord(ActorMobile* owner) {
  if (!owner || !owner->ref) return nullptr;
  return GetRecord(owner->ref);
}
}  // namespace

uint32_t DialogueParity() { return dialogueParity; }

void CaptureDialogueText(ActorMobile* owner, const char* text) {
  dialogueParity = !dialogueParity;
  ObjectRecord* record = OwnerRecord(owner);
  ObjectRef* player = GetPlayerRef();
  if (!record || !text || !player) return;

  if (record->owner == player) {  // the player's own: a journal entry
    AppendCapturedText(text, ".   ");
    return;
  }
  if (!dialogueParity || !record->owner) return;

  LOG_LINE("MORROWIND::Preparing a dialogue text.");
  const char* name = nullptr;
  const char* secondText = nullptr;
  GetActorTexts(record, &name, &secondText);
  VoiceChannel* channel;
  if (IsCreatureRecord(record)) {
    channel = &VoiceCreatureDlg;
    LOG_LINE("MORROWIND::Detected a Creature: %s, [ %s ]", name, secondText);
  } else if (record->actorData && IsFemaleRecord(record)) {
    channel = &VoiceFemaleDlg;
    LOG_LINE("MORROWIND::Detected a Female NPC: %s, [ %s ]", name, secondText);
  } else {
    channel = &VoiceMaleDlg;
    LOG_LINE("MORROWIND::Detected a Male NPC: %s, [ %s ]", name, secondText);
  }
  // The id in brackets is the record's: the worker gives the speaker its own voice by it.
  PostSpeakRequest(channel, record->owner, text, RaceBoundVoicePitch(record->owner), SpeechKind::Dialogue, secondText);
}

void SpeakCapturedText() {
  if (!CapturedText || CapturedText[0] == 0) return;
  ObjectRef* player = GetPlayerRef();
  if (!player) return;
  LOG_LINE("MORROWIND::Preparing document text: %s", CapturedText);
  VoiceChannel* channel = &VoiceDoc;
  const char* playerId = nullptr;
  if (Settings.DocVoiceAsDlg) {
    const ObjectRecord* record = GetRecord(player);
    if (record) {
      const char* name = nullptr;
      GetActorTexts(record, &name, &playerId);
    }
    if (record && record->actorData && IsFemaleRecord(record)) {
      channel = &VoiceFemaleDlg;
      LOG_LINE("MORROWIND::Player is Female");
    } else {
      channel = &VoiceMaleDlg;
      LOG_LINE("MORROWIND::Player is Male");
    }
  }
  Dialogue.CurrentSpeaker = player;
  PostSpeakRequest(channel, player, CapturedText, KeepVoicePitch, SpeechKind::Document, playerId);
}
