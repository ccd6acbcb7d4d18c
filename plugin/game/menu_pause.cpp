#include "plugin/game/menu_pause.h"

#include "plugin/frame/settings.h"
#include "plugin/game/dialogue_camera.h"
#include "plugin/game/game_access.h"
#include "plugin/game/game_layout.h"
#include "plugin/game/game_state.h"
#include "plugin/speech/speak_loop.h"
#include "plugin/speech/speaker_buffer_table.h"

namespace {

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
  MenuPhase.freezeWorld = 0;
  MenuPhase.freezeExtras = 0;
}

void EvaluateMenuPhase() {
  MenuPhase.open = 1;
  MenuPhase.freezeWorld = 1;
  MenuPhase.savedViewMode = GetViewState();
  MenuPhase.viewModeSaved = true;
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
  if (Dialogue.smoothZoomActive) SmoothZoomStep();
  if (Dialogue.turnActive) CameraTurnStep();
  if (MenuPhase.open) return MenuPhase.lastMenuId == AlwaysFrozenMenuId ? 1 : MenuPhase.freezeWorld;
  EvaluateMenuPhase();
  return MenuPhase.freezeWorld;
}

void HoldPlayerControls() {
  if (MenuPhase.controlsHeld) return;
  // Without a player there is nothing to give back later: not held then, so
  // a player who appears before the release keeps the controls he has.
  if (!GetPlayerMobile()) return;
  MenuPhase.mouseLookWasEnabled = SetMouseLookDisabled(true);
  MenuPhase.controlsWereEnabled = SetControlsDisabled(true);
  MenuPhase.controlsHeld = true;
}

void ReleasePlayerControls() {
  if (!MenuPhase.controlsHeld) return;
  SetMouseLookDisabled(MenuPhase.mouseLookWasEnabled == 0);
  SetControlsDisabled(MenuPhase.controlsWereEnabled == 0);
  MenuPhase.controlsHeld = false;
}

uint32_t SetGameAi(uint32_t on) {
  MenuController* menus = Menus();
  if (!menus) return 0;
  const uint32_t flags = menus->flags;
  const uint32_t wasOn = (flags & MenuFlagAiOff) == 0 ? 1 : 0;
  if (wasOn == MenuPhase.aiLastRequested) menus->flags = on ? flags & ~MenuFlagAiOff : flags | MenuFlagAiOff;
  MenuPhase.aiLastRequested = on ? 1 : 0;
  return wasOn;
}

void ExitMenuMode() {
  // The game may free the dialogue's actors once its menu is gone: no line
  // still waiting for the speak key or for the worker may name one of them.
  DiscardWaitingSpeech();
  if (!MenuPhase.open) return;
  if (Settings.StopSpkOnClose != 0) StopAllSpeech();
  if (Dialogue.savedFov >= 0) SetCameraFov(Dialogue.savedFov);
  // The game's own start menu was never evaluated: its view is the player's.
  if (MenuPhase.viewModeSaved) RequestViewMode(MenuPhase.savedViewMode);
  ReleasePlayerControls();
  if (FlagHolder* holder = DialogueFlagHolder()) holder->flags |= DialogueFlagBits;
  SetGameAi(1);
  MenuPhase.freezeExtras = 1;
  MenuPhase.open = 0;
  MenuPhase.viewModeSaved = false;
  SpeakLoop.speechActive = 0;
  Dialogue.Reset();
}
