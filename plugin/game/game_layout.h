// The game's objects as the plug-in sees them.  The game owns every one of
// them: nothing here is constructed, copied or freed by the plug-in.  Each
// member carries its offset; space the plug-in does not use is padding, and
// a wrong offset fails the build.
#pragma once
#include <cstddef>
#include <cstdint>

#define GAME_OBJECT(Name)            \
  Name() = delete;                   \
  Name(const Name&) = delete;        \
  Name& operator=(const Name&) = delete

struct SceneNode;
struct GameCamera;
struct ObjectRecord;
struct ActorData;
struct RaceRecord;
struct ObjectRef;

struct SceneNode {
  GAME_OBJECT(SceneNode);
  void** vtable;                     // +0x00; slot 23: find node below by name
  uint8_t pad04[0x1C - 0x04];
  float x;                           // +0x1C
  float y;                           // +0x20
  float z;                           // +0x24
};
static_assert(offsetof(SceneNode, vtable) == 0x00);
static_assert(offsetof(SceneNode, x) == 0x1C);
static_assert(offsetof(SceneNode, y) == 0x20);
static_assert(offsetof(SceneNode, z) == 0x24);

struct GameCamera {
  GAME_OBJECT(GameCamera);
  uint8_t pad00[0x1C];
  float x;                           // +0x1C
  float y;                           // +0x20
  float z;                           // +0x24
  uint8_t pad28[0xDC - 0x28];
  float forwardX;                    // +0xDC  sine of the heading
  float forwardY;                    // +0xE0  cosine of the heading
  float forwardZ;                    // +0xE4  cosine of the angle from straight up
};
static_assert(offsetof(GameCamera, x) == 0x1C);
static_assert(offsetof(GameCamera, y) == 0x20);
static_assert(offsetof(GameCamera, z) == 0x24);
static_assert(offsetof(GameCamera, forwardX) == 0xDC);
static_assert(offsetof(GameCamera, forwardY) == 0xE0);
static_assert(offsetof(GameCamera, forwardZ) == 0xE4);

struct RaceRecord {
  GAME_OBJECT(RaceRecord);
  uint8_t pad00[0x10];
  char id[1];                        // +0x10  zero-terminated, stored in the record
};
static_assert(offsetof(RaceRecord, id) == 0x10);

struct ActorData {
  GAME_OBJECT(ActorData);
  uint8_t pad00[0x2C];
  const char* secondText;            // +0x2C  logged in brackets after the name
  uint8_t pad30[0x34 - 0x30];
  uint32_t flags;                    // +0x34  bit 0: female
  uint8_t pad38[0x70 - 0x38];
  const char* name;                  // +0x70
  uint8_t pad74[0xB0 - 0x74];
  RaceRecord* race;                  // +0xB0
};
static_assert(offsetof(ActorData, secondText) == 0x2C);
static_assert(offsetof(ActorData, flags) == 0x34);
static_assert(offsetof(ActorData, name) == 0x70);
static_assert(offsetof(ActorData, race) == 0xB0);

struct HeightHolder {
  GAME_OBJECT(HeightHolder);
  uint8_t pad00[0x14];
  float height;                      // +0x14
};
static_assert(offsetof(HeightHolder, height) == 0x14);

struct ObjectRecord {
  GAME_OBJECT(ObjectRecord);
  uint8_t pad00[0x04];
  uint32_t typeTag;                  // +0x04  "CREA" for a creature
  uint8_t pad08[0x18 - 0x08];
  ObjectRef* owner;                  // +0x18  the speaker of a dialogue text
  uint8_t pad1C[0x28 - 0x1C];
  HeightHolder* heightHolder;        // +0x28
  uint8_t pad2C[0x6C - 0x2C];
  ActorData* actorData;              // +0x6C  or null
};
static_assert(offsetof(ObjectRecord, typeTag) == 0x04);
static_assert(offsetof(ObjectRecord, owner) == 0x18);
static_assert(offsetof(ObjectRecord, heightHolder) == 0x28);
static_assert(offsetof(ObjectRecord, actorData) == 0x6C);
inline constexpr uint32_t CreatureTypeTag = 0x41455243;  // "CREA" in memory order

struct ObjectRef {
  GAME_OBJECT(ObjectRef);
  void** vtable;                     // +0x00; slot 72: scale (float, x87)
  uint8_t pad04[0x10 - 0x04];
  SceneNode* rootNode;               // +0x10  or null
  uint8_t pad14[0x28 - 0x14];
  ObjectRecord* record;              // +0x28
  uint8_t pad2C[0x38 - 0x2C];
  float x;                           // +0x38
  float y;                           // +0x3C
  float z;                           // +0x40  up
};
static_assert(offsetof(ObjectRef, vtable) == 0x00);
static_assert(offsetof(ObjectRef, rootNode) == 0x10);
static_assert(offsetof(ObjectRef, record) == 0x28);
static_assert(offsetof(ObjectRef, x) == 0x38);
static_assert(offsetof(ObjectRef, y) == 0x3C);
static_assert(offsetof(ObjectRef, z) == 0x40);

struct ViewController {
  GAME_OBJECT(ViewController);
  uint8_t pad00[0xE8];
  uint8_t viewState;                 // +0xE8  0 = first person
  uint8_t switchRequest;             // +0xE9  1 asks the game to switch
};
static_assert(offsetof(ViewController, viewState) == 0xE8);
static_assert(offsetof(ViewController, switchRequest) == 0xE9);

