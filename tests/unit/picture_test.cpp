// Decoding pictures into uploadable RGB rows, without a GL context: layouts, scaling,
// refusals.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstring>

#include "jpeg_writer.h"
#include "support/test_support.h"
#include "tour/texture.h"

namespace {
struct Decoded {
  bool ok = false;
  RgbPicture picture;
  std::string error, warning;
};

Decoded decodeFile(const std::string& path, int maxSide = 16384) {
  Decoded d;
  d.ok = decodePicture(SDL_RWFromFile(path.c_str(), "rb"), maxSide, d.picture, d.error, d.warning);
  return d;
}

const std::uint8_t* pixelAt(const RgbPicture& p, int x, int y) {
  return p.pixels + y * rgbRowStride(p.width) + x * 3;
}

class Pictures : public ::testing::Test {
 protected:
  void SetUp() override { dir = makeTempDir("ostrivane-pictures"); }
  void TearDown() override { removeTree(dir); }
  std::string dir;
};

// A surface of the given format with pixel (x, y) set from an RGB colour.
void savePng(SDL_Surface* s, const std::string& path) {
  ASSERT_EQ(IMG_SavePNG(s, path.c_str()), 0) << IMG_GetError();
  SDL_FreeSurface(s);
}
}  // namespace

TEST_F(Pictures, RgbLayoutsComeBackAsRgbRows) {
  // 5 wide: rows of 15 bytes padded to 16.
  writePng(dir + "/five.png", 5, 2, [](int x, int y) {
    return Rgb{static_cast<std::uint8_t>(x * 50), static_cast<std::uint8_t>(y * 200), 7};
  });
  Decoded d = decodeFile(dir + "/five.png");
  ASSERT_TRUE(d.ok) << d.error;
  EXPECT_EQ(rgbRowStride(5), 16u);
  EXPECT_EQ(rgbRowStride(4), 12u);
  EXPECT_EQ(d.picture.width, 5);
  EXPECT_EQ(d.picture.height, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) {
      const std::uint8_t* px = pixelAt(d.picture, x, y);
      EXPECT_EQ(px[0], x * 50);
      EXPECT_EQ(px[1], y * 200);
      EXPECT_EQ(px[2], 7);
    }
  releasePicture(d.picture);
}

TEST_F(Pictures, OtherLayoutsAreConverted) {
  // Greyscale (8-bit palette of greys), RGBA, and a PNG behind a .jpg name.
  SDL_Surface* grey = SDL_CreateRGBSurfaceWithFormat(0, 3, 1, 8, SDL_PIXELFORMAT_INDEX8);
  SDL_Color greys[256];
  for (int i = 0; i < 256; ++i)
    greys[i] = {static_cast<Uint8>(i), static_cast<Uint8>(i), static_cast<Uint8>(i), 255};
  SDL_SetPaletteColors(grey->format->palette, greys, 0, 256);
  static_cast<Uint8*>(grey->pixels)[0] = 10;
  static_cast<Uint8*>(grey->pixels)[1] = 128;
  static_cast<Uint8*>(grey->pixels)[2] = 250;
  savePng(grey, dir + "/grey.png");

  SDL_Surface* rgba = SDL_CreateRGBSurfaceWithFormat(0, 3, 1, 32, SDL_PIXELFORMAT_RGBA32);
  const Uint8 rgbaBytes[12] = {255, 0, 0, 10, 0, 255, 0, 128, 0, 0, 255, 255};
  std::memcpy(rgba->pixels, rgbaBytes, sizeof rgbaBytes);
  savePng(rgba, dir + "/alpha.jpg");

  struct Case {
    std::string file;
    Rgb expected[3];
  } cases[] = {{"grey.png", {{10, 10, 10}, {128, 128, 128}, {250, 250, 250}}},
               {"alpha.jpg", {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}}};
  for (const Case& c : cases) {
    Decoded d = decodeFile(dir + "/" + c.file);
    ASSERT_TRUE(d.ok) << c.file << ": " << d.error;
    EXPECT_EQ(d.picture.width, 3);
    for (int x = 0; x < 3; ++x) {
      const std::uint8_t* px = pixelAt(d.picture, x, 0);
      EXPECT_EQ(px[0], c.expected[x].r) << c.file << " x=" << x;
      EXPECT_EQ(px[1], c.expected[x].g) << c.file << " x=" << x;
      EXPECT_EQ(px[2], c.expected[x].b) << c.file << " x=" << x;
    }
    releasePicture(d.picture);
  }
}

