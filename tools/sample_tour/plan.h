// The sample building's floor plan and the ray caster that every panorama is rendered with.
// Plan units are metres; x grows to the right and y downward, as on the viewer's mini-map, so
// "north" is -y. Heights (z) are metres above the floor. Nothing here needs SDL or a font.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace sampletour {

inline constexpr double kEyeHeight = 1.6;   // metres
inline constexpr double kWallHeight = 3.0;  // metres, floor to ceiling
inline constexpr double kDoorHeight = 2.2;  // metres
inline constexpr double kPi = 3.14159265358979323846;

struct Vec2 {
  double x = 0, y = 0;
};

// 0..255 per channel, kept in floating point until a pixel is written.
struct Colour {
  double r = 0, g = 0, b = 0;
};

enum class Side { North, East, South, West };
inline constexpr std::array<Side, 4> kSides = {Side::North, Side::East, Side::South, Side::West};
const char* sideName(Side side);

// Something painted on or cut into a wall face, in the face's own coordinates: u along the
// face from its left end as seen from the front, z above the floor.
enum class FeatureKind {
  Doorway,     // an opening: the ray goes on into the next room
  ClosedDoor,  // the front door, painted shut
  Window,      // a bright pane; nothing is seen through it
  Plaque,      // the room's name plate
};

struct Feature {
  FeatureKind kind;
  double u0, u1, z0, z1;
};

enum class Surface {
  Wall,      // one room's side
  Bookcase,  // a free-standing case of books, open above its top
  Jamb,      // the reveal of a doorway, across the wall's thickness
};

// One flat surface seen from its front only (a jamb is seen from both sides). a is its left
// end and b its right end as seen from the front, so text along u reads left to right.
struct Face {
  Vec2 a, b;
  Vec2 normal;  // unit, pointing to the front
  double length = 0;
  double top = kWallHeight;  // above this height the face is open
  Surface surface = Surface::Wall;
  int room = -1;
  Side side = Side::North;
  Colour colour;
  double stripePitch = 0;  // metres; 0 for none
  bool twoSided = false;
  std::vector<Feature> features;
};

// An upright cylinder: a column of the foyer, or the stand that marks a panorama point.
struct Pillar {
  Vec2 centre;
  double radius = 0;
  double z0 = 0, z1 = kWallHeight;
  Colour colour;
};

enum class Floor { Planks, Tiles, Checker, Carpet, Terracotta };

struct RoomPlan {
  std::string directory;        // plain lower-case ASCII, the room's folder under data/
  std::string name;             // shown on its walls, its icon and the title's plan
  double x0, y0, x1, y1;        // the floor's rectangle, inside the walls
  std::array<Colour, 4> walls;  // by Side
  Colour accent;                // the icon's colour
  Floor floor;
  double stripePitch;                      // metres between the wallpaper's pinstripes
  std::vector<Vec2> points;                // panorama points, in file order
  std::vector<std::pair<int, int>> links;  // pairs of indices into points
};

// A free-standing bookcase's footprint; its four faces are in Plan::faces.
struct Footprint {
  double x0, y0, x1, y1;
};

struct Plan {
  std::string building;  // the building's name
  std::vector<RoomPlan> rooms;
  std::vector<Footprint> bookcases;
  std::vector<Face> faces;
  std::vector<Pillar> pillars;  // marker stands come last: a pole and a lamp per point
  std::size_t firstMarker = 0;  // index of the first marker stand in pillars
};

// The building of the sample tour, with its points linked where they can see each other.
Plan samplePlan();

// The wall face on that side of a room.
const Face& wallOf(const Plan& plan, int room, Side side);

// Direction of a panorama column at s (0 = left edge, 1 = right edge) on the plan:
// s = 0.5 looks along +x, s = 0.25 along -y (north), s = 0.75 along +y.
Vec2 columnDirection(double s);

// Everything a ray crosses, nearest first. t is the distance along the (unit) direction.
struct RayHit {
  double t = 0;
  int face = -1;            // index into Plan::faces, or -1
  int pillar = -1;          // index into Plan::pillars, or -1
  double u = 0;             // along the face from its left end, or around the pillar
  double cosIncidence = 1;  // |cos| of the angle between the ray and the surface normal
};
void castRay(const Plan& plan, Vec2 origin, Vec2 direction, std::vector<RayHit>& hits);

// The first surface that is solid at height z along the ray, as castRay reports it; a hit
// with face and pillar both -1 when there is none.
RayHit firstSolidAt(const Plan& plan, Vec2 origin, Vec2 direction, double z);

// True where nothing solid at eye height stands between the two points (marker stands are
// below eye height).
bool canSee(const Plan& plan, Vec2 from, Vec2 to);

// What a face shows at (u, z) when nothing of it is open there.
enum class Paint {
  Skirting,
  Wainscot,
  DadoRail,
  Plain,
  Stripe,
  Cornice,
  Trim,
  Door,
  Pane,
  Frame,
  Plaque,
  Books
};
Paint paintAt(const Face& face, double u, double z);
bool openAt(const Face& face, double u, double z);

// The light a surface gets as seen from t metres away, the ray meeting it at cosIncidence:
// 1 straight on and near, less with distance and at grazing angles.
double lighting(double t, double cosIncidence);

// The colour at which a face's plain paint is seen: its own colour times lighting.
Colour plainWallSeen(const Face& face, const RayHit& hit);

}  // namespace sampletour
