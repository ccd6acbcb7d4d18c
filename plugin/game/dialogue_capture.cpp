#include "plugin/game/dialogue_capture.h"

void CaptureDialogueText(ActorMobile*, const char*) {}

void SpeakCapturedText() {}
