// Dialogue camera and the field of view.
#pragma once
#include <cstdint>

struct ActorMobile;

// The game begins a dialogue with `partner` (the game's esi at the place).
void BeginDialogueCamera(ActorMobile* partner);

// The game's field of view in whole degrees, and setting it on both of the
// game's camera-control objects.
int32_t GetCameraFov();
void SetCameraFov(int32_t degrees);

// The game's view-mode routine (+0x142570, this in ECX, no stack arguments)
// called in the menu phase: a first/third person switch keeps the zoomed
// field of view.  Returns the routine's result.
uint32_t __fastcall ChangeViewModeKeepingFov(void* viewObject);
