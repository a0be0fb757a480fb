// Flat pictures painted with coverage-weighted shapes (so edges are smooth) and DejaVu text.
#include "sample_tour/artwork.h"

#include <algorithm>
#include <cmath>

namespace sampletour {

namespace {

const Colour kNavy{20, 28, 50};
const Colour kInk{12, 17, 32};
const Colour kCream{246, 236, 210};
const Colour kGold{214, 178, 98};

// Fills the rectangle with edges at fractional pixel positions, weighting edge pixels by the
// part of them covered.
void fillBox(Image& im, double x0, double y0, double x1, double y1, Colour c, double alpha = 1) {
  for (int y = static_cast<int>(std::floor(y0)); y < std::ceil(y1); ++y)
    for (int x = static_cast<int>(std::floor(x0)); x < std::ceil(x1); ++x) {
      const double cx = std::min(x1, x + 1.0) - std::max(x0, double(x));
      const double cy = std::min(y1, y + 1.0) - std::max(y0, double(y));
      if (cx > 0 && cy > 0) blendPixel(im, x, y, c, alpha * cx * cy);
    }
}

void fillDisc(Image& im, double cx, double cy, double r, Colour c) {
  for (int y = static_cast<int>(cy - r - 1); y <= cy + r + 1; ++y)
    for (int x = static_cast<int>(cx - r - 1); x <= cx + r + 1; ++x) {
      const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      blendPixel(im, x, y, c, std::clamp(r - d + 0.5, 0.0, 1.0));
    }
}

void drawSegment(Image& im, double ax, double ay, double bx, double by, double width, Colour c) {
  const double len2 = (bx - ax) * (bx - ax) + (by - ay) * (by - ay);
  for (int y = static_cast<int>(std::min(ay, by) - width - 1); y <= std::max(ay, by) + width + 1;
       ++y)
    for (int x = static_cast<int>(std::min(ax, bx) - width - 1); x <= std::max(ax, bx) + width + 1;
         ++x) {
      const double px = x + 0.5, py = y + 0.5;
      const double t =
          len2 > 0 ? std::clamp(((px - ax) * (bx - ax) + (py - ay) * (by - ay)) / len2, 0.0, 1.0)
                   : 0;
      const double d = std::hypot(px - (ax + t * (bx - ax)), py - (ay + t * (by - ay)));
      blendPixel(im, x, y, c, std::clamp(width / 2 - d + 0.5, 0.0, 1.0));
    }
}

void verticalGradient(Image& im, int x0, int x1, Colour top, Colour bottom) {
  for (int y = 0; y < im.height; ++y)
    fillRect(im, x0, y, x1, y + 1, mix(top, bottom, y / (im.height - 1.0)));
}

// Text with a soft dark shadow under it, centred on cx.
void shadowedText(Image& im, Fonts& fonts, bool bold, int size, const std::string& text, int cx,
                  int y, Colour colour) {
  const TextMask mask = renderText(fonts, bold, size, text);
  const int x = cx - mask.width / 2;
  const int offset = std::max(1, size / 16);
  drawText(im, mask, x + offset, y + offset, {0, 0, 0});
  drawText(im, mask, x, y, colour);
}

std::string countWord(std::size_t n) {
  static const char* kWords[] = {
      "no",       "one",     "two",     "three",     "four",     "five",     "six",
      "seven",    "eight",   "nine",    "ten",       "eleven",   "twelve",   "thirteen",
      "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen", "twenty"};
  return n < sizeof kWords / sizeof *kWords ? kWords[n] : std::to_string(n);
}

// The plan of the building as the title shows it: walls in cream, rooms in their colours,
// doorways as gaps, windows in pale blue, the panorama points and their links.
void drawPlan(Image& im, const Plan& plan, Fonts& fonts, double left, double top, double scale) {
  auto X = [&](double x) { return left + x * scale; };
  auto Y = [&](double y) { return top + y * scale; };
  double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
  for (const RoomPlan& r : plan.rooms) {
    minX = std::min(minX, r.x0), minY = std::min(minY, r.y0);
    maxX = std::max(maxX, r.x1), maxY = std::max(maxY, r.y1);
  }
  constexpr double kOuter = 0.3;  // metres of outer wall drawn
  fillBox(im, X(minX - kOuter) + 6, Y(minY - kOuter) + 6, X(maxX + kOuter) + 6,
          Y(maxY + kOuter) + 6, {0, 0, 0}, 0.45);
  fillBox(im, X(minX - kOuter), Y(minY - kOuter), X(maxX + kOuter), Y(maxY + kOuter),
          {226, 216, 192});
  for (const RoomPlan& r : plan.rooms)
    fillBox(im, X(r.x0), Y(r.y0), X(r.x1), Y(r.y1), mix(r.accent, {24, 32, 56}, 0.45));
  // Doorways: each room's floor runs on through its half of the wall.
  for (const Face& f : plan.faces) {
    if (f.surface != Surface::Wall) continue;
    const Vec2 along{(f.b.x - f.a.x) / f.length, (f.b.y - f.a.y) / f.length};
    const Colour floor = mix(plan.rooms[f.room].accent, {24, 32, 56}, 0.45);
    for (const Feature& ft : f.features) {
      if (ft.kind != FeatureKind::Doorway) continue;
      const double half = -0.1;  // metres: half the wall's thickness, behind the face
      const Vec2 p{f.a.x + along.x * ft.u0, f.a.y + along.y * ft.u0};
      const Vec2 q{f.a.x + along.x * ft.u1 + f.normal.x * half,
                   f.a.y + along.y * ft.u1 + f.normal.y * half};
      fillBox(im, X(std::min(p.x, q.x)), Y(std::min(p.y, q.y)), X(std::max(p.x, q.x)),
              Y(std::max(p.y, q.y)), floor);
    }
  }
  for (const Face& f : plan.faces) {
    if (f.surface == Surface::Jamb) continue;
    if (f.surface == Surface::Bookcase) continue;
    const Vec2 along{(f.b.x - f.a.x) / f.length, (f.b.y - f.a.y) / f.length};
    for (const Feature& ft : f.features) {
      if (ft.kind == FeatureKind::Doorway || ft.kind == FeatureKind::Plaque) continue;
      const Colour c = ft.kind == FeatureKind::Window ? Colour{150, 200, 245} : Colour{118, 54, 40};
      const double out = -0.15;  // metres: drawn in the wall's thickness
      const Vec2 p{f.a.x + along.x * ft.u0 + f.normal.x * out,
                   f.a.y + along.y * ft.u0 + f.normal.y * out};
      const Vec2 q{f.a.x + along.x * ft.u1 + f.normal.x * out,
                   f.a.y + along.y * ft.u1 + f.normal.y * out};
      drawSegment(im, X(p.x), Y(p.y), X(q.x), Y(q.y), 5, c);
    }
  }
  for (const Footprint& b : plan.bookcases)
    fillBox(im, X(b.x0), Y(b.y0), X(b.x1), Y(b.y1), {150, 104, 64});
  for (std::size_t i = 0; i < plan.firstMarker; ++i) {
    const Pillar& p = plan.pillars[i];
    fillDisc(im, X(p.centre.x), Y(p.centre.y), p.radius * scale, p.colour);
  }
  for (const RoomPlan& r : plan.rooms) {
    for (const auto& [i, j] : r.links)
      drawSegment(im, X(r.points[i].x), Y(r.points[i].y), X(r.points[j].x), Y(r.points[j].y), 1.6,
                  {255, 255, 255});
    for (Vec2 p : r.points) {
      fillDisc(im, X(p.x), Y(p.y), 5.5, {30, 30, 30});
      fillDisc(im, X(p.x), Y(p.y), 4.2, {255, 214, 70});
    }
    const int size =
        fittingSize(fonts, true, 20, static_cast<int>((r.x1 - r.x0) * scale) - 12, r.name);
    shadowedText(im, fonts, true, size, r.name, static_cast<int>(X((r.x0 + r.x1) / 2)),
                 static_cast<int>(Y(r.y0) + 8), kCream);
  }
  // A compass: north is up, as on the viewer's mini-map.
  const double cx = X(maxX + kOuter) + 26, cy = Y(minY) + 30;
  drawSegment(im, cx, cy + 22, cx, cy - 14, 3, kGold);
  drawSegment(im, cx, cy - 22, cx - 8, cy - 8, 3, kGold);
  drawSegment(im, cx, cy - 22, cx + 8, cy - 8, 3, kGold);
  drawCentred(im, fonts, true, 18, "N", static_cast<int>(cx), static_cast<int>(cy + 26), kGold);
}

}  // namespace

Image titlePicture(const Plan& plan, Fonts& fonts) {
  Image im = makeImage(kTitleWidth, kTitleHeight, kNavy);
  verticalGradient(im, 0, kTitleWidth, {18, 26, 48}, {38, 54, 88});
  verticalGradient(im, 0, kIconColumn, {10, 14, 28}, {16, 22, 40});
  fillRect(im, kIconColumn, 0, kIconColumn + 3, kTitleHeight, kGold);

  // Below the icons, a word on what they are for.
  const int belowIcons = static_cast<int>(std::ceil(plan.rooms.size() * 76.8)) + 24;
  const int cx = kIconColumn / 2;
  int y = belowIcons;
  y += drawCentred(im, fonts, true, 30, "\xe2\x96\xb2", cx, y, kGold) + 4;  // an upward triangle
  y += drawCentred(im, fonts, false, 19, "Choose a room", cx, y, kCream);
  drawCentred(im, fonts, false, 19, "to enter it", cx, y, kCream);

  const int mid = (kIconColumn + kTitleWidth) / 2;
  shadowedText(im, fonts, true, 88, "Ostrivane", mid, 26, kCream);
  shadowedText(im, fonts, false, 40, plan.building, mid, 132, kGold);
  fillRect(im, mid - 200, 190, mid + 200, 192, kGold);
  std::size_t points = 0;
  for (const RoomPlan& r : plan.rooms) points += r.points.size();
  std::string line = "A sample tour: " + countWord(plan.rooms.size()) + " rooms, " +
                     countWord(points) + " viewpoints";
  drawCentred(im, fonts, false, 21, line, mid, 204, {200, 206, 222});

  constexpr double kScale = 34;  // pixels per metre
  drawPlan(im, plan, fonts, mid - 16.2 * kScale / 2 - 20, 268, kScale);
  return im;
}

Image roomIcon(const Plan& plan, int room, Fonts& fonts) {
  const RoomPlan& r = plan.rooms[room];
  Image im = makeImage(kIconWidth, kIconHeight, r.accent);
  for (int y = 0; y < kIconHeight; ++y)
    fillRect(
        im, 0, y, kIconWidth, y + 1,
        mix(mix(r.accent, {255, 255, 255}, 0.18), scaled(r.accent, 0.62), y / (kIconHeight - 1.0)));
  fillRect(im, 0, 0, kIconWidth, 1, mix(r.accent, {255, 255, 255}, 0.5));
  fillRect(im, 0, kIconHeight - 2, kIconWidth, kIconHeight, kInk);
  fillRect(im, kIconWidth - 3, 0, kIconWidth, kIconHeight, kGold);
  const int size = fittingSize(fonts, true, 30, kIconWidth - 24, r.name);
  const int nameHeight = renderText(fonts, true, size, r.name).height;
  shadowedText(im, fonts, true, size, r.name, kIconWidth / 2, (48 - nameHeight) / 2 + 2,
               {255, 255, 255});
  const std::string sub = std::to_string(r.points.size()) + " viewpoints";
  drawCentred(im, fonts, false, 15, sub, kIconWidth / 2, 50, kCream);
  return im;
}

Image menuButton(Fonts& fonts) {
  Image im = makeImage(kButtonSide, kButtonSide, kInk);
  fillBox(im, 3, 3, kButtonSide - 3, kButtonSide - 3, kGold);
  fillBox(im, 5, 5, kButtonSide - 5, kButtonSide - 5, {34, 46, 80});
  // An arrow pointing back, drawn as strokes so it is as thick as the word under it.
  const double y = 24, x0 = 15, x1 = 49;
  drawSegment(im, x0, y, x1, y, 5, kCream);
  drawSegment(im, x0, y, x0 + 11, y - 10, 5, kCream);
  drawSegment(im, x0, y, x0 + 11, y + 10, 5, kCream);
  drawCentred(im, fonts, true, 15, "Menu", kButtonSide / 2, 37, kCream);
  return im;
}

Image namePlate(const RoomPlan& room, Fonts& fonts) {
  constexpr int kW = 760, kH = 152;  // 400 pixels per metre
  Image im = makeImage(kW, kH, {34, 40, 58});
  fillBox(im, 6, 6, kW - 6, kH - 6, {196, 164, 90});
  fillBox(im, 12, 12, kW - 12, kH - 12, {34, 40, 58});
  const int size = fittingSize(fonts, true, 76, kW - 80, room.name);
  const TextMask mask = renderText(fonts, true, size, room.name);
  drawText(im, mask, (kW - mask.width) / 2, (kH - mask.height) / 2, {248, 238, 212});
  return im;
}

}  // namespace sampletour
