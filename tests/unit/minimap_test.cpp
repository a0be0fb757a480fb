// The mini-map's hit region, point selection and geometry helpers.
#include "viewer/minimap.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(MiniMapRegion, WholePixelEdges) {
  struct Case {
    int x, y;
    bool inside;
  } cases[] = {{17, 17, true},   {308, 235, true},  {16, 100, false}, {309, 100, false},
               {100, 16, false}, {100, 236, false}, {162, 126, true}, {-5, -5, false}};
  for (const auto& c : cases) EXPECT_EQ(miniMapContains(c.x, c.y), c.inside) << c.x << "," << c.y;
}

namespace {
constexpr double kPixelsPerUnit = 768.0 / 35;  // hit scale on both axes, about 21.94
}

namespace {
// The hit position of a point at plan x (current point at the plan's origin), as the
// selection works it out.
float hitX(float planX) {
  return static_cast<float>(static_cast<double>(planX) * 146.28571428571428 * 0.2 /
                                1.3333333333333333 +
                            162.28571428571428);
}
const float kHitY = static_cast<float>(125.71428571428571);

// A press and a plan x, right of the press, whose hit position lies at exactly `target`
// pixels (as a 32-bit float distance) from the press. Pixel positions are quantised, so
// the search goes over press rows as well.
struct Press {
  int x = 0, y = 0;
  float planX = 0;
};
Press pressAtDistance(float target) {
  const int pressX = 230;
  for (int y = 100; y < 150; ++y) {
    const double dy = y - static_cast<double>(kHitY);
    if (std::abs(dy) >= 9) continue;
    const double dx = std::sqrt(81 - dy * dy);
    float x = static_cast<float>((pressX + dx - 162.28571428571428) / kPixelsPerUnit);
    for (int i = 0; i < 40; ++i) x = std::nextafter(x, -1e9f);
    for (int i = 0; i < 80; ++i, x = std::nextafter(x, 1e9f))
      if (distance(pressX, static_cast<float>(y), hitX(x), kHitY) == target) return {pressX, y, x};
  }
  ADD_FAILURE() << "no press at distance " << target;
  return {};
}
}  // namespace

TEST(MiniMapSelection, NinePixelRadius) {
  struct Case {
    const char* name;
    Press press;
    int expected;
  } cases[] = {{"exactly 9 px misses", pressAtDistance(9), 0},
               {"just under 9 px hits", pressAtDistance(std::nextafter(9.0f, 0.0f)), 1}};
  for (const auto& c : cases) {
    Room room;  // point 0, the current one, is far from every press
    room.points = {{0, 0, 0}, {c.press.planX, 0, 0}};
    selectMiniMapPoint(room, c.press.x, c.press.y);
    EXPECT_EQ(room.currentPoint, c.expected) << c.name;
  }
}

TEST(MiniMapSelection, CentreAndMisses) {
  Room room;
  room.points = {{0, 0, 0}, {1, 0, 0}, {0, -1, 0}};
  room.currentPoint = 1;
  selectMiniMapPoint(room, 162, 126);  // the current point itself, at the centre
  EXPECT_EQ(room.currentPoint, 1);
  selectMiniMapPoint(room, 140, 126);  // point 0, one plan unit (21.9 px) to the left
  EXPECT_EQ(room.currentPoint, 0);
  selectMiniMapPoint(room, 162, 104);  // point 2, one plan unit up
  EXPECT_EQ(room.currentPoint, 2);
  selectMiniMapPoint(room, 250, 200);  // nothing near: no change
  EXPECT_EQ(room.currentPoint, 2);
}

TEST(MiniMapSelection, TwoInReachLowerIndexWins) {
  Room room;
  const float u = static_cast<float>(1 / kPixelsPerUnit);
  room.points = {{0, 0, 0}, {30 * u, 0, 0}, {34 * u, 0, 0}};
  selectMiniMapPoint(room, 194, 126);  // 1.7 px from point 1, 2.3 px from point 2
  EXPECT_EQ(room.currentPoint, 1);
  room.points = {{0, 0, 0}, {34 * u, 0, 0}, {30 * u, 0, 0}};
  room.currentPoint = 0;
  selectMiniMapPoint(room, 194, 126);
  EXPECT_EQ(room.currentPoint, 1);  // still the lower index, though point 2 is nearer
}

TEST(MiniMapSelection, HeldButtonWalksOnePointPerFrame) {
  Room room;
  // A row of points 0.5 plan units apart (about 11 px): each recentring brings the next
  // one under the mouse held just right of the centre.
  for (int i = 0; i < 6; ++i) room.points.push_back({0.5f * i, 0, 0});
  for (int frame = 1; frame < 6; ++frame) {
    selectMiniMapPoint(room, 173, 126);
    EXPECT_EQ(room.currentPoint, frame);
  }
  selectMiniMapPoint(room, 173, 126);
  EXPECT_EQ(room.currentPoint, 5);  // the last point: the centre is out of reach
}

TEST(MiniMapSelection, RoomWithoutPointsOrCurrentPoint) {
  Room empty;
  selectMiniMapPoint(empty, 162, 126);
  EXPECT_EQ(empty.currentPoint, 0);
  Room bad;
  bad.points = {{0, 0, 0}};
  bad.currentPoint = 5;
  selectMiniMapPoint(bad, 162, 126);
  EXPECT_EQ(bad.currentPoint, 5);
}

TEST(MiniMapSelection, PointJustOutsideThePanel) {
  Room room;
  // 6.9 plan units to the right: drawn past the panel's right edge (307), hit position
  // at 313.7, still within 9 px of a press at x = 308 inside the region.
  room.points = {{0, 0, 0}, {6.9f, 0, 0}};
  selectMiniMapPoint(room, 308, 126);
  EXPECT_EQ(room.currentPoint, 1);
}

TEST(Geometry, DegreesAndDistance) {
  const double k = 3.14159265 / 180;
  EXPECT_EQ(k, 0.017453292500000002);
  struct Case {
    float scale, angle;
  } cases[] = {{0.5f, -45}, {0.5f, 45}, {0.5f, 135}, {1, 90}, {2, 180}, {0.5f, 225}, {1, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(cosDeg(c.scale, c.angle), static_cast<float>(c.scale * std::cos(c.angle * k)));
    EXPECT_EQ(sinDeg(c.scale, c.angle), static_cast<float>(c.scale * std::sin(c.angle * k)));
  }
  // The factor is not quite pi/180, so 180 degrees does not give exactly -1 and 0.
  EXPECT_NE(sinDeg(1, 180), 0.0f);
  EXPECT_EQ(distance(0, 0, 3, 4), 5.0f);
  EXPECT_EQ(distance(1.5f, -2, 1.5f, -2), 0.0f);
  // Worked in double: no overflow where floats would overflow on squaring.
  EXPECT_EQ(distance(0, 0, 3e20f, 4e20f), 5e20f);
  EXPECT_EQ(distance(0, 0, 0.1f, 0.2f),
            static_cast<float>(
                std::sqrt(static_cast<double>(0.1f) * 0.1f + static_cast<double>(0.2f) * 0.2f)));
}
