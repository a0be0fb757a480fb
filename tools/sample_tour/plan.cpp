// The sample building, laid out by hand as rooms, doorways, windows and furniture, and the
// geometry that turns it into wall faces and answers what a ray meets.
#include "sample_tour/plan.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sampletour {

namespace {

constexpr double kPlaqueWidth = 1.9;     // metres
constexpr double kPlaqueBottom = 1.74;   // metres: clear of eye height, so eye-level rays see paint
constexpr double kPlaqueTop = 2.12;      // metres
constexpr double kPlaqueMargin = 0.15;   // metres of bare wall kept on each side of a plaque
constexpr double kWindowSill = 0.95;     // metres
constexpr double kWindowHead = 2.35;     // metres
constexpr double kBookcaseHeight = 2.1;  // metres
constexpr double kWindowSurround = 0.07;  // metres of trim around a window
constexpr double kDoorSurround = 0.09;    // metres of trim around a door

Colour rgb(double r, double g, double b) { return {r, g, b}; }

double dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
Vec2 sub(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }

// A face through p and q whose front looks along normal; its ends are ordered so that u runs
// to the right of someone facing it.
Face makeFace(Vec2 p, Vec2 q, Vec2 normal) {
  Face f;
  const Vec2 right{normal.y, -normal.x};
  if (dot(sub(q, p), right) >= 0) {
    f.a = p;
    f.b = q;
  } else {
    f.a = q;
    f.b = p;
  }
  f.normal = normal;
  f.length = std::hypot(f.b.x - f.a.x, f.b.y - f.a.y);
  return f;
}

Vec2 inwardNormal(Side side) {
  switch (side) {
    case Side::North:
      return {0, 1};
    case Side::East:
      return {-1, 0};
    case Side::South:
      return {0, -1};
    case Side::West:
      return {1, 0};
  }
  return {0, 1};
}

// The u of a plan coordinate c along the room's side: x for north and south, y for east
// and west.
double uAlong(const RoomPlan& r, Side side, double c) {
  switch (side) {
    case Side::North:
      return c - r.x0;
    case Side::East:
      return c - r.y0;
    case Side::South:
      return r.x1 - c;
    case Side::West:
      return r.y1 - c;
  }
  return 0;
}

Face makeWallFace(const RoomPlan& r, int roomIndex, Side side) {
  Vec2 p, q;
  switch (side) {
    case Side::North:
      p = {r.x0, r.y0}, q = {r.x1, r.y0};
      break;
    case Side::East:
      p = {r.x1, r.y0}, q = {r.x1, r.y1};
      break;
    case Side::South:
      p = {r.x0, r.y1}, q = {r.x1, r.y1};
      break;
    case Side::West:
      p = {r.x0, r.y0}, q = {r.x0, r.y1};
      break;
  }
  Face f = makeFace(p, q, inwardNormal(side));
  f.room = roomIndex;
  f.side = side;
  f.colour = r.walls[static_cast<int>(side)];
  f.stripePitch = r.stripePitch;
  return f;
}

// The first four faces of each room are its walls, in Side order (see wallOf).
Face& wallFace(Plan& plan, int room, Side side) {
  return plan.faces[room * 4 + static_cast<int>(side)];
}

void feature(Plan& plan, int room, Side side, FeatureKind kind, double c0, double c1, double z0,
             double z1) {
  const RoomPlan& r = plan.rooms[room];
  double u0 = uAlong(r, side, c0), u1 = uAlong(r, side, c1);
  if (u0 > u1) std::swap(u0, u1);
  wallFace(plan, room, side).features.push_back({kind, u0, u1, z0, z1});
}

// A doorway through the wall between two rooms. For Side East of `from` the wall runs
// north-south and c0..c1 is the opening's extent in y; for South it runs east-west.
void doorway(Plan& plan, int from, Side side, int to, double c0, double c1) {
  const Side opposite = side == Side::East ? Side::West : Side::North;
  feature(plan, from, side, FeatureKind::Doorway, c0, c1, 0, kDoorHeight);
  feature(plan, to, opposite, FeatureKind::Doorway, c0, c1, 0, kDoorHeight);
  const RoomPlan& a = plan.rooms[from];
  const RoomPlan& b = plan.rooms[to];
  for (double c : {c0, c1}) {
    Face j = side == Side::East ? makeFace({a.x1, c}, {b.x0, c}, {0, 1})
                                : makeFace({c, a.y1}, {c, b.y0}, {1, 0});
    j.surface = Surface::Jamb;
    j.twoSided = true;
    j.room = from;
    j.colour = rgb(92, 62, 42);
    plan.faces.push_back(j);
  }
}

void window(Plan& plan, int room, Side side, double centre, double width) {
  feature(plan, room, side, FeatureKind::Window, centre - width / 2, centre + width / 2,
          kWindowSill, kWindowHead);
}

void bookcase(Plan& plan, int room, double x0, double y0, double x1, double y1) {
  plan.bookcases.push_back({x0, y0, x1, y1});
  const Vec2 corners[4] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
  const Side sides[4] = {Side::North, Side::East, Side::South, Side::West};
  const Vec2 outward[4] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
  for (int i = 0; i < 4; ++i) {
    Face f = makeFace(corners[i], corners[(i + 1) % 4], outward[i]);
    f.surface = Surface::Bookcase;
    f.top = kBookcaseHeight;
    f.room = room;
    f.side = sides[i];
    f.colour = rgb(112, 76, 50);
    plan.faces.push_back(f);
  }
}

void column(Plan& plan, Vec2 centre) {
  plan.pillars.push_back({centre, 0.28, 0, kWallHeight, rgb(232, 226, 212)});
}

// Name plates go on every wall face that has a bare stretch wide enough, centred in the
// widest one, so each room shows its name in several directions.
void plaques(Plan& plan) {
  for (std::size_t room = 0; room < plan.rooms.size(); ++room)
    for (Side side : kSides) {
      Face& f = wallFace(plan, static_cast<int>(room), side);
      std::vector<std::pair<double, double>> taken;
      for (const Feature& ft : f.features) taken.push_back({ft.u0, ft.u1});
      std::sort(taken.begin(), taken.end());
      double bestStart = 0, bestWidth = -1, from = 0;
      auto consider = [&](double to) {
        if (to - from > bestWidth) bestWidth = to - from, bestStart = from;
      };
      for (const auto& [u0, u1] : taken) {
        consider(u0 - kDoorSurround);
        from = std::max(from, u1 + kDoorSurround);
      }
      consider(f.length);
      if (bestWidth < kPlaqueWidth + 2 * kPlaqueMargin) continue;
      const double mid = bestStart + bestWidth / 2;
      f.features.push_back({FeatureKind::Plaque, mid - kPlaqueWidth / 2, mid + kPlaqueWidth / 2,
                            kPlaqueBottom, kPlaqueTop});
    }
}

// Marker stands, then links: two points of a room are linked when they see each other and
// no third point, seen from both, is nearer to each of them than they are to one another
// (a relative neighbourhood graph, so the mini-map shows a few clear paths, not a mesh).
void markersAndLinks(Plan& plan) {
  plan.firstMarker = plan.pillars.size();
  for (const RoomPlan& r : plan.rooms)
    for (Vec2 p : r.points) {
      plan.pillars.push_back({p, 0.04, 0, 1.24, rgb(52, 52, 60)});
      plan.pillars.push_back({p, 0.09, 1.24, 1.4, rgb(255, 214, 70)});
    }
  for (RoomPlan& r : plan.rooms) {
    const int n = static_cast<int>(r.points.size());
    auto d = [&](int i, int j) {
      return std::hypot(r.points[i].x - r.points[j].x, r.points[i].y - r.points[j].y);
    };
    for (int i = 0; i < n; ++i)
      for (int j = i + 1; j < n; ++j) {
        if (!canSee(plan, r.points[i], r.points[j])) continue;
        bool nearerThird = false;
        for (int k = 0; k < n && !nearerThird; ++k)
          nearerThird = k != i && k != j && std::max(d(i, k), d(k, j)) < d(i, j) &&
                        canSee(plan, r.points[i], r.points[k]) &&
                        canSee(plan, r.points[k], r.points[j]);
        if (!nearerThird) r.links.push_back({i, j});
      }
  }
}

}  // namespace

