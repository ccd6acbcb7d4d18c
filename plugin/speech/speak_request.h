// Handing a line to the worker thread.  The game-side handlers
// (dialogue capture, documents) call PostSpeakRequest from the game's threads.
//
// The request carries its own copy of the speaker and of the filtered text,
// so the worker speaks each request with exactly what its poster gave it,
// even when the same channel is refilled before the worker gets there (a
// poster never frees a text the worker is reading).  The message is
// WM_SPEAK_REQUEST with wParam = the channel and lParam = the copy.
//
// The channel's text is refilled by the poster; its speaker field belongs to
// the worker, which sets it from the request just before the line is
// rendered and reads it while the game plays the line.  A poster writing it
// could hand a line that is still being rendered to another actor.  (A
// request posted with lParam 0 is spoken from the channel's own fields.)
#pragma once
#include <cstdint>

#include "common/speaker_voice.h"

struct VoiceChannel;
struct ObjectRef;

// A speak request's own copy: on the process heap, owned by the worker once
// posted (freed with HeapFree on the process heap).
// What a line is: a page's switches are the document voice's (LirraDoc
// VoiceEnable and AutoSpeak), whichever channel's voice reads it.
enum class SpeechKind : uint32_t { Dialogue = 0, Document = 1 };

struct SpeakRequest {
  ObjectRef* speaker;
  int32_t voicePitch;  // pitch value for the voice's configuration, or KeepVoicePitch
  uint32_t epoch;      // SpeechEpoch() at posting: stale once speech was discarded since
  SpeechKind kind;
  // The speaker's record id as the game spells it (cut to the room), read
  // on the game's thread: the worker chooses the speaker's own voice by it.
  // Empty when the game gave none.
  char speakerId[SpeakerIdSize];
  char text[1];  // the filtered text, zero-terminated (allocated to length)
};

// The line is rendered with the channel's configuration as it stands.
inline constexpr int32_t KeepVoicePitch = INT32_MIN;

// Any thread.  Filters rawText into the channel (SetChannelText) and posts
// WM_SPEAK_REQUEST with a copy of it and of the speaker to the worker
// thread.  False when the line was dropped: no memory for the text or its
// copy (the channel keeps its previous text then), or the worker's queue did
// not take the message (as with any post before the worker runs).
// voicePitch, when given, replaces the pitch value of the channel's
// configuration for this line only (the speaker's race step, decided on the
// game's thread where the speaker's data may be read).  speakerId, when
// given, is copied for the worker's choice of the speaker's own voice.
bool PostSpeakRequest(VoiceChannel* channel, ObjectRef* speaker, const char* rawText,
                      int32_t voicePitch = KeepVoicePitch, SpeechKind kind = SpeechKind::Dialogue,
                      const char* speakerId = nullptr);
