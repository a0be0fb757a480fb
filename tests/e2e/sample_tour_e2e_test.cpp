// The generated sample tour walked end to end by the real program: every room from the menu,
// every point of each room through the mini-map, each panorama recognised on screen from its
// own decoded JPEG; and one panorama held against the plan it was ray-cast from, facing east
// and, a quarter turn later, north. Reads the tour the build drew into its build directory.
#include <SDL.h>
#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <deque>

#include "e2e/e2e_fixture.h"
#include "menu/menu.h"
#include "sample_tour/panorama.h"
#include "sample_tour/plan.h"
#include "tour/room.h"
#include "tour/texture.h"

#ifndef OSTRIVANE_SAMPLE_TOUR_DIR
#error "OSTRIVANE_SAMPLE_TOUR_DIR must name the generated sample tour"
#endif

namespace st = sampletour;

namespace {

constexpr int kWindowWidth = 1024, kWindowHeight = 768;  // pixels
constexpr double kIconBand = 76.8;                       // window pixels per room icon

// The mini-map, in window pixels: the current point sits at the centre, every other point at
// its plan offset times the scale, and a press selects a point less than kHitRadius away.
// Presses count only inside the hit region.
constexpr double kMapCentreX = 162.28571428571428, kMapCentreY = 125.71428571428571;
constexpr double kMapScale = 768.0 / 35;  // window pixels per plan unit
constexpr double kHitRadius = 9;
constexpr int kHitLeft = 17, kHitRight = 308, kHitTop = 17, kHitBottom = 235;
// Clearance kept from every circle but the one aimed at, for the rounding to whole pixels.
constexpr double kHitMargin = 3;

constexpr double kKeyStep = 0.01;  // panorama units per key event; a quarter turn is 0.5

// A press held over the return button goes back to the menu.
constexpr Spot kReturnPress{992, 736};
// The viewer keeps the mouse's last x from one visit to the next and, when a room is entered
// with the button still held (as after choosing it in the menu), turns the first frame by the
// difference. Every press on an icon is made at x = 0, where the first visit's remembered x
// starts, and every visit ends with the viewer having seen the mouse at x = 0 again, so entry
// never turns the view whenever the press is released.
constexpr int kChooseX = 0;
constexpr Spot kParking{kChooseX, 400};  // clear of the mini-map and of the return button

// The window area compared against a panorama: its centre, clear of the mini-map and the
// return button; a grid of samples in it.
constexpr int kAreaLeft = 320, kAreaTop = 280, kAreaRight = 704, kAreaBottom = 488;
constexpr int kAreaStepX = 24, kAreaStepY = 26;
// Mean over the samples of the largest channel difference. The screen is the decoded
// picture filtered bilinearly by the GL, predicted here the same way; what is left is the
// GL's rounding of weights and colours (a few tenths here, 1.6 a quarter turn on).
constexpr double kViewTolerance = 3;
// Two views that differ by more than this are never both within tolerance of one screen.
constexpr double kDistinctViews = 2 * kViewTolerance;

// A plain wall seen in the panorama at the window's centre against the colour the plan
// gives it: JPEG (on the mean of 2 by 2 rays) and the filtering of neighbouring texels.
constexpr double kWallTolerance = 12;

// A decoded picture, rows packed three bytes a pixel.
struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
};

// Decodes through the program's own decoder, which the GL then gets unscaled.
bool decode(const std::string& path, Picture& out, std::string& error) {
  constexpr int kNoScaling = 1 << 16;  // pixels
  RgbPicture picture;
  std::string warning;
  if (!decodePicture(SDL_RWFromFile(path.c_str(), "rb"), kNoScaling, picture, error, warning))
    return false;
  out.width = picture.width;
  out.height = picture.height;
  out.rgb.resize(static_cast<std::size_t>(out.width) * out.height * 3);
  for (int y = 0; y < out.height; ++y)
    std::copy_n(picture.pixels + rgbRowStride(out.width) * y, out.width * 3,
                out.rgb.begin() + static_cast<std::ptrdiff_t>(y) * out.width * 3);
  releasePicture(picture);
  return true;
}