const Face& wallOf(const Plan& plan, int room, Side side) {
  return plan.faces[room * 4 + static_cast<int>(side)];
}

const char* sideName(Side side) {
  switch (side) {
    case Side::North:
      return "north";
    case Side::East:
      return "east";
    case Side::South:
      return "south";
    case Side::West:
      return "west";
  }
  return "?";
}

Plan samplePlan() {
  Plan plan;
  plan.building = "Larkspur Library";
  // Walls between rooms are 0.2 m thick. Room order is the menu's order.
  //   y 0 .. 7:     Reading Room (x 0 .. 10)   | Map Room (x 10.2 .. 16.2)
  //   y 7.2 .. 13.2: Café (x 0 .. 5) | Foyer (x 5.2 .. 12) | Quiet Study (x 12.2 .. 16.2)
  enum { kFoyer, kReading, kMaps, kStudy, kCafe };
  plan.rooms = {
      {"foyer",
       "Foyer",
       5.2,
       7.2,
       12,
       13.2,
       {rgb(214, 190, 140), rgb(186, 118, 96), rgb(150, 172, 140), rgb(168, 150, 192)},
       rgb(176, 96, 70),
       Floor::Checker,
       0.5,
       {{6.4, 8.6}, {10.8, 8.6}, {8.6, 10.0}, {8.6, 12.2}},
       {}},
      {"reading",
       "Reading Room",
       0,
       0,
       10,
       7,
       {rgb(124, 154, 112), rgb(192, 92, 82), rgb(212, 182, 120), rgb(112, 132, 176)},
       rgb(60, 110, 70),
       Floor::Planks,
       0.6,
       {{2.2, 1.8}, {7.8, 1.8}, {5.0, 4.6}, {2.2, 5.4}, {7.8, 5.4}},
       {}},
      {"maps",
       "Map Room",
       10.2,
       0,
       16.2,
       7,
       {rgb(104, 152, 204), rgb(204, 198, 156), rgb(78, 88, 128), rgb(150, 192, 180)},
       rgb(50, 90, 150),
       Floor::Tiles,
       0.75,
       {{11.8, 2.0}, {14.6, 2.6}, {12.6, 5.4}},
       {}},
      {"study",
       "Quiet Study",
       12.2,
       7.2,
       16.2,
       13.2,
       {rgb(172, 160, 204), rgb(128, 172, 150), rgb(214, 176, 140), rgb(196, 160, 104)},
       rgb(110, 90, 150),
       Floor::Carpet,
       0.45,
       {{13.4, 8.6}, {15.0, 10.4}, {13.6, 12.2}},
       {}},
      {"cafe",
       "Caf\xc3\xa9",
       0,
       7.2,
       5,
       13.2,
       {rgb(232, 168, 78), rgb(118, 180, 202), rgb(222, 122, 132), rgb(178, 202, 108)},
       rgb(200, 110, 40),
       Floor::Terracotta,
       0.3,
       {{1.4, 8.6}, {3.6, 9.4}, {1.6, 11.8}, {3.6, 12.0}},
       {}},
  };
  for (std::size_t r = 0; r < plan.rooms.size(); ++r)
    for (Side side : kSides)
      plan.faces.push_back(makeWallFace(plan.rooms[r], static_cast<int>(r), side));

  doorway(plan, kReading, Side::East, kMaps, 2.9, 4.1);
  doorway(plan, kReading, Side::South, kFoyer, 6.9, 8.1);
  doorway(plan, kMaps, Side::South, kFoyer, 10.5, 11.7);
  doorway(plan, kCafe, Side::East, kFoyer, 9.6, 10.8);
  doorway(plan, kFoyer, Side::East, kStudy, 9.6, 10.8);
  feature(plan, kFoyer, Side::South, FeatureKind::ClosedDoor, 8.0, 9.4, 0, kDoorHeight);

  window(plan, kReading, Side::North, 2.0, 1.4);
  window(plan, kReading, Side::North, 8.0, 1.4);
  window(plan, kReading, Side::West, 3.5, 1.4);
  window(plan, kMaps, Side::East, 3.5, 1.4);
  window(plan, kFoyer, Side::South, 6.3, 1.2);
  window(plan, kFoyer, Side::South, 11.0, 1.2);
  window(plan, kStudy, Side::East, 10.2, 1.4);
  window(plan, kStudy, Side::South, 14.2, 1.2);
  window(plan, kCafe, Side::West, 10.2, 1.4);
  window(plan, kCafe, Side::South, 2.5, 1.4);

  bookcase(plan, kReading, 4.0, 2.6, 6.0, 3.4);
  bookcase(plan, kStudy, 15.7, 11.3, 16.2, 13.2);  // against the east wall, clear of its window
  column(plan, {7.2, 11.4});
  column(plan, {10.0, 11.4});

  plaques(plan);
  markersAndLinks(plan);
  return plan;
}

