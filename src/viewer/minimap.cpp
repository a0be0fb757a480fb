// The mini-map's drawing and point selection.
#include "viewer/minimap.h"

#include <SDL_opengl.h>

#include <cmath>

namespace {
constexpr double kDegToRad = 3.14159265 / 180;  // the factor every angle uses
constexpr double kPlanScale = 0.2;              // map units per plan unit
constexpr float kCircleRadius = 0.08f;          // map units
constexpr double kConeRadius = 0.5;             // map units
constexpr float kConeHalfAngle = 45;            // degrees
constexpr float kHitRadius = 9;                 // window pixels
constexpr double kCullMargin = 0.02;            // map units, more than a line's width

// Hit-test geometry, window pixels: the centre and the half-extents of an uncut
// 1024/3.5 by 768/3.5 panel at (16, 16).
constexpr double kHitLeft = 16, kHitTop = 16;
constexpr double kHitRight = 308.57142857142856, kHitBottom = 235.42857142857142;
constexpr double kHitCentreX = 162.28571428571428, kHitCentreY = 125.71428571428571;
constexpr double kHitHalfWidth = 146.28571428571428, kHitHalfHeight = 109.71428571428571;
constexpr double kPlanHalfWidth = 1.3333333333333333;  // the plan projection's x extent

void panelViewport() { glViewport(16, 532, 292, 219); }
void planProjection() { glOrtho(-kPlanHalfWidth, kPlanHalfWidth, 1, -1, 0, -1); }

bool validPoint(const Room& room, std::int32_t i) {
  return i >= 0 && static_cast<std::size_t>(i) < room.points.size();
}
}  // namespace

bool miniMapContains(std::int32_t x, std::int32_t y) {
  return kHitLeft < x && x < kHitRight && kHitTop < y && y < kHitBottom;
}

void selectMiniMapPoint(Room& room, std::int32_t x, std::int32_t y) {
  if (!validPoint(room, room.currentPoint)) return;
  const ViewPoint c = room.points[room.currentPoint];
  const float mx = static_cast<float>(x), my = static_cast<float>(y);
  for (std::size_t i = 0; i < room.points.size(); ++i) {
    const ViewPoint& p = room.points[i];
    const float sx = static_cast<float>((static_cast<double>(p.x) - c.x) * kHitHalfWidth *
                                            kPlanScale / kPlanHalfWidth +
                                        kHitCentreX);
    const float sy = static_cast<float>(
        (static_cast<double>(p.y) - c.y) * kHitHalfHeight * kPlanScale + kHitCentreY);
    if (distance(mx, my, sx, sy) < kHitRadius) {
      room.currentPoint = static_cast<std::int32_t>(i);
      return;
    }
  }
}

void drawMiniMap(const Room& room, float viewOffset) {
  glLoadIdentity();
  panelViewport();
  glOrtho(-1, 1, -1, 1, 0, -1);
  glBindTexture(GL_TEXTURE_2D, 0);
  glColor3f(1, 1, 1);
  glBegin(GL_LINE_LOOP);
  glVertex2f(-0.999f, -0.999f);
  glVertex2f(1, -0.999f);
  glVertex2f(1, 1);
  glVertex2f(-0.999f, 1);
  glEnd();

  glColor4f(0.4f, 0.4f, 1, 0.5f);
  glBegin(GL_QUADS);
  glVertex2f(-1, -1);
  glVertex2f(1, -1);
  glVertex2f(1, 1);
  glVertex2f(-1, 1);
  glEnd();

  if (!validPoint(room, room.currentPoint)) return;
  const ViewPoint c = room.points[room.currentPoint];
  auto mapX = [&](const ViewPoint& p) {
    return static_cast<float>((static_cast<double>(p.x) - c.x) * kPlanScale);
  };
  auto mapY = [&](const ViewPoint& p) {
    return static_cast<float>((static_cast<double>(p.y) - c.y) * kPlanScale);
  };

  glColor3f(1, 1, 1);
  for (std::size_t i = 0; i < room.points.size(); ++i) {
    const float x = mapX(room.points[i]), y = mapY(room.points[i]);
    // A circle wholly beyond the panel's edge draws nothing; skipping it keeps a room of
    // many thousands of points turning smoothly.
    if (!(std::fabs(x) <= kPlanHalfWidth + kCircleRadius + kCullMargin &&
          std::fabs(y) <= 1 + kCircleRadius + kCullMargin))
      continue;
    if (static_cast<std::int32_t>(i) == room.currentPoint)
      glColor3f(1, 1, 0);
    else
      glColor3f(1, 1, 1);
    glLoadIdentity();
    panelViewport();
    planProjection();
    glTranslatef(x, y, 0);
    drawCircleOutline(kCircleRadius);
  }

  glLoadIdentity();
  panelViewport();
  planProjection();
  glBegin(GL_LINES);
  glColor3f(1, 1, 1);
  // Pairs of entries are the two ends of one link; a pair with an end that names no point,
  // and an odd last entry, draw nothing.
  for (std::size_t i = 0; i + 1 < room.links.size(); i += 2) {
    const std::int32_t a = room.links[i], b = room.links[i + 1];
    if (!validPoint(room, a) || !validPoint(room, b)) continue;
    glVertex2f(mapX(room.points[a]), mapY(room.points[a]));
    glVertex2f(mapX(room.points[b]), mapY(room.points[b]));
  }
  glEnd();

  const float a = static_cast<float>(static_cast<double>(viewOffset) * 180);
  glBegin(GL_TRIANGLES);
  glColor4f(1, 1, 1, 1);
  glVertex2f(0, 0);
  glColor4f(1, 1, 1, 0);
  glVertex2f(cosDeg(kConeRadius, a - kConeHalfAngle), -sinDeg(kConeRadius, a - kConeHalfAngle));
  glVertex2f(cosDeg(kConeRadius, a + kConeHalfAngle), -sinDeg(kConeRadius, a + kConeHalfAngle));
  glEnd();
}

void drawCircleOutline(float radius) {
  constexpr int kSteps = 300;
  const double r = radius;
  glBegin(GL_LINE_LOOP);
  glVertex2d(r, 0);
  for (int i = 1; i <= kSteps; ++i) {
    const double angle = i * 6.283185307179586 / kSteps;
    glVertex2d(r * std::cos(angle), r * std::sin(angle));
  }
  glEnd();
}

float cosDeg(float scale, float angleDeg) {
  return static_cast<float>(scale * std::cos(angleDeg * kDegToRad));
}

float sinDeg(float scale, float angleDeg) {
  return static_cast<float>(scale * std::sin(angleDeg * kDegToRad));
}

float distance(float x1, float y1, float x2, float y2) {
  const double dx = static_cast<double>(x2) - x1, dy = static_cast<double>(y2) - y1;
  return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}
