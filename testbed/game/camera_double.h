// The double's camera and models: the GameCamera the game's mouse-look code
// turns (reached through GameMaster +0x134), and scene nodes that a
// reference's root node finds by name.
#pragma once
#include <cstdint>

namespace game_double {

// Called once by BuildGameImage: the camera hangs below GameMaster +0x134.
void BuildCamera();
uint8_t* Camera();

// Places the camera; the heading is measured from +y toward +x (forward x is
// its sine, y its cosine), `fromUp` is the angle from straight up.
void PlaceCamera(float x, float y, float z, float heading, float fromUp);
float CameraHeading();  // 0..360
float CameraFromUp();   // 1..179

// What the game's mouse-look code does with one frame's mouse movement:
// degrees per unit sideways and up and down (the game's sensitivity), the
// vertical one negated under the look-inversion byte (+0x3D16DD).
void TurnCamera(int32_t dx, int32_t dy);
void SetMouseSensitivity(float headingPerUnit, float fromUpPerUnit);

// A scene node of the game's layout (position at +0x1C) whose virtual slot 23
// finds a node of a given name anywhere below it.  Nodes live for the process.
uint8_t* MakeSceneNode(const char* name, float x, float y, float z);
void AddChildNode(uint8_t* parent, uint8_t* child);
void MoveSceneNode(uint8_t* node, float x, float y, float z);

}  // namespace game_double