Vec2 columnDirection(double s) {
  const double theta = (0.5 - s) * 2 * kPi;
  return {std::cos(theta), -std::sin(theta)};
}

void castRay(const Plan& plan, Vec2 o, Vec2 d, std::vector<RayHit>& hits) {
  hits.clear();
  constexpr double kNear = 1e-9;      // metres: nothing at the eye itself
  constexpr double kEndSlack = 1e-7;  // metres: faces meeting at a corner leave no crack
  for (std::size_t i = 0; i < plan.faces.size(); ++i) {
    const Face& f = plan.faces[i];
    const double denom = dot(d, f.normal);
    if (f.twoSided ? std::fabs(denom) < 1e-12 : denom >= 0) continue;
    const double t = dot(sub(f.a, o), f.normal) / denom;
    if (t <= kNear) continue;
    const Vec2 p{o.x + t * d.x, o.y + t * d.y};
    const double u = dot(sub(p, f.a), {(f.b.x - f.a.x) / f.length, (f.b.y - f.a.y) / f.length});
    if (u < -kEndSlack || u > f.length + kEndSlack) continue;
    hits.push_back({t, static_cast<int>(i), -1, std::clamp(u, 0.0, f.length), std::fabs(denom)});
  }
  for (std::size_t i = 0; i < plan.pillars.size(); ++i) {
    const Pillar& p = plan.pillars[i];
    const Vec2 oc = sub(o, p.centre);
    const double c = dot(oc, oc) - p.radius * p.radius;
    if (c <= 0) continue;  // the eye stands inside: its own marker stand
    const double bh = dot(d, oc);
    const double disc = bh * bh - c;
    if (disc < 0) continue;
    const double t = -bh - std::sqrt(disc);
    if (t <= kNear) continue;
    const Vec2 n{(oc.x + t * d.x) / p.radius, (oc.y + t * d.y) / p.radius};
    hits.push_back(
        {t, -1, static_cast<int>(i), std::atan2(n.y, n.x) * p.radius, std::fabs(dot(d, n))});
  }
  std::sort(hits.begin(), hits.end(), [](const RayHit& x, const RayHit& y) {
    if (x.t != y.t) return x.t < y.t;
    return x.face != y.face ? x.face < y.face : x.pillar < y.pillar;
  });
}

