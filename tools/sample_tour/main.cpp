// ostrivane_sample_tour OUTPUT_DIR: writes the sample tour of the Larkspur Library under
// OUTPUT_DIR/data, byte for byte the same on every run: the room list, the title, the
// return button and, per room, its icon, its description file and one panorama per point.
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "sample_tour/artwork.h"
#include "sample_tour/panorama.h"
#include "sample_tour/plan.h"

namespace fs = std::filesystem;
using namespace sampletour;

namespace {

const char kTool[] = "ostrivane_sample_tour";
constexpr int kJpegQuality = 92;

bool fail(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kTool, message.c_str());
  return false;
}

bool writeText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return out ? true : fail(path.string() + ": cannot write");
}

bool writeJpeg(const Image& image, const fs::path& path) {
  std::string error;
  return saveJpeg(image, path.string(), kJpegQuality, error) ||
         fail(path.string() + ": cannot write picture: " + error);
}

std::string pictureName(std::size_t point) { return "view" + std::to_string(point) + ".jpg"; }

std::string number(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f", v);
  return buffer;
}

// Pictures named first, then each point as x, y and its picture's index, then the links.
std::string roomDescription(const RoomPlan& room) {
  std::string text;
  for (std::size_t i = 0; i < room.points.size(); ++i) text += pictureName(i) + "\n";
  text += "-\n";
  for (std::size_t i = 0; i < room.points.size(); ++i)
    text += number(room.points[i].x) + "\n" + number(room.points[i].y) + "\n" + std::to_string(i) +
            "\n";
  text += "-\n";
  for (const auto& [a, b] : room.links) text += std::to_string(a) + "\n" + std::to_string(b) + "\n";
  text += "eof\n";
  return text;
}

// The panoramas take nearly all the time; they are rendered side by side, one per worker, and
// each comes out the same whichever worker renders it.
std::vector<Image> renderAll(const Plan& plan, const std::vector<Image>& plates) {
  std::vector<std::pair<int, int>> jobs;  // room, point
  for (std::size_t r = 0; r < plan.rooms.size(); ++r)
    for (std::size_t p = 0; p < plan.rooms[r].points.size(); ++p)
      jobs.push_back({static_cast<int>(r), static_cast<int>(p)});
  std::vector<Image> out(jobs.size());
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t j; (j = next++) < jobs.size();)
      out[j] = renderPanorama(plan, plan.rooms[jobs[j].first].points[jobs[j].second], plates);
  };
  const unsigned n = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
  std::vector<std::thread> workers;
  for (unsigned i = 1; i < n; ++i) workers.emplace_back(work);
  work();
  for (std::thread& t : workers) t.join();
  return out;
}

bool generate(const fs::path& root) {
  Fonts fonts;
  std::string error;
  if (!openFonts(fonts, error)) return fail(error);
  if ((IMG_Init(IMG_INIT_JPG) & IMG_INIT_JPG) == 0)
    return fail(std::string("SDL2_image cannot write JPEG: ") + IMG_GetError());

  const Plan plan = samplePlan();
  const fs::path data = root / "data";
  std::error_code ec;
  for (const RoomPlan& r : plan.rooms) {
    fs::create_directories(data / r.directory, ec);
    if (ec) return fail((data / r.directory).string() + ": cannot make directory: " + ec.message());
  }

  std::vector<Image> plates;
  for (const RoomPlan& r : plan.rooms) plates.push_back(namePlate(r, fonts));
  const std::vector<Image> panoramas = renderAll(plan, plates);

  std::size_t next = 0;
  std::string names;
  for (std::size_t r = 0; r < plan.rooms.size(); ++r) {
    const RoomPlan& room = plan.rooms[r];
    const fs::path dir = data / room.directory;
    for (std::size_t p = 0; p < room.points.size(); ++p)
      if (!writeJpeg(panoramas[next++], dir / pictureName(p))) return false;
    if (!writeText(dir / "info.rm", roomDescription(room))) return false;
    if (!writeJpeg(roomIcon(plan, static_cast<int>(r), fonts), dir / "icon.jpg")) return false;
    names += room.directory + "\n";
  }
  if (!writeJpeg(titlePicture(plan, fonts), data / "title.jpg")) return false;
  if (!writeJpeg(menuButton(fonts), data / "menu.jpg")) return false;
  if (!writeText(data / "rooms.inf", names)) return false;
  closeFonts(fonts);
  IMG_Quit();
  std::printf("%s: wrote %zu rooms and %zu panoramas under %s\n", kTool, plan.rooms.size(),
              panoramas.size(), data.string().c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n  writes a sample tour under OUTPUT_DIR/data\n",
                 kTool);
    return 2;
  }
  return generate(argv[1]) ? 0 : 1;
}