// The picture at texel coordinates (x, y) with the GL's bilinear filter and repeat wrap.
std::array<double, 3> bilinear(const Picture& p, double x, double y) {
  const double fx = std::floor(x), fy = std::floor(y);
  const double ax = x - fx, ay = y - fy;
  auto texel = [&](double tx, double ty, int c) {
    const int ix = ((static_cast<int>(tx) % p.width) + p.width) % p.width;
    const int iy = ((static_cast<int>(ty) % p.height) + p.height) % p.height;
    return double(p.rgb[(static_cast<std::size_t>(iy) * p.width + ix) * 3 + c]);
  };
  std::array<double, 3> out{};
  for (int c = 0; c < 3; ++c)
    out[c] = (1 - ay) * ((1 - ax) * texel(fx, fy, c) + ax * texel(fx + 1, fy, c)) +
             ay * ((1 - ax) * texel(fx, fy + 1, c) + ax * texel(fx + 1, fy + 1, c));
  return out;
}

// What one window pixel should show.
struct Sample {
  int x = 0, y = 0;
  std::array<double, 3> colour{};
};

// The window's centre area showing the panorama turned by offset: the window spans 0.2 of
// the picture's 2 units, from -0.1 - offset to 0.1 - offset, and its whole height.
std::vector<Sample> panoramaSamples(const Picture& p, double offset) {
  std::vector<Sample> samples;
  for (int y = kAreaTop; y <= kAreaBottom; y += kAreaStepY)
    for (int x = kAreaLeft; x <= kAreaRight; x += kAreaStepX) {
      const double unit = -0.1 + 0.2 * (x + 0.5) / kWindowWidth - offset;
      const double s = (unit + 1) / 2, t = (y + 0.5) / kWindowHeight;
      samples.push_back({x, y, bilinear(p, s * p.width - 0.5, t * p.height - 0.5)});
    }
  return samples;
}

// The menu's title fills the window pixel for pixel; the same area, clear of the icons.
std::vector<Sample> titleSamples(const Picture& title) {
  std::vector<Sample> samples;
  for (int y = kAreaTop; y <= kAreaBottom; y += kAreaStepY)
    for (int x = kAreaLeft; x <= kAreaRight; x += kAreaStepX)
      samples.push_back({x, y,
                         bilinear(title, (x + 0.5) * title.width / kWindowWidth - 0.5,
                                  (y + 0.5) * title.height / kWindowHeight - 0.5)});
  return samples;
}

double farthestChannel(const std::array<double, 3>& a, const std::array<double, 3>& b) {
  return std::max({std::fabs(a[0] - b[0]), std::fabs(a[1] - b[1]), std::fabs(a[2] - b[2])});
}

std::array<double, 3> channels(Rgb c) { return {double(c.r), double(c.g), double(c.b)}; }
std::array<double, 3> channels(st::Colour c) { return {c.r, c.g, c.b}; }

double meanDifference(const std::vector<Sample>& a, const std::vector<Sample>& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += farthestChannel(a[i].colour, b[i].colour);
  return sum / static_cast<double>(a.size());
}

std::string describe(const std::array<double, 3>& c) {
  char text[64];
  std::snprintf(text, sizeof text, "(%.1f, %.1f, %.1f)", c[0], c[1], c[2]);
  return text;
}

// A room of the tour as the program reads it, with one decoded panorama per point.
struct TourRoom {
  std::string name;
  std::vector<ViewPoint> points;
  std::vector<Picture> views;  // by point
};

std::vector<std::string> roomNames(std::string& error) {
  TextFile file;
  if (!readTextFile(std::string(OSTRIVANE_SAMPLE_TOUR_DIR) + "/data/rooms.inf", file, error))
    return {};
  return parseRoomNames(file);
}

bool readRoom(const std::string& name, TourRoom& room, std::string& error) {
  const std::string dir = std::string(OSTRIVANE_SAMPLE_TOUR_DIR) + "/" + roomDirectory(name);
  TextFile file;
  if (!readTextFile(dir + "info.rm", file, error)) return false;
  const RoomDescription d = parseRoomDescription(file);
  room.name = name;
  room.points = d.points;
  room.views.clear();
  for (const ViewPoint& p : d.points) {
    if (p.textureIndex < 0 || static_cast<std::size_t>(p.textureIndex) >= d.pictures.size()) {
      error = name + ": a point names no picture";
      return false;
    }
    room.views.emplace_back();
    if (!decode(dir + d.pictures[p.textureIndex], room.views.back(), error)) return false;
  }
  return true;
}

