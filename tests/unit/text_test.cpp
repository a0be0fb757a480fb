// Line reading and number reading of the tour's text files.
#include "tour/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "menu/menu.h"

namespace {
std::vector<std::string> lines(const std::string& bytes) {
  TextFile f = textFromBytes(bytes);
  std::vector<std::string> out;
  std::string line;
  while (readLine(f, line)) out.push_back(line);
  return out;
}
using Lines = std::vector<std::string>;
}  // namespace

TEST(LineReader, LineEnds) {
  struct Case {
    const char* name;
    std::string bytes;
    Lines expected;
  } cases[] = {
      {"LF", "a\nb\n", {"a", "b"}},
      {"CR LF reads as LF", "a\r\nb\r\n", {"a", "b"}},
      {"last line without LF", "a\nb", {"a", "b"}},
      {"nothing after the last LF", "a\n", {"a"}},
      {"empty lines are lines", "\n\nx\n", {"", "", "x"}},
      {"lone CR stays in the line", "a\rb\nc\r", {"a\rb", "c\r"}},
      {"only the CR right before LF goes", "a\r\r\n", {"a\r"}},
      {"0x1A ends the file",
       "a\nb\x1a"
       "c\nd\n",
       {"a", "b"}},
      {"0x1A at a line start",
       "a\n\x1a"
       "b\n",
       {"a"}},
      {"blanks are kept", " a \t\n", {" a \t"}},
      {"NUL bytes are kept", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
      {"empty file", "", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(lines(c.bytes), c.expected) << c.name;
}

TEST(LineReader, RoomListReadsCrLfAndLfAlike) {
  TextFile lf = textFromBytes("hall\n\nlab\n");
  TextFile crlf = textFromBytes("hall\r\n\r\nlab");
  const Lines names = parseRoomNames(lf);
  EXPECT_EQ(names, (Lines{"hall", "", "lab"}));
  EXPECT_EQ(parseRoomNames(crlf), names);
  EXPECT_EQ(roomIconPath(names[1]), "data//icon.jpg");
  EXPECT_EQ(roomDirectory(names[1]), "data//");
}

TEST(Numbers, ReadAsAtofAndAtoi) {
  struct Case {
    const char* text;
    float decimal;
    std::int32_t integer;
  } cases[] = {
      {"0", 0, 0},
      {"2.5", 2.5f, 2},
      {"3.7", 3.7f, 3},
      {"1,5", 1, 1},
      {"  -4.25e1x", -42.5f, -4},
      {"+7", 7, 7},
      {"-", 0, 0},
      {"eof", 0, 0},
      {"EOF", 0, 0},
      {"", 0, 0},
      {"\t\v\f\r 12", 12, 12},
      {"0.1", 0.1f, 0},
      {"2147483647", 2147483647.0f, INT_MAX},
      {"2147483648", 2147483648.0f, INT_MAX},
      {"-2147483648", -2147483648.0f, INT_MIN},
      {"-2147483649", -2147483649.0f, INT_MIN},
      {"99999999999999999999999", 1e23f, INT_MAX},
      {"-99999999999999999999999", -1e23f, INT_MIN},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(readDecimal(c.text), c.decimal) << c.text;
    EXPECT_EQ(readInteger(c.text), c.integer) << c.text;
  }
  // 0.1 is kept as the 32-bit float nearest to it, not the double.
  EXPECT_EQ(readDecimal("0.1"), static_cast<float>(0.1));
}

TEST(Numbers, ValuesPastLargeFloatsAndLongLines) {
  EXPECT_EQ(readInteger(std::string(100000, '9')), INT_MAX);
  EXPECT_EQ(readInteger("1" + std::string(100000, '0') + "x"), INT_MAX);
  EXPECT_TRUE(std::isinf(readDecimal("1e400")));
}

TEST(PrintablePath, ControlBytesAreShownAsHex) {
  EXPECT_EQ(printablePath("data/hall/north.jpg"), "data/hall/north.jpg");
  EXPECT_EQ(printablePath(std::string("data/a\0b\r/\x7f", 11)), "data/a\\x00b\\x0d/\\x7f");
  EXPECT_EQ(printablePath("data/caf\xc3\xa9/"), "data/caf\xc3\xa9/");  // UTF-8 stays
}
