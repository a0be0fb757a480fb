// Ostrivane: start-up, the alternation of the room menu and the panorama viewer, shutdown.
// Everything of one run is held here; the one global is the screen flag.
#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "menu/menu.h"
#include "tour/room.h"
#include "tour/texture.h"
#include "viewer/viewer.h"

bool screenRunning = true;

namespace {
int setUpFailed(const char* what) {
  std::fprintf(stderr, "%s: cannot %s: %s\n", kProgramName, what, SDL_GetError());
  SDL_Quit();
  return 1;
}
}  // namespace

int main(int, char**) {
  if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK |
               SDL_INIT_HAPTIC | SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS) != 0) {
    // The tour needs only the window and its events; a machine without sound or
    // controller support still gets it, with a word about what is missing.
    std::fprintf(stderr, "%s: SDL could not start all its subsystems (%s); going on without them\n",
                 kProgramName, SDL_GetError());
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
      return setUpFailed("initialise SDL");
  }
  // Without a reachable display SDL falls back to drivers that show nothing; a tour that
  // runs where nobody can see it is no use, so say so unless that driver was asked for.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!SDL_getenv("SDL_VIDEODRIVER") && driver &&
      (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0)) {
    const char* display = SDL_getenv("DISPLAY");
    std::fprintf(
        stderr,
        "%s: no display to open the window on (%s%s); SDL could only offer its '%s' driver\n",
        kProgramName, display ? "cannot reach DISPLAY=" : "DISPLAY is not set",
        display ? display : "", driver);
    SDL_Quit();
    return 1;
  }
  SDL_Window* window = SDL_CreateWindow("Ostrivane", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        1024, 768, SDL_WINDOW_OPENGL);
  if (!window) return setUpFailed("open the window");
  if (!SDL_GL_CreateContext(window)) return setUpFailed("create the OpenGL context");
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

  Room room;
  const std::vector<std::string> roomNames = loadRoomNames();
  const std::vector<TextureId> roomIcons = loadRoomIcons(roomNames);
  std::vector<std::uint8_t> hoverFlags(roomNames.size());
  const TextureId titleTexture = loadTexture("data/title.jpg", GL_RGB);
  const TextureId menuButtonTexture = loadTexture("data/menu.jpg", GL_RGB);
  ViewerState viewer;  // lastMouseX starts at 0 and is kept across visits

  for (;;) {
    screenRunning = true;
    while (screenRunning)
      if (menuFrame(window, roomNames, roomIcons, hoverFlags, titleTexture, room) ==
          MenuOutcome::RoomChosen)
        screenRunning = false;

    screenRunning = true;
    viewer.viewOffset = 0;
    ViewerOutcome outcome = ViewerOutcome::Stay;
    while (screenRunning && outcome != ViewerOutcome::ReturnToMenu) {
      outcome = viewerFrame(window, room, viewer, menuButtonTexture);
      if (outcome == ViewerOutcome::Closed) screenRunning = false;
    }
    if (outcome == ViewerOutcome::Closed) break;
  }

  SDL_Quit();
  return 0;
}
