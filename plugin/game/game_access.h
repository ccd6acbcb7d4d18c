// Reading and writing the game's objects, on the game's thread inside hook
// handlers.  Only the checks named here are made; every other link is taken
// to be present while the hooks run.
#pragma once
#include <cstdint>

#include "plugin/game/game_layout.h"

GameMaster* GetGameMaster();
GameCamera* GetGameCamera();     // null without GameMaster or camera
SoundManager* GetSoundManager();  // null before the game made it
ActorMobile* GetPlayerMobile();   // null without a player list
ObjectRef* GetPlayerRef();        // null without a player
ObjectRecord* GetRecord(ObjectRef* ref);
bool IsCreatureRecord(const ObjectRecord* record);
bool IsFemaleRecord(const ObjectRecord* record);
// Name and bracketed text; both null when the record has no ActorData.
void GetActorTexts(const ObjectRecord* record, const char** name, const char** secondText);
const char* GetRaceId(ObjectRef* ref);
// Each output may be null.
void GetRefPosition(const ObjectRef* ref, float* x, float* y, float* z);
float GetRefScale(ObjectRef* ref);   // 0.0 for a null ref
float GetHeightValue(ObjectRef* ref);
SceneNode* FindSceneNode(ObjectRef* ref, const char* name);  // null without a model
int32_t RefDistance(const ObjectRef* a, const ObjectRef* b);
uint16_t GetMenuId();
uint8_t GetViewState();              // 0 without player or view controller
void RequestViewMode(uint32_t viewState);
// 1 when it was enabled before, 0 without a player (then nothing is written).
uint32_t SetMouseLookDisabled(bool disabled);
uint32_t SetControlsDisabled(bool disabled);
