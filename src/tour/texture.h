// Pictures into OpenGL textures. Every picture the program shows passes through
// loadTexture; the decoding half (decodePicture) needs no GL context, so it can be
// exercised and fuzzed on its own. Decoding is SDL2_image's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tour/tour.h"

struct SDL_Surface;
struct SDL_RWops;

// An 8-bit RGB picture laid out as glTexImage2D reads it with the default unpack
// alignment: top row first, each row starting on a multiple of 4 bytes.
struct RgbPicture {
  int width = 0;
  int height = 0;
  const std::uint8_t* pixels = nullptr;  // into surface or into scaled
  SDL_Surface* surface = nullptr;        // owned; released by releasePicture
  std::vector<std::uint8_t> scaled;      // owns the pixels when the picture was scaled down
};

// Bytes from one row to the next for an RGB picture of this width (GL's alignment of 4).
inline std::size_t rgbRowStride(int width) {
  return (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
}

// Largest number of pixels a picture may claim before it is refused undecoded; well above
// any texture a driver takes, well below what would exhaust memory while decoding.
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 28;

// Reads width and height from a JPEG or PNG header. Returns false for other formats or a
// header too short to tell; decoding then decides.
bool pictureHeaderSize(const std::uint8_t* bytes, std::size_t size, std::int64_t& width,
                       std::int64_t& height);

// Decodes a picture (closing src) into 8-bit RGB rows ready to upload. Any layout that
// SDL2_image gives is converted; a picture with a side over maxSide is scaled down to fit,
// keeping its aspect, and a warning is left in warning. On failure returns false with the
// reason in error and nothing to release.
bool decodePicture(SDL_RWops* src, int maxSide, RgbPicture& out, std::string& error,
                   std::string& warning);

void releasePicture(RgbPicture& picture);

// Box-filters an RGB picture (rows srcStride bytes apart) down to dstWidth by dstHeight,
// which must not exceed the source size. The result's rows are rgbRowStride apart.
std::vector<std::uint8_t> scaleRgbDown(const std::uint8_t* src, int srcWidth, int srcHeight,
                                       std::size_t srcStride, int dstWidth, int dstHeight);

// Loads the picture at path into a new texture and leaves it bound to GL_TEXTURE_2D.
// Always yields exactly one new texture name: a picture that cannot be loaded gives a
// placeholder of its own, and one line on standard error names the path and the reason.
// format is the glTexImage2D format of the pixels handed over (GL_RGB by every caller).
TextureId loadTexture(const std::string& path, std::uint32_t format);

// The placeholder's look: a small RGB picture that plainly reads as "picture missing".
RgbPicture placeholderPicture();
