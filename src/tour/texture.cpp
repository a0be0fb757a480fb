// Pictures into textures: decode with SDL2_image, bring any layout to 8-bit RGB rows with
// GL's default alignment, scale down what the driver cannot hold, upload with linear
// filtering. A picture already in that layout is uploaded straight from the decoder's rows.
#include "tour/texture.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tour/text.h"

namespace {

std::uint32_t be16(const std::uint8_t* p) { return (std::uint32_t{p[0]} << 8) | p[1]; }
std::uint32_t be32(const std::uint8_t* p) { return (be16(p) << 16) | be16(p + 2); }

bool jpegHeaderSize(const std::uint8_t* b, std::size_t n, std::int64_t& w, std::int64_t& h,
                    int* components = nullptr) {
  std::size_t i = 2;
  while (i + 4 <= n) {
    if (b[i] != 0xFF) return false;
    const std::uint8_t marker = b[i + 1];
    if (marker == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      i += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return false;  // no frame header before the scan
    const std::size_t length = be16(b + i + 2);
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (i + 9 > n) return false;
      h = be16(b + i + 5);
      w = be16(b + i + 7);
      if (components) *components = i + 9 < n ? b[i + 9] : 0;
      return true;
    }
    if (length < 2) return false;
    i += 2 + length;
  }
  return false;
}

const std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool looksLikeJpeg(const std::uint8_t* b, std::size_t n) {
  return n >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF;
}
bool looksLikePng(const std::uint8_t* b, std::size_t n) {
  return n >= 8 && std::equal(kPngSignature, kPngSignature + 8, b);
}

}  // namespace

bool pictureHeaderSize(const std::uint8_t* bytes, std::size_t size, std::int64_t& width,
                       std::int64_t& height) {
  if (looksLikeJpeg(bytes, size)) return jpegHeaderSize(bytes, size, width, height);
  if (size >= 24 && looksLikePng(bytes, size) &&
      std::equal(bytes + 12, bytes + 16, reinterpret_cast<const std::uint8_t*>("IHDR"))) {
    width = be32(bytes + 16);
    height = be32(bytes + 20);
    return true;
  }
  return false;
}

std::vector<std::uint8_t> scaleRgbDown(const std::uint8_t* src, int srcWidth, int srcHeight,
                                       std::size_t srcStride, int dstWidth, int dstHeight) {
  const std::size_t dstStride = rgbRowStride(dstWidth);
  std::vector<std::uint8_t> dst(dstStride * static_cast<std::size_t>(dstHeight), 0);
  std::vector<std::uint64_t> sums(static_cast<std::size_t>(dstWidth) * 3);
  std::vector<std::uint32_t> columnOf(static_cast<std::size_t>(srcWidth));
  std::vector<std::uint32_t> columnCount(static_cast<std::size_t>(dstWidth), 0);
  for (int x = 0; x < srcWidth; ++x) {
    columnOf[x] = static_cast<std::uint32_t>(static_cast<std::int64_t>(x) * dstWidth / srcWidth);
    ++columnCount[columnOf[x]];
  }
  int sy = 0;
  for (int dy = 0; dy < dstHeight; ++dy) {
    const int syEnd = static_cast<int>(static_cast<std::int64_t>(dy + 1) * srcHeight / dstHeight);
    std::fill(sums.begin(), sums.end(), 0);
    const int rows = syEnd - sy;
    for (; sy < syEnd; ++sy) {
      const std::uint8_t* row = src + static_cast<std::size_t>(sy) * srcStride;
      for (int x = 0; x < srcWidth; ++x) {
        std::uint64_t* s = &sums[columnOf[x] * 3];
        s[0] += row[x * 3];
        s[1] += row[x * 3 + 1];
        s[2] += row[x * 3 + 2];
      }
    }
    std::uint8_t* out = dst.data() + static_cast<std::size_t>(dy) * dstStride;
    for (int dx = 0; dx < dstWidth; ++dx) {
      // Each source pixel lands in exactly one box; a box holds rows × columns of them.
      const std::uint64_t n = static_cast<std::uint64_t>(rows) * columnCount[dx];
      for (int c = 0; c < 3; ++c)
        out[dx * 3 + c] = static_cast<std::uint8_t>((sums[dx * 3 + c] + n / 2) / n);
    }
  }
  return dst;
}

