// A room's description file ("info.rm") and loading a whole room: its panoramas become
// textures, its points and links are read. The file has three sections:
//   1. picture names, one per line, ended by a line "-";
//   2. points as groups of three lines (x, y, texture index), ended by "-" where a group starts;
//   3. links as pairs of point-index lines, ended by an empty line, "eof" or the file's end.
#pragma once

#include <string>
#include <vector>

#include "tour/text.h"
#include "tour/tour.h"

// What a description file says, before any picture is loaded.
struct RoomDescription {
  std::vector<std::string> pictures;  // names relative to the room's directory
  std::vector<ViewPoint> points;
  std::vector<std::int32_t> links;
  bool pointCutShort = false;  // the file ended inside a point's three lines; it is dropped
  bool linkCutShort = false;   // the file ended after a link's first line; it is dropped
};

RoomDescription parseRoomDescription(TextFile& file);

// Reads directory + "info.rm" (directory ends in "/") and loads every picture it names, in
// file order, through loadTexture. A file that cannot be opened reads as empty. Problems
// that would keep the room from being shown are named on standard error, once.
Room loadRoom(const std::string& directory);

// One line per kind of fault that keeps the room, or part of its plan, from being shown:
// no points, a texture index or a link entry out of range.
std::vector<std::string> roomProblems(const Room& room);

// Deletes the room's textures and empties it (currentPoint 0).
void releaseRoom(Room& room);