bool openAt(const Face& f, double u, double z) {
  if (z > f.top) return true;
  for (const Feature& ft : f.features)
    if (ft.kind == FeatureKind::Doorway && u >= ft.u0 && u <= ft.u1 && z <= ft.z1) return true;
  return false;
}

RayHit firstSolidAt(const Plan& plan, Vec2 o, Vec2 d, double z) {
  std::vector<RayHit> hits;
  castRay(plan, o, d, hits);
  for (const RayHit& h : hits) {
    if (h.face >= 0 && !openAt(plan.faces[h.face], h.u, z)) return h;
    if (h.pillar >= 0 && z >= plan.pillars[h.pillar].z0 && z <= plan.pillars[h.pillar].z1) return h;
  }
  return {std::numeric_limits<double>::infinity(), -1, -1, 0, 0};
}

bool canSee(const Plan& plan, Vec2 from, Vec2 to) {
  const double length = std::hypot(to.x - from.x, to.y - from.y);
  if (length == 0) return true;
  const Vec2 d{(to.x - from.x) / length, (to.y - from.y) / length};
  return firstSolidAt(plan, from, d, kEyeHeight).t > length;
}

Paint paintAt(const Face& f, double u, double z) {
  if (f.surface == Surface::Jamb) return Paint::Trim;
  if (f.surface == Surface::Bookcase) return Paint::Books;
  auto inside = [&](const Feature& ft, double grow) {
    return u >= ft.u0 - grow && u <= ft.u1 + grow && z >= ft.z0 - grow && z <= ft.z1 + grow;
  };
  for (const Feature& ft : f.features) {
    switch (ft.kind) {
      case FeatureKind::Plaque:
        if (inside(ft, 0)) return Paint::Plaque;
        break;
      case FeatureKind::Window:
        if (inside(ft, 0)) {
          constexpr double kBar = 0.035;  // metres: half a glazing bar
          const double mid = (ft.u0 + ft.u1) / 2, transom = ft.z0 + 0.7 * (ft.z1 - ft.z0);
          const bool edge = u - ft.u0 < 2 * kBar || ft.u1 - u < 2 * kBar || z - ft.z0 < 2 * kBar ||
                            ft.z1 - z < 2 * kBar;
          if (edge || std::fabs(u - mid) < kBar || std::fabs(z - transom) < kBar)
            return Paint::Frame;
          return Paint::Pane;
        }
        if (inside(ft, kWindowSurround)) return Paint::Trim;
        break;
      case FeatureKind::ClosedDoor:
        if (inside(ft, 0)) return Paint::Door;
        [[fallthrough]];
      case FeatureKind::Doorway:
        if (inside(ft, kDoorSurround)) return Paint::Trim;
        break;
    }
  }
  if (z < 0.15) return Paint::Skirting;
  if (z < 0.88) return Paint::Wainscot;
  if (z < 0.94) return Paint::DadoRail;
  if (z < 2.72) {
    constexpr double kStripe = 0.05;  // metres wide
    const bool stripe =
        f.stripePitch > 0 && u - std::floor(u / f.stripePitch) * f.stripePitch < kStripe;
    return stripe ? Paint::Stripe : Paint::Plain;
  }
  return Paint::Cornice;
}

double lighting(double t, double cosIncidence) {
  return (0.8 + 0.2 * cosIncidence) / (1 + 0.035 * t);
}

Colour plainWallSeen(const Face& face, const RayHit& hit) {
  const double k = lighting(hit.t, hit.cosIncidence);
  return {face.colour.r * k, face.colour.g * k, face.colour.b * k};
}

}  // namespace sampletour
