// The generated sample tour, read back exactly as the program reads it, and its panoramas held
// against the plan: what the plan puts due east and due north of a point is what its picture
// shows at s = 0.5 and s = 0.25. The generator runs once per test process, into a temporary
// directory.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "menu/menu.h"
#include "sample_tour/panorama.h"
#include "sample_tour/plan.h"
#include "support/test_support.h"
#include "tour/room.h"
#include "tour/texture.h"

namespace fs = std::filesystem;
namespace st = sampletour;

namespace {

// Runs the generator into a new temporary directory; returns the directory, or "" after
// reporting a failure.
std::string generateTour(const std::string& prefix) {
  const std::string dir = makeTempDir(prefix);
  const pid_t pid = fork();
  if (pid == 0) {
    execl(OSTRIVANE_SAMPLE_TOUR, OSTRIVANE_SAMPLE_TOUR, dir.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    ADD_FAILURE() << OSTRIVANE_SAMPLE_TOUR << " " << dir << " failed (status " << status << ")";
    return "";
  }
  return dir;
}

std::string gTour;  // the tour that every test here reads

struct TourEnvironment : ::testing::Environment {
  void SetUp() override {
    gTour = generateTour("ostrivane-sample-tour");
    ASSERT_FALSE(gTour.empty());
  }
  void TearDown() override {
    if (!gTour.empty()) removeTree(gTour);
  }
};
[[maybe_unused]] const auto* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new TourEnvironment);

const st::Plan& plan() {
  static const st::Plan p = st::samplePlan();
  return p;
}

struct Decoded {
  bool ok = false;
  std::string error, warning;
  int width = 0, height = 0;
  std::vector<std::uint8_t> pixels;  // rows rgbRowStride(width) apart

