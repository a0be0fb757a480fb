// The panorama viewer of the real program, driven through a private X server: the first
// panorama, turning by keys and by dragging, the mini-map's point selection, the return
// button and the window close.
#include <X11/keysym.h>

#include <cmath>

#include "e2e/e2e_fixture.h"

namespace {

// The split panorama's seam, where its left colour meets its right, is at the window's
// centre when the view is not turned. The window shows 0.2 panorama units across its 1024
// pixels; one key event turns by 0.01 units, and a drag turns by 1/1024 unit per pixel.
constexpr double kSeamAtRest = 512;                  // window x
constexpr double kPixelsPerUnit = 1024 / 0.2;        // window pixels per panorama unit
constexpr double kKeyStep = 0.01 * kPixelsPerUnit;   // pixels per key event
constexpr double kDragGain = kPixelsPerUnit / 1024;  // picture moves this many per mouse pixel
constexpr int kSeamRow = 400;
constexpr double kSeamTolerance = 4;  // pixels

int squaredDistance(Rgb a, Rgb b) {
  const int r = a.r - b.r, g = a.g - b.g, bl = a.b - b.b;
  return r * r + g * g + bl * bl;
}

// The first column of a one-row screenshot that looks more like the right half than the
// left, when the row runs from the left colour to the right one with a single change;
// otherwise -1.
int seamColumn(const Screenshot& shot) {
  const int row = 0;
  auto isRight = [&](int x) {
    const Rgb c = pixelAt(shot, x, row);
    return squaredDistance(c, kSplitRight) < squaredDistance(c, kSplitLeft);
  };
  if (!near(pixelAt(shot, 0, row), kSplitLeft, 24) ||
      !near(pixelAt(shot, shot.width - 1, row), kSplitRight, 24))
    return -1;
  int seam = -1;
  for (int x = 0; x < shot.width; ++x) {
    if (isRight(x) && seam < 0) seam = x;
    if (!isRight(x) && seam >= 0) return -1;
  }
  return seam;
}

class ViewerE2e : public E2eTest {
 protected:
  void SetUp() override { writeSharedTour(tour); }

  // Starts the program and chooses room index in the menu with button, released at once.
  bool enterRoom(int index, int button) {
    if (!start()) return false;
    if (!waitForPixel(kOpenSpot.x, kOpenSpot.y, kTitleColour, "the menu's title")) return false;
    const Spot icon = iconCentre(index);
    movePointer(session, icon.x, icon.y);
    pressButton(session, button);
    const std::string line = "Button " + std::to_string(index) + " pressed!\n";
    const bool chosen = waitForStdout(session, line);
    releaseButton(session, button);
    if (!chosen)
      ADD_FAILURE() << "no \"" << line << "\" on stdout: \"" << session.program.out << "\"";
    return chosen;
  }