bool decodePicture(SDL_RWops* src, int maxSide, RgbPicture& out, std::string& error,
                   std::string& warning) {
  out = RgbPicture{};
  if (!src) {
    error = SDL_GetError();
    return false;
  }
  // Only JPEG and PNG are taken: the other readers of SDL2_image believe whatever size a
  // header claims (a 49-byte XCF file asks for 5 GB), and a tour holds JPEGs anyway.
  std::uint8_t head[1 << 16];
  const Sint64 start = SDL_RWtell(src);
  const Sint64 fileSize = SDL_RWsize(src);
  const std::size_t got = SDL_RWread(src, head, 1, sizeof head);
  const bool jpeg = looksLikeJpeg(head, got);
  const bool png = looksLikePng(head, got);
  if (!jpeg && !png) {
    SDL_RWclose(src);
    error = got == 0 ? "the file is empty" : "not a JPEG or PNG picture";
    return false;
  }
  // Refuse a header that claims more pixels than memory should hold, or far more than the
  // file's bytes could describe, before decoding it.
  std::int64_t claimedW = 0, claimedH = 0;
  int components = 0;
  const bool sized = jpeg ? jpegHeaderSize(head, got, claimedW, claimedH, &components)
                          : pictureHeaderSize(head, got, claimedW, claimedH);
  if (sized) {
    // A PNG side can be up to 2^32 - 1: test each side alone first so the product cannot
    // overflow.
    const bool tooLarge = claimedW > kMaxPicturePixels || claimedH > kMaxPicturePixels ||
                          claimedW * claimedH > kMaxPicturePixels;
    // Even a picture of one flat colour takes a byte for a few hundred pixels.
    const bool tooFewBytes = !tooLarge && fileSize >= 0 &&
                             claimedW * claimedH > (std::int64_t{1} << 20) + 4096 * fileSize;
    if (tooLarge || tooFewBytes) {
      SDL_RWclose(src);
      error = "picture too large: its header claims " + std::to_string(claimedW) + " by " +
              std::to_string(claimedH) + " pixels" +
              (tooFewBytes ? ", far more than its " + std::to_string(fileSize) +
                                 " bytes can hold (the file is damaged)"
                           : "");
      return false;
    }
  }
  bool cutShort = false;
  if (jpeg && fileSize > 0) {
    // libjpeg fills a picture whose data stops early with grey and SDL2_image keeps quiet
    // about it; the end marker tells.
    std::uint8_t tail[4096];
    const Sint64 tailSize = std::min<Sint64>(fileSize - start, sizeof tail);
    SDL_RWseek(src, start + (fileSize - start) - tailSize, RW_SEEK_SET);
    const std::size_t tailGot = SDL_RWread(src, tail, 1, static_cast<std::size_t>(tailSize));
    bool ended = false;
    for (std::size_t i = 0; i + 1 < tailGot && !ended; ++i)
      ended = tail[i] == 0xFF && tail[i + 1] == 0xD9;
    cutShort = !ended;
  }
  SDL_RWseek(src, start, RW_SEEK_SET);
  SDL_Surface* surface = IMG_LoadTyped_RW(src, 1, jpeg ? "JPG" : "PNG");
  if (!surface) {
    error = IMG_GetError();
    if (error.empty()) error = "cannot decode picture";
    if (cutShort) error = "the JPEG is cut short (" + error + ")";
    return false;
  }
  if (cutShort) warning = "the JPEG is cut short (no end marker); what is missing shows grey";
  if (jpeg && components == 4 && surface->format->BytesPerPixel == 4) {
    // SDL2_image hands a CMYK JPEG over as its raw ink bytes, C, M, Y, K in memory order and
    // stored inverted, as Adobe's programs write them.
    SDL_Surface* rgb =
        SDL_CreateRGBSurfaceWithFormat(0, surface->w, surface->h, 24, SDL_PIXELFORMAT_RGB24);
    if (!rgb) {
      SDL_FreeSurface(surface);
      error = std::string("cannot convert CMYK picture: ") + SDL_GetError();
      return false;
    }
    for (int y = 0; y < surface->h; ++y) {
      const auto* in = static_cast<const std::uint8_t*>(surface->pixels) + y * surface->pitch;
      auto* o = static_cast<std::uint8_t*>(rgb->pixels) + y * rgb->pitch;
      for (int x = 0; x < surface->w; ++x, in += 4, o += 3) {
        o[0] = static_cast<std::uint8_t>((in[0] * in[3] + 127) / 255);
        o[1] = static_cast<std::uint8_t>((in[1] * in[3] + 127) / 255);
        o[2] = static_cast<std::uint8_t>((in[2] * in[3] + 127) / 255);
      }
    }
    SDL_FreeSurface(surface);
    surface = rgb;
  }
  if (surface->w <= 0 || surface->h <= 0) {
    SDL_FreeSurface(surface);
    error = "picture has no pixels";
    return false;
  }
  if (surface->format->format != SDL_PIXELFORMAT_RGB24 ||
      static_cast<std::size_t>(surface->pitch) != rgbRowStride(surface->w)) {
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGB24, 0);
    SDL_FreeSurface(surface);
    if (!rgb) {
      error = std::string("cannot convert picture to RGB: ") + SDL_GetError();
      return false;
    }
    surface = rgb;
  }
  if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
  out.surface = surface;
  out.width = surface->w;
  out.height = surface->h;
  out.pixels = static_cast<const std::uint8_t*>(surface->pixels);
  if (maxSide > 0 && (out.width > maxSide || out.height > maxSide)) {
    const double f = std::min(static_cast<double>(maxSide) / out.width,
                              static_cast<double>(maxSide) / out.height);
    const int w = std::clamp(static_cast<int>(std::lround(out.width * f)), 1, maxSide);
    const int h = std::clamp(static_cast<int>(std::lround(out.height * f)), 1, maxSide);
    if (!warning.empty()) warning += "; ";
    warning += "picture is " + std::to_string(out.width) + " by " + std::to_string(out.height) +
               " pixels, over the texture limit of " + std::to_string(maxSide) +
               "; scaled down to " + std::to_string(w) + " by " + std::to_string(h);
    out.scaled = scaleRgbDown(out.pixels, out.width, out.height,
                              static_cast<std::size_t>(surface->pitch), w, h);
    releasePicture(out);
    out.width = w;
    out.height = h;
    out.pixels = out.scaled.data();
  }
  return true;
}

