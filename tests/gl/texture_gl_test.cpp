// loadTexture against a real driver: what it uploads is read back with glGetTexImage and
// compared with the picture the test wrote. PNG fixtures give exact colours; the few PNG
// layouts SDL2_image cannot write (greyscale, palette, 16-bit) are encoded here by hand.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gl_context.h"
#include "tour/texture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void putBe32(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(v >> shift));
}

void putChunk(std::string& png, const char* type, const std::string& data) {
  putBe32(png, static_cast<std::uint32_t>(data.size()));
  const std::string body = std::string(type, 4) + data;
  png += body;
  putBe32(png, crc32(body));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string zlibStored(const std::string& raw) {
  std::string out = "\x78\x01";
  std::size_t pos = 0;
  do {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
    const bool last = pos + n == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<char>(n & 0xFF));
    out.push_back(static_cast<char>(n >> 8));
    out.push_back(static_cast<char>(~n & 0xFF));
    out.push_back(static_cast<char>((~n >> 8) & 0xFF));
    out.append(raw, pos, n);
    pos += n;
  } while (pos < raw.size());
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  putBe32(out, (b << 16) | a);
  return out;
}

// A PNG of any colour type: sample(x, y) gives the pixel's samples at bitDepth 8 or 16
// (16-bit samples as two bytes, high first); palette holds RGB triples for colour type 3.
void writeRawPng(const std::string& file, int width, int height, int colourType, int bitDepth,
                 const std::function<Bytes(int, int)>& sample, const Bytes& palette = {}) {
  std::string png = "\x89PNG\r\n\x1a\n";
  std::string header;
  putBe32(header, static_cast<std::uint32_t>(width));
  putBe32(header, static_cast<std::uint32_t>(height));
  header += {static_cast<char>(bitDepth), static_cast<char>(colourType), 0, 0, 0};
  putChunk(png, "IHDR", header);
  if (!palette.empty()) putChunk(png, "PLTE", std::string(palette.begin(), palette.end()));
  std::string raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < width; ++x) {
      const Bytes s = sample(x, y);
      raw.append(s.begin(), s.end());
    }
  }
  putChunk(png, "IDAT", zlibStored(raw));
  putChunk(png, "IEND", "");
  writeFile(file, png);
}

int countLines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

GLint textureParameter(TextureId texture, GLenum name) {
  glBindTexture(GL_TEXTURE_2D, texture);
  GLint value = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
  return value;
}

GLint levelParameter(TextureId texture, GLenum name) {
  glBindTexture(GL_TEXTURE_2D, texture);
  GLint value = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, name, &value);
  return value;
}

// Every pixel of the texture equals expected(x, y) within tolerance; stops at the first
// difference so a wholly wrong upload reports one line.
::testing::AssertionResult textureHolds(TextureId texture, int width, int height,
                                        const std::function<Rgb(int, int)>& expected,
                                        int tolerance = 0) {
  const Image image = readTexture(texture);
  if (image.width != width || image.height != height)
    return ::testing::AssertionFailure() << "texture is " << image.width << " by " << image.height
                                         << ", expected " << width << " by " << height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      ::testing::AssertionResult r = colourNear(image.at(x, y), expected(x, y), tolerance);
      if (!r) return r << " at texel (" << x << ", " << y << ")";
    }
  return ::testing::AssertionSuccess();
}

Rgb gradient(int x, int y) {
  return Rgb{static_cast<std::uint8_t>(10 + 40 * x), static_cast<std::uint8_t>(20 + 70 * y),
             static_cast<std::uint8_t>((13 * x + 29 * y + 200) % 256)};
}

using TextureTest = GlTest;

// Widths 1 to 5 cover every row padding GL's alignment of 4 asks for (3, 2, 1, 0 and 1
// byte); 4 and 8 are the widths whose rows need none and go up straight from the decoder.
class UploadWidth : public GlTest, public ::testing::WithParamInterface<int> {};

TEST_P(UploadWidth, PictureComesBackExactTopRowFirstBoundAndLinear) {
  const int width = GetParam();
  constexpr int kHeight = 3;
  const std::string file = path("picture.png");
  writePng(file, width, kHeight, gradient);

  ::testing::internal::CaptureStderr();
  const TextureId texture = loadTexture(file, GL_RGB);
  const std::string err = ::testing::internal::GetCapturedStderr();

  ASSERT_NE(texture, 0u);
  EXPECT_EQ(err, "");
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<TextureId>(bound), texture);
  // Row 0 of the read-back is t = 0: the picture's top row must be there.
  EXPECT_TRUE(textureHolds(texture, width, kHeight, gradient));
  EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  // No alpha channel: blending must leave every textured quad opaque.
  EXPECT_EQ(levelParameter(texture, GL_TEXTURE_ALPHA_SIZE), 0);
}

