// The room menu: the room list "data/rooms.inf", one icon per room, and the menu frame that
// shows the title with the icon column, tints the icon under the mouse and chooses a room
// while a mouse button is held over its icon.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tour/text.h"
#include "tour/tour.h"

struct SDL_Window;

// One name per line, empty lines included; a last line without LF counts if it is not empty.
std::vector<std::string> parseRoomNames(TextFile& file);

// Reads "data/rooms.inf" from the working directory. A list that cannot be opened gives no
// rooms, with one line on standard error saying where it was looked for.
std::vector<std::string> loadRoomNames();

// One texture per name, in order: "data/" + name + "/icon.jpg".
std::vector<TextureId> loadRoomIcons(const std::vector<std::string>& names);

inline std::string roomIconPath(const std::string& name) { return "data/" + name + "/icon.jpg"; }
inline std::string roomDirectory(const std::string& name) { return "data/" + name + "/"; }

// Index of the icon whose band holds the mouse (window pixels), or -1. Icon i covers
// x <= 204.8 and, for whole-pixel y >= 1, 76.8·i < y <= 76.8·(i + 1); y = 0 is icon 0's.
int iconAt(int x, int y, std::size_t iconCount);

// The menu's decision for one frame: sets hoverFlags (one byte per icon) and returns the
// room to choose, or -1.
int decideMenu(int x, int y, bool buttonDown, std::vector<std::uint8_t>& hoverFlags);

// Draws the title over the window and the icon column, tinting hovered icons green.
void drawMenu(TextureId titleTexture, const std::vector<TextureId>& icons,
              const std::vector<std::uint8_t>& hoverFlags);

// Prints "Button %i pressed!", loads room index into current (deleting the textures of the
// room it replaces).
void chooseRoom(int index, const std::vector<std::string>& names, Room& current);

enum class MenuOutcome { Stay, RoomChosen };

// One menu frame, from the event drain to the swap. A window close ends the process with
// status 0 inside the event drain.
MenuOutcome menuFrame(SDL_Window* window, const std::vector<std::string>& names,
                      const std::vector<TextureId>& icons, std::vector<std::uint8_t>& hoverFlags,
                      TextureId titleTexture, Room& current);
