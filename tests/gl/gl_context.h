// The GL tests' shared context: one window and OpenGL context per test process, made and
// set up exactly as the program makes its own, and read-back of what was drawn in window
// coordinates (x to the right, y downward from the top row, as the mouse sees the window).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "tour/tour.h"

inline constexpr int kWindowWidth = 1024;  // pixels
inline constexpr int kWindowHeight = 768;  // pixels

// Opens the window and context on first use and sets the program's global GL state
// (texturing on, blending source alpha over one minus source alpha). Returns false, with
// the reason in error, when there is no display or no usable context.
bool ensureGlContext(std::string& error);

// A block of RGB pixels, row 0 first.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;
  Rgb at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The back buffer as window rows top-down: at(x, y) is the pixel the mouse sees at (x, y).
Image readWindow();

// Level 0 of a texture as the driver holds it; row 0 is texture row t = 0. The binding of
// GL_TEXTURE_2D is left as it was.
Image readTexture(TextureId texture);

// Clears the whole window to a colour, then puts back the black clear colour the program
// relies on.
void fillWindow(Rgb colour);

// Leaves the matrix, viewport and current colour as an earlier pass might, so a pass that
// forgets to set up its own state shows it.
void disturbDrawingState();

// True when every channel differs by at most tolerance; the message names both colours.
::testing::AssertionResult colourNear(Rgb seen, Rgb expected, int tolerance);

std::string describe(Rgb colour);

// Every test of a GL suite: the context, a temporary directory for its pictures, and a
// check that it left no GL error behind.
struct GlTest : ::testing::Test {
  std::string dir;  // ends without "/"
  void SetUp() override;
  void TearDown() override;
  std::string path(const std::string& name) const { return dir + "/" + name; }
};