TEST_F(Pictures, OversizedPictureIsScaledKeepingItsAspect) {
  writePng(dir + "/wide.png", 400, 20, [](int x, int) {
    return Rgb{static_cast<std::uint8_t>(x < 200 ? 255 : 0), 0, 100};
  });
  Decoded d = decodeFile(dir + "/wide.png", 100);
  ASSERT_TRUE(d.ok) << d.error;
  EXPECT_EQ(d.picture.width, 100);
  EXPECT_EQ(d.picture.height, 5);
  EXPECT_NE(d.warning.find("400 by 20"), std::string::npos) << d.warning;
  EXPECT_NE(d.warning.find("100 by 5"), std::string::npos) << d.warning;
  EXPECT_EQ(pixelAt(d.picture, 10, 2)[0], 255);
  EXPECT_EQ(pixelAt(d.picture, 90, 4)[0], 0);
  EXPECT_EQ(pixelAt(d.picture, 90, 4)[2], 100);
  releasePicture(d.picture);

  // Sides round to the nearest pixel: 250 by 7 into 100 gives 100 by 3 (2.8), not 2.
  writePng(dir + "/odd.png", 250, 7, [](int, int) { return Rgb{9, 9, 9}; });
  Decoded odd = decodeFile(dir + "/odd.png", 100);
  ASSERT_TRUE(odd.ok) << odd.error;
  EXPECT_EQ(odd.picture.width, 100);
  EXPECT_EQ(odd.picture.height, 3);
  releasePicture(odd.picture);

  Decoded small = decodeFile(dir + "/wide.png", 400);
  ASSERT_TRUE(small.ok);
  EXPECT_TRUE(small.warning.empty());
  EXPECT_EQ(small.picture.width, 400);
  releasePicture(small.picture);
}

TEST(ScaleDown, BoxAverages) {
  // 4 by 2 RGB down to 2 by 1: each output pixel averages a 2 by 2 box.
  const std::size_t stride = rgbRowStride(4);
  std::vector<std::uint8_t> src(stride * 2, 0);
  const std::uint8_t reds[2][4] = {{0, 100, 200, 255}, {100, 100, 0, 1}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) src[y * stride + x * 3] = reds[y][x];
  const std::vector<std::uint8_t> dst = scaleRgbDown(src.data(), 4, 2, stride, 2, 1);
  ASSERT_EQ(dst.size(), rgbRowStride(2));
  EXPECT_EQ(dst[0], 75);   // (0 + 100 + 100 + 100) / 4
  EXPECT_EQ(dst[3], 114);  // (200 + 255 + 0 + 1) / 4 = 114
  // Odd factors: 5 columns into boxes of 3 and 2.
  std::vector<std::uint8_t> five(rgbRowStride(5), 0);
  for (int x = 0; x < 5; ++x) five[x * 3 + 1] = static_cast<std::uint8_t>(x * 10);
  const std::vector<std::uint8_t> two = scaleRgbDown(five.data(), 5, 1, rgbRowStride(5), 2, 1);
  EXPECT_EQ(two[1], 10);  // (0 + 10 + 20) / 3
  EXPECT_EQ(two[4], 35);  // (30 + 40) / 2
}

TEST_F(Pictures, RefusedAndBrokenFiles) {
  writeFile(dir + "/empty.jpg", "");
  writeSolidJpeg(dir + "/good.jpg", 64, 64, {1, 2, 3});
  const std::string good = readFile(dir + "/good.jpg");
  writeFile(dir + "/cut.jpg", good.substr(0, 20));
  writeFile(dir + "/text.jpg", "this is not a picture\n");
  // A JPEG header claiming 60000 by 60000 pixels: refused before decoding.
  std::string huge = good;
  const std::size_t sof = huge.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  huge[sof + 5] = static_cast<char>(0xEA);
  huge[sof + 6] = static_cast<char>(0x60);
  huge[sof + 7] = static_cast<char>(0xEA);
  huge[sof + 8] = static_cast<char>(0x60);
  writeFile(dir + "/huge.jpg", huge);
  for (const char* name : {"missing.jpg", "empty.jpg", "cut.jpg", "text.jpg", "huge.jpg"}) {
    Decoded d = decodeFile(dir + "/" + name);
    EXPECT_FALSE(d.ok) << name;
    EXPECT_FALSE(d.error.empty()) << name;
    EXPECT_EQ(d.picture.surface, nullptr) << name;
  }
  Decoded h = decodeFile(dir + "/huge.jpg");
  EXPECT_NE(h.error.find("60000 by 60000"), std::string::npos) << h.error;
}