INSTANTIATE_TEST_SUITE_P(Widths, UploadWidth, ::testing::Values(1, 2, 3, 4, 5, 8));

TEST_F(TextureTest, JpegWithPaddedRowsKeepsItsColourOnEveryRow) {
  // 40 rows of 15 bytes: read at the wrong row distance, the channels would rotate within
  // a few rows.
  const Rgb colour{200, 40, 90};
  const std::string file = path("narrow.jpg");
  writeSolidJpeg(file, 5, 40, colour);
  const TextureId texture = loadTexture(file, GL_RGB);
  EXPECT_TRUE(textureHolds(
      texture, 5, 40, [&](int, int) { return colour; }, 6));
}

TEST_F(TextureTest, SameFileTwiceGivesTwoTexturesEachHoldingThePicture) {
  const std::string file = path("twice.png");
  writePng(file, 5, 3, gradient);
  const TextureId first = loadTexture(file, GL_RGB);
  const TextureId second = loadTexture(file, GL_RGB);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_NE(first, second);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<TextureId>(bound), second);
  EXPECT_TRUE(textureHolds(first, 5, 3, gradient));
  EXPECT_TRUE(textureHolds(second, 5, 3, gradient));
}

struct LayoutCase {
  const char* name;
  const char* file;
  int colourType;  // PNG colour type; -1 for an RGB PNG written by SDL2_image
  int bitDepth;
  std::function<Bytes(int, int)> sample;
  std::function<Rgb(int, int)> expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

std::uint8_t grey(int x, int y) { return static_cast<std::uint8_t>(30 + 40 * x + 7 * y); }

const Bytes kPalette = {255, 0, 0, 0, 128, 255, 12, 34, 56, 250, 250, 5};
Rgb paletteEntry(int x, int y) {
  const int i = (x + 2 * y) % 4;
  return Rgb{kPalette[i * 3], kPalette[i * 3 + 1], kPalette[i * 3 + 2]};
}

std::vector<LayoutCase> layoutCases() {
  return {
      {"Grey", "grey.png", 0, 8, [](int x, int y) { return Bytes{grey(x, y)}; },
       [](int x, int y) {
         return Rgb{grey(x, y), grey(x, y), grey(x, y)};
       }},
      {"GreyAlpha", "grey-alpha.png", 4, 8,
       [](int x, int y) {
         return Bytes{grey(x, y), static_cast<std::uint8_t>(x % 2 ? 255 : 90)};
       },
       [](int x, int y) {
         return Rgb{grey(x, y), grey(x, y), grey(x, y)};
       }},
      {"Palette", "palette.png", 3, 8,
       [](int x, int y) { return Bytes{static_cast<std::uint8_t>((x + 2 * y) % 4)}; },
       paletteEntry},
      {"Rgba", "rgba.png", 6, 8,
       [](int x, int y) {
         const Rgb c = gradient(x, y);
         return Bytes{c.r, c.g, c.b, static_cast<std::uint8_t>(y == 1 ? 128 : 255)};
       },
       gradient},
      {"Rgb16", "deep.png", 2, 16,
       [](int x, int y) {
         const Rgb c = gradient(x, y);
         return Bytes{c.r, c.r, c.g, c.g, c.b, c.b};  // v * 257: the same at 8 bits
       },
       gradient},
      {"PngNamedJpg", "really-a-png.jpg", -1, 8, nullptr, gradient},
  };
}

class PictureLayout : public GlTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(PictureLayout, ComesBackAsItsRgbColours) {
  const LayoutCase& c = GetParam();
  constexpr int kWidth = 5, kHeight = 3;
  const std::string file = path(c.file);
  if (c.colourType < 0)
    writePng(file, kWidth, kHeight, c.expected);
  else
    writeRawPng(file, kWidth, kHeight, c.colourType, c.bitDepth, c.sample,
                c.colourType == 3 ? kPalette : Bytes{});
  ::testing::internal::CaptureStderr();
  const TextureId texture = loadTexture(file, GL_RGB);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "");
  EXPECT_TRUE(textureHolds(texture, kWidth, kHeight, c.expected));
}

