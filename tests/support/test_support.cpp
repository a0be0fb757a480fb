// Test helpers: files, directories and pictures on disk.
#include "support/test_support.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

std::string makeTempDir(const std::string& prefix) {
  std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (!mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed for " << pattern;
  return pattern;
}

void removeTree(const std::string& path) {
  std::error_code ec;
  fs::remove_all(path, ec);
}

void writeFile(const std::string& path, const std::string& bytes) {
  const fs::path p(path);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) ADD_FAILURE() << "cannot write " << path;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

namespace {
SDL_Surface* makeSurface(int width, int height, const std::function<Rgb(int, int)>& pixel) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_RGB24);
  if (!s) {
    ADD_FAILURE() << "cannot make a surface: " << SDL_GetError();
    return nullptr;
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgb c = pixel(x, y);
      auto* px = static_cast<std::uint8_t*>(s->pixels) + y * s->pitch + x * 3;
      px[0] = c.r;
      px[1] = c.g;
      px[2] = c.b;
    }
  return s;
}

void prepareParent(const std::string& path) {
  const fs::path p(path);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
}
}  // namespace

void writeJpeg(const std::string& path, int width, int height,
               const std::function<Rgb(int, int)>& pixel, int quality) {
  prepareParent(path);
  SDL_Surface* s = makeSurface(width, height, pixel);
  if (!s) return;
  if (IMG_SaveJPG(s, path.c_str(), quality) != 0)
    ADD_FAILURE() << "cannot write " << path << ": " << IMG_GetError();
  SDL_FreeSurface(s);
}

void writeSolidJpeg(const std::string& path, int width, int height, Rgb colour) {
  writeJpeg(path, width, height, [colour](int, int) { return colour; });
}

void writePng(const std::string& path, int width, int height,
              const std::function<Rgb(int, int)>& pixel) {
  prepareParent(path);
  SDL_Surface* s = makeSurface(width, height, pixel);
  if (!s) return;
  if (IMG_SavePNG(s, path.c_str()) != 0)
    ADD_FAILURE() << "cannot write " << path << ": " << IMG_GetError();
  SDL_FreeSurface(s);
}
