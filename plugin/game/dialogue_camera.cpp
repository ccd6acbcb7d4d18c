#include "plugin/game/dialogue_camera.h"

#include <cmath>

#include "plugin/frame/settings.h"
#include "plugin/game/game_access.h"
#include "plugin/game/game_layout.h"
#include "plugin/game/game_routines.h"
#include "plugin/game/game_state.h"

namespace {

struct SinCos {
  float sine, cosine;
};

bool OppositeSigns(float a, float b) { return (a < 0 && b > 0) || (a > 0 && b < 0); }

int SignIndex(float v) { return v > 0 ? 2 : v < 0 ? 0 : 1; }  // NaN counts as zero

// One entry per whole degree.  The values never change, so the table is made
// once when the library loads instead of at every aim.  The scans skip every
// entry whose sine or cosine has the sign opposite to the value sought; for
// each pair of signs the entries left are listed once, in table order, so a
// scan visits about a quarter of the table and finds what the full scan finds.
struct SinCosTableT {
  SinCos entry[360];
  uint16_t bothSigns[3][3][360];  // [sine sign][cosine sign]: entries 0..359 not skipped
  uint16_t bothCount[3][3];
  uint16_t cosineSign[3][180];    // entries 0..179 whose cosine is not skipped
  uint16_t cosineCount[3];
  SinCosTableT() : bothCount{}, cosineCount{} {
    for (int i = 0; i < 360; ++i) {
      const double r = i * 3.14159265358979323846 / 180.0;
      entry[i] = {static_cast<float>(std::sin(r)), static_cast<float>(std::cos(r))};
    }
    const float probe[3] = {-1.0f, 0.0f, 1.0f};
    for (int s = 0; s < 3; ++s)
      for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 360; ++i)
          if (!OppositeSigns(entry[i].sine, probe[s]) && !OppositeSigns(entry[i].cosine, probe[c]))
            bothSigns[s][c][bothCount[s][c]++] = static_cast<uint16_t>(i);
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < 180; ++i)
        if (!OppositeSigns(entry[i].cosine, probe[c])) cosineSign[c][cosineCount[c]++] = static_cast<uint16_t>(i);
  }
};
const SinCosTableT SinCosTable;

// The turn's state: game thread only.
SceneNode* aimNode = nullptr;
SinCos targetYaw = {0.0f, 0.0f};
int32_t targetPitch = 0;
bool yawPending = true;
bool pitchPending = true;
int32_t lastYawDifference = 180;
int32_t lastPitchDifference = 180;

// The player's reference when the partner is someone else and both exist;
// the dialogue camera has nothing to do otherwise.
ObjectRef* PartnerRef(ActorMobile* partner, ObjectRef** player) {
  ObjectRef* ref = partner ? partner->ref : nullptr;
  *player = GetPlayerRef();
  return ref && ref != *player ? ref : nullptr;
}

float ScaledHeight(ObjectRef* ref) {
  const ObjectRecord* record = ref->record;
  if (!record || !record->heightHolder) return 0.0f;
  return GetRefScale(ref) * record->heightHolder->height;
}

void DirectionTo(float dx, float dy) {
  const float h = std::sqrt(dx * dx + dy * dy);
  if (h != 0.0f) targetYaw = {dx / h, dy / h};
}

}  // namespace

// The partner is held in its talking pose and becomes the actor whose voice
// the worker plays; a dialogue the player opens with itself changes nothing.
void BeginDialogueCamera(ActorMobile* partner) {
  if (!partner) return;
  if (partner->ref != GetPlayerRef()) {
    partner->partnerWord36C = 4;
    partner->partnerByteDC = 0;
    Dialogue.partner = partner;
    Dialogue.CurrentSpeaker = partner->ref;
  }
  if (Settings.DlgEnableZoom != 0) {
    ZoomToPartner(partner);
    AimCameraAtPartner(partner);
  }
}

int32_t ZoomTargetFov(int32_t distance, int32_t zoomDistance, int32_t fov) {
  if (distance <= 0 || distance <= zoomDistance) return -1;
  const int32_t factor = (zoomDistance > 0 ? zoomDistance : 0) * 100 / distance;
  const int32_t target = factor * fov / 100;
  return target > 0 ? target : 1;
}

void ZoomToPartner(ActorMobile* partner) {
  ObjectRef* player;
  ObjectRef* ref = PartnerRef(partner, &player);
  if (!ref || !player) return;
  const int32_t distance = RefDistance(player, ref);
  // A second dialogue in the same menu stay finds the camera zoomed by the
  // first: the player's own field of view is the one saved then, and the one
  // the exit must give back.
  const int32_t current = GetCameraFov();
  if (Dialogue.savedFov < 0) Dialogue.savedFov = current;
  const int32_t target = ZoomTargetFov(distance, Settings.ZoomDistNPC, Dialogue.savedFov);
  if (Dialogue.savedFov < 0 || target < 0) return;
  Dialogue.targetFov = target;
  Dialogue.zoomFov = current >= 0 ? current : Dialogue.savedFov;
  if (Settings.SmoothZooming == 0)
    SetCameraFov(target);
  else
    Dialogue.smoothZoomActive = 1;
}

void SmoothZoomStep() {
  if (Dialogue.zoomFov > Dialogue.targetFov) {
    Dialogue.zoomFov = Dialogue.zoomFov - 1;
    SetCameraFov(Dialogue.zoomFov);
  } else {
    Dialogue.smoothZoomActive = 0;
  }
}

void AimCameraAtPartner(ActorMobile* partner) {
  ObjectRef* player;
  ObjectRef* ref = PartnerRef(partner, &player);
  const GameCamera* camera = GetGameCamera();
  // Without a player no freeze check runs to end the turn.
  if (!ref || !player || !camera) return;
  const float height = ScaledHeight(ref);

  float aimX = ref->x, aimY = ref->y, aimZ;
  SceneNode* neck = FindSceneNode(ref, "Neck");
  SceneNode* head = FindSceneNode(ref, "Head");
  if (neck || head) {
    // With both nodes the aim lies a head-to-neck length below the neck.
    aimNode = neck ? neck : head;
    const float offset = neck && head ? head->z - neck->z : 0.0f;
    aimZ = aimNode->z - offset;
  } else {
    neck = FindSceneNode(ref, "Bip01 Neck");
    head = FindSceneNode(ref, "Bip01 Head");
    if (neck || head) {
      aimNode = neck ? neck : head;
      aimZ = aimNode->z + ((ref->z + height) - aimNode->z) / 2.0f;
    } else {
      aimNode = nullptr;
      const float third = height / 3.0f;
      aimZ = ref->z + third * 2.0f + third / 2.0f;
    }
  }
  if (aimNode) aimX = aimNode->x, aimY = aimNode->y;

  const float dx = aimX - camera->x, dy = aimY - camera->y, dz = aimZ - camera->z;
  const float h = std::sqrt(dx * dx + dy * dy);
  targetYaw = h != 0.0f ? SinCos{dx / h, dy / h} : SinCos{0.0f, 0.0f};
  const float l = std::sqrt(dx * dx + dy * dy + dz * dz);
  targetPitch = AngleFromCosine(l != 0.0f ? dz / l : 0.0f);
  Dialogue.turnDeltaX = 0;
  Dialogue.turnDeltaY = 0;
  Dialogue.turnActive = 1;
}

