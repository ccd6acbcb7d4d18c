#include "plugin/game/game_state.h"

ObjectRef* volatile CurrentSpeaker = nullptr;
ActorMobile* volatile DialoguePartner = nullptr;
volatile uint32_t speechActive = 0;

// Until the game leaves menu mode for the first time (it starts in its main
// menu), every menu behaves as the game itself decides.
volatile uint32_t menuPhaseOpen = 1;
volatile uint32_t freezeExtras = 1;
volatile uint16_t lastMenuId = 0;

volatile uint32_t turnActive = 0;
volatile int32_t turnDeltaX = 0;
volatile int32_t turnDeltaY = 0;
volatile uint32_t smoothZoomActive = 0;
volatile int32_t savedFov = -1;
volatile int32_t targetFov = -1;
volatile int32_t zoomFov = -1;

volatile uint32_t lastJournalChecksum = 0;
