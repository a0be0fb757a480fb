// The menu frame's drawing, read back from the window: the title over the whole window,
// the icon column in its bands, and the green tint of the hovered icon.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "gl_context.h"
#include "menu/menu.h"
#include "tour/texture.h"

namespace {

using MenuDrawTest = GlTest;

// The menu frame sets the viewport before it draws; drawMenu itself relies on that.
void drawMenuFrame(TextureId title, const std::vector<TextureId>& icons,
                   const std::vector<std::uint8_t>& hover) {
  disturbDrawingState();
  glViewport(0, 0, kWindowWidth, kWindowHeight);
  drawMenu(title, icons, hover);
}

TextureId solidTexture(const std::string& file, Rgb colour) {
  writePng(file, 8, 8, [colour](int, int) { return colour; });
  return loadTexture(file, GL_RGB);
}

// Four quadrants and a marked top row: upright, unmirrored and whole shows as one picture.
Rgb titlePixel(int x, int y) {
  if (y == 0) return Rgb{255, 255, 0};
  const bool right = x >= kWindowWidth / 2, bottom = y >= kWindowHeight / 2;
  if (!bottom) return right ? Rgb{0, 200, 0} : Rgb{220, 0, 0};
  return right ? Rgb{255, 255, 255} : Rgb{0, 0, 230};
}

TEST_F(MenuDrawTest, TitleFillsTheWindowUpright) {
  // At the window's own size each texel lands on one pixel, so the whole window can be
  // compared with the picture.
  const std::string file = path("title.png");
  writePng(file, kWindowWidth, kWindowHeight, titlePixel);
  const TextureId title = loadTexture(file, GL_RGB);
  fillWindow(Rgb{90, 40, 10});
  drawMenuFrame(title, {}, {});
  const Image window = readWindow();
  int wrong = 0;
  for (int y = 0; y < kWindowHeight && wrong < 5; ++y)
    for (int x = 0; x < kWindowWidth && wrong < 5; ++x) {
      ::testing::AssertionResult r = colourNear(window.at(x, y), titlePixel(x, y), 2);
      if (!r) {
        ADD_FAILURE() << r.message() << " at window (" << x << ", " << y << ")";
        ++wrong;
      }
    }
}

// Icon i's band: x 0 to 204.8, y 76.8·i to 76.8·(i + 1). A pixel belongs to the quad whose
// area holds its centre.
int firstRowOfIcon(int i) { return static_cast<int>(std::ceil(76.8 * i - 0.5)); }

Rgb iconColour(int i) {
  return Rgb{static_cast<std::uint8_t>(25 * i + 5), static_cast<std::uint8_t>(250 - 20 * i),
             static_cast<std::uint8_t>(i % 2 ? 200 : 60)};
}

TEST_F(MenuDrawTest, EachIconFillsItsBandOfTheColumn) {
  constexpr int kIcons = 11;  // the eleventh lies below the window
  const Rgb background{128, 128, 128};
  const TextureId title = solidTexture(path("title.png"), background);
  std::vector<TextureId> icons;
  for (int i = 0; i < kIcons; ++i)
    icons.push_back(solidTexture(path("icon" + std::to_string(i) + ".png"), iconColour(i)));
  drawMenuFrame(title, icons, std::vector<std::uint8_t>(kIcons, 0));
  const Image window = readWindow();
  for (int i = 0; i < 10; ++i) {
    const int top = firstRowOfIcon(i);
    const int bottom = i == 9 ? kWindowHeight - 1 : firstRowOfIcon(i + 1) - 1;
    SCOPED_TRACE("icon " + std::to_string(i) + ", rows " + std::to_string(top) + " to " +
                 std::to_string(bottom));
    for (int y : {top, (top + bottom) / 2, bottom}) {
      EXPECT_TRUE(colourNear(window.at(0, y), iconColour(i), 1)) << "x 0, y " << y;
      EXPECT_TRUE(colourNear(window.at(204, y), iconColour(i), 1)) << "x 204, y " << y;
      EXPECT_TRUE(colourNear(window.at(205, y), background, 1)) << "x 205, y " << y;
    }
  }
}

TEST_F(MenuDrawTest, IconPictureIsUprightInItsBand) {
  // Top-left red, top-right green, bottom-left blue, bottom-right white.
  const std::string file = path("icon.png");
  writePng(file, 64, 64, [](int x, int y) {
    const bool right = x >= 32, bottom = y >= 32;
    if (!bottom) return right ? Rgb{0, 255, 0} : Rgb{255, 0, 0};
    return right ? Rgb{255, 255, 255} : Rgb{0, 0, 255};
  });
  const TextureId title = solidTexture(path("title.png"), Rgb{0, 0, 0});
  const TextureId icon = loadTexture(file, GL_RGB);
  drawMenuFrame(title, {title, icon}, {0, 0});
  const Image window = readWindow();
  // Icon 1 spans x 0..204, y 77..153; sample the middle of each quadrant.
  EXPECT_TRUE(colourNear(window.at(51, 96), Rgb{255, 0, 0}, 2));
  EXPECT_TRUE(colourNear(window.at(153, 96), Rgb{0, 255, 0}, 2));
  EXPECT_TRUE(colourNear(window.at(51, 134), Rgb{0, 0, 255}, 2));
  EXPECT_TRUE(colourNear(window.at(153, 134), Rgb{255, 255, 255}, 2));
}

TEST_F(MenuDrawTest, HoveredIconShowsOnlyItsGreenChannel) {
  const std::vector<Rgb> colours = {{255, 255, 255}, {255, 0, 0}, {200, 100, 50}};
  const TextureId title = solidTexture(path("title.png"), Rgb{128, 128, 128});
  std::vector<TextureId> icons;
  for (std::size_t i = 0; i < colours.size(); ++i)
    icons.push_back(solidTexture(path("icon" + std::to_string(i) + ".png"), colours[i]));
  for (std::size_t hovered = 0; hovered < colours.size(); ++hovered) {
    std::vector<std::uint8_t> flags(colours.size(), 0);
    flags[hovered] = 1;
    drawMenuFrame(title, icons, flags);
    const Image window = readWindow();
    for (std::size_t i = 0; i < colours.size(); ++i) {
      const Rgb expected = i == hovered ? Rgb{0, colours[i].g, 0} : colours[i];
      EXPECT_TRUE(colourNear(window.at(100, firstRowOfIcon(static_cast<int>(i)) + 38), expected, 1))
          << "icon " << i << " with icon " << hovered << " hovered";
    }
  }
}

}  // namespace
