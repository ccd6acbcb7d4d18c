// The game side's state, one record for each thing it belongs to.  Fields
// that the stubs, the game-side handlers and the worker share are plain
// 32-bit values, each written whole; there are no locks, and the stubs reach
// some of them by address.  Each record starts as its initializers say, and
// its Reset() gives that state back: the exit from menu mode, the tests and
// the benches call them rather than clearing fields one by one.
#pragma once
#include <cstdint>

struct ObjectRef;
struct ActorMobile;

// The conversation: whose voice synthesized speech is played through, the
// partner, and the camera's turn and zoom toward it.  The exit from menu
// mode resets it.
struct DialogueState {
  ObjectRef* volatile CurrentSpeaker = nullptr;  // whose voice synthesized speech is played through
  ActorMobile* volatile partner = nullptr;     // the actor of the dialogue that began last
  volatile uint32_t turnActive = 0;
  volatile int32_t turnDeltaX = 0;
  volatile int32_t turnDeltaY = 0;
  volatile uint32_t smoothZoomActive = 0;
  volatile int32_t savedFov = -1; // whole degrees, -1 = none
  volatile int32_t targetFov = -1; // whole degrees, -1 = none
  volatile int32_t zoomFov = -1; // reached so far by the smooth zoom, -1 = none
  void Reset();                // also the camera turn's own progress
};
extern DialogueState Dialogue;

// The menu phase: whether the current one was evaluated, what the world may
// do behind it, and what is held of the player meanwhile.
struct MenuPhaseState {
  volatile uint32_t open = 1; // the current menu phase has been evaluated
  volatile uint32_t freezeExtras = 1;  // 0: compass, shadows, active objects and water see no menu mode
  volatile uint16_t lastMenuId = 0;  // the menu identifier the game wrote last
  // Game thread only.
  uint8_t freezeWorld = 1;
  uint32_t savedViewMode = 0;
  bool viewModeSaved = false;  // a phase was evaluated: savedViewMode is the player's
  bool controlsHeld = false;
  uint32_t mouseLookWasEnabled = 0;
  uint32_t controlsWereEnabled = 0;
  uint32_t aiLastRequested = 0;
  // Until the game leaves menu mode for the first time (it starts in its
  // main menu), every menu behaves as the game itself decides.
  void Reset();
};
extern MenuPhaseState MenuPhase;

// The journal page read aloud last: its checksum, and its text (on the
// process heap, null for none), so that the same page is not read twice.
struct JournalState {
  volatile uint32_t lastChecksum = 0;
  char* lastText = nullptr;
  uint32_t lastLength = 0;
  void Reset();  // frees the text
};
extern JournalState Journal;
