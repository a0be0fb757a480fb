// RGB pictures in memory and their JPEG files.
#include "sample_tour/image.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cmath>

namespace sampletour {

Image makeImage(int width, int height, Colour fill) {
  Image image;
  image.width = width;
  image.height = height;
  image.rgb.resize(static_cast<std::size_t>(width) * height * 3);
  fillRect(image, 0, 0, width, height, fill);
  return image;
}

std::uint8_t toByte(double channel) {
  // Half up, as lround does for the non-negative values that survive the clamp.
  return static_cast<std::uint8_t>(std::clamp(channel, 0.0, 255.0) + 0.5);
}

void putPixel(Image& image, int x, int y, Colour c) {
  std::uint8_t* p = &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
  p[0] = toByte(c.r);
  p[1] = toByte(c.g);
  p[2] = toByte(c.b);
}

Colour pixelAt(const Image& image, int x, int y) {
  const std::uint8_t* p = &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
  return {double(p[0]), double(p[1]), double(p[2])};
}

void blendPixel(Image& image, int x, int y, Colour c, double alpha) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height || alpha <= 0) return;
  putPixel(image, x, y, mix(pixelAt(image, x, y), c, std::min(alpha, 1.0)));
}

void fillRect(Image& image, int x0, int y0, int x1, int y1, Colour c) {
  x0 = std::max(x0, 0), y0 = std::max(y0, 0);
  x1 = std::min(x1, image.width), y1 = std::min(y1, image.height);
  const std::uint8_t px[3] = {toByte(c.r), toByte(c.g), toByte(c.b)};
  for (int y = y0; y < y1; ++y) {
    std::uint8_t* row = &image.rgb[static_cast<std::size_t>(y) * image.width * 3];
    for (int x = x0; x < x1; ++x) std::copy(px, px + 3, row + x * 3);
  }
}

Colour sampleBilinear(const Image& image, double fx, double fy) {
  const double x = std::clamp(fx * image.width - 0.5, 0.0, image.width - 1.0);
  const double y = std::clamp(fy * image.height - 0.5, 0.0, image.height - 1.0);
  const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
  const int x1 = std::min(x0 + 1, image.width - 1), y1 = std::min(y0 + 1, image.height - 1);
  const double ax = x - x0, ay = y - y0;
  const Colour top = mix(pixelAt(image, x0, y0), pixelAt(image, x1, y0), ax);
  const Colour bottom = mix(pixelAt(image, x0, y1), pixelAt(image, x1, y1), ax);
  return mix(top, bottom, ay);
}

Colour mix(Colour a, Colour b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour scaled(Colour c, double k) { return {c.r * k, c.g * k, c.b * k}; }

bool saveJpeg(const Image& image, const std::string& path, int quality, std::string& error) {
  // SDL only reads the rows; the cast drops a const that it never writes through.
  SDL_Surface* s =
      SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint8_t*>(image.rgb.data()), image.width,
                                         image.height, 24, image.width * 3, SDL_PIXELFORMAT_RGB24);
  if (!s) {
    error = SDL_GetError();
    return false;
  }
  const bool ok = IMG_SaveJPG(s, path.c_str(), quality) == 0;
  if (!ok) error = IMG_GetError();
  SDL_FreeSurface(s);
  return ok;
}

}  // namespace sampletour
