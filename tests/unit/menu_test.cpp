// The menu's decisions: which icon's band holds the mouse, hover flags, the choice.
#include "menu/menu.h"

#include <gtest/gtest.h>

TEST(IconBands, WholeRowsOfEveryIcon) {
  // First and last row of each band in the window.
  const int bands[10][2] = {{0, 76},    {77, 153},  {154, 230}, {231, 307}, {308, 384},
                            {385, 460}, {461, 537}, {538, 614}, {615, 691}, {692, 767}};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(iconAt(100, bands[i][0], 10), i) << "first row of icon " << i;
    EXPECT_EQ(iconAt(100, bands[i][1], 10), i) << "last row of icon " << i;
  }
  EXPECT_EQ(iconAt(0, 384, 10), 4);
  EXPECT_EQ(iconAt(0, 385, 10), 5);
  EXPECT_EQ(iconAt(0, 768, 10), 9);  // band 9 reaches 768
}

TEST(IconBands, MatchTheExactBoundsForEveryRow) {
  // Bounds i·d·768 and (i·d + d)·768, d the double nearest 0.1, held exactly in the 64-bit
  // significand of long double (x86 extended precision).
  static_assert(sizeof(long double) > sizeof(double), "needs extended precision");
  const long double d = 0.1;
  const std::size_t count = 40;
  for (int y = -3; y < 40 * 77; ++y) {
    int expected = -1;
    for (std::size_t i = 0; i < count; ++i) {
      const long double lower = static_cast<long double>(i) * d * 768;
      const long double upper = (static_cast<long double>(i) * d + d) * 768;
      if (lower <= y && y <= upper) {
        EXPECT_EQ(expected, -1) << "row " << y << " in two bands";
        expected = static_cast<int>(i);
      }
    }
    ASSERT_EQ(iconAt(0, y, count), expected) << "row " << y;
  }
}

TEST(IconBands, ColumnAndCountLimits) {
  struct Case {
    int x, y;
    std::size_t count;
    int icon;
  } cases[] = {
      {204, 10, 3, 0}, {205, 10, 3, -1},    {-50, 10, 3, 0},    {204, -1, 3, -1},
      {0, 231, 3, -1}, {0, 230, 3, 2},      {0, 10, 0, -1},     {0, 800, 12, 10},
      {0, 767, 12, 9}, {1000, 767, 12, -1}, {0, -1000, 12, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(iconAt(c.x, c.y, c.count), c.icon) << c.x << "," << c.y << " of " << c.count;
}

TEST(MenuDecision, HoverAndChoice) {
  std::vector<std::uint8_t> hover(3, 1);
  EXPECT_EQ(decideMenu(50, 200, false, hover), -1);
  EXPECT_EQ(hover, (std::vector<std::uint8_t>{0, 0, 1}));
  EXPECT_EQ(decideMenu(50, 200, true, hover), 2);
  EXPECT_EQ(decideMenu(300, 200, true, hover), -1);
  EXPECT_EQ(hover, (std::vector<std::uint8_t>{0, 0, 0}));
  EXPECT_EQ(decideMenu(50, 700, true, hover), -1);  // below the last icon
  std::vector<std::uint8_t> none;
  EXPECT_EQ(decideMenu(50, 10, true, none), -1);
}
