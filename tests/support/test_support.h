// Helpers shared by the tests: temporary directories, small files and JPEG pictures
// written by SDL2_image, so every fixture is made by the test that uses it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
};

// A new empty directory under the system's temporary directory; removed by removeTree.
std::string makeTempDir(const std::string& prefix);
void removeTree(const std::string& path);

// Writes bytes to path, creating the missing parent directories.
void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

// Writes a width by height JPEG whose pixel (x, y), y from the top, has the colour pixel(x, y).
void writeJpeg(const std::string& path, int width, int height,
               const std::function<Rgb(int, int)>& pixel, int quality = 95);
void writeSolidJpeg(const std::string& path, int width, int height, Rgb colour);

// Same as writeJpeg, as PNG (lossless, so exact colours can be checked after decoding).
void writePng(const std::string& path, int width, int height,
              const std::function<Rgb(int, int)>& pixel);