// Where point p's circle lies on the mini-map centred on point c.
void mapPosition(const std::vector<ViewPoint>& points, int c, int p, double& x, double& y) {
  x = (static_cast<double>(points[p].x) - points[c].x) * kMapScale + kMapCentreX;
  y = (static_cast<double>(points[p].y) - points[c].y) * kMapScale + kMapCentreY;
}

// The whole pixel to press, on the map centred on from, to make to the current point. False
// when it lies outside the hit region, when another circle is too near it, or when the same
// spot on the map recentred on to would select yet another point: the viewer repeats the
// selection on every frame while the button is held, so that press would hop on.
bool pressFor(const std::vector<ViewPoint>& points, int from, int to, Spot& spot) {
  double ex = 0, ey = 0;
  mapPosition(points, from, to, ex, ey);
  spot = {static_cast<int>(std::lround(ex)), static_cast<int>(std::lround(ey))};
  if (spot.x < kHitLeft || spot.x > kHitRight || spot.y < kHitTop || spot.y > kHitBottom)
    return false;
  for (int q = 0; q < static_cast<int>(points.size()); ++q)
    for (int centre : {from, to}) {
      if (centre == from && q == to) continue;
      double qx = 0, qy = 0;
      mapPosition(points, centre, q, qx, qy);
      if (std::hypot(qx - spot.x, qy - spot.y) < kHitRadius + kHitMargin) return false;
    }
  return true;
}

// The points to press in turn to get from one point to another over points within reach of
// each other, fewest presses first; empty when there is no way.
std::vector<int> route(const std::vector<ViewPoint>& points, int from, int to) {
  const int n = static_cast<int>(points.size());
  std::vector<int> previous(n, -1);
  std::deque<int> queue{from};
  previous[from] = from;
  while (!queue.empty() && previous[to] < 0) {
    const int at = queue.front();
    queue.pop_front();
    for (int next = 0; next < n; ++next) {
      Spot spot;
      if (previous[next] < 0 && pressFor(points, at, next, spot)) {
        previous[next] = at;
        queue.push_back(next);
      }
    }
  }
  if (previous[to] < 0) return {};
  std::vector<int> path;
  for (int at = to; at != from; at = previous[at]) path.insert(path.begin(), at);
  return path;
}

const st::Plan& plan() {
  static const st::Plan p = st::samplePlan();
  return p;
}

class SampleTourE2e : public E2eTest {
 protected:
  void SetUp() override {
    std::string error;
    names = roomNames(error);
    ASSERT_FALSE(names.empty()) << "no rooms in " << OSTRIVANE_SAMPLE_TOUR_DIR << ": " << error;
    Picture picture;
    ASSERT_TRUE(decode(std::string(OSTRIVANE_SAMPLE_TOUR_DIR) + "/data/title.jpg", picture, error))
        << error;
    title = titleSamples(picture);
  }

  bool startTour() {
    std::string error;
    if (startSession(session, OSTRIVANE_SAMPLE_TOUR_DIR, {}, error)) return true;
    ADD_FAILURE() << "cannot start the program: " << error;
    return false;
  }

  // Waits until the window's centre area shows samples; on timeout the failure tells how
  // far the screen was from them, and from the other pictures it could have been.
  bool waitForView(const std::string& what, const std::vector<Sample>& expected,
                   const std::vector<std::pair<std::string, std::vector<Sample>>>& others = {}) {
    return waitForScreen(what, [&](std::string& seen) {
      Screenshot shot;
      if (!takeScreenshot(session, shot, kAreaLeft, kAreaTop, kAreaRight - kAreaLeft + 1,
                          kAreaBottom - kAreaTop + 1)) {
        seen = "the window cannot be read";
        return false;
      }
      std::vector<Sample> screen = expected;
      for (Sample& s : screen) s.colour = channels(pixelAt(shot, s.x - kAreaLeft, s.y - kAreaTop));
      const double off = meanDifference(screen, expected);
      seen = "mean difference " + std::to_string(off);
      for (const auto& [name, samples] : others)
        seen += ", from " + name + " " + std::to_string(meanDifference(screen, samples));
      return off <= kViewTolerance;
    });
  }

  bool waitForMenu() { return waitForView("the menu's title", title); }

