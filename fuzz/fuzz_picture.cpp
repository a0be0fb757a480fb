// Fuzzes the picture path from file bytes to the RGB rows handed to glTexImage2D: header
// refusal, SDL2_image's JPEG and PNG decoders, layout conversion and the box filter. A small
// texture limit makes most inputs go through the scaler. Every byte that glTexImage2D would read is
// read here, so the address sanitizer sees any row that is short.
#include <SDL.h>
#include <SDL_image.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tour/texture.h"

namespace {
constexpr int kMaxSide = 256;  // pixels; far below any real driver, so scaling is exercised
constexpr std::int64_t kMaxFuzzPixels = std::int64_t{1} << 22;

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_picture: broken: %s\n", what);
    std::abort();
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A few hundred bytes can claim up to kMaxPicturePixels, which the decoder then fills
  // and the scaler walks: seconds and hundreds of MiB under the sanitizers, a cost and not
  // a memory fault. Past a claim of kMaxFuzzPixels the input is skipped so the fuzzer
  // spends its time on faults; the hostile-tour tests load such files for real.
  std::int64_t claimedW = 0, claimedH = 0;
  if (pictureHeaderSize(data, size, claimedW, claimedH) && claimedW <= kMaxPicturePixels &&
      claimedH <= kMaxPicturePixels && claimedW * claimedH > kMaxFuzzPixels &&
      claimedW * claimedH <= kMaxPicturePixels)
    return 0;
  // decodePicture hands any bytes to every decoder SDL2_image has (XCF, SVG, TGA, ...).
  // Those are third-party code outside the tour's formats, and a few dozen bytes of XCF
  // already make it allocate and fill gigabytes; the fuzzer keeps to JPEG and PNG, what
  // tours hold, so that its time goes to our header checks, conversion and scaling.
  SDL_RWops* src = SDL_RWFromConstMem(data, static_cast<int>(size));
  if (src && !IMG_isJPG(src) && !IMG_isPNG(src)) {
    SDL_RWclose(src);
    return 0;
  }
  RgbPicture picture;
  std::string error, warning;
  if (!decodePicture(src, kMaxSide, picture, error, warning)) {
    check(!error.empty(), "a refusal says why");
    check(picture.surface == nullptr && picture.pixels == nullptr, "a refusal holds nothing");
    return 0;
  }
  check(picture.width >= 1 && picture.width <= kMaxSide, "width within the limit");
  check(picture.height >= 1 && picture.height <= kMaxSide, "height within the limit");
  check(picture.pixels != nullptr, "pixels to upload");
  const std::size_t stride = rgbRowStride(picture.width);
  if (!picture.scaled.empty())
    check(picture.scaled.size() >= stride * picture.height, "scaled rows cover the picture");
  unsigned sum = 0;
  for (int y = 0; y < picture.height; ++y) {
    const std::uint8_t* row = picture.pixels + stride * y;
    for (std::size_t i = 0; i < static_cast<std::size_t>(picture.width) * 3; ++i) sum += row[i];
  }
  volatile unsigned sink = sum;
  (void)sink;
  releasePicture(picture);
  return 0;
}
