// The GL tests' window and context, and pixel read-back. Reading uses RGBA with 4 bytes a
// pixel so that no pack alignment is touched: the program's pixel-store state stays at
// OpenGL's defaults, as loadTexture expects.
#include "gl_context.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdlib>
#include <sstream>

namespace {

SDL_Window* window = nullptr;

Image fromRgba(int width, int height, const std::vector<std::uint8_t>& rgba, bool flipRows) {
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const int sourceRow = flipRows ? height - 1 - y : y;
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = &rgba[(static_cast<std::size_t>(sourceRow) * width + x) * 4];
      image.pixels[static_cast<std::size_t>(y) * width + x] = Rgb{p[0], p[1], p[2]};
    }
  }
  return image;
}

}  // namespace

bool ensureGlContext(std::string& error) {
  if (window) return true;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    error = std::string("SDL_Init: ") + SDL_GetError();
    return false;
  }
  window = SDL_CreateWindow("gl test", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWindowWidth,
                            kWindowHeight, SDL_WINDOW_OPENGL);
  if (!window) {
    error = std::string("SDL_CreateWindow: ") + SDL_GetError();
    return false;
  }
  if (!SDL_GL_CreateContext(window)) {
    error = std::string("SDL_GL_CreateContext: ") + SDL_GetError();
    SDL_DestroyWindow(window);
    window = nullptr;
    return false;
  }
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  // The colour checks assume whole 8-bit channels; a 16-bit visual would round them away.
  GLint red = 0, green = 0, blue = 0;
  glGetIntegerv(GL_RED_BITS, &red);
  glGetIntegerv(GL_GREEN_BITS, &green);
  glGetIntegerv(GL_BLUE_BITS, &blue);
  if (red < 8 || green < 8 || blue < 8) {
    std::ostringstream s;
    s << "the context has " << red << "/" << green << "/" << blue << " colour bits, not 8/8/8";
    error = s.str();
    return false;
  }
  return true;
}

Image readWindow() {
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(kWindowWidth) * kWindowHeight * 4);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, kWindowWidth, kWindowHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  // GL counts rows from the bottom; the tests think in the window's rows, top first.
  return fromRgba(kWindowWidth, kWindowHeight, rgba, true);
}

Image readTexture(TextureId texture) {
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glBindTexture(GL_TEXTURE_2D, texture);
  GLint width = 0, height = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
  if (!rgba.empty()) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
  return fromRgba(width, height, rgba, false);
}

void fillWindow(Rgb colour) {
  glClearColor(colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
}

void disturbDrawingState() {
  glViewport(100, 100, 37, 21);
  glLoadIdentity();
  glTranslatef(0.3f, -0.2f, 0);
  glScalef(0.5f, 2, 1);
  glColor4f(1, 0, 1, 0);
}

std::string describe(Rgb c) {
  std::ostringstream s;
  s << "(" << int{c.r} << ", " << int{c.g} << ", " << int{c.b} << ")";
  return s.str();
}

::testing::AssertionResult colourNear(Rgb seen, Rgb expected, int tolerance) {
  if (std::abs(seen.r - expected.r) <= tolerance && std::abs(seen.g - expected.g) <= tolerance &&
      std::abs(seen.b - expected.b) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "seen " << describe(seen) << ", expected "
                                       << describe(expected) << " within " << tolerance;
}

void GlTest::SetUp() {
  std::string error;
  ASSERT_TRUE(ensureGlContext(error)) << error;
  while (glGetError() != GL_NO_ERROR) {
  }
  dir = makeTempDir("ostrivane-gl");
}

void GlTest::TearDown() {
  if (window) {
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
  if (!dir.empty()) removeTree(dir);
}