  // Chooses room index from the menu, which must be on show, and waits for its first panorama.
  bool chooseRoom(int index, const TourRoom& room) {
    const int y = static_cast<int>(std::lround(kIconBand * index + kIconBand / 2));
    movePointer(session, kChooseX, y);
    pressButton(session, 1);
    const std::string line = "Button " + std::to_string(index) + " pressed!\n";
    const bool chosen = waitForStdout(session, line);
    releaseButton(session, 1);
    if (!chosen) {
      ADD_FAILURE() << "no \"" << line << "\" on stdout: \"" << session.program.out << "\"";
      return false;
    }
    expectedOut += line;
    EXPECT_EQ(session.program.out, expectedOut);
    return waitForView(room.name + " point 0 on entry", panoramaSamples(room.views[0], 0),
                       {{"the title", title}});
  }

  // Presses point to's circle on the mini-map centred on from and waits for its panorama,
  // the view not turned.
  bool visit(const TourRoom& room, int from, int to) {
    Spot spot;
    if (!pressFor(room.points, from, to, spot)) {
      ADD_FAILURE() << room.name << ": point " << to << " out of reach of point " << from;
      return false;
    }
    movePointer(session, spot.x, spot.y);
    pressButton(session, 1);
    const bool shown = waitForView(
        room.name + " point " + std::to_string(to) + ", pressed at (" + std::to_string(spot.x) +
            ", " + std::to_string(spot.y) + ") from point " + std::to_string(from),
        panoramaSamples(room.views[to], 0),
        {{"point " + std::to_string(from), panoramaSamples(room.views[from], 0)}});
    releaseButton(session, 1);
    return shown;
  }

  // Goes from point from to point to over intermediate points where it must.
  bool travel(const TourRoom& room, int from, int to) {
    const std::vector<int> path = route(room.points, from, to);
    if (path.empty()) {
      ADD_FAILURE() << room.name << ": no way over the mini-map from point " << from << " to "
                    << to;
      return false;
    }
    for (int next : path) {
      if (!visit(room, from, next)) return false;
      from = next;
    }
    return true;
  }

  // Back to the menu from the viewer showing point current, leaving the viewer's remembered
  // mouse x at kChooseX: a turn by the Left key seen on screen shows that a frame has had the
  // mouse parked there (the move went first), and the button is then pressed there and held
  // onto the return button, so no frame in between sees the mouse anywhere else. Over bare
  // wall one step hardly shows; it takes as many taps as the screen needs to tell.
  bool returnToMenu(const TourRoom& room, int current, double offset) {
    constexpr int kMostTaps = 50;  // half a turn
    const std::vector<Sample> before = panoramaSamples(room.views[current], offset);
    int taps = 1;
    std::vector<Sample> after;
    for (;; ++taps) {
      after = panoramaSamples(room.views[current], offset + 2 * taps * kKeyStep);
      if (meanDifference(before, after) > kDistinctViews) break;
      if (taps == kMostTaps) {
        ADD_FAILURE() << room.name << " point " << current << ": no turn shows on screen";
        return false;
      }
    }
    movePointer(session, kParking.x, kParking.y);
    for (int i = 0; i < taps; ++i) tapKey(session, XK_Left);
    if (!waitForView(room.name + " point " + std::to_string(current) + " turned by " +
                         std::to_string(taps) + " taps of Left",
                     after))
      return false;
    pressButton(session, 1);
    movePointer(session, kReturnPress.x, kReturnPress.y);
    const bool back = waitForMenu();
    releaseButton(session, 1);
    return back;
  }

  std::vector<std::string> names;
  std::vector<Sample> title;
  std::string expectedOut;  // the lines standard output should hold so far
};

TEST_F(SampleTourE2e, EveryRoomAndEveryPointShowsItsOwnPanorama) {
  ASSERT_TRUE(startTour());
  ASSERT_TRUE(waitForMenu());
  for (int r = 0; r < static_cast<int>(names.size()); ++r) {
    TourRoom room;
    std::string error;
    ASSERT_TRUE(readRoom(names[r], room, error)) << error;
    ASSERT_FALSE(room.points.empty()) << room.name;
    SCOPED_TRACE(room.name);
    const int n = static_cast<int>(room.points.size());
    // The samples must tell every point's panorama from every other one's.
    for (int p = 0; p < n; ++p)
      for (int q = p + 1; q < n; ++q)
        EXPECT_GT(
            meanDifference(panoramaSamples(room.views[p], 0), panoramaSamples(room.views[q], 0)),
            kDistinctViews)
            << "points " << p << " and " << q << " look alike";

    ASSERT_TRUE(chooseRoom(r, room));
    // Every other point, then point 0 again, each reached from where the last left off.
    int current = 0;
    for (int step = 1; step <= n; ++step) {
      const int target = step % n;
      ASSERT_TRUE(travel(room, current, target));
      current = target;
    }
    ASSERT_TRUE(returnToMenu(room, current, 0));
    pumpOutput(session);
    EXPECT_EQ(session.program.err, "");
  }

  requestClose(session);
  ASSERT_TRUE(expectCleanExit());
  EXPECT_EQ(session.program.out, expectedOut);
  EXPECT_EQ(session.program.err, "");
}