void CameraTurnStep() {
  const GameCamera* camera = GetGameCamera();
  if (!camera) {  // nothing to turn: the game's mouse look goes back to the player
    Dialogue.turnDeltaX = 0;
    Dialogue.turnDeltaY = 0;
  }
  if (camera && yawPending) {
    if (aimNode) {
      DirectionTo(aimNode->x - camera->x, aimNode->y - camera->y);
    } else if (ObjectRef* speaker = Dialogue.CurrentSpeaker) {
      DirectionTo(speaker->x - camera->x, speaker->y - camera->y);
    }
    const int32_t a = NearestAngle(camera->forwardX, camera->forwardY);
    const int32_t b = NearestAngle(targetYaw.sine, targetYaw.cosine);
    const AngleGap gap = AngleDifference(a, b);
    if (a >= 0 && b >= 0 && a != b && gap.diff < 2 * lastYawDifference) {
      lastYawDifference = gap.diff;
      Dialogue.turnDeltaX = HorizontalTurnDelta(gap);
    } else {
      Dialogue.turnDeltaX = 0;
      yawPending = false;
    }
  }
  if (camera && pitchPending) {
    const int32_t a = AngleFromCosine(camera->forwardZ);
    const int32_t b = targetPitch;
    const AngleGap gap = AngleDifference(a, b);
    if (a >= 0 && b >= 0 && a != b && gap.diff < 2 * lastPitchDifference) {
      lastPitchDifference = gap.diff;
      Dialogue.turnDeltaY = VerticalTurnDelta(gap, *reinterpret_cast<const uint8_t*>(GameBase + game_offsets::LookInversion) != 0);
    } else {
      Dialogue.turnDeltaY = 0;
      pitchPending = false;
    }
  }
  if (Dialogue.turnDeltaX == 0 && Dialogue.turnDeltaY == 0) {
    Dialogue.turnActive = 0;
    ResetCameraTurn();
  }
}

void ResetCameraTurn() {
  yawPending = true;
  pitchPending = true;
  lastYawDifference = 180;
  lastPitchDifference = 180;
}

int32_t NearestAngle(float sine, float cosine) {
  int32_t best = -1;
  float bestSine = 100.0f, bestCosine = 100.0f;
  const int s = SignIndex(sine), c = SignIndex(cosine);
  const uint16_t* index = SinCosTable.bothSigns[s][c];
  for (uint32_t k = 0, n = SinCosTable.bothCount[s][c]; k < n; ++k) {
    const int32_t i = index[k];
    const SinCos& t = SinCosTable.entry[i];
    const float ds = std::fabs(t.sine - sine), dc = std::fabs(t.cosine - cosine);
    if (ds < bestSine && dc < bestCosine) {
      best = i;
      bestSine = ds;
      bestCosine = dc;
    }
  }
  return best;
}

int32_t AngleFromCosine(float cosine) {
  int32_t best = -1;
  float bestDistance = 100.0f;
  const int c = SignIndex(cosine);
  for (uint32_t k = 0, n = SinCosTable.cosineCount[c]; k < n; ++k) {
    const int32_t i = SinCosTable.cosineSign[c][k];
    const float tc = SinCosTable.entry[i].cosine;
    const float d = std::fabs(tc - cosine);
    if (d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return best;
}

AngleGap AngleDifference(int32_t a, int32_t b) {
  int32_t diff = a > b ? a - b : b - a;
  if (diff > 180) return {360 - diff, a >= b ? 1 : -1};
  return {diff, diff == 0 ? 0 : a < b ? 1 : -1};
}

int32_t HorizontalTurnDelta(AngleGap gap) { return ((gap.diff * 100 / 180) * 120 / 100 + 1) * gap.dir; }

int32_t VerticalTurnDelta(AngleGap gap, bool inverted) {
  return ((gap.diff * 100 / 90) * 120 / 100 + 1) * gap.dir * (inverted ? -1 : 1);
}

int32_t GetCameraFov() {
  const GameMaster* master = GetGameMaster();
  if (!master) return -1;
  return static_cast<int32_t>(std::lround(master->cameraControl.fieldOfView));
}

void SetCameraFov(int32_t degrees) {
  GameMaster* master = GetGameMaster();
  if (!master) return;
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