INSTANTIATE_TEST_SUITE_P(Layouts, PictureLayout, ::testing::ValuesIn(layoutCases()),
                         [](const ::testing::TestParamInfo<LayoutCase>& info) {
                           return std::string(info.param.name);
                         });

// Sides as multiples of the driver's limit, so the expected size and colours are exact.
struct SizeCase {
  const char* name;
  int widthPerMax, widthExtra;  // width = widthPerMax * max + widthExtra
  int heightPerMax, heightExtra;
  int expectedWidthPerMax, expectedWidthExtra;
  int expectedHeightPerMax, expectedHeightExtra;
  bool warns;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class PictureSize : public GlTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(PictureSize, OverTheLimitIsScaledDownKeepingItsAspectWithAWarning) {
  const SizeCase& c = GetParam();
  GLint max = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max);
  ASSERT_GT(max, 0);
  const int width = c.widthPerMax * max + c.widthExtra;
  const int height = c.heightPerMax * max + c.heightExtra;
  // Left half red, right half blue: a box filter keeps both halves exact.
  auto halves = [](int x, int w) { return 2 * x < w ? Rgb{255, 0, 0} : Rgb{0, 0, 255}; };
  const std::string file = path("big.png");
  writePng(file, width, height, [&](int x, int) { return halves(x, width); });

  ::testing::internal::CaptureStderr();
  const TextureId texture = loadTexture(file, GL_RGB);
  const std::string err = ::testing::internal::GetCapturedStderr();

  const int expectedWidth = c.expectedWidthPerMax * max + c.expectedWidthExtra;
  const int expectedHeight = c.expectedHeightPerMax * max + c.expectedHeightExtra;
  EXPECT_TRUE(textureHolds(texture, expectedWidth, expectedHeight,
                           [&](int x, int) { return halves(x, expectedWidth); }));
  if (c.warns) {
    EXPECT_EQ(countLines(err), 1) << err;
    EXPECT_NE(err.find(file), std::string::npos) << err;
  } else {
    EXPECT_EQ(err, "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PictureSize,
    ::testing::Values(SizeCase{"ExactlyTheLimitWide", 1, 0, 0, 1, 1, 0, 0, 1, false},
                      SizeCase{"TwiceTheLimitWide", 2, 0, 0, 4, 1, 0, 0, 2, true},
                      SizeCase{"TwiceTheLimitTall", 0, 4, 2, 0, 0, 2, 1, 0, true}),
    [](const ::testing::TestParamInfo<SizeCase>& info) { return std::string(info.param.name); });

struct FailureCase {
  const char* name;
  const char* file;
  const char* bytes;  // nullptr: the file is not written
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class UnloadablePicture : public GlTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(UnloadablePicture, GivesAPlaceholderOfItsOwnAndOneLineNamingThePath) {
  const FailureCase& c = GetParam();
  const std::string file = path(c.file);
  if (c.bytes) writeFile(file, c.bytes);

  TextureId textures[2] = {0, 0};
  for (TextureId& texture : textures) {
    ::testing::internal::CaptureStderr();
    texture = loadTexture(file, GL_RGB);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(countLines(err), 1) << err;
    EXPECT_NE(err.find(file), std::string::npos) << err;
  }
  const TextureId first = textures[0], second = textures[1];
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_NE(first, second);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<TextureId>(bound), second);
  for (TextureId texture : {first, second}) {
    const Image image = readTexture(texture);
    ASSERT_GT(image.width, 1);
    ASSERT_GT(image.height, 1);
    int magenta = 0, black = 0;
    for (const Rgb& p : image.pixels) {
      if (p.r == 255 && p.g == 0 && p.b == 255)
        ++magenta;
      else if (p.r == 0 && p.g == 0 && p.b == 0)
        ++black;
      else
        ADD_FAILURE() << "placeholder pixel " << describe(p) << " is neither magenta nor black";
    }
    // A checker: both colours, in about equal shares.
    EXPECT_GT(magenta, 0);
    EXPECT_GT(black, 0);
    EXPECT_LE(std::abs(magenta - black), static_cast<int>(image.pixels.size()) / 4);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, UnloadablePicture,
    ::testing::Values(FailureCase{"Missing", "no-such-room/north.jpg", nullptr},
                      FailureCase{"Empty", "empty.jpg", ""},
                      FailureCase{"NotAPicture", "text.jpg",
                                  "these are not the bytes of a picture\n"},
                      FailureCase{"CutShortJpeg", "short.jpg", "\xFF\xD8\xFF\xE0"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
