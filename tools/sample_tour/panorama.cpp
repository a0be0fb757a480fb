// The panorama renderer: per column one sorted list of what the ray crosses, then per row the
// first surface solid at the height where the ray meets it, or the floor or ceiling before.
#include "sample_tour/panorama.h"

#include <cmath>
#include <cstdint>

namespace sampletour {

namespace {

// A stable pseudo-random number for a few integers, so patterns never depend on order.
std::uint32_t hash(std::uint32_t a, std::uint32_t b, std::uint32_t c = 0) {
  std::uint32_t h =
      a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}
double unit(std::uint32_t h) { return (h & 0xFFFF) / 65535.0; }

int cell(double v, double size) { return static_cast<int>(std::floor(v / size)); }
double within(double v, double size) { return v - std::floor(v / size) * size; }

const Colour kTrim{92, 62, 42};
const Colour kCream{238, 232, 216};

const Feature* featureAt(const Face& f, FeatureKind kind, double u, double z) {
  for (const Feature& ft : f.features)
    if (ft.kind == kind && u >= ft.u0 && u <= ft.u1 && z >= ft.z0 && z <= ft.z1) return &ft;
  return nullptr;
}

Colour books(const Face& f, int faceIndex, double u, double z) {
  const Colour wood = f.colour;
  if (f.length < 1 || u < 0.04 || u > f.length - 0.04 || z < 0.1 || z > f.top - 0.06)
    return within(u + 0.3, 0.5) < 0.015 ? scaled(wood, 0.8) : wood;
  constexpr double kShelfPitch = 0.4;  // metres
  const int shelf = cell(z - 0.1, kShelfPitch);
  const double above = within(z - 0.1, kShelfPitch);
  if (above < 0.03) return scaled(wood, 1.12);  // the shelf board
  constexpr double kSlot = 0.046;               // metres: one book's spine
  const int slot = cell(u, kSlot);
  const std::uint32_t h = hash(faceIndex, shelf, slot);
  if (above - 0.03 > 0.22 + 0.12 * unit(h)) return {36, 26, 20};  // dark gap above the book
  static const Colour kSpines[] = {{140, 40, 36}, {40, 70, 120},   {46, 100, 60}, {160, 120, 50},
                                   {90, 46, 90},  {180, 170, 150}, {30, 30, 34},  {120, 70, 40}};
  Colour c = scaled(kSpines[(h >> 16) % 8], 0.8 + 0.35 * unit(h >> 8));
  const double across = within(u, kSlot) / kSlot;
  if (across < 0.08 || across > 0.92) c = scaled(c, 0.55);
  if (std::fabs(above - 0.03 - 0.12) < 0.008) c = mix(c, {220, 190, 90}, 0.6);  // gilt band
  return c;
}

Colour window(const Face& f, double u, double z) {
  const Feature* ft = featureAt(f, FeatureKind::Window, u, z);
  if (!ft) return {200, 220, 240};
  const double up = (z - ft->z0) / (ft->z1 - ft->z0);
  const double trees = 0.2 + 0.06 * std::sin(u * 11.0) + 0.03 * std::sin(u * 29.0 + 1.0);
  if (up < trees) return mix({92, 132, 84}, {128, 170, 110}, up / trees);
  return mix({232, 240, 248}, {150, 196, 242}, (up - trees) / (1 - trees));
}

Colour door(const Face& f, double u, double z) {
  const Feature* ft = featureAt(f, FeatureKind::ClosedDoor, u, z);
  const Colour leaf{118, 54, 40};
  if (!ft) return leaf;
  const double x = u - ft->u0, w = ft->u1 - ft->u0;
  if (std::fabs(x - (w - 0.14)) < 0.035 && std::fabs(z - 1.05) < 0.035) return {220, 180, 80};
  if (std::fabs(x - w / 2) < 0.02) return scaled(leaf, 0.6);  // the meeting of two leaves
  const double px = within(x, w / 2), pz = z;
  const bool panel = px > 0.1 && px < w / 2 - 0.1 &&
                     ((pz > 0.2 && pz < 0.95) || (pz > 1.15 && pz < ft->z1 - 0.15));
  if (!panel) return leaf;
  const bool rim = px < 0.13 || px > w / 2 - 0.13 || std::fabs(pz - 0.2) < 0.03 ||
                   std::fabs(pz - 0.95) < 0.03 || std::fabs(pz - 1.15) < 0.03 ||
                   std::fabs(pz - (ft->z1 - 0.15)) < 0.03;
  return scaled(leaf, rim ? 0.7 : 0.88);
}

Colour plaque(const Face& f, double u, double z, const std::vector<Image>& plaques) {
  const Feature* ft = featureAt(f, FeatureKind::Plaque, u, z);
  if (!ft || f.room < 0 || static_cast<std::size_t>(f.room) >= plaques.size() ||
      plaques[f.room].width == 0)
    return {34, 40, 58};
  return sampleBilinear(plaques[f.room], (u - ft->u0) / (ft->u1 - ft->u0),
                        (ft->z1 - z) / (ft->z1 - ft->z0));
}

Colour faceSeen(const Plan& plan, const RayHit& hit, double z, const std::vector<Image>& plaques) {
  const Face& f = plan.faces[hit.face];
  const double k = lighting(hit.t, hit.cosIncidence);
  const double u = hit.u;
  switch (paintAt(f, u, z)) {
    case Paint::Skirting:
      return scaled({62, 46, 38}, k);
    case Paint::Wainscot: {
      const double groove = within(u + 0.3, 0.6) < 0.02 || std::fabs(z - 0.2) < 0.01 ? 0.8 : 1;
      return scaled(f.colour, 0.72 * groove * k);
    }
    case Paint::DadoRail:
      return scaled(kCream, k);
    case Paint::Plain:
      return scaled(f.colour, k);
    case Paint::Stripe:
      return scaled(f.colour, 0.9 * k);
    case Paint::Cornice:
      return scaled({244, 240, 230}, (z < 2.77 ? 0.78 : 1) * k);
    case Paint::Trim:
      return scaled(f.surface == Surface::Jamb ? f.colour : kTrim, k);
    case Paint::Door:
      return scaled(door(f, u, z), k);
    case Paint::Pane:
      return scaled(window(f, u, z), 0.85 + 0.15 * k);
    case Paint::Frame:
      return scaled({242, 242, 238}, k);
    case Paint::Plaque:
      return scaled(plaque(f, u, z, plaques), 0.4 + 0.6 * k);
    case Paint::Books:
      return scaled(books(f, hit.face, u, z), k);
  }
  return {255, 0, 255};
}

Colour pillarSeen(const Plan& plan, const RayHit& hit, double z) {
  const Pillar& p = plan.pillars[hit.pillar];
  const double k = lighting(hit.t, hit.cosIncidence);
  if (hit.pillar >= static_cast<int>(plan.firstMarker)) {
    // The stands are lamps: the cap glows, so it stays bright however far it is.
    if (p.z0 > 0) return scaled(p.colour, 0.75 + 0.25 * hit.cosIncidence);
    return scaled(p.colour, k);
  }
  if (z < 0.3) return scaled(p.colour, 0.85 * k);
  if (z > 2.7) return scaled({244, 240, 230}, (z < 2.78 ? 0.8 : 1) * k);
  const double flute = 0.93 + 0.07 * std::cos(hit.u * 2 * kPi / 0.1);
  return scaled(p.colour, flute * k);
}

int roomAt(const Plan& plan, Vec2 q) {
  for (std::size_t i = 0; i < plan.rooms.size(); ++i) {
    const RoomPlan& r = plan.rooms[i];
    if (q.x >= r.x0 && q.x <= r.x1 && q.y >= r.y0 && q.y <= r.y1) return static_cast<int>(i);
  }
  return -1;
}

Colour floorSeen(const Plan& plan, Vec2 q) {
  const int room = roomAt(plan, q);
  if (room < 0) return {150, 146, 136};  // a stone threshold under a doorway
  switch (plan.rooms[room].floor) {
    case Floor::Planks: {
      const int board = cell(q.y, 0.18);
      const double along = q.x + 1.7 * unit(hash(room, board));
      const Colour c = scaled({150, 104, 64}, 0.85 + 0.25 * unit(hash(board, cell(along, 1.8))));
      return within(q.y, 0.18) < 0.012 || within(along, 1.8) < 0.015 ? scaled(c, 0.55) : c;
    }
    case Floor::Tiles: {
      if (within(q.x, 0.5) < 0.02 || within(q.y, 0.5) < 0.02) return {210, 210, 204};
      return (cell(q.x, 0.5) + cell(q.y, 0.5)) % 2 ? Colour{182, 188, 198} : Colour{116, 128, 150};
    }
    case Floor::Checker:
      return (cell(q.x, 0.6) + cell(q.y, 0.6)) % 2 ? Colour{236, 232, 224} : Colour{48, 48, 54};
    case Floor::Carpet:
      return scaled({70, 102, 82}, 0.92 + 0.12 * unit(hash(cell(q.x, 0.04), cell(q.y, 0.04))));
    case Floor::Terracotta: {
      if (within(q.x, 0.3) < 0.015 || within(q.y, 0.3) < 0.015) return {204, 194, 178};
      return scaled({176, 92, 60}, 0.85 + 0.25 * unit(hash(cell(q.x, 0.3), cell(q.y, 0.3), 7)));
    }
  }
  return {128, 128, 128};
}

}  // namespace

double elevationTangent(double y, int width, int height) {
  const double radius = width / (2 * kPi);  // pixels: the cylinder the picture is rolled from
  return (height / 2.0 - y) / radius;
}

Colour colourSeen(const Plan& plan, const std::vector<RayHit>& hits, Vec2 eye, Vec2 d,
                  double tanElevation, const std::vector<Image>& plaques) {
  double reach = INFINITY;  // where the ray meets the floor or the ceiling
  if (tanElevation < 0) reach = kEyeHeight / -tanElevation;
  if (tanElevation > 0) reach = (kWallHeight - kEyeHeight) / tanElevation;
  for (const RayHit& h : hits) {
    if (h.t >= reach) break;
    const double z = kEyeHeight + h.t * tanElevation;
    if (h.face >= 0) {
      if (openAt(plan.faces[h.face], h.u, z)) continue;
      return faceSeen(plan, h, z, plaques);
    }
    const Pillar& p = plan.pillars[h.pillar];
    if (z < p.z0 || z > p.z1) continue;
    return pillarSeen(plan, h, z);
  }
  if (!std::isfinite(reach)) return {20, 20, 20};
  const double sinElevation = std::fabs(tanElevation) / std::sqrt(1 + tanElevation * tanElevation);
  const double k = lighting(reach, sinElevation);
  if (tanElevation > 0) return scaled({240, 237, 228}, k);
  return scaled(floorSeen(plan, {eye.x + reach * d.x, eye.y + reach * d.y}), k);
}

Image renderPanorama(const Plan& plan, Vec2 eye, const std::vector<Image>& plaques) {
  constexpr int kW = kPanoramaWidth, kH = kPanoramaHeight;
  constexpr int kSub = 2;  // rays per pixel along each axis
  Image image = makeImage(kW, kH, {0, 0, 0});
  double tangents[kH * kSub];
  for (int r = 0; r < kH * kSub; ++r) tangents[r] = elevationTangent((r + 0.5) / kSub, kW, kH);
  std::vector<Colour> column(kH);
  std::vector<RayHit> hits;
  for (int c = 0; c < kW; ++c) {
    std::fill(column.begin(), column.end(), Colour{});
    for (int i = 0; i < kSub; ++i) {
      const Vec2 d = columnDirection((c + (i + 0.5) / kSub) / kW);
      castRay(plan, eye, d, hits);
      for (int r = 0; r < kH * kSub; ++r) {
        const Colour x = colourSeen(plan, hits, eye, d, tangents[r], plaques);
        Colour& sum = column[r / kSub];
        sum.r += x.r, sum.g += x.g, sum.b += x.b;
      }
    }
    for (int r = 0; r < kH; ++r) putPixel(image, c, r, scaled(column[r], 1.0 / (kSub * kSub)));
  }
  return image;
}

}  // namespace sampletour
