// The arithmetic of the dialogue camera and the menu table, without a game.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "plugin/game/dialogue_camera.h"
#include "plugin/game/menu_pause.h"

namespace {

TEST(CameraMaths, AngleDifferenceTakesTheShortWay) {
  const struct { int32_t a, b, diff, dir; } cases[] = {
      {350, 10, 20, 1}, {10, 350, 20, -1}, {10, 20, 10, 1}, {20, 10, 10, -1},
      {10, 10, 0, 0},   {0, 180, 180, 1},  {180, 0, 180, -1}, {359, 0, 1, 1}, {0, 359, 1, -1},
  };
  for (const auto& c : cases) {
    const AngleGap g = AngleDifference(c.a, c.b);
    EXPECT_EQ(g.diff, c.diff) << c.a << " " << c.b;
    EXPECT_EQ(g.dir, c.dir) << c.a << " " << c.b;
  }
}

// About two thirds of the degrees plus one sideways, four thirds plus one up
// and down (divisor 90), the sign of the look inversion on the vertical.
TEST(CameraMaths, TurnDeltas) {
  const struct { int32_t diff, dir, horizontal; } sideways[] = {
      {90, 1, 61}, {90, -1, -61}, {1, 1, 1}, {1, -1, -1}, {180, 1, 121}, {2, 1, 2}, {29, 1, 20}};
  for (const auto& c : sideways) EXPECT_EQ(HorizontalTurnDelta({c.diff, c.dir}), c.horizontal) << c.diff;
  const struct { int32_t diff, dir; bool inverted; int32_t vertical; } upDown[] = {
      {45, 1, false, 61}, {45, 1, true, -61}, {45, -1, true, 61}, {1, 1, false, 2}, {90, -1, false, -121}};
  for (const auto& c : upDown) EXPECT_EQ(VerticalTurnDelta({c.diff, c.dir}, c.inverted), c.vertical) << c.diff;
}

TEST(CameraMaths, ZoomTarget) {
  const struct { int32_t distance, zoomDistance, fov, target; } cases[] = {
      {120, 60, 75, 37},   // factor 50
      {50, 60, 75, -1},    // near enough: no zoom
      {60, 60, 75, -1},    // not farther
      {61, 60, 75, 73},    // factor 98
      {5000, 1, 75, 1},    // factor 0: at least one degree
      {100, 0, 75, 1},     // a zero distance setting zooms to the least
      {0, 0, 75, -1},      // a partner on the player: no division by zero
      {0, -10, 75, -1},    // even for a setting the reading should have refused
      {10, -10, 75, 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ZoomTargetFov(c.distance, c.zoomDistance, c.fov), c.target) << c.distance << " " << c.zoomDistance;
}

TEST(CameraMaths, NearestAngleAndAngleFromCosine) {
  for (int32_t degrees : {0, 1, 37, 89, 90, 91, 179, 180, 181, 270, 300, 359}) {
    const double r = degrees * 3.14159265358979323846 / 180;
    EXPECT_EQ(NearestAngle(static_cast<float>(std::sin(r)), static_cast<float>(std::cos(r))), degrees);
    if (degrees < 180) {
      EXPECT_EQ(AngleFromCosine(static_cast<float>(std::cos(r))), degrees);
    }
  }
  EXPECT_EQ(NearestAngle(0.0f, 0.0f), 0);   // no direction: the first angle
  EXPECT_EQ(AngleFromCosine(0.0f), 90);
  EXPECT_EQ(AngleFromCosine(-1.0f), 179);   // the table ends before 180
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(NearestAngle(nan, 0.5f), -1);
  EXPECT_EQ(AngleFromCosine(nan), -1);
}

// The scans visit only the entries of the value's signs; they must find what
// a scan of the whole table with the sign rule finds, edges and ties included.
TEST(CameraMaths, ScansFindWhatTheWholeTableGives) {
  auto opposite = [](float a, float b) { return (a < 0 && b > 0) || (a > 0 && b < 0); };
  float table[360][2];
  for (int i = 0; i < 360; ++i) {
    const double r = i * 3.14159265358979323846 / 180.0;
    table[i][0] = static_cast<float>(std::sin(r));
    table[i][1] = static_cast<float>(std::cos(r));
  }
  auto nearest = [&](float s, float c) {
    int best = -1;
    float bs = 100, bc = 100;
    for (int i = 0; i < 360; ++i) {
      if (opposite(table[i][0], s) || opposite(table[i][1], c)) continue;
      const float ds = std::fabs(table[i][0] - s), dc = std::fabs(table[i][1] - c);
      if (ds < bs && dc < bc) best = i, bs = ds, bc = dc;
    }
    return best;
  };
  auto fromCosine = [&](float c) {
    int best = -1;
    float bd = 100;
    for (int i = 0; i < 180; ++i) {
      if (opposite(table[i][1], c)) continue;
      const float d = std::fabs(table[i][1] - c);
      if (d < bd) best = i, bd = d;
    }
    return best;
  };
  std::vector<float> values = {0.0f, -0.0f, 1e-20f, -1e-20f, 1.0f, -1.0f, 0.5f, -0.5f, 2.0f, -2.0f};
  for (int i = 0; i < 360; ++i) values.push_back(table[i][0]), values.push_back(table[i][1] * 0.93f);
  for (size_t a = 0; a < values.size(); a += 3)
    for (size_t b = 0; b < values.size(); b += 7) {
      ASSERT_EQ(NearestAngle(values[a], values[b]), nearest(values[a], values[b])) << values[a] << " " << values[b];
    }
  for (float v : values) ASSERT_EQ(AngleFromCosine(v), fromCosine(v)) << v;
}

// Documents fall back on the messages and the character generation checks,
// messages on character generation; every other kind decides alone.
TEST(MenuTable, ChecksPerIdentifier) {
  const struct { uint16_t id; std::vector<MenuKind> checks; } cases[] = {
      {0xFDB2, {MenuOptions}},
      {0xFD31, {MenuResting}},
      {0x80B4, {MenuInventory}},
      {0xFF5A, {MenuContainer}},
      {0xFF1A, {MenuDialogue}},
      {0xFE95, {MenuJournal}},
      {0xFD1D, {MenuDocuments, MenuMessages, MenuChargen}},
      {0xFF98, {MenuDocuments, MenuMessages, MenuChargen}},
      {0xFE02, {MenuMessages, MenuChargen}},
      {0xFC7C, {MenuChargen}}, {0xFD4F, {MenuChargen}}, {0xFDC2, {MenuChargen}},
      {0xFF6B, {MenuChargen}}, {0xFFA8, {MenuChargen}},
      {0xFC45, {}},  // left to the game
      {0x0000, {}},
      {0x1234, {}},
  };
  for (const auto& c : cases) {
    MenuKind checks[3];
    const uint32_t n = MenuChecks(c.id, checks);
    EXPECT_EQ(std::vector<MenuKind>(checks, checks + n), c.checks) << std::hex << c.id;
  }
}

}  // namespace
