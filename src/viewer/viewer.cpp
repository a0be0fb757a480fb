// The panorama frame, its return button and its input handling.
#include "viewer/viewer.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <cstddef>

#include "viewer/minimap.h"

namespace {
constexpr double kKeyStep = 0.01;          // panorama units per key event
constexpr float kDragPixels = 1024.0f;     // pixels of mouse movement per panorama unit
constexpr std::int32_t kReturnLeft = 960;  // window pixels; the button reacts at x > this
constexpr std::int32_t kReturnTop = 704;   // and y > this

// Every event is read as a key event; its key symbol is the 32-bit field at byte 20.
static_assert(offsetof(SDL_Event, key.keysym.sym) == 20, "key symbol field moved");
}  // namespace

float applyKeySymbol(float viewOffset, std::int32_t keySymbol) {
  if (keySymbol == SDLK_LEFT) return static_cast<float>(viewOffset + kKeyStep);
  if (keySymbol == SDLK_RIGHT) return static_cast<float>(viewOffset - kKeyStep);
  return viewOffset;
}

float wrapViewOffset(float viewOffset) {
  if (viewOffset > 1) viewOffset -= 2;
  if (viewOffset < -1) viewOffset += 2;
  return viewOffset;
}

MouseResult viewerMouse(Room& room, ViewerState& state, std::int32_t x, std::int32_t y,
                        bool buttonDown) {
  if (miniMapContains(x, y)) {
    if (buttonDown) selectMiniMapPoint(room, x, y);
    state.lastMouseX = x;
    return MouseResult::Stay;
  }
  if (x > kReturnLeft && y > kReturnTop && buttonDown) return MouseResult::ReturnToMenu;
  if (buttonDown) {
    const std::int32_t d = state.lastMouseX - x;
    state.lastMouseX = x;
    state.viewOffset = state.viewOffset - static_cast<float>(d) / kDragPixels;
  } else {
    state.lastMouseX = x;
  }
  return MouseResult::Stay;
}

TextureId currentPanorama(const Room& room) {
  if (room.currentPoint < 0 || static_cast<std::size_t>(room.currentPoint) >= room.points.size())
    return 0;
  const std::int32_t t = room.points[room.currentPoint].textureIndex;
  if (t < 0 || static_cast<std::size_t>(t) >= room.textures.size()) return 0;
  return room.textures[t];
}

void drawPanorama(const Room& room, float viewOffset) {
  glViewport(0, 0, 1024, 768);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  const TextureId texture = currentPanorama(room);
  // Without a picture to show the panorama area stays black rather than a white quad.
  if (texture == 0) return;
  glBindTexture(GL_TEXTURE_2D, texture);
  glLoadIdentity();
  glOrtho(-0.1, 0.1, -1, 1, 0, -1);
  glTranslatef(viewOffset, 0, 0);
  glColor3f(1, 1, 1);
  glBegin(GL_QUADS);
  // The centre copy, then the ones to its left and right, so the seam is always covered.
  const float lefts[3] = {-1, -3, 1};
  for (float left : lefts) {
    const float right = left + 2;
    glTexCoord2f(0, 0);
    glVertex2f(left, 1);
    glTexCoord2f(1, 0);
    glVertex2f(right, 1);
    glTexCoord2f(1, 1);
    glVertex2f(right, -1);
    glTexCoord2f(0, 1);
    glVertex2f(left, -1);
  }
  glEnd();
}

void drawReturnButton(TextureId menuButtonTexture) {
  glLoadIdentity();
  glViewport(960, 0, 64, 64);
  glBindTexture(GL_TEXTURE_2D, menuButtonTexture);
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(-1, 1);
  glTexCoord2f(1, 0);
  glVertex2f(1, 1);
  glTexCoord2f(1, 1);
  glVertex2f(1, -1);
  glTexCoord2f(0, 1);
  glVertex2f(-1, -1);
  glEnd();
}

ViewerOutcome viewerFrame(SDL_Window* window, Room& room, ViewerState& state,
                          TextureId menuButtonTexture) {
  bool closed = false;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) closed = true;
    // Every event is looked at as a key event, whatever its type: a press, each auto-repeat
    // and the release of an arrow key each turn the view one step.
    state.viewOffset = applyKeySymbol(state.viewOffset, event.key.keysym.sym);
  }
  SDL_PumpEvents();
  int x = 0, y = 0;
  const bool buttonDown = SDL_GetMouseState(&x, &y) != 0;
  if (viewerMouse(room, state, x, y, buttonDown) == MouseResult::ReturnToMenu)
    return ViewerOutcome::ReturnToMenu;
  state.viewOffset = wrapViewOffset(state.viewOffset);
  drawPanorama(room, state.viewOffset);
  drawMiniMap(room, state.viewOffset);
  drawReturnButton(menuButtonTexture);
  SDL_GL_SwapWindow(window);
  return closed ? ViewerOutcome::Closed : ViewerOutcome::Stay;
}
