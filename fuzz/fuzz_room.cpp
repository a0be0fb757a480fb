// Fuzzes the room description reader and everything that reads the record it gives without
// a GL context: roomProblems, the viewer's texture choice and the mini-map's point
// selection. A room that roomProblems passes must be safe to show; the address sanitizer
// catches any read beyond the arrays.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tour/room.h"
#include "viewer/minimap.h"
#include "viewer/viewer.h"

namespace {
void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_room: broken: %s\n", what);
    std::abort();
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TextFile file = textFromBytes(std::string(reinterpret_cast<const char*>(data), size));
  const RoomDescription d = parseRoomDescription(file);
  check(!(d.pointCutShort && d.linkCutShort), "one section cut short at most");
  check(d.links.size() % 2 == 0, "links come in pairs");

  Room room;
  room.points = d.points;
  room.links = d.links;
  // Stand-in texture names, one per listed picture, as loadTexture would give.
  for (std::size_t i = 0; i < d.pictures.size(); ++i)
    room.textures.push_back(static_cast<TextureId>(i + 1));

  const std::vector<std::string> problems = roomProblems(room);
  bool inRange = !room.points.empty();
  for (const ViewPoint& p : room.points)
    inRange = inRange && p.textureIndex >= 0 &&
              static_cast<std::size_t>(p.textureIndex) < room.textures.size();
  for (std::int32_t l : room.links)
    inRange = inRange && l >= 0 && static_cast<std::size_t>(l) < room.points.size();
  check(problems.empty() == inRange, "roomProblems names exactly the rooms out of range");

  // Walk the viewer's reads over every point, and one press on the mini-map's hit region
  // per point, as a user clicking around would.
  for (std::size_t i = 0; i <= room.points.size() && i < 64; ++i) {
    // i == size is one past the end: a current point that names no point.
    room.currentPoint = static_cast<std::int32_t>(i);
    volatile TextureId t = currentPanorama(room);
    (void)t;
    selectMiniMapPoint(room, static_cast<std::int32_t>(17 + (i * 37) % 291),
                       static_cast<std::int32_t>(17 + (i * 53) % 218));
    if (i < room.points.size())
      check(room.currentPoint >= 0 &&
                static_cast<std::size_t>(room.currentPoint) < room.points.size(),
            "selection stays on a point");
    else
      check(room.currentPoint == static_cast<std::int32_t>(i), "no selection from no point");
  }
  room.currentPoint = -1;
  check(currentPanorama(room) == 0, "no picture for no point");
  selectMiniMapPoint(room, 162, 125);
  check(room.currentPoint == -1, "no selection without a current point");
  return 0;
}
