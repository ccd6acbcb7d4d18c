#include "plugin/game/game_access.h"

#include <cmath>

#include "plugin/frame/plugin_state.h"
#include "plugin/game/game_routines.h"

GameAllocatorFn GameAllocator;

GameMaster* GetGameMaster() {
  return *reinterpret_cast<GameMaster**>(GameBase + game_offsets::GameMasterHolder);
}

GameCamera* GetGameCamera() {
  GameMaster* master = GetGameMaster();
  return master ? master->cameraControl.camera : nullptr;
}

SoundManager* GetSoundManager() {
  return *reinterpret_cast<SoundManager**>(GameBase + game_offsets::SoundManagerHolder);
}

ActorMobile* GetPlayerMobile() {
  PlayerList* list = GetGameMaster()->playerList;
  return list ? *list->playerSlot : nullptr;
}

ObjectRef* GetPlayerRef() {
  ActorMobile* player = GetPlayerMobile();
  return player ? player->ref : nullptr;
}

ObjectRecord* GetRecord(ObjectRef* ref) { return ref->record; }

bool IsCreatureRecord(const ObjectRecord* record) { return record->typeTag == CreatureTypeTag; }

bool IsFemaleRecord(const ObjectRecord* record) { return (record->actorData->flags & 1) != 0; }

void GetActorTexts(const ObjectRecord* record, const char** name, const char** secondText) {
  const ActorData* data = record->actorData;
  *name = data ? data->name : nullptr;
  *secondText = data ? data->secondText : nullptr;
}

const char* GetRaceId(ObjectRef* ref) { return ref->record->actorData->race->id; }

void GetRefPosition(const ObjectRef* ref, float* x, float* y, float* z) {
  if (x) *x = ref->x;
  if (y) *y = ref->y;
  if (z) *z = ref->z;
}

float GetRefScale(ObjectRef* ref) {
  if (!ref) return 0.0f;
  return reinterpret_cast<game::RefScaleFn>(ref->vtable[game::RefScaleSlot])(ref);
}

float GetHeightValue(ObjectRef* ref) { return ref->record->heightHolder->height; }

SceneNode* FindSceneNode(ObjectRef* ref, const char* name) {
  SceneNode* root = ref->rootNode;
  if (!root) return nullptr;
  return reinterpret_cast<game::FindNodeFn>(root->vtable[game::FindNodeSlot])(root, name);
}

int32_t RefDistance(const ObjectRef* a, const ObjectRef* b) {
  const double dx = a->x - b->x, dy = a->y - b->y, dz = a->z - b->z;
  return static_cast<int32_t>(std::lround(std::sqrt(dx * dx + dy * dy + dz * dz)));
}

uint16_t GetMenuId() { return GetGameMaster()->menuController->menuId; }

uint8_t GetViewState() {
  ActorMobile* player = GetPlayerMobile();
  if (!player || !player->viewController) return 0;
  return player->viewController->viewState;
}

void RequestViewMode(uint32_t viewState) {
  ActorMobile* player = GetPlayerMobile();
  if (!player || !player->viewController) return;
  if (player->viewController->viewState != viewState) player->viewController->switchRequest = 1;
}

namespace {
uint32_t SetPlayerByte(uint8_t ActorMobile::*field, bool disabled) {
  ActorMobile* player = GetPlayerMobile();
  if (!player) return 0;
  const uint32_t wasEnabled = player->*field == 0;
  player->*field = disabled ? 1 : 0;
  return wasEnabled;
}
}  // namespace

uint32_t SetMouseLookDisabled(bool disabled) { return SetPlayerByte(&ActorMobile::mouseLookDisabled, disabled); }
uint32_t SetControlsDisabled(bool disabled) { return SetPlayerByte(&ActorMobile::controlsDisabled, disabled); }
