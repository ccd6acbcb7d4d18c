#include "plugin/game/menu_pause.h"

#include "plugin/frame/settings.h"
#include "plugin/game/dialogue_camera.h"
#include "plugin/game/game_access.h"
#include "plugin/game/game_layout.h"
#include "plugin/game/game_state.h"
#include "plugin/speech/speak_loop.h"
#include "plugin/speech/speaker_buffer_table.h"

namespace {

// Game thread only.
uint8_t freezeWorld = 1;
uint32_t savedViewMode = 0;
bool viewModeSaved = false;  // a phase was evaluated: savedViewMode is the player's
bool controlsHeld = false;
uint32_t mouseLookWasEnabled = 0;
uint32_t controlsWereEnabled = 0;
uint32_t aiLastRequested = 0;

struct MenuEntry {
  uint16_t id;
  MenuKind kind;
};
constexpr MenuEntry MenuTable[] = {
    {0xFDB2, MenuOptions},   {0xFD31, MenuResting},   {0x80B4, MenuInventory}, {0xFF5A, MenuContainer},
    {0xFF1A, MenuDialogue},  {0xFE95, MenuJournal},   {0xFD1D, MenuDocuments}, {0xFF98, MenuDocuments},
    {0xFE02, MenuMessages},  {0xFC7C, MenuChargen},   {0xFD4F, MenuChargen},   {0xFDC2, MenuChargen},
    {0xFF6B, MenuChargen},   {0xFFA8, MenuChargen},
};

// Bits 1 to 7 of the byte at +0x14 of the object at GameMaster +0xF4.
constexpr uint8_t DialogueFlagBits = 0xFE;

FlagHolder* DialogueFlagHolder() {
  GameMaster* master = GetGameMaster();
  return master ? master->dialogueFlagHolder : nullptr;
}

MenuController* Menus() {
  GameMaster* master = GetGameMaster();
  return master ? master->menuController : nullptr;
}

// The world runs behind this kind of menu: the AI as set, the extra step of
// the kind, the player's controls held.
void LetWorldRun(MenuKind kind) {
  if (Settings.MKeepAi[kind] == 0) SetGameAi(0);
  if (kind == MenuDialogue) {
    if (FlagHolder* holder = DialogueFlagHolder()) holder->flags &= static_cast<uint8_t>(~DialogueFlagBits);
  }
  HoldPlayerControls();
  freezeWorld = 0;
  freezeExtras = 0;
}

void EvaluateMenuPhase() {
  menuPhaseOpen = 1;
  freezeWorld = 1;
  savedViewMode = GetViewState();
  viewModeSaved = true;
  MenuController* menus = Menus();
  MenuKind checks[3];
  const uint16_t id = menus ? menus->menuId : 0;
  const uint32_t count = MenuChecks(id, checks);
  for (uint32_t i = 0; i < count; ++i)
    if (Settings.MPause[checks[i]] == 0) LetWorldRun(checks[i]);
  if (id == DialogueMenuId && Settings.DlgSwitchToFP != 0) RequestViewMode(0);
}

}  // namespace

uint32_t MenuChecks(uint16_t menuId, MenuKind checks[3]) {
  for (const MenuEntry& e : MenuTable) {
    if (e.id != menuId) continue;
    uint32_t n = 0;
    checks[n++] = e.kind;
    // Documents fall back on the messages check, both on character generation.
    if (e.kind == MenuDocuments) checks[n++] = MenuMessages;
    if (e.kind == MenuDocuments || e.kind == MenuMessages) checks[n++] = MenuChargen;
    return n;
  }
  return 0;
}

uint8_t MenuFreezeCheck() {
  if (smoothZoomActive) SmoothZoomStep();
  if (turnActive) CameraTurnStep();
  if (menuPhaseOpen) return lastMenuId == AlwaysFrozenMenuId ? 1 : freezeWorld;
  EvaluateMenuPhase();
  return freezeWorld;
}

void HoldPlayerControls() {
  if (controlsHeld) return;
  // Without a player there is nothing to give back later: not held then, so
  // a player who appears before the release keeps the controls he has.
  if (!GetPlayerMobile()) return;
  mouseLookWasEnabled = SetMouseLookDisabled(true);
  controlsWereEnabled = SetControlsDisabled(true);
  controlsHeld = true;
}

void ReleasePlayerControls() {
  if (!controlsHeld) return;
  SetMouseLookDisabled(mouseLookWasEnabled == 0);
  SetControlsDisabled(controlsWereEnabled == 0);
  controlsHeld = false;
}

uint32_t SetGameAi(uint32_t on) {
  MenuController* menus = Menus();
  if (!menus) return 0;
  const uint32_t flags = menus->flags;
  const uint32_t wasOn = (flags & MenuFlagAiOff) == 0 ? 1 : 0;
  if (wasOn == aiLastRequested) menus->flags = on ? flags & ~MenuFlagAiOff : flags | MenuFlagAiOff;
  aiLastRequested = on ? 1 : 0;
  return wasOn;
}

void ExitMenuMode() {
  // The game may free the dialogue's actors once its menu is gone: no line
  // still waiting for the speak key or for the worker may name one of them.
  DiscardWaitingSpeech();
  if (!menuPhaseOpen) return;
  if (Settings.StopSpkOnClose != 0) StopAllSpeech();
  if (savedFov >= 0) SetCameraFov(savedFov);
  // The game's own start menu was never evaluated: its view is the player's.
  if (viewModeSaved) RequestViewMode(savedViewMode);
  ReleasePlayerControls();
  if (FlagHolder* holder = DialogueFlagHolder()) holder->flags |= DialogueFlagBits;
  SetGameAi(1);
  freezeExtras = 1;
  menuPhaseOpen = 0;
  speechActive = 0;
  smoothZoomActive = 0;
  turnActive = 0;
  CurrentSpeaker = nullptr;
  DialoguePartner = nullptr;
  turnDeltaX = 0;
  turnDeltaY = 0;
  zoomFov = -1;
  targetFov = -1;
  savedFov = -1;
  viewModeSaved = false;
  ResetCameraTurn();
}