struct ActorMobile {
  GAME_OBJECT(ActorMobile);
  uint8_t pad00[0x14];
  ObjectRef* ref;                    // +0x14
  uint8_t pad18[0xDC - 0x18];
  uint8_t partnerByteDC;             // +0xDC  0 for the partner at dialogue begin
  uint8_t padDD[0xEC - 0xDD];
  uint32_t aiStateEC;                // +0xEC  tested for the partner by the AI hook
  uint8_t padF0[0x244 - 0xF0];
  ViewController* viewController;    // +0x244 player only, or null
  uint8_t pad248[0x36C - 0x248];
  uint16_t partnerWord36C;           // +0x36C 4 for the partner at dialogue begin
  uint8_t pad36E[0x5B0 - 0x36E];
  uint8_t controlsDisabled;          // +0x5B0
  uint8_t pad5B1;
  uint8_t mouseLookDisabled;         // +0x5B2
};
static_assert(offsetof(ActorMobile, ref) == 0x14);
static_assert(offsetof(ActorMobile, partnerByteDC) == 0xDC);
static_assert(offsetof(ActorMobile, aiStateEC) == 0xEC);
static_assert(offsetof(ActorMobile, viewController) == 0x244);
static_assert(offsetof(ActorMobile, partnerWord36C) == 0x36C);
static_assert(offsetof(ActorMobile, controlsDisabled) == 0x5B0);
static_assert(offsetof(ActorMobile, mouseLookDisabled) == 0x5B2);

struct MenuController {
  GAME_OBJECT(MenuController);
  uint8_t pad00[0x24];
  uint32_t flags;                    // +0x24  bit 3: AI off
  uint8_t pad28[0x3C - 0x28];
  uint16_t menuId;                   // +0x3C
};
static_assert(offsetof(MenuController, flags) == 0x24);
static_assert(offsetof(MenuController, menuId) == 0x3C);
inline constexpr uint32_t MenuFlagAiOff = 8;

struct PlayerList {
  GAME_OBJECT(PlayerList);
  uint8_t pad00[0x24];
  ActorMobile** playerSlot;          // +0x24
};
static_assert(offsetof(PlayerList, playerSlot) == 0x24);

struct FlagHolder {
  GAME_OBJECT(FlagHolder);
  uint8_t pad00[0x14];
  uint8_t flags;                     // +0x14  changed in the dialogue menu
};
static_assert(offsetof(FlagHolder, flags) == 0x14);

// Embedded camera-control object; the game's set-field-of-view routine takes
// its address in ECX.
struct CameraControl {
  GAME_OBJECT(CameraControl);
  GameCamera* camera;                // +0x00
  uint8_t pad04[0x08 - 0x04];
  float fieldOfView;                 // +0x08  degrees
};
static_assert(offsetof(CameraControl, camera) == 0x00);
static_assert(offsetof(CameraControl, fieldOfView) == 0x08);

struct GameMaster {
  GAME_OBJECT(GameMaster);
  uint8_t pad00[0x34];
  uint8_t volumeControl[4];          // +0x34  embedded; the voice-volume query's this
  uint8_t pad38[0x5C - 0x38];
  PlayerList* playerList;            // +0x5C  or null
  uint8_t pad60[0xD6 - 0x60];
  uint8_t menuMode;                  // +0xD6
  uint8_t padD7[0xF4 - 0xD7];
  FlagHolder* dialogueFlagHolder;    // +0xF4  or null
  uint8_t padF8[0x134 - 0xF8];
  CameraControl cameraControl;       // +0x134 (its field of view at +0x13C)
  uint8_t pad140[0x2C0 - 0x140];
  CameraControl secondCameraControl; // +0x2C0
  uint8_t pad2CC[0x2E4 - 0x2CC];
  MenuController* menuController;    // +0x2E4
};
static_assert(offsetof(GameMaster, volumeControl) == 0x34);
static_assert(offsetof(GameMaster, playerList) == 0x5C);
static_assert(offsetof(GameMaster, menuMode) == 0xD6);
static_assert(offsetof(GameMaster, dialogueFlagHolder) == 0xF4);
static_assert(offsetof(GameMaster, cameraControl) == 0x134);
static_assert(offsetof(GameMaster, cameraControl) + offsetof(CameraControl, fieldOfView) == 0x13C);
static_assert(offsetof(GameMaster, secondCameraControl) == 0x2C0);
static_assert(offsetof(GameMaster, menuController) == 0x2E4);

struct IDirectSound;

// The game's sound manager (held at GameBase + 0x3C67E0): its say routine
// plays a voice file for an actor, its loader builds the voice-sound record.
struct SoundManager {
  GAME_OBJECT(SoundManager);
  uint8_t pad00[0x04];
  uint8_t flags04;                   // +0x04  bit 2: voice buffers defer their location
  uint8_t pad05[0x0C - 0x05];
  IDirectSound* directSound;         // +0x0C  the game's DirectSound
  uint8_t pad10[0x18 - 0x10];
  uint8_t mode18;                    // +0x18  above 1: 3D sound
  uint8_t pad19[0x2A8 - 0x19];
  uint8_t noVoices;                  // +0x2A8 non-zero: the loader makes no record
};
static_assert(offsetof(SoundManager, flags04) == 0x04);
static_assert(offsetof(SoundManager, directSound) == 0x0C);
static_assert(offsetof(SoundManager, mode18) == 0x18);
static_assert(offsetof(SoundManager, noVoices) == 0x2A8);

#undef GAME_OBJECT
