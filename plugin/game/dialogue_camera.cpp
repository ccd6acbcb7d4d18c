#include "plugin/game/dialogue_camera.h"

#include <cmath>

#include "plugin/game/game_access.h"
#include "plugin/game/game_layout.h"
#include "plugin/game/game_routines.h"
#include "plugin/game/game_state.h"

// The partner is held in its talking pose and becomes the actor whose voice
// the worker plays; a dialogue the player opens with itself changes nothing.
// The zoom and the aim are left out for now.
void BeginDialogueCamera(ActorMobile* partner) {
  if (!partner || partner->ref == GetPlayerRef()) return;
  partner->partnerWord36C = 4;
  partner->partnerByteDC = 0;
  DialoguePartner = partner;
  CurrentSpeaker = partner->ref;
}

int32_t GetCameraFov() {
  return static_cast<int32_t>(std::lround(GetGameMaster()->cameraControl.fieldOfView));
}

void SetCameraFov(int32_t degrees) {
  GameMaster* master = GetGameMaster();
  const float value = static_cast<float>(degrees);
  game::SetFieldOfView()(&master->secondCameraControl, value);
  game::SetFieldOfView()(&master->cameraControl, value);
}

uint32_t __fastcall ChangeViewModeKeepingFov(void* viewObject) {
  using ViewModeRoutine = uint32_t(__thiscall*)(void*);
  const int32_t before = GetCameraFov();
  const uint32_t result = game::At<ViewModeRoutine>(game_offsets::ViewModeChange)(viewObject);
  if (GetCameraFov() != before) SetCameraFov(before);
  return result;
}
