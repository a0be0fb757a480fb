// Plain RGB pictures the generator paints into and writes as JPEG through SDL2_image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sample_tour/plan.h"

namespace sampletour {

// Rows top first, three bytes a pixel, no padding between rows.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

Image makeImage(int width, int height, Colour fill);
std::uint8_t toByte(double channel);  // rounds and clamps to 0..255
void putPixel(Image& image, int x, int y, Colour c);
Colour pixelAt(const Image& image, int x, int y);
// Blends c over the pixel with weight alpha (0..1); pixels outside the picture are skipped.
void blendPixel(Image& image, int x, int y, Colour c, double alpha);
void fillRect(Image& image, int x0, int y0, int x1, int y1, Colour c);  // x1, y1 exclusive
// fx, fy in 0..1 over the whole picture, edges clamped.
Colour sampleBilinear(const Image& image, double fx, double fy);
Colour mix(Colour a, Colour b, double t);  // a at t = 0, b at t = 1
Colour scaled(Colour c, double k);

// Writes the picture as a baseline JPEG. Returns false with SDL's reason in error.
bool saveJpeg(const Image& image, const std::string& path, int quality, std::string& error);

}  // namespace sampletour
