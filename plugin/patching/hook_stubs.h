// The routines the patched places lead to.  They are entered by the game's
// own call (E8 places) or called by the game as a registered callback (68
// places) and are not C++ functions: take their address, never call them.
#pragma once

extern "C" {
void StubMouseLookCheck();       // 1
void StubVerticalDelta();        // 2
void StubHorizontalDelta();      // 3
void StubGoToJailGate();         // 4
void StubDialogueBegin();        // 5
void StubViewModeChange();       // 6
void StubAiStateCheck();         // 7
void StubAnimationGroup();       // 8
void StubHeadTracking();         // 9
void StubSendTextLine();         // 12, 14
void StubDialogueText();         // 16
void StubExitMenuMode();         // 17
void StubMenuFreeze();           // 18
void StubDocumentOpenClose();    // 19
void StubLastMenuId();           // 20
void StubFreezeExtrasEax();      // 22, 24, 25
void StubFreezeExtrasEsi();      // 23
void StubHeadTrackingInMenu();   // 26
void StubInventoryExit();        // 27
void StubInventoryHintGate();    // 28
void StubVoicePitchGate();       // 29
}