TEST_F(Pictures, FormatsAndDamageThatWouldCostMemoryAreRefused) {
  // Only JPEG and PNG are read: an XCF header of 49 bytes asks SDL2_image for 5 GB.
  writeFile(dir + "/gimp.jpg", "gimp xcf file\0\0\0\x10\0\0\0\x10\0\0\0\0");
  writeFile(dir + "/bitmap.jpg", "BM\x36\0\0\0\0\0\0\0\x36\0\0\0");
  // A JPEG of 342 bytes claiming 8197 by 23811 pixels: under the pixel limit, but far more
  // than its bytes can describe.
  std::string tiny = encodeJpeg(8, 8, JpegKind::Grey);
  ASSERT_TRUE(setJpegFrameSize(tiny, 8197, 23811));
  writeFile(dir + "/tiny.jpg", tiny);
  struct Case {
    const char* file;
    const char* says;
  } cases[] = {{"gimp.jpg", "not a JPEG or PNG"},
               {"bitmap.jpg", "not a JPEG or PNG"},
               {"tiny.jpg", "8197 by 23811"}};
  for (const Case& c : cases) {
    Decoded d = decodeFile(dir + "/" + c.file);
    EXPECT_FALSE(d.ok) << c.file;
    EXPECT_NE(d.error.find(c.says), std::string::npos) << c.file << ": " << d.error;
  }
}

TEST_F(Pictures, CutShortJpegLoadsWithAWarning) {
  const std::string whole = encodeJpeg(64, 64, JpegKind::Rgb);
  writeFile(dir + "/whole.jpg", whole);
  writeFile(dir + "/cut.jpg", whole.substr(0, whole.size() * 2 / 3));
  Decoded ok = decodeFile(dir + "/whole.jpg");
  ASSERT_TRUE(ok.ok) << ok.error;
  EXPECT_TRUE(ok.warning.empty()) << ok.warning;
  releasePicture(ok.picture);
  Decoded cut = decodeFile(dir + "/cut.jpg");
  ASSERT_TRUE(cut.ok) << cut.error;
  EXPECT_NE(cut.warning.find("cut short"), std::string::npos) << cut.warning;
  releasePicture(cut.picture);
}

TEST_F(Pictures, CmykJpegShowsItsColours) {
  // The writer's ramp, stored inverted as Adobe's programs do: C = x ramp, M = y ramp,
  // Y = K = their mean; on screen R = C·K, G = M·K, B = Y·K (over 255).
  writeFile(dir + "/cmyk.jpg", encodeJpeg(64, 64, JpegKind::Cmyk, 95));
  Decoded d = decodeFile(dir + "/cmyk.jpg");
  ASSERT_TRUE(d.ok) << d.error;
  struct Case {
    int x, y, r, g, b;
  } cases[] = {{0, 0, 0, 0, 0}, {63, 63, 255, 255, 255}, {63, 0, 127, 0, 63}, {0, 63, 0, 127, 63}};
  for (const auto& c : cases) {
    const std::uint8_t* px = pixelAt(d.picture, c.x, c.y);
    EXPECT_NEAR(px[0], c.r, 12) << c.x << "," << c.y;
    EXPECT_NEAR(px[1], c.g, 12) << c.x << "," << c.y;
    EXPECT_NEAR(px[2], c.b, 12) << c.x << "," << c.y;
  }
  releasePicture(d.picture);
}

TEST(PictureHeader, JpegAndPngSizes) {
  const std::uint8_t png[24] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13,
                                'I',  'H', 'D', 'R', 0,    0,    0x4E, 0x20, 0, 0, 0, 200};
  std::int64_t w = 0, h = 0;
  ASSERT_TRUE(pictureHeaderSize(png, sizeof png, w, h));
  EXPECT_EQ(w, 20000);
  EXPECT_EQ(h, 200);
  // SOI, an APP0 segment of length 4, then SOF2 (progressive) with height 3, width 0x0102.
  const std::uint8_t jpg[] = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0xFF, 0xC2, 0, 11, 8, 0, 3, 1, 2};
  ASSERT_TRUE(pictureHeaderSize(jpg, sizeof jpg, w, h));
  EXPECT_EQ(w, 258);
  EXPECT_EQ(h, 3);
  EXPECT_FALSE(pictureHeaderSize(jpg, 10, w, h));  // cut before the frame header
  const std::uint8_t bmp[] = {'B', 'M', 0, 0, 0, 0};
  EXPECT_FALSE(pictureHeaderSize(bmp, sizeof bmp, w, h));
}

TEST(Placeholder, MagentaAndBlackSquares) {
  RgbPicture p = placeholderPicture();
  ASSERT_GT(p.width, 0);
  const std::uint8_t* a = pixelAt(p, 0, 0);
  const std::uint8_t* b = pixelAt(p, p.width / 8, 0);
  EXPECT_EQ((std::vector<int>{a[0], a[1], a[2]}), (std::vector<int>{255, 0, 255}));
  EXPECT_EQ((std::vector<int>{b[0], b[1], b[2]}), (std::vector<int>{0, 0, 0}));
}
