// The room menu: room list, icons, hover and choice, and its frame.
#include "menu/menu.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "tour/room.h"
#include "tour/texture.h"

namespace {
const char kRoomList[] = "data/rooms.inf";
constexpr double kColumnRight = 204.8;  // window pixels; icons react at x <= this
constexpr float kIconHeight = 0.1f;     // window-normalised
constexpr float kIconWidth = 0.2f;      // window-normalised

std::string workingDirectory() {
  std::vector<char> buffer(4096);
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return "(unknown)";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}
}  // namespace

std::vector<std::string> parseRoomNames(TextFile& file) {
  std::vector<std::string> names;
  std::string line;
  while (readLine(file, line)) names.push_back(line);
  return names;
}

std::vector<std::string> loadRoomNames() {
  TextFile file;
  std::string error;
  if (!readTextFile(kRoomList, file, error)) {
    std::fprintf(stderr, "%s: %s: cannot open room list (looked in %s): %s\n", kProgramName,
                 kRoomList, printablePath(workingDirectory()).c_str(), error.c_str());
    return {};
  }
  std::vector<std::string> names = parseRoomNames(file);
  if (names.empty())
    std::fprintf(stderr, "%s: %s: the room list names no rooms\n", kProgramName, kRoomList);
  return names;
}

std::vector<TextureId> loadRoomIcons(const std::vector<std::string>& names) {
  std::vector<TextureId> icons;
  icons.reserve(names.size());
  for (const std::string& name : names) icons.push_back(loadTexture(roomIconPath(name), GL_RGB));
  return icons;
}

int iconAt(int x, int y, std::size_t iconCount) {
  if (x > kColumnRight || y < 0 || iconCount == 0) return -1;
  // Band i runs from i·d·768 to (i·d + d)·768 with d the double nearest 0.1, taken exactly:
  // the bounds lie a hair above the multiples of 76.8 = 384/5, so a whole row y >= 1 is
  // icon i exactly when 384·i < 5·y <= 384·(i + 1), and row 0 is icon 0's.
  const long long i = y == 0 ? 0 : (5LL * y - 1) / 384;
  return i < static_cast<long long>(iconCount) ? static_cast<int>(i) : -1;
}

int decideMenu(int x, int y, bool buttonDown, std::vector<std::uint8_t>& hoverFlags) {
  if (hoverFlags.empty()) return -1;
  std::fill(hoverFlags.begin(), hoverFlags.end(), 0);
  const int i = iconAt(x, y, hoverFlags.size());
  if (i < 0) return -1;
  hoverFlags[i] = 1;
  return buttonDown ? i : -1;
}

void drawMenu(TextureId titleTexture, const std::vector<TextureId>& icons,
              const std::vector<std::uint8_t>& hoverFlags) {
  glBindTexture(GL_TEXTURE_2D, titleTexture);
  glClear(GL_COLOR_BUFFER_BIT);
  glLoadIdentity();
  glOrtho(0, 1, 1, 0, 0, 1);
  glColor3f(1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1);
  glVertex2f(0, 1);
  glTexCoord2f(1, 1);
  glVertex2f(1, 1);
  glTexCoord2f(1, 0);
  glVertex2f(1, 0);
  glTexCoord2f(0, 0);
  glVertex2f(0, 0);
  glEnd();
  for (std::size_t i = 0; i < icons.size(); ++i) {
    glBindTexture(GL_TEXTURE_2D, icons[i]);
    if (i < hoverFlags.size() && hoverFlags[i])
      glColor4f(0, 1, 0, 1);
    else
      glColor4f(1, 1, 1, 1);
    const float top = static_cast<float>(i) * kIconHeight;
    const float bottom = top + kIconHeight;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex2f(0, bottom);
    glTexCoord2f(1, 1);
    glVertex2f(kIconWidth, bottom);
    glTexCoord2f(1, 0);
    glVertex2f(kIconWidth, top);
    glTexCoord2f(0, 0);
    glVertex2f(0, top);
    glEnd();
  }
}

void chooseRoom(int index, const std::vector<std::string>& names, Room& current) {
  std::printf("Button %i pressed!\n", index);
  // A program reading our output must see each choice as it happens, not at exit.
  std::fflush(stdout);
  // The replaced room's textures go first, so texture memory never holds two rooms.
  releaseRoom(current);
  current = loadRoom(roomDirectory(names[index]));
}

MenuOutcome menuFrame(SDL_Window* window, const std::vector<std::string>& names,
                      const std::vector<TextureId>& icons, std::vector<std::uint8_t>& hoverFlags,
                      TextureId titleTexture, Room& current) {
  glViewport(0, 0, 1024, 768);
  SDL_Event event;
  while (SDL_PollEvent(&event))
    if (event.type == SDL_QUIT) std::exit(0);
  SDL_PumpEvents();
  int x = 0, y = 0;
  const bool buttonDown = SDL_GetMouseState(&x, &y) != 0;
  const int chosen = decideMenu(x, y, buttonDown, hoverFlags);
  if (chosen >= 0) chooseRoom(chosen, names, current);
  drawMenu(titleTexture, icons, hoverFlags);
  SDL_GL_SwapWindow(window);
  return chosen >= 0 ? MenuOutcome::RoomChosen : MenuOutcome::Stay;
}
