// Rendering one panorama of the sample building by casting a ray per column: a cylindrical
// picture whose column s looks along angle (0.5 - s)·360° on the plan (counterclockwise on
// the mini-map, +x at the centre) and whose rows are equal steps in the tangent of the
// elevation, at the scale of the columns, so it reads undistorted in the viewer.
#pragma once

#include <vector>

#include "sample_tour/image.h"
#include "sample_tour/plan.h"

namespace sampletour {

// The viewer stretches a tenth of the width over 1024 pixels and the whole height over 768,
// so a picture about 13.3 times as wide as high looks undistorted.
inline constexpr int kPanoramaWidth = 4096;  // pixels
inline constexpr int kPanoramaHeight = 308;  // pixels, about 27° of elevation

// Tangent of the elevation seen at vertical position y (0 at the top edge, height at the
// bottom edge) of a picture of that size.
double elevationTangent(double y, int width, int height);

// The colour a ray shows. hits is castRay's answer for (eye, direction); plaques holds one
// name plate picture per room (a room without one shows a bare plate).
Colour colourSeen(const Plan& plan, const std::vector<RayHit>& hits, Vec2 eye, Vec2 direction,
                  double tanElevation, const std::vector<Image>& plaques);

// The panorama seen from eye, kPanoramaWidth by kPanoramaHeight, each pixel the mean of 2 by 2
// rays.
Image renderPanorama(const Plan& plan, Vec2 eye, const std::vector<Image>& plaques);

}  // namespace sampletour
