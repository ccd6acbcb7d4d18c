#include "plugin/game/dialogue_camera.h"

#include <cmath>

#include "plugin/game/game_access.h"
#include "plugin/game/game_routines.h"

void BeginDialogueCamera(ActorMobile*) {}

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
