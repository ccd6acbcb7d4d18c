// What the dialogue camera did, frame by frame: a CSV trace and a picture
// of the camera's yaw, pitch and field of view over the frames.
#pragma once
#include <cstdint>
#include <vector>

struct CameraTraceRow {
  uint32_t frame;
  const char* event;        // what happened at this frame, or ""
  bool menu, frozen;        // menu mode; the freeze check's answer
  float fov, yaw, pitch;    // degrees; yaw clockwise from +y, pitch above level
  int32_t dx, dy;           // mouse movement the game's mouse look consumed
  bool gameAiOff;           // the game's AI switch
  bool partnerAiOff, partnerGroupChanged, partnerLooksAtPlayer;
  uint8_t view;             // 0 first person
  bool extrasSeeMenu;       // compass, shadows, active objects or water saw menu mode
};

bool WriteCameraTrace(const char* path, const std::vector<CameraTraceRow>& rows);
// A PNG: the three curves, the stretches in menu mode shaded, events marked.
bool WriteCameraPlot(const char* path, const std::vector<CameraTraceRow>& rows);