  // Waits until the split panorama shows with its seam at window column x.
  bool waitForSeamAt(double x, const std::string& what) {
    return waitForScreen(what + ": the split panorama's seam at x = " + std::to_string(x),
                         [&](std::string& seen) {
                           Screenshot row;
                           if (!takeScreenshot(session, row, 0, kSeamRow, -1, 1)) return false;
                           const int seam = seamColumn(row);
                           seen = seam < 0 ? "no single seam on row " + std::to_string(kSeamRow) +
                                                 ", x 0 is " + describe(pixelAt(row, 0, 0))
                                           : "seam at x = " + std::to_string(seam);
                           return seam >= 0 && std::abs(seam - x) <= kSeamTolerance;
                         });
  }
};

TEST_F(ViewerE2e, ArrowKeysAndDragTurnThePanorama) {
  ASSERT_TRUE(enterRoom(0, 1));
  ASSERT_TRUE(waitForSeamAt(kSeamAtRest, "the hall's first panorama, centred"));

  // The press and the release each count: the picture moves right by two steps.
  tapKey(session, XK_Left);
  ASSERT_TRUE(waitForSeamAt(kSeamAtRest + 2 * kKeyStep, "Left pressed and released"));
  tapKey(session, XK_Right);
  tapKey(session, XK_Right);
  ASSERT_TRUE(waitForSeamAt(kSeamAtRest - 2 * kKeyStep, "Right pressed and released twice"));

  // A key step seen after the mouse has moved shows that the program has the mouse there,
  // so the drag below starts from that position.
  movePointer(session, 600, 500);
  tapKey(session, XK_Left);
  ASSERT_TRUE(waitForSeamAt(kSeamAtRest, "Left once more"));

  pressButton(session, 1);
  movePointer(session, 640, 500);
  ASSERT_TRUE(waitForSeamAt(kSeamAtRest + 40 * kDragGain, "a drag of 40 pixels to the right"));
  movePointer(session, 560, 500);
  ASSERT_TRUE(
      waitForSeamAt(kSeamAtRest - 40 * kDragGain, "the drag carried on 80 pixels to the left"));
  releaseButton(session, 1);

  // Moving with no button held turns nothing; the key step marks the frame that saw it.
  movePointer(session, 700, 500);
  tapKey(session, XK_Right);
  ASSERT_TRUE(waitForSeamAt(kSeamAtRest - 40 * kDragGain - 2 * kKeyStep,
                            "a move without a button, then Right"));
}

TEST_F(ViewerE2e, PressOnAPointOfTheMiniMapShowsItsPanorama) {
  ASSERT_TRUE(enterRoom(0, 1));
  ASSERT_TRUE(waitForSeamAt(kSeamAtRest, "the hall's first panorama"));

  // The panel lets half of the panorama through and adds half of (0.4, 0.4, 1).
  const Rgb panel{102, 102, 255};
  const Rgb blended{static_cast<std::uint8_t>((kSplitLeft.r + panel.r) / 2),
                    static_cast<std::uint8_t>((kSplitLeft.g + panel.g) / 2),
                    static_cast<std::uint8_t>((kSplitLeft.b + panel.b) / 2)};
  EXPECT_TRUE(near(pixel(60, 200), blended))
      << "panel over the panorama: " << describe(pixel(60, 200)) << ", expected "
      << describe(blended);
  EXPECT_TRUE(near(pixel(320, 200), kSplitLeft))
      << "just right of the panel: " << describe(pixel(320, 200));

  // A drag inside the panel, far from every point, neither turns the view nor changes the
  // point; the key step marks a frame that has seen it.
  movePointer(session, 250, 200);
  pressButton(session, 1);
  movePointer(session, 290, 200);
  tapKey(session, XK_Left);
  ASSERT_TRUE(waitForSeamAt(kSeamAtRest + 2 * kKeyStep, "a drag on the panel, then Left"));
  releaseButton(session, 1);

  // Point 1 lies 2.5 plan units right of and 1.5 below point 0, at 768/35 pixels per unit
  // from the panel's centre (162.3, 125.7).
  movePointer(session, 217, 159);
  pressButton(session, 1);
  ASSERT_TRUE(waitForPixel(kOpenSpot.x, kOpenSpot.y, kHallSecond, "point 1's panorama"));
  releaseButton(session, 1);

  // The plan is now centred on point 1, so point 0 lies up and to the left.
  movePointer(session, 107, 93);
  pressButton(session, 1);
  ASSERT_TRUE(waitForSeamAt(kSeamAtRest + 2 * kKeyStep, "point 0's panorama again"));
  releaseButton(session, 1);
}

TEST_F(ViewerE2e, ReturnButtonShowsTheMenuFromWhichAnotherRoomIsChosen) {
  ASSERT_TRUE(enterRoom(0, 1));
  ASSERT_TRUE(waitForSeamAt(kSeamAtRest, "the hall's first panorama"));
  EXPECT_TRUE(near(pixel(kReturnSpot.x, kReturnSpot.y), kReturnColour))
      << "return button: " << describe(pixel(kReturnSpot.x, kReturnSpot.y));

  movePointer(session, kReturnSpot.x, kReturnSpot.y);
  pressButton(session, 1);
  ASSERT_TRUE(waitForScreen("the menu again", [&](std::string& seen) {
    Rgb title, icon;
    const bool read = readPixel(session, kOpenSpot.x, kOpenSpot.y, title) &&
                      readPixel(session, iconCentre(1).x, iconCentre(1).y, icon);
    seen = "title " + describe(title) + ", icon 1 " + describe(icon);
    return read && near(title, kTitleColour) && near(icon, kIconColours[1]);
  }));
  releaseButton(session, 1);

  const Spot icon = iconCentre(1);
  movePointer(session, icon.x, icon.y);
  pressButton(session, 2);
  ASSERT_TRUE(waitForStdout(session, "Button 1 pressed!\n")) << session.program.out;
  ASSERT_TRUE(waitForPixel(kOpenSpot.x, kOpenSpot.y, kLibraryColour, "the library's panorama"));
  releaseButton(session, 2);

  // A window close in the viewer.
  requestClose(session);
  ASSERT_TRUE(expectCleanExit());
  EXPECT_EQ(session.program.out, "Button 0 pressed!\nButton 1 pressed!\n");
}

}  // namespace