  st::Colour at(int x, int y) const {
    const std::uint8_t* p = &pixels[y * rgbRowStride(width) + x * 3];
    return {double(p[0]), double(p[1]), double(p[2])};
  }
};

// Decodes through the program's own decoder, with a texture limit that common drivers meet.
Decoded decode(const std::string& path) {
  constexpr int kCommonTextureLimit = 4096;  // pixels
  Decoded d;
  RgbPicture picture;
  d.ok = decodePicture(SDL_RWFromFile(path.c_str(), "rb"), kCommonTextureLimit, picture, d.error,
                       d.warning);
  if (d.ok) {
    d.width = picture.width;
    d.height = picture.height;
    d.pixels.assign(picture.pixels, picture.pixels + rgbRowStride(d.width) * d.height);
    releasePicture(picture);
  }
  return d;
}

RoomDescription readDescription(const std::string& room) {
  TextFile file;
  std::string error;
  EXPECT_TRUE(readTextFile(gTour + "/" + roomDirectory(room) + "info.rm", file, error)) << error;
  return parseRoomDescription(file);
}

double farthestChannel(st::Colour a, st::Colour b) {
  return std::max({std::fabs(a.r - b.r), std::fabs(a.g - b.g), std::fabs(a.b - b.b)});
}

TEST(SampleTour, RoomListNamesEveryRoomOfThePlanInPlainLowerCase) {
  TextFile file;
  std::string error;
  ASSERT_TRUE(readTextFile(gTour + "/data/rooms.inf", file, error)) << error;
  EXPECT_EQ(file.bytes.find('\r'), std::string::npos);
  const std::vector<std::string> names = parseRoomNames(file);
  ASSERT_GE(names.size(), 4u);
  ASSERT_LE(names.size(), 6u);
  ASSERT_EQ(names.size(), plan().rooms.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(names[i], plan().rooms[i].directory);
    ASSERT_FALSE(names[i].empty());
    for (char c : names[i]) EXPECT_TRUE(c >= 'a' && c <= 'z') << "room " << i << ": " << names[i];
  }
}

TEST(SampleTour, EveryRoomDescriptionReadsBackWhole) {
  for (std::size_t r = 0; r < plan().rooms.size(); ++r) {
    const st::RoomPlan& planned = plan().rooms[r];
    SCOPED_TRACE(planned.directory);
    const std::string text = readFile(gTour + "/" + roomDirectory(planned.directory) + "info.rm");
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_TRUE(text.size() >= 4 && text.compare(text.size() - 4, 4, "eof\n") == 0);

    const RoomDescription d = readDescription(planned.directory);
    EXPECT_FALSE(d.pointCutShort);
    EXPECT_FALSE(d.linkCutShort);
    ASSERT_GE(d.points.size(), 3u);
    ASSERT_LE(d.points.size(), 6u);
    ASSERT_EQ(d.points.size(), planned.points.size());
    for (std::size_t i = 0; i < d.points.size(); ++i) {
      EXPECT_NEAR(d.points[i].x, planned.points[i].x, 0.005) << "point " << i;
      EXPECT_NEAR(d.points[i].y, planned.points[i].y, 0.005) << "point " << i;
    }
    ASSERT_FALSE(d.links.empty());

    // The program's own check of a loaded room, with one texture per picture it names.
    Room room;
    room.points = d.points;
    room.links = d.links;
    room.textures.assign(d.pictures.size(), 1);
    EXPECT_TRUE(roomProblems(room).empty()) << roomProblems(room).front();

    for (std::size_t i = 0; i + 1 < d.links.size(); i += 2) {
      const auto a = planned.points[d.links[i]], b = planned.points[d.links[i + 1]];
      EXPECT_TRUE(st::canSee(plan(), a, b)) << "link " << d.links[i] << "-" << d.links[i + 1];
    }
  }
}

TEST(SampleTour, EveryPictureDecodesCleanlyAtItsScreenSize) {
  struct Case {
    std::string path;
    int width, height;
  };
  std::vector<Case> cases = {{"data/title.jpg", 1024, 768}, {"data/menu.jpg", 64, 64}};
  for (const st::RoomPlan& r : plan().rooms) {
    cases.push_back({roomIconPath(r.directory), 205, 77});
    for (const std::string& picture : readDescription(r.directory).pictures)
      cases.push_back(
          {roomDirectory(r.directory) + picture, st::kPanoramaWidth, st::kPanoramaHeight});
  }
  for (const Case& c : cases) {
    const Decoded d = decode(gTour + "/" + c.path);
    EXPECT_TRUE(d.ok) << c.path << ": " << d.error;
    EXPECT_EQ(d.warning, "") << c.path;
    EXPECT_EQ(d.width, c.width) << c.path;
    EXPECT_EQ(d.height, c.height) << c.path;
  }
}

TEST(SampleTour, PanoramasShowTheWallThePlanPutsDueEastAndDueNorth) {
  constexpr double kJpegTolerance = 12;  // per channel, on the mean of 2 by 2 pixels
  struct Direction {
    double s;
    st::Side side;
  };
  const Direction directions[] = {{0.5, st::Side::East}, {0.25, st::Side::North}};
  const double eyeRow = st::kPanoramaHeight / 2.0;  // the horizon lies between two rows
  int checked = 0;
  for (std::size_t r = 0; r < plan().rooms.size(); ++r) {
    const st::RoomPlan& room = plan().rooms[r];
    const RoomDescription d = readDescription(room.directory);
    for (std::size_t p = 0; p < room.points.size(); ++p) {
      const Decoded picture = decode(gTour + "/" + roomDirectory(room.directory) +
                                     d.pictures[d.points[p].textureIndex]);
      ASSERT_TRUE(picture.ok) << picture.error;
      for (const Direction& dir : directions) {
        SCOPED_TRACE(room.directory + " point " + std::to_string(p) + " facing " +
                     st::sideName(dir.side));
        const st::RayHit hit =
            st::firstSolidAt(plan(), room.points[p], st::columnDirection(dir.s), st::kEyeHeight);
        ASSERT_TRUE(hit.face >= 0 || hit.pillar >= 0) << "the ray leaves the building";
        if (hit.face < 0) continue;  // a column of the foyer
        const st::Face& face = plan().faces[hit.face];
        if (face.surface != st::Surface::Wall) continue;  // a bookcase's spines
        // Looking along an axis of a building of upright rectangles meets a wall on that side
        // of its room: the point's own room, or the next one through a doorway.
        EXPECT_EQ(face.side, dir.side);
        // Only a stretch of bare paint 3 pixels to either side compares well after JPEG.
        bool plain = true;
        for (int dx : {-3, 0, 3}) {
          const double s = dir.s + dx / double(st::kPanoramaWidth);
          const st::RayHit near =
              st::firstSolidAt(plan(), room.points[p], st::columnDirection(s), st::kEyeHeight);
          plain = plain && near.face == hit.face &&
                  st::paintAt(face, near.u, st::kEyeHeight) == st::Paint::Plain;
        }
        if (!plain) continue;

        const int column = static_cast<int>(dir.s * st::kPanoramaWidth);  // s lies on its left edge
        const int row = static_cast<int>(eyeRow);
        st::Colour seen{};
        for (int x : {column - 1, column})
          for (int y : {row - 1, row}) {
            const st::Colour c = picture.at(x, y);
            seen = {seen.r + c.r / 4, seen.g + c.g / 4, seen.b + c.b / 4};
          }
        const st::Colour expected = st::plainWallSeen(face, hit);
        EXPECT_LE(farthestChannel(seen, expected), kJpegTolerance)
            << "picture (" << seen.r << ", " << seen.g << ", " << seen.b << "), " << face.room
            << "'s " << st::sideName(face.side) << " wall (" << expected.r << ", " << expected.g
            << ", " << expected.b << ")";
        // The check has teeth only if the opposite wall would look different.
        const st::Face& opposite =
            st::wallOf(plan(), face.room, st::kSides[(static_cast<int>(face.side) + 2) % 4]);
        EXPECT_GT(farthestChannel(st::plainWallSeen(opposite, hit), expected), 3 * kJpegTolerance);
        ++checked;
      }
    }
  }
  // Most points have bare wall both ways; the first point of the first room must.
  EXPECT_GE(checked, static_cast<int>(plan().rooms.size()) * 2);
}

TEST(SampleTour, ASecondRunWritesTheSameBytes) {
  const std::string again = generateTour("ostrivane-sample-tour-again");
  ASSERT_FALSE(again.empty());
  std::size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(gTour)) {
    if (!entry.is_regular_file()) continue;
    const fs::path relative = fs::relative(entry.path(), gTour);
    EXPECT_TRUE(readFile(entry.path().string()) == readFile((fs::path(again) / relative).string()))
        << relative;
    ++files;
  }
  std::size_t filesAgain = 0;
  for (const auto& entry : fs::recursive_directory_iterator(again))
    filesAgain += entry.is_regular_file();
  EXPECT_EQ(files, filesAgain);
  removeTree(again);
}

}  // namespace
