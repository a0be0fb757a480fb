// The viewer's decisions: key steps, the wrap, dragging and the order of the mouse cases.
#include "viewer/viewer.h"

#include <SDL_keycode.h>
#include <gtest/gtest.h>

namespace {
float keys(float offset, std::initializer_list<std::int32_t> symbols) {
  for (std::int32_t s : symbols) offset = applyKeySymbol(offset, s);
  return offset;
}
}  // namespace

TEST(ViewerKeys, StepsAndWrap) {
  EXPECT_EQ(keys(0, {SDLK_LEFT}), static_cast<float>(0.0 + 0.01));
  EXPECT_EQ(keys(0, {SDLK_RIGHT}), static_cast<float>(0.0 - 0.01));
  // A press and its release are two events.
  EXPECT_EQ(keys(0, {SDLK_LEFT, SDLK_LEFT}), static_cast<float>(static_cast<float>(0.01) + 0.01));
  EXPECT_EQ(keys(0.5f, {SDLK_UP, SDLK_a, 0}), 0.5f);
  // Several events in one frame may pass 1 before the single wrap.
  const float past = keys(0.995f, {SDLK_LEFT, SDLK_LEFT, SDLK_LEFT});
  EXPECT_NEAR(past, 1.025f, 1e-6);
  EXPECT_NEAR(wrapViewOffset(past), -0.975f, 1e-6);
  EXPECT_EQ(wrapViewOffset(past), past - 2.0f);
}

TEST(ViewerKeys, WrapIsStrict) {
  struct Case {
    float in, out;
  } cases[] = {{1.0f, 1.0f},
               {-1.0f, -1.0f},
               {0.0f, 0.0f},
               {1.005f, 1.005f - 2.0f},
               {-1.004f, -1.004f + 2.0f},
               {2.5f, 0.5f},
               {-3.5f, -1.5f}};
  for (const auto& c : cases) EXPECT_EQ(wrapViewOffset(c.in), c.out) << c.in;
  EXPECT_NEAR(wrapViewOffset(1.005f), -0.995f, 1e-7);
  EXPECT_NEAR(wrapViewOffset(-1.004f), 0.996f, 1e-7);
}

TEST(ViewerMouse, DragTurnsByOneUnitPer1024Pixels) {
  Room room;
  ViewerState s;
  s.lastMouseX = 0;
  EXPECT_EQ(viewerMouse(room, s, 1024, 400, true), MouseResult::Stay);
  EXPECT_EQ(s.viewOffset, 1.0f);
  EXPECT_EQ(s.lastMouseX, 1024);
  viewerMouse(room, s, 512, 400, true);
  EXPECT_EQ(s.viewOffset, 0.5f);
  viewerMouse(room, s, 900, 400, false);  // no button: only follows the mouse
  EXPECT_EQ(s.viewOffset, 0.5f);
  EXPECT_EQ(s.lastMouseX, 900);
  viewerMouse(room, s, 899, 400, true);
  EXPECT_EQ(s.viewOffset, 0.5f - 1.0f / 1024);
}

TEST(ViewerMouse, RegionsInOrder) {
  struct Case {
    int x, y;
    bool button;
    MouseResult result;
    bool turns;
  } cases[] = {
      {960, 760, true, MouseResult::Stay, true},  // the button's own first column drags
      {1000, 704, true, MouseResult::Stay, true},
      {961, 705, true, MouseResult::ReturnToMenu, false},
      {1023, 767, true, MouseResult::ReturnToMenu, false},
      {1000, 740, false, MouseResult::Stay, false},
      {100, 100, true, MouseResult::Stay, false},  // mini-map region never drags
      {308, 235, true, MouseResult::Stay, false},
      {309, 235, true, MouseResult::Stay, true},
      {308, 236, true, MouseResult::Stay, true},
      {16, 100, true, MouseResult::Stay, true},
  };
  for (const auto& c : cases) {
    Room room;
    ViewerState s;
    s.lastMouseX = 500;
    s.viewOffset = 0.25f;
    EXPECT_EQ(viewerMouse(room, s, c.x, c.y, c.button), c.result) << c.x << "," << c.y;
    EXPECT_EQ(s.viewOffset != 0.25f, c.turns) << c.x << "," << c.y;
    EXPECT_EQ(s.lastMouseX, c.result == MouseResult::ReturnToMenu ? 500 : c.x) << c.x;
  }
}

TEST(ViewerMouse, DragThroughTheMiniMapHasNoJump) {
  Room room;
  ViewerState s;
  s.lastMouseX = 400;
  viewerMouse(room, s, 350, 100, true);  // panorama: turns by -50 px
  const float before = s.viewOffset;
  viewerMouse(room, s, 300, 100, true);  // into the mini-map: no turn, follows the mouse
  viewerMouse(room, s, 200, 100, true);
  EXPECT_EQ(s.viewOffset, before);
  EXPECT_EQ(s.lastMouseX, 200);
  viewerMouse(room, s, 330, 100, true);  // out again: turns from 200, not from 300
  EXPECT_EQ(s.viewOffset, before + 130.0f / 1024);
}

TEST(ViewerMouse, EnteringWithAButtonHeld) {
  Room room;
  ViewerState first;  // first visit: lastMouseX 0
  viewerMouse(room, first, 512, 400, true);
  EXPECT_EQ(first.viewOffset, 0.5f);
  ViewerState later;
  later.lastMouseX = 700;  // what the previous visit left
  viewerMouse(room, later, 600, 400, true);
  EXPECT_EQ(later.viewOffset, -100.0f / 1024);
}

TEST(ViewerPanorama, TextureOnlyForAShowableRoom) {
  Room room;
  EXPECT_EQ(currentPanorama(room), 0u);
  room.textures = {11, 12};
  room.points = {{0, 0, 1}, {0, 0, 2}, {0, 0, -1}};
  EXPECT_EQ(currentPanorama(room), 12u);
  room.currentPoint = 1;
  EXPECT_EQ(currentPanorama(room), 0u);
  room.currentPoint = 2;
  EXPECT_EQ(currentPanorama(room), 0u);
  room.currentPoint = 3;
  EXPECT_EQ(currentPanorama(room), 0u);
  room.currentPoint = -1;
  EXPECT_EQ(currentPanorama(room), 0u);
}
