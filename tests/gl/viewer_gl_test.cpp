// The viewer frame's drawing, read back from the window: the panorama pass and its offset,
// the mini-map (panel, circles, links, view cone) and the return button. Each test draws
// the frame's passes in the frame's order, after disturbing the state a pass must set up.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "gl_context.h"
#include "tour/texture.h"
#include "viewer/minimap.h"
#include "viewer/viewer.h"

namespace {

constexpr double kPi = 3.141592653589793;

Image drawViewerFrame(const Room& room, float viewOffset, TextureId button) {
  fillWindow(Rgb{0, 90, 200});
  disturbDrawingState();
  drawPanorama(room, viewOffset);
  drawMiniMap(room, viewOffset);
  drawReturnButton(button);
  return readWindow();
}

TextureId pictureTexture(const std::string& file, int width, int height,
                         const std::function<Rgb(int, int)>& pixel) {
  writePng(file, width, height, pixel);
  return loadTexture(file, GL_RGB);
}

TextureId solidTexture(const std::string& file, Rgb colour) {
  return pictureTexture(file, 16, 16, [colour](int, int) { return colour; });
}

Room roomOf(std::vector<ViewPoint> points, std::vector<std::int32_t> links,
            std::vector<TextureId> textures, std::int32_t currentPoint = 0) {
  Room room;
  room.currentPoint = currentPoint;
  room.points = std::move(points);
  room.links = std::move(links);
  room.textures = std::move(textures);
  return room;
}

// --- Panorama pass ---------------------------------------------------------------------

// A 2000 by 768 panorama: grey, lighter in its top half, with coloured stripes 10 columns
// wide at known columns, the first and last at the picture's left and right edges. Its
// height equals the window's, so each picture row lands on one window row.
constexpr int kPanoramaWidth = 2000, kPanoramaHeight = 768;

struct Stripe {
  int firstColumn;  // picture columns firstColumn to firstColumn + 9
  Rgb colour;
};

const Stripe kStripes[] = {
    {0, {255, 255, 0}},     // left edge
    {495, {0, 255, 0}},     // a quarter in
    {940, {255, 0, 255}},   // just left of the centre
    {995, {255, 0, 0}},     // the centre
    {1495, {0, 0, 255}},    // three quarters in
    {1990, {0, 255, 255}},  // right edge
};
const Rgb kTopGrey{100, 100, 100}, kBottomGrey{40, 40, 40};

Rgb panoramaPixel(int x, int y) {
  for (const Stripe& s : kStripes)
    if (x >= s.firstColumn && x < s.firstColumn + 10) return s.colour;
  return y < kPanoramaHeight / 2 ? kTopGrey : kBottomGrey;
}

// Index into kStripes of the nearest stripe colour, or -1 for the nearest being a grey.
int classify(Rgb p) {
  auto d2 = [p](Rgb q) {
    const int dr = p.r - q.r, dg = p.g - q.g, db = p.b - q.b;
    return dr * dr + dg * dg + db * db;
  };
  int best = -1;
  int bestDistance = std::min(d2(kTopGrey), d2(kBottomGrey));
  for (int i = 0; i < static_cast<int>(std::size(kStripes)); ++i)
    if (d2(kStripes[i].colour) < bestDistance) {
      best = i;
      bestDistance = d2(kStripes[i].colour);
    }
  return best;
}

struct ColourRun {
  int stripe;
  int first, last;  // window columns
};

// The window shows picture x from -0.1 - offset to 0.1 - offset of copies spanning -1..1
// (and -3..-1, 1..3): 5120 window pixels per panorama unit, 5.12 per picture column.
std::vector<ColourRun> expectedRuns(double viewOffset) {
  std::vector<ColourRun> runs;
  for (int i = 0; i < static_cast<int>(std::size(kStripes)); ++i)
    for (int copy = -1; copy <= 1; ++copy) {
      auto windowX = [&](int column) {
        const double x = -1 + 2.0 * column / kPanoramaWidth + 2 * copy;
        return (x + 0.1 + viewOffset) * 5120;
      };
      const double left = windowX(kStripes[i].firstColumn);
      const double right = windowX(kStripes[i].firstColumn + 10);
      const int first = std::max(0, static_cast<int>(std::ceil(left - 0.5)));
      const int last = std::min(kWindowWidth - 1, static_cast<int>(std::ceil(right - 0.5)) - 1);
      if (last - first >= 3) runs.push_back({i, first, last});
    }
  return runs;
}

std::vector<ColourRun> seenRuns(const Image& window, int y, int xEnd) {
  std::vector<ColourRun> runs;
  for (int x = 0; x < xEnd;) {
    const int c = classify(window.at(x, y));
    int end = x;
    while (end + 1 < xEnd && classify(window.at(end + 1, y)) == c) ++end;
    // Blends at a stripe's edges can classify as anything for a pixel or two.
    if (c >= 0 && end - x >= 2) runs.push_back({c, x, end});
    x = end + 1;
  }
  return runs;
}

std::string describeRuns(const std::vector<ColourRun>& runs) {
  std::string s;
  for (const ColourRun& r : runs)
    s += " [stripe " + std::to_string(r.stripe) + " at " + std::to_string(r.first) + ".." +
         std::to_string(r.last) + "]";
  return s.empty() ? " none" : s;
}

class PanoramaOffset : public GlTest, public ::testing::WithParamInterface<float> {};

TEST_P(PanoramaOffset, StripesLandWhereTheProjectionPutsThemAndNothingIsBlack) {
  const float viewOffset = GetParam();
  const TextureId panorama =
      pictureTexture(path("panorama.png"), kPanoramaWidth, kPanoramaHeight, panoramaPixel);
  const TextureId button = solidTexture(path("menu.png"), Rgb{250, 250, 250});
  const Image window = drawViewerFrame(roomOf({{0, 0, 0}}, {}, {panorama}), viewOffset, button);

  const std::vector<ColourRun> expected = expectedRuns(viewOffset);
  // Rows clear of the mini-map and the return button, at the top and bottom edges and in
  // each half of the picture.
  struct Row {
    int y;
    int xEnd;
    Rgb grey;
  };
  for (const Row row : {Row{0, kWindowWidth, kTopGrey}, Row{300, kWindowWidth, kTopGrey},
                        Row{600, kWindowWidth, kBottomGrey}, Row{767, 960, kBottomGrey}}) {
    SCOPED_TRACE("row " + std::to_string(row.y));
    const std::vector<ColourRun> seen = seenRuns(window, row.y, row.xEnd);
    for (const ColourRun& e : expected) {
      if (e.first >= row.xEnd) continue;
      const int last = std::min(e.last, row.xEnd - 1);
      bool found = false;
      for (const ColourRun& s : seen)
        found = found || (s.stripe == e.stripe && std::abs(s.first - e.first) <= 2 &&
                          std::abs(s.last - last) <= 2);
      EXPECT_TRUE(found) << "stripe " << e.stripe << " expected at " << e.first << ".." << last
                         << "; seen:" << describeRuns(seen);
    }
    for (const ColourRun& s : seen) {
      bool wanted = false;
      for (const ColourRun& e : expected)
        wanted = wanted || (s.stripe == e.stripe && std::abs(s.first - e.first) <= 2);
      EXPECT_TRUE(wanted) << "stripe " << s.stripe << " seen at " << s.first << ".." << s.last
                          << " where none belongs";
    }
    int black = 0, firstBlack = -1;
    for (int x = 0; x < row.xEnd; ++x) {
      const Rgb p = window.at(x, row.y);
      if (p.r + p.g + p.b < 30) {
        if (black++ == 0) firstBlack = x;
      }
    }
    EXPECT_EQ(black, 0) << "black pixels from x " << firstBlack;
    // Between the stripes the row shows its half's grey.
    const int gapX = [&] {
      for (int x = 0; x < row.xEnd; ++x) {
        bool clear = true;
        for (const ColourRun& e : expected) clear = clear && (x < e.first - 4 || x > e.last + 4);
        if (clear) return x;
      }
      return -1;
    }();
    if (gapX >= 0) {
      EXPECT_TRUE(colourNear(window.at(gapX, row.y), row.grey, 2)) << "x " << gapX;
    }
  }
}

// 0: the picture's centre at the window's centre; small offsets either way; a quarter turn
// either way brings the quarter stripes to the centre; 1 and -1 put the seam at the centre,
// 0.93 near the left edge.
INSTANTIATE_TEST_SUITE_P(Offsets, PanoramaOffset,
                         ::testing::Values(0.0f, 0.05f, -0.08f, 0.5f, -0.5f, 1.0f, -1.0f, 0.93f));

// --- Mini-map ------------------------------------------------------------------------

// Window geometry of the panel: viewport (16, 532, 292, 219), so the plan's centre is at
// window (162, 126.5) in continuous coordinates, and one map unit spans 109.5 pixels on
// both axes (21.9 pixels per plan unit at the plan scale of 0.2).
constexpr double kCentreX = 162.0, kCentreY = 126.5;
constexpr double kPixelsPerPlanUnit = 21.9;
constexpr double kCircleRadius = 0.08 * 109.5;                   // pixels
constexpr double kConeReach = 0.5 * 109.5 * 0.7071067811865476;  // pixels along its axis

const Rgb kPanorama{200, 100, 0};

// Panel (0.4, 0.4, 1) at alpha 0.5 over a colour.
Rgb panelOver(Rgb under) {
  auto mix = [](double panel, int u) {
    return static_cast<std::uint8_t>(std::lround(0.5 * panel * 255 + 0.5 * u));
  };
  return Rgb{mix(0.4, under.r), mix(0.4, under.g), mix(1.0, under.b)};
}

const Rgb kYellow{255, 255, 0}, kWhite{255, 255, 255};

Rgb sample(const Image& window, double x, double y) {
  return window.at(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
}

// Walks out from a circle's centre along a screen angle (degrees, counterclockwise from the
// right) and reports where pixels of the colour lie: they must, and only on the outline.
::testing::AssertionResult outlineAround(const Image& window, double cx, double cy, Rgb colour,
                                         double angleDeg) {
  const double a = angleDeg * kPi / 180;
  double nearest = -1, farthest = -1;
  for (double d = 0; d <= 16; d += 0.25) {
    if (!colourNear(sample(window, cx + d * std::cos(a), cy - d * std::sin(a)), colour, 8))
      continue;
    if (nearest < 0) nearest = d;
    farthest = d;
  }
  if (nearest < 0)
    return ::testing::AssertionFailure() << "no " << describe(colour) << " within 16 px of (" << cx
                                         << ", " << cy << ") at " << angleDeg << " deg";
  if (nearest < kCircleRadius - 1.8 || farthest > kCircleRadius + 1.8)
    return ::testing::AssertionFailure()
           << describe(colour) << " from " << nearest << " to " << farthest << " px of (" << cx
           << ", " << cy << ") at " << angleDeg << " deg, outline expected at " << kCircleRadius;
  return ::testing::AssertionSuccess();
}

struct ViewerDrawTest : GlTest {
  TextureId panorama = 0, button = 0;
  void SetUp() override {
    GlTest::SetUp();
    panorama = solidTexture(path("panorama.png"), kPanorama);
    button = solidTexture(path("menu.png"), Rgb{250, 250, 250});
  }
};

TEST_F(ViewerDrawTest, PanelBlendsHalfItsColourOverThePanoramaWithinItsRectangle) {
  const Image window = drawViewerFrame(roomOf({{0, 0, 0}}, {}, {panorama}), 0, button);
  const Rgb panel = panelOver(kPanorama), panelOverFrame = panelOver(kWhite);
  for (const auto& [x, y] : {std::pair{18, 19}, {305, 19}, {18, 233}, {305, 233}, {100, 200}})
    EXPECT_TRUE(colourNear(window.at(x, y), panel, 2)) << "(" << x << ", " << y << ")";
  // The edge rows and columns are the panel's; the frame line may run along them, under
  // the panel. Just outside lies the panorama, or the frame's outer sides, unblended.
  auto panelish = [&](int x, int y) {
    return colourNear(window.at(x, y), panel, 2) || colourNear(window.at(x, y), panelOverFrame, 2);
  };
  auto outside = [&](int x, int y) {
    return colourNear(window.at(x, y), kPanorama, 2) || colourNear(window.at(x, y), kWhite, 2);
  };
  for (int y : {40, 200}) {
    EXPECT_TRUE(panelish(16, y)) << "x 16, y " << y << ": " << describe(window.at(16, y));
    EXPECT_TRUE(panelish(307, y)) << "x 307, y " << y << ": " << describe(window.at(307, y));
    EXPECT_TRUE(colourNear(window.at(15, y), kPanorama, 2)) << "x 15, y " << y;
    EXPECT_TRUE(outside(308, y)) << "x 308, y " << y << ": " << describe(window.at(308, y));
  }
  for (int x : {40, 280}) {
    EXPECT_TRUE(panelish(x, 17)) << "x " << x << ", y 17: " << describe(window.at(x, 17));
    EXPECT_TRUE(panelish(x, 235)) << "x " << x << ", y 235: " << describe(window.at(x, 235));
    EXPECT_TRUE(outside(x, 16)) << "x " << x << ", y 16: " << describe(window.at(x, 16));
    EXPECT_TRUE(colourNear(window.at(x, 236), kPanorama, 2)) << "x " << x << ", y 236";
  }
}

TEST_F(ViewerDrawTest, CirclesSitAtThePointsAndTheLinkJoinsItsTwoPoints) {
  // Point 0 is current; 1 lies 3 plan units right, 2 lies 4 up, 3 lies 4 left and 2 down.
  // One link, from 2 to 3. The cone (offset 0) opens to the right of the centre.
  const Room room = roomOf({{10, 10, 0}, {13, 10, 0}, {10, 6, 0}, {6, 12, 0}}, {2, 3}, {panorama});
  const Image window = drawViewerFrame(room, 0, button);
  auto at = [](double dx, double dy) {
    return std::pair{kCentreX + dx * kPixelsPerPlanUnit, kCentreY + dy * kPixelsPerPlanUnit};
  };
  struct Circle {
    std::pair<double, double> centre;
    Rgb colour;
    std::vector<double> angles;  // directions clear of the cone and the link
  };
  const Circle circles[] = {
      {at(0, 0), kYellow, {90, 135, 180, 225, 270}},
      {at(3, 0), kWhite, {0, 90, 180, 270}},
      {at(0, -4), kWhite, {0, 90, 180}},
      {at(-4, 2), kWhite, {0, 180, 270}},
  };
  for (const Circle& c : circles)
    for (double angle : c.angles)
      EXPECT_TRUE(outlineAround(window, c.centre.first, c.centre.second, c.colour, angle));
  // The current point's circle is the only yellow one, and not white.
  EXPECT_FALSE(outlineAround(window, kCentreX, kCentreY, kWhite, 180));
  EXPECT_FALSE(outlineAround(window, at(3, 0).first, at(3, 0).second, kYellow, 0));

  const auto [x2, y2] = at(0, -4);
  const auto [x3, y3] = at(-4, 2);
  const double length = std::hypot(x3 - x2, y3 - y2);
  const double nx = -(y3 - y2) / length, ny = (x3 - x2) / length;  // across the line
  for (double t : {0.25, 0.5, 0.75}) {
    const double x = x2 + t * (x3 - x2), y = y2 + t * (y3 - y2);
    bool white = false;
    for (double k = -1.5; k <= 1.5; k += 0.5)
      white = white || colourNear(sample(window, x + k * nx, y + k * ny), kWhite, 8);
    EXPECT_TRUE(white) << "no link pixel near (" << x << ", " << y << ")";
    for (double k : {-5.0, 5.0})
      EXPECT_TRUE(colourNear(sample(window, x + k * nx, y + k * ny), panelOver(kPanorama), 2))
          << "beside the link at (" << x + k * nx << ", " << y + k * ny << ")";
  }
}

struct ConeCase {
  float viewOffset;
  double directionDeg;  // screen angle, counterclockwise from the right
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ConeCase& c, std::ostream* os) { *os << c.viewOffset; }

class ViewCone : public ViewerDrawTest, public ::testing::WithParamInterface<ConeCase> {};

TEST_P(ViewCone, PointsAlongTheViewAndFadesOutward) {
  const ConeCase c = GetParam();
  const Image window = drawViewerFrame(roomOf({{0, 0, 0}}, {}, {panorama}), c.viewOffset, button);
  const Rgb panel = panelOver(kPanorama);
  const double a = c.directionDeg * kPi / 180;
  // Opaque white at the current point to transparent at the far side, linearly along the
  // axis: the green channel tells the cone's alpha over the panel.
  double previous = 2;
  for (double d : {12.0, 24.0, 34.0}) {
    const double x = kCentreX + d * std::cos(a), y = kCentreY - d * std::sin(a);
    const int px = static_cast<int>(std::floor(x)), py = static_cast<int>(std::floor(y));
    const double along = (px + 0.5 - kCentreX) * std::cos(a) - (py + 0.5 - kCentreY) * std::sin(a);
    const double alpha = (window.at(px, py).g - panel.g) / double(255 - panel.g);
    EXPECT_NEAR(alpha, 1 - along / kConeReach, 0.04)
        << "at " << d << " px: " << describe(window.at(px, py));
    EXPECT_LT(alpha, previous) << "at " << d << " px";
    previous = alpha;
  }
  EXPECT_TRUE(colourNear(sample(window, kCentreX + 45 * std::cos(a), kCentreY - 45 * std::sin(a)),
                         panel, 2))
      << "beyond the cone's far side";
  for (double turn : {90.0, 180.0, 270.0}) {
    const double b = a + turn * kPi / 180;
    EXPECT_TRUE(colourNear(sample(window, kCentreX + 24 * std::cos(b), kCentreY - 24 * std::sin(b)),
                           panel, 2))
        << "at " << turn << " deg from the view";
  }
}

INSTANTIATE_TEST_SUITE_P(Directions, ViewCone,
                         ::testing::Values(ConeCase{0, 0}, ConeCase{0.25f, 45}, ConeCase{0.5f, 90},
                                           ConeCase{1, 180}, ConeCase{-1, 180},
                                           ConeCase{-0.5f, 270}));

// --- Return button -----------------------------------------------------------------------

TEST_F(ViewerDrawTest, ReturnButtonFillsItsCornerUpright) {
  // 64 by 64, the button's own size: each texel lands on one pixel.
  auto buttonPixel = [](int x, int y) {
    if (y == 0) return Rgb{255, 255, 0};
    if (y < 32) return x < 32 ? Rgb{220, 0, 0} : Rgb{0, 200, 0};
    return x < 32 ? Rgb{0, 0, 230} : Rgb{255, 255, 255};
  };
  const TextureId picture = pictureTexture(path("menu-button.png"), 64, 64, buttonPixel);
  const Image window = drawViewerFrame(roomOf({{0, 0, 0}}, {}, {panorama}), 0, picture);
  int wrong = 0;
  for (int y = 0; y < 64 && wrong < 5; ++y)
    for (int x = 0; x < 64 && wrong < 5; ++x) {
      ::testing::AssertionResult r = colourNear(window.at(960 + x, 704 + y), buttonPixel(x, y), 2);
      if (!r) {
        ADD_FAILURE() << r.message() << " at window (" << 960 + x << ", " << 704 + y << ")";
        ++wrong;
      }
    }
  EXPECT_TRUE(colourNear(window.at(959, 740), kPanorama, 2));
  EXPECT_TRUE(colourNear(window.at(990, 703), kPanorama, 2));
}

// --- Rooms that cannot be shown whole --------------------------------------------------

struct BrokenRoomCase {
  const char* name;
  std::int32_t currentPoint;
  std::vector<ViewPoint> points;
  std::vector<std::int32_t> links;
  bool panoramaShown;
};

void PrintTo(const BrokenRoomCase& c, std::ostream* os) { *os << c.name; }

class BrokenRoom : public ViewerDrawTest, public ::testing::WithParamInterface<BrokenRoomCase> {};

TEST_P(BrokenRoom, DrawsBlackOrItsPanoramaThePanelAndTheButton) {
  const BrokenRoomCase& c = GetParam();
  const Room room = roomOf(c.points, c.links, {panorama}, c.currentPoint);
  const Image window = drawViewerFrame(room, 0, button);
  const Rgb under = c.panoramaShown ? kPanorama : Rgb{0, 0, 0};
  for (const auto& [x, y] : {std::pair{600, 400}, {500, 300}, {5, 760}, {1020, 5}})
    EXPECT_TRUE(colourNear(window.at(x, y), under, 2))
        << "panorama area (" << x << ", " << y << ")";
  EXPECT_TRUE(colourNear(window.at(40, 220), panelOver(under), 2)) << "panel";
  EXPECT_TRUE(colourNear(window.at(990, 735), Rgb{250, 250, 250}, 2)) << "return button";
}

INSTANTIATE_TEST_SUITE_P(
    Rooms, BrokenRoom,
    ::testing::Values(BrokenRoomCase{"NoPoints", 0, {}, {}, false},
                      BrokenRoomCase{"TextureIndexPastTheEnd", 0, {{0, 0, 1}}, {}, false},
                      BrokenRoomCase{"NegativeTextureIndex", 0, {{0, 0, -1}}, {}, false},
                      BrokenRoomCase{"CurrentPointPastTheEnd", 1, {{0, 0, 0}}, {0, 0}, false},
                      BrokenRoomCase{"NegativeCurrentPoint", -1, {{0, 0, 0}}, {}, false},
                      BrokenRoomCase{
                          "LinksNamingNoPoint", 0, {{0, 0, 0}, {2, 0, 0}}, {0, 7, -3, 1, 1}, true}),
    [](const ::testing::TestParamInfo<BrokenRoomCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace
