// The shared records of a tour: texture names, panorama points and the loaded room.
// Everything here is plain data; the screens read it and the loaders fill it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An OpenGL texture name; 0 draws without a picture.
using TextureId = std::uint32_t;

// One panorama position on the room's plan (plan units, y grows downward on the mini-map).
struct ViewPoint {
  float x = 0;
  float y = 0;
  std::int32_t textureIndex = 0;  // index into Room::textures
};

struct Room {
  std::int32_t currentPoint = 0;    // index into points of the panorama on show
  std::vector<ViewPoint> points;    // file order
  std::vector<std::int32_t> links;  // consecutive pairs are the two ends of one link
  std::vector<TextureId> textures;  // file order
};

// Prefix of every line the program writes on standard error.
inline constexpr const char* kProgramName = "ostrivane";
