// The accessors over the game double's objects.
#include <gtest/gtest.h>

#include <cstring>

#include "game/game_double.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/game/game_access.h"

namespace {

template <typename T>
void Put(uint8_t* object, uint32_t offset, T value) {
  std::memcpy(object + offset, &value, sizeof value);
}

class GameAccess : public testing::Test {
 protected:
  void SetUp() override {
    game_double::BuildGameImage();
    GameBase = game_double::Base();
    game_double::SetPlayerPresent(true);
  }
  void TearDown() override { game_double::SetPlayerPresent(true); }
  game_double::World& w = game_double::Objects();
};

TEST_F(GameAccess, PlayerThroughThePlayerList) {
  EXPECT_EQ(reinterpret_cast<uint8_t*>(GetPlayerMobile()), w.playerMobile);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(GetPlayerRef()), w.playerRef);
  Put<uint8_t>(w.playerMobile, 0x5B2, 0);
  EXPECT_EQ(SetMouseLookDisabled(true), 1u);
  EXPECT_EQ(w.playerMobile[0x5B2], 1);
  EXPECT_EQ(SetMouseLookDisabled(false), 0u);
  EXPECT_EQ(w.playerMobile[0x5B2], 0);
}

TEST_F(GameAccess, WithoutAPlayerNothingIsWritten) {
  game_double::SetPlayerPresent(false);
  EXPECT_EQ(GetPlayerMobile(), nullptr);
  EXPECT_EQ(GetPlayerRef(), nullptr);
  Put<uint8_t>(w.playerMobile, 0x5B0, 0);
  EXPECT_EQ(SetControlsDisabled(true), 0u);
  EXPECT_EQ(w.playerMobile[0x5B0], 0);
  EXPECT_EQ(GetViewState(), 0);
  RequestViewMode(1);  // no player: nothing to ask
}

TEST_F(GameAccess, ViewModeRequestOnlyWhenItDiffers) {
  Put<uint8_t>(w.viewController, 0xE8, 0);
  Put<uint8_t>(w.viewController, 0xE9, 0);
  RequestViewMode(0);
  EXPECT_EQ(w.viewController[0xE9], 0);
  RequestViewMode(1);
  EXPECT_EQ(w.viewController[0xE9], 1);
}

TEST_F(GameAccess, RecordsAndReferences) {
  uint8_t record[0x80] = {}, data[0xC0] = {};
  Put(record, 0x6C, reinterpret_cast<uintptr_t>(data));
  Put(data, 0x34, 1u);  // female flag...
  Put(record, 0x04, 0x41455243u);
  auto* r = reinterpret_cast<ObjectRecord*>(record);
  EXPECT_TRUE(IsCreatureRecord(r));  // ...but "CREA" decides
  EXPECT_TRUE(IsFemaleRecord(r));
  const char *name = "x", *second = "y";
  Put(record, 0x6C, uintptr_t{0});
  GetActorTexts(r, &name, &second);
  EXPECT_EQ(name, nullptr);
  EXPECT_EQ(second, nullptr);

  auto* ref = reinterpret_cast<ObjectRef*>(w.partnerRef);
  Put(w.partnerRef, 0x10, uintptr_t{0});
  EXPECT_EQ(FindSceneNode(ref, "Bip01 Head"), nullptr);  // no model
  EXPECT_FLOAT_EQ(GetRefScale(ref), 1.25f);                // virtual slot 72
  EXPECT_FLOAT_EQ(GetRefScale(nullptr), 0.0f);
  Put(w.partnerRef, 0x38, 3.0f);
  Put(w.partnerRef, 0x3C, 4.4f);
  Put(w.partnerRef, 0x40, 0.0f);
  Put(w.playerRef, 0x38, 0.0f);
  Put(w.playerRef, 0x3C, 0.0f);
  Put(w.playerRef, 0x40, 0.0f);
  EXPECT_EQ(RefDistance(ref, reinterpret_cast<ObjectRef*>(w.playerRef)), 5);  // 5.33 to the nearest
  float y = 0;
  GetRefPosition(ref, nullptr, &y, nullptr);
  EXPECT_FLOAT_EQ(y, 4.4f);
}

}  // namespace
