// What the menu and viewer end-to-end tests share: a fixture that owns a temporary tour
// directory and a session, and a small tour whose every picture has its own colour so
// that each can be recognised on screen.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "e2e/driver.h"

// Each test gets a fresh temporary directory (tour) to write its tour into, and a session
// that start() opens there. On failure the last screenshot and the program's output are
// kept next to the test binary for a look.
class E2eTest : public ::testing::Test {
 protected:
  void TearDown() override;

  // Each returns false after adding a failure that says what went wrong, so a test writes
  // ASSERT_TRUE(start()).

  // Starts the program in tour with these arguments and waits for its window.
  bool start(const std::vector<std::string>& args = {});

  // Waits until check, which reads what it needs of the window, is true; check explains
  // what it saw in its argument, and on timeout the failure says what was awaited and
  // what was seen last.
  bool waitForScreen(const std::string& what, const std::function<bool(std::string&)>& check);

  // Waits until the pixel at (x, y) is near colour.
  bool waitForPixel(int x, int y, Rgb colour, const std::string& what);

  // The pixel at (x, y) now; black, with a failure added, when it cannot be read.
  Rgb pixel(int x, int y);

  // Waits for the program to end and checks that it ended with status 0.
  bool expectCleanExit();

  std::string tour = makeTempDir("ostrivane-e2e");
  Session session;
};

// The colours of the shared tour, as written into its JPEGs.
inline constexpr Rgb kTitleColour{90, 40, 130};
inline constexpr Rgb kReturnColour{230, 230, 230};
inline constexpr Rgb kIconColours[3] = {{200, 120, 80}, {120, 200, 160}, {160, 90, 220}};
// The hall's first panorama: its left half kSplitLeft, its right half kSplitRight, so the
// seam between the two lies at the centre of the strip that the viewer shows first.
inline constexpr Rgb kSplitLeft{230, 170, 40};
inline constexpr Rgb kSplitRight{40, 150, 210};
inline constexpr Rgb kHallSecond{120, 220, 90};  // the hall's point 1
inline constexpr Rgb kLibraryColour{150, 100, 60};
inline constexpr Rgb kAtticColour{240, 120, 170};

// Writes data/ of the shared tour into dir: rooms "hall", "library", "attic" in that order.
// The hall has point 0 at (0, 0) showing the split panorama and point 1 at (2.5, 1.5)
// showing kHallSecond, linked; library and attic have one point each, in a solid colour.
void writeSharedTour(const std::string& dir);

// Window pixels of a room icon's centre. The first three icons lie inside the mini-map's
// reach, so the press that chooses a room, still held when the viewer starts, neither
// drags the panorama nor hits a point.
struct Spot {
  int x = 0;
  int y = 0;
};
Spot iconCentre(int index);

// Where the panorama shows alone: clear of the icon column, the mini-map and the button.
inline constexpr Spot kOpenSpot{600, 400};
inline constexpr Spot kReturnSpot{990, 735};