// The first point whose panorama has bare wall paint due east and due north, in colours far
// enough apart to tell which of the two the window shows.
struct WallCheck {
  int room = -1, point = -1;
  st::Colour east, north;
};

bool plainWallAt(const st::Plan& plan, st::Vec2 eye, double s, st::Colour& seen) {
  const st::RayHit hit = st::firstSolidAt(plan, eye, st::columnDirection(s), st::kEyeHeight);
  if (hit.face < 0) return false;
  const st::Face& face = plan.faces[hit.face];
  if (face.surface != st::Surface::Wall) return false;
  // The window's centre pixel blends the neighbouring texels; the paint must be plain there
  // and a few columns either side.
  for (int dx : {-3, 0, 3}) {
    const st::RayHit near = st::firstSolidAt(
        plan, eye, st::columnDirection(s + dx / double(st::kPanoramaWidth)), st::kEyeHeight);
    if (near.face != hit.face || st::paintAt(face, near.u, st::kEyeHeight) != st::Paint::Plain)
      return false;
  }
  seen = st::plainWallSeen(face, hit);
  return true;
}

WallCheck findWallCheck(const st::Plan& plan) {
  for (int r = 0; r < static_cast<int>(plan.rooms.size()); ++r)
    for (int p = 0; p < static_cast<int>(plan.rooms[r].points.size()); ++p) {
      WallCheck c{r, p, {}, {}};
      const st::Vec2 eye = plan.rooms[r].points[p];
      if (plainWallAt(plan, eye, 0.5, c.east) && plainWallAt(plan, eye, 0.25, c.north) &&
          farthestChannel(channels(c.east), channels(c.north)) > 3 * kWallTolerance)
        return c;
    }
  return {};
}

TEST_F(SampleTourE2e, PanoramaShowsThePlansWallDueEastThenAfterAQuarterTurnDueNorth) {
  const WallCheck check = findWallCheck(plan());
  ASSERT_GE(check.room, 0) << "no point of the plan sees two different bare walls east and north";
  ASSERT_LT(check.room, static_cast<int>(names.size()));
  ASSERT_EQ(names[check.room], plan().rooms[check.room].directory);
  TourRoom room;
  std::string error;
  ASSERT_TRUE(readRoom(names[check.room], room, error)) << error;
  SCOPED_TRACE(room.name + " point " + std::to_string(check.point));

  ASSERT_TRUE(startTour());
  ASSERT_TRUE(waitForMenu());
  ASSERT_TRUE(chooseRoom(check.room, room));
  if (check.point != 0) {
    ASSERT_TRUE(travel(room, 0, check.point));
  }

  // The centre of the window looks along s = 0.5, due east, on the horizon.
  const Spot centre{kWindowWidth / 2, kWindowHeight / 2};
  auto centreNear = [&](st::Colour wall, std::string& seen) {
    Rgb got;
    if (!readPixel(session, centre.x, centre.y, got)) {
      seen = "the window cannot be read";
      return false;
    }
    seen = describe(got) + ", the plan's wall " + describe(channels(wall));
    return farthestChannel(channels(got), channels(wall)) <= kWallTolerance;
  };
  EXPECT_TRUE(waitForScreen("the east wall at the centre",
                            [&](std::string& seen) { return centreNear(check.east, seen); }));

  // 25 taps of Left are 50 key events: offset 0.5, a quarter turn to the left, so the centre
  // looks along s = 0.25, due north.
  for (int i = 0; i < 25; ++i) tapKey(session, XK_Left);
  EXPECT_TRUE(waitForScreen("the north wall at the centre after a quarter turn",
                            [&](std::string& seen) { return centreNear(check.north, seen); }));
  ASSERT_TRUE(waitForView("the whole centre area a quarter turn on",
                          panoramaSamples(room.views[check.point], 50 * kKeyStep)));

  requestClose(session);
  ASSERT_TRUE(expectCleanExit());
  EXPECT_EQ(session.program.err, "");
}

}  // namespace
