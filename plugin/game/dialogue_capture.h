// Dialogue text capture and speaker classification (filled in by its own
// issue; the stubs already call these with their final signatures).
#pragma once

struct ActorMobile;

// The game's dialogue-and-journal text routine is about to handle `text`
// on behalf of `owner`.  Game thread, all registers saved by the stub.
void CaptureDialogueText(ActorMobile* owner, const char* text);

// Speaks what CapturedText holds with the document voice; nothing for an
// empty buffer.
void SpeakCapturedText();