void releasePicture(RgbPicture& picture) {
  if (picture.surface) {
    if (SDL_MUSTLOCK(picture.surface)) SDL_UnlockSurface(picture.surface);
    SDL_FreeSurface(picture.surface);
    picture.surface = nullptr;
  }
  if (picture.scaled.empty()) picture.pixels = nullptr;
}

RgbPicture placeholderPicture() {
  // Magenta and black squares: the look every artist knows as "this picture is missing".
  constexpr int kSide = 64;  // pixels
  constexpr int kCell = 8;   // pixels
  RgbPicture p;
  p.width = p.height = kSide;
  p.scaled.resize(rgbRowStride(kSide) * kSide);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const bool magenta = ((x / kCell) + (y / kCell)) % 2 == 0;
      std::uint8_t* px = &p.scaled[y * rgbRowStride(kSide) + x * 3];
      px[0] = magenta ? 255 : 0;
      px[1] = 0;
      px[2] = magenta ? 255 : 0;
    }
  p.pixels = p.scaled.data();
  return p;
}

TextureId loadTexture(const std::string& path, std::uint32_t format) {
  GLint maxSide = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
  RgbPicture picture;
  std::string error, warning;
  bool ok;
  if (path.find('\0') != std::string::npos) {
    error = "the path holds a NUL byte";
    ok = false;
  } else {
    ok = decodePicture(SDL_RWFromFile(path.c_str(), "rb"), maxSide, picture, error, warning);
  }
  if (!warning.empty())
    std::fprintf(stderr, "%s: %s: %s\n", kProgramName, printablePath(path).c_str(),
                 warning.c_str());
  if (!ok) {
    std::fprintf(stderr, "%s: %s: cannot load picture: %s\n", kProgramName,
                 printablePath(path).c_str(), error.c_str());
    picture = placeholderPicture();
  }
  if (format != GL_RGB) {
    // The rows handed over are always RGB; another format would read past them.
    std::fprintf(stderr, "%s: %s: pixel format 0x%x taken as GL_RGB\n", kProgramName,
                 printablePath(path).c_str(), static_cast<unsigned>(format));
    format = GL_RGB;
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, 3, picture.width, picture.height, 0, format, GL_UNSIGNED_BYTE,
               picture.pixels);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  releasePicture(picture);
  return name;
}
