#include "game/camera_double.h"

#include <windows.h>

#include <cmath>
#include <cstring>

#include "game/game_double.h"

namespace game_double {
namespace {

constexpr double Pi = 3.14159265358979323846;

alignas(16) uint8_t camera[0x100];
float heading = 0.0f, fromUp = 90.0f;
float headingPerUnit = 1.0f, fromUpPerUnit = 0.5f;

template <typename T>
void Put(uint8_t* object, uint32_t offset, T value) {
  std::memcpy(object + offset, &value, sizeof value);
}

// The forward direction is a true unit vector: its horizontal part shrinks
// as the camera looks up or down, as the game's does.
void WriteForward() {
  const double h = heading * Pi / 180, v = fromUp * Pi / 180;
  Put(camera, 0xDC, static_cast<float>(std::sin(v) * std::sin(h)));
  Put(camera, 0xE0, static_cast<float>(std::sin(v) * std::cos(h)));
  Put(camera, 0xE4, static_cast<float>(std::cos(v)));
}

// Nodes: the game's vtable and position, then the double's own links.
constexpr uint32_t NodeSize = 0x40, NodeName = 0x30, NodeChild = 0x34, NodeSibling = 0x38;
void* nodeVtable[32];

uint8_t* Link(const uint8_t* node, uint32_t at) {
  uint8_t* p;
  std::memcpy(&p, node + at, 4);
  return p;
}

uint8_t* FindBelow(const uint8_t* node, const char* name) {
  for (uint8_t* c = Link(node, NodeChild); c; c = Link(c, NodeSibling)) {
    if (!std::strcmp(reinterpret_cast<const char*>(Link(c, NodeName)), name)) return c;
    if (uint8_t* found = FindBelow(c, name)) return found;
  }
  return nullptr;
}

void* __thiscall FindNodeByName(uint8_t* node, const char* name) { return name ? FindBelow(node, name) : nullptr; }

}  // namespace

void BuildCamera() {
  Put(Objects().gameMaster, 0x134, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(camera)));
  nodeVtable[23] = reinterpret_cast<void*>(&FindNodeByName);
  PlaceCamera(0.0f, 0.0f, 0.0f, 0.0f, 90.0f);
}

uint8_t* Camera() { return camera; }

void PlaceCamera(float x, float y, float z, float h, float v) {
  Put(camera, 0x1C, x);
  Put(camera, 0x20, y);
  Put(camera, 0x24, z);
  heading = h;
  fromUp = v;
  WriteForward();
}

float CameraHeading() { return heading; }
float CameraFromUp() { return fromUp; }

void TurnCamera(int32_t dx, int32_t dy) {
  const bool inverted = *At<uint8_t>(0x3D16DD) != 0;
  heading = std::fmod(heading + dx * headingPerUnit + 360.0f, 360.0f);
  fromUp += dy * fromUpPerUnit * (inverted ? -1.0f : 1.0f);
  if (fromUp < 1.0f) fromUp = 1.0f;
  if (fromUp > 179.0f) fromUp = 179.0f;
  WriteForward();
}

void SetMouseSensitivity(float h, float v) {
  headingPerUnit = h;
  fromUpPerUnit = v;
}

uint8_t* MakeSceneNode(const char* name, float x, float y, float z) {
  auto* node = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, NodeSize));
  Put(node, 0, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(nodeVtable)));
  Put(node, NodeName, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(name)));
  MoveSceneNode(node, x, y, z);
  return node;
}

void AddChildNode(uint8_t* parent, uint8_t* child) {
  Put(child, NodeSibling, Link(parent, NodeChild));
  Put(parent, NodeChild, child);
}

void MoveSceneNode(uint8_t* node, float x, float y, float z) {
  Put(node, 0x1C, x);
  Put(node, 0x20, y);
  Put(node, 0x24, z);
}

}  // namespace game_double
