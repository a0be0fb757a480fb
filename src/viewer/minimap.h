// The mini-map: a translucent plan of the current room near the viewer's upper-left corner,
// centred on the current point, with a circle per point, the links and the view cone; and
// the point selection on it. Also the circle outline and the degree-based geometry helpers.
#pragma once

#include <cstdint>

#include "tour/tour.h"

// True inside the hit region 16 < x < 16 + 1024/3.5, 16 < y < 16 + 768/3.5 (window pixels).
bool miniMapContains(std::int32_t x, std::int32_t y);

// Makes the lowest-index point whose circle lies less than 9 pixels from the mouse the
// current one; nothing happens when none does, or when the room has no valid current point.
void selectMiniMapPoint(Room& room, std::int32_t x, std::int32_t y);

// The mini-map passes: frame, panel, circles, links, view cone. Entries that name no point
// are skipped; with no valid current point only the frame and panel are drawn.
void drawMiniMap(const Room& room, float viewOffset);

// Outline of a circle of that radius around the current origin, 301 vertices, in the
// current colour.
void drawCircleOutline(float radius);

float cosDeg(float scale, float angleDeg);
float sinDeg(float scale, float angleDeg);
float distance(float x1, float y1, float x2, float y2);
