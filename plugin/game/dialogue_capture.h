// Dialogue text capture and speaker classification: the road from a line the
// game shows to a speak request in the worker's queue.  Game thread.
#pragma once
#include <cstdint>

struct ActorMobile;

// The game's dialogue-and-journal text routine is about to handle `text`
// on behalf of `owner` (all registers saved by the stub).  Journal entries
// (owned by the player) are collected into CapturedText; dialogue is spoken
// on every second call, by the voice of the speaker's kind and sex.  A text
// whose owner chain is broken is skipped.
void CaptureDialogueText(ActorMobile* owner, const char* text);

// Speaks what CapturedText holds: with the document voice, or the dialogue
// voice of the player's sex when documents are read by a dialogue voice.
// Nothing for an empty buffer.
void SpeakCapturedText();

// The parity flag: 1 after a call that speaks (for tests).
uint32_t DialogueParity();
