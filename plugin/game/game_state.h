// Flags and values that the stubs, the game-side handlers and the worker share.
// Each is a plain 32-bit value written whole; there are no locks.
#pragma once
#include <cstdint>

struct ObjectRef;
struct ActorMobile;

// Dialogue and speech.
extern ObjectRef* volatile CurrentSpeaker;    // whose voice synthesized speech is played through
extern ActorMobile* volatile DialoguePartner; // the actor of the dialogue that began last
extern volatile uint32_t speechActive;        // the worker polls the key chords while set

// Menu mode.
extern volatile uint32_t menuPhaseOpen;  // the current menu phase has been evaluated
extern volatile uint32_t freezeExtras;   // 0: compass, shadows, active objects and water see no menu mode
extern volatile uint16_t lastMenuId;     // the menu identifier the game wrote last

// Dialogue camera.
extern volatile uint32_t turnActive;
extern volatile int32_t turnDeltaX;
extern volatile int32_t turnDeltaY;
extern volatile uint32_t smoothZoomActive;
extern volatile int32_t savedFov;   // whole degrees, -1 = none
extern volatile int32_t targetFov;  // whole degrees, -1 = none
extern volatile int32_t zoomFov;    // reached so far by the smooth zoom, -1 = none

// Journal pages.
extern volatile uint32_t lastJournalChecksum;
