#include "plugin/game/game_state.h"

#include <windows.h>

#include "plugin/game/dialogue_camera.h"

DialogueState Dialogue;
MenuPhaseState MenuPhase;
JournalState Journal;

void DialogueState::Reset() {
  *this = DialogueState{};
  ResetCameraTurn();
}

void MenuPhaseState::Reset() { *this = MenuPhaseState{}; }

void JournalState::Reset() {
  if (lastText) HeapFree(GetProcessHeap(), 0, lastText);
  *this = JournalState{};
}
