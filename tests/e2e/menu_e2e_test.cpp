// The room menu of the real program, driven through a private X server: the window, hover
// tinting, choosing a room, the command line and the window close.
#include "e2e/e2e_fixture.h"

namespace {

class MenuE2e : public E2eTest {
 protected:
  void SetUp() override { writeSharedTour(tour); }

  // A check that icon hovered (or none, for -1) alone shows only the green channel of its
  // picture and that the other icons show theirs unchanged.
  std::function<bool(std::string&)> iconsWithHover(int hovered) {
    return [this, hovered](std::string& seen) {
      bool ok = true;
      for (int i = 0; i < 3; ++i) {
        const Spot c = iconCentre(i);
        const Rgb plain = kIconColours[i];
        const Rgb expected = i == hovered ? Rgb{0, plain.g, 0} : plain;
        Rgb got;
        ok = readPixel(session, c.x, c.y, got) && near(got, expected) && ok;
        seen += "icon " + std::to_string(i) + " " + describe(got) + "; ";
      }
      return ok;
    };
  }
};

class MenuWithoutDataE2e : public E2eTest {};

TEST_F(MenuE2e, ShowsTitledWindowAndTintsOnlyTheIconUnderTheMouse) {
  ASSERT_TRUE(start());
  EXPECT_EQ(windowTitle(session), "Ostrivane");
  EXPECT_EQ(session.width, 1024);
  EXPECT_EQ(session.height, 768);

  ASSERT_TRUE(waitForScreen("three plain icons", iconsWithHover(-1)));
  EXPECT_TRUE(near(pixel(kOpenSpot.x, kOpenSpot.y), kTitleColour))
      << describe(pixel(kOpenSpot.x, kOpenSpot.y));
  // The fourth band of the column holds no icon: the title shows there.
  EXPECT_TRUE(near(pixel(100, 270), kTitleColour)) << describe(pixel(100, 270));

  // x = 204 is the column's last whole pixel, 205 the first beyond it.
  movePointer(session, 204, iconCentre(1).y);
  ASSERT_TRUE(waitForScreen("icon 1 alone tinted at the column's edge", iconsWithHover(1)));
  movePointer(session, 205, iconCentre(1).y);
  ASSERT_TRUE(waitForScreen("no icon tinted just right of the column", iconsWithHover(-1)));
  movePointer(session, iconCentre(2).x, iconCentre(2).y);
  ASSERT_TRUE(waitForScreen("icon 2 alone tinted", iconsWithHover(2)));
  movePointer(session, kOpenSpot.x, kOpenSpot.y);
  ASSERT_TRUE(waitForScreen("no icon tinted once the mouse has left", iconsWithHover(-1)));

  pumpOutput(session);
  EXPECT_EQ(session.program.out, "");
}

TEST_F(MenuE2e, PressOverThirdIconPrintsItsIndexAloneWhateverTheArguments) {
  ASSERT_TRUE(start({"--help", "data", "-1", "", "library"}));
  ASSERT_TRUE(waitForScreen("three plain icons", iconsWithHover(-1)));

  movePointer(session, iconCentre(2).x, iconCentre(2).y);
  pressButton(session, 3);
  ASSERT_TRUE(waitForStdout(session, "Button 2 pressed!\n")) << "stdout: " << session.program.out;
  ASSERT_TRUE(waitForPixel(kOpenSpot.x, kOpenSpot.y, kAtticColour, "the attic's panorama"));
  releaseButton(session, 3);

  requestClose(session);
  ASSERT_TRUE(expectCleanExit());
  EXPECT_EQ(session.program.out, "Button 2 pressed!\n");
}

TEST_F(MenuE2e, WindowCloseInTheMenuEndsWithStatusZero) {
  ASSERT_TRUE(start());
  ASSERT_TRUE(waitForScreen("three plain icons", iconsWithHover(-1)));
  requestClose(session);
  ASSERT_TRUE(expectCleanExit());
  EXPECT_EQ(session.program.out, "");
}

TEST_F(MenuWithoutDataE2e, ShowsItsWindowSaysWhyAndClosesCleanly) {
  ASSERT_TRUE(start());
  Screenshot shot;
  EXPECT_TRUE(takeScreenshot(session, shot));
  EXPECT_TRUE(waitUntil(session, [&] { return !session.program.err.empty(); }))
      << "nothing on standard error";
  requestClose(session);
  ASSERT_TRUE(expectCleanExit());
  EXPECT_EQ(session.program.out, "");
}

}  // namespace
