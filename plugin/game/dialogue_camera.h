// Dialogue camera: the zoom toward the partner, and the turn toward the
// partner's neck, fed as mouse movement into the game's own mouse-look code.
// Everything here runs on the game's thread.
#pragma once
#include <cstdint>

struct ActorMobile;

// The game begins a dialogue with `partner` (the game's esi at the place).
void BeginDialogueCamera(ActorMobile* partner);
void ZoomToPartner(ActorMobile* partner);
void AimCameraAtPartner(ActorMobile* partner);

// One frame each, driven by the freeze check while a menu is open.
void SmoothZoomStep();
void CameraTurnStep();

// The turn's own bookkeeping back to where a first dialogue starts: a turn cut
// short by the menu closing must not make the next dialogue's turn skip a part.
void ResetCameraTurn();

// The game's field of view in whole degrees, and setting it on both of the
// game's camera-control objects.  Both do nothing useful without a GameMaster.
int32_t GetCameraFov();
void SetCameraFov(int32_t degrees);

// The game's view-mode routine (+0x142570, this in ECX, no stack arguments)
// called in the menu phase: a first/third person switch keeps the zoomed
// field of view.  Returns the routine's result.
uint32_t __fastcall ChangeViewModeKeepingFov(void* viewObject);

// Pure arithmetic of the zoom and the turn.

// The zoomed field of view for a partner `distance` units away, or -1 when
// the partner is not farther than `zoomDistance`.
int32_t ZoomTargetFov(int32_t distance, int32_t zoomDistance, int32_t fov);

// Whole degrees 0..359 whose (sine, cosine) lies nearest, or -1 (NaN).
int32_t NearestAngle(float sine, float cosine);
// Whole degrees 0..179 whose cosine lies nearest, or -1 (NaN).
int32_t AngleFromCosine(float cosine);

struct AngleGap {
  int32_t diff;  // 0..180
  int32_t dir;   // -1, 0, +1: the way from a to b
};
AngleGap AngleDifference(int32_t a, int32_t b);

// Synthetic mouse movement for a remaining angle: about two thirds of the
// degrees plus one sideways, four thirds plus one up and down; `inverted`
// follows the game's look-inversion byte.
int32_t HorizontalTurnDelta(AngleGap gap);
int32_t VerticalTurnDelta(AngleGap gap, bool inverted);
