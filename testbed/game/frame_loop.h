// The game's frame update in the double: every place of the menu pause and
// the dialogue camera run as the game's code reaches them, in the order of
// one frame, with the world's answers written down.
#pragma once
#include <cstdint>

namespace game_double {

// What one frame did.
struct Frame {
  bool frozen;              // the freeze check answered "menu mode": nothing below ran but the checks
  bool extrasSeeMenu[4];    // compass, shadows, active objects, water ripples (when the world ran)
  bool partnerAiOff;        // the AI test for the partner
  bool partnerGroupChanged; // the partner's animation group was changed
  bool headTrackingRan;     // head tracking did not see menu mode
  uint32_t partnerLooksAt;  // the looked-at reference the head-tracking routine got
  bool mouseLookRan;
  int32_t mouseDx, mouseDy; // what the mouse-look code consumed
  bool viewSwitched;
  bool hintCalled;          // the inventory hint routine ran
  bool jailChecked;         // the 'GoToJail' routine ran
  bool inventoryControlsDisabled;  // as the inventory's exit sees the player's controls
  float fov;                // GameMaster +0x13C after the frame
  float heading, fromUp;    // the camera after the frame
};

// The actor whose AI, animation and head tracking the frame updates (the
// double's partner unless set), and what its head looks at on its own.
void SetFrameActor(uint8_t* mobile);
inline constexpr uint32_t OwnLookTarget = 0x10C0;

// One frame; the mouse moves by (dx, dy) unless the game's code replaces it.
Frame RunFrame(int32_t mouseDx = 0, int32_t mouseDy = 0);

// The game opens menu `id` (its store of the identifier, +0x195244) and is in
// menu mode; leaves menu mode through its exit routine's call (+0x1951AB).
void OpenMenu(uint16_t id);
void CloseMenu();

// The game starts a dialogue with `mobile` (+0x12935A, the actor in esi).
void StartDialogue(uint8_t* mobile);

}  // namespace game_double
