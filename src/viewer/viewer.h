// The panorama viewer: one frame of it, and the decisions it takes (keys, mouse, wrap) as
// plain functions over plain values. viewOffset is in panorama units: one copy of the
// picture is 2 units wide, so [-1, 1] is one full turn.
#pragma once

#include <cstdint>

#include "tour/tour.h"

struct SDL_Window;

struct ViewerState {
  float viewOffset = 0;         // panorama units; 0 at every entry into the viewer
  std::int32_t lastMouseX = 0;  // window pixels; kept across visits
};

// One key event's effect: Left adds 0.01, Right subtracts it, anything else leaves it.
float applyKeySymbol(float viewOffset, std::int32_t keySymbol);

// Above 1: subtract 2; then below -1: add 2. Exactly 1 and -1 stay.
float wrapViewOffset(float viewOffset);

enum class MouseResult { Stay, ReturnToMenu };

// The frame's mouse step: the mini-map region first, then the return button, then dragging.
MouseResult viewerMouse(Room& room, ViewerState& state, std::int32_t x, std::int32_t y,
                        bool buttonDown);

// The texture the panorama pass shows, or 0 when the room has no such point or picture.
TextureId currentPanorama(const Room& room);

void drawPanorama(const Room& room, float viewOffset);
void drawReturnButton(TextureId menuButtonTexture);

enum class ViewerOutcome { Stay, Closed, ReturnToMenu };

// One viewer frame, from the event drain to the swap. A press on the return button ends it
// before anything is drawn; a window close lets it draw and swap first.
ViewerOutcome viewerFrame(SDL_Window* window, Room& room, ViewerState& state,
                          TextureId menuButtonTexture);
