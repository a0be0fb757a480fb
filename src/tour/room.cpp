// Reading "info.rm" and loading a room's panoramas.
#include "tour/room.h"

#include <SDL_opengl.h>

#include <cstdio>

#include "tour/texture.h"

namespace {
const char kSectionEnd[] = "-";
const char kLinksEnd[] = "eof";
}  // namespace

RoomDescription parseRoomDescription(TextFile& file) {
  RoomDescription d;
  std::string line;
  while (readLine(file, line) && line != kSectionEnd) d.pictures.push_back(line);

  while (readLine(file, line) && line != kSectionEnd) {
    ViewPoint p;
    p.x = readDecimal(line);
    if (!readLine(file, line)) {
      d.pointCutShort = true;
      break;
    }
    p.y = readDecimal(line);
    if (!readLine(file, line)) {
      d.pointCutShort = true;
      break;
    }
    p.textureIndex = readInteger(line);
    d.points.push_back(p);
  }

  while (readLine(file, line) && !line.empty() && line != kLinksEnd) {
    const std::int32_t first = readInteger(line);
    if (!readLine(file, line)) {
      d.linkCutShort = true;
      break;
    }
    d.links.push_back(first);
    d.links.push_back(readInteger(line));
  }
  return d;
}

std::vector<std::string> roomProblems(const Room& room) {
  std::vector<std::string> problems;
  const std::size_t nPoints = room.points.size();
  if (nPoints == 0) problems.push_back("no panorama points: the room cannot be shown");

  std::size_t badPictures = 0, firstBadPoint = 0;
  for (std::size_t i = 0; i < nPoints; ++i) {
    const std::int32_t t = room.points[i].textureIndex;
    if (t < 0 || static_cast<std::size_t>(t) >= room.textures.size()) {
      if (badPictures++ == 0) firstBadPoint = i;
    }
  }
  if (badPictures > 0)
    problems.push_back(std::to_string(badPictures) +
                       " point(s) name no listed picture (first: point " +
                       std::to_string(firstBadPoint) + " names picture " +
                       std::to_string(room.points[firstBadPoint].textureIndex) + ", of " +
                       std::to_string(room.textures.size()) + " listed); they show black");

  std::size_t badLinks = 0, firstBadLink = 0;
  for (std::size_t i = 0; i < room.links.size(); ++i) {
    const std::int32_t p = room.links[i];
    if (p < 0 || static_cast<std::size_t>(p) >= nPoints) {
      if (badLinks++ == 0) firstBadLink = i;
    }
  }
  if (badLinks > 0)
    problems.push_back(std::to_string(badLinks) + " link entr(ies) name no point (first: entry " +
                       std::to_string(firstBadLink) + " names point " +
                       std::to_string(room.links[firstBadLink]) + ", of " +
                       std::to_string(nPoints) + " points); those links are not drawn");
  return problems;
}

Room loadRoom(const std::string& directory) {
  const std::string path = directory + "info.rm";
  TextFile file;
  std::string error;
  if (!readTextFile(path, file, error))
    std::fprintf(stderr, "%s: %s: cannot open room description: %s\n", kProgramName,
                 printablePath(path).c_str(), error.c_str());
  RoomDescription d = parseRoomDescription(file);
  if (d.pointCutShort)
    std::fprintf(stderr,
                 "%s: %s: the file ends inside a point's three lines; that point is dropped\n",
                 kProgramName, printablePath(path).c_str());
  if (d.linkCutShort)
    std::fprintf(stderr,
                 "%s: %s: the file ends after the first line of a link; that link is dropped\n",
                 kProgramName, printablePath(path).c_str());

  Room room;
  room.textures.reserve(d.pictures.size());
  for (const std::string& name : d.pictures)
    room.textures.push_back(loadTexture(directory + name, GL_RGB));
  room.points = std::move(d.points);
  room.links = std::move(d.links);
  for (const std::string& problem : roomProblems(room))
    std::fprintf(stderr, "%s: %s: %s\n", kProgramName, printablePath(path).c_str(),
                 problem.c_str());
  return room;
}

void releaseRoom(Room& room) {
  if (!room.textures.empty())
    glDeleteTextures(static_cast<GLsizei>(room.textures.size()), room.textures.data());
  room = Room{};
}
