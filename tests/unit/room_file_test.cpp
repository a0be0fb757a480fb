// Reading a room's description file: the three sections, their end marks, cut-short files.
#include <gtest/gtest.h>

#include "tour/room.h"

// Found by argument-dependent lookup when vectors of points are compared.
bool operator==(const ViewPoint& a, const ViewPoint& b) {
  return a.x == b.x && a.y == b.y && a.textureIndex == b.textureIndex;
}

namespace {
RoomDescription parse(const std::string& bytes) {
  TextFile f = textFromBytes(bytes);
  return parseRoomDescription(f);
}
using Names = std::vector<std::string>;
using Points = std::vector<ViewPoint>;
using Links = std::vector<std::int32_t>;

const char kHall[] = "north.jpg\nsouth.jpg\n-\n0\n0\n0\n2.5\n1.5\n1\n-\n0\n1\neof\n";
}  // namespace

TEST(RoomFile, WorkedExample) {
  const RoomDescription d = parse(kHall);
  EXPECT_EQ(d.pictures, (Names{"north.jpg", "south.jpg"}));
  EXPECT_EQ(d.points, (Points{{0, 0, 0}, {2.5f, 1.5f, 1}}));
  EXPECT_EQ(d.links, (Links{0, 1}));
  EXPECT_FALSE(d.pointCutShort);
  EXPECT_FALSE(d.linkCutShort);
}

TEST(RoomFile, SameRecordWhateverTheLineEnds) {
  std::string crlf;
  for (char c : std::string(kHall)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const RoomDescription a = parse(kHall), b = parse(crlf);
  EXPECT_EQ(a.pictures, b.pictures);
  EXPECT_EQ(a.points, b.points);
  EXPECT_EQ(a.links, b.links);
}

TEST(RoomFile, EndMarksAreWholeLines) {
  struct Case {
    const char* name;
    std::string bytes;
    Names pictures;
    Points points;
    Links links;
  } cases[] = {
      {"first line '-': no pictures", "-\n-\n", {}, {}, {}},
      {"'- ' is a picture name", "- \n\n-\n-\n", {"- ", ""}, {}, {}},
      {"'-' right after section 1: no points", "a\n-\n-\n0\n1\n", {"a"}, {}, {0, 1}},
      {"'-' on the y and index lines reads 0", "-\n5\n-\n-\n-\n", {}, {{5, 0, 0}}, {}},
      {"empty line ends the links", "-\n-\n\n0\n1\n", {}, {}, {}},
      {"eof ends the links", "-\n-\neof\n0\n1\n", {}, {}, {}},
      {"EOF is index 0", "-\n-\nEOF\n3\n", {}, {}, {0, 3}},
      {"' eof' is an index", "-\n-\n eof\n3\neof\n", {}, {}, {0, 3}},
      {"second line of a pair is always an index", "-\n-\n0\n1\n2\neof\n", {}, {}, {0, 1, 2, 0}},
      {"second line empty reads 0", "-\n-\n4\n\n5\n6\n", {}, {}, {4, 0, 5, 6}},
      {"eof without LF", "-\n-\n0\n1\neof", {}, {}, {0, 1}},
      {"end of file after a pair, LF", "-\n-\n0\n1\n", {}, {}, {0, 1}},
      {"end of file after a pair, no LF", "-\n-\n0\n1", {}, {}, {0, 1}},
      {"lines after eof are not read", "-\n-\n0\n1\neof\n7\n8\n", {}, {}, {0, 1}},
      {"numbers as atof and atoi", "-\n1,5\n0.1\n3.7\n-\n-2\n 9x\n", {}, {{1, 0.1f, 3}}, {-2, 9}},
      {"huge and negative indices stored as read",
       "-\n0\n0\n-7\n-\n99999999999\n-1\n",
       {},
       {{0, 0, -7}},
       {INT32_MAX, -1}},
      {"0x1A ends the file",
       "a\n-\n1\n2\n0\n-\n0\x1a"
       "1\n",
       {"a"},
       {{1, 2, 0}},
       {}},
      {"empty file", "", {}, {}, {}},
      {"ends in section 1", "a\nb", {"a", "b"}, {}, {}},
      {"ends in section 2 after a whole group", "-\n1\n2\n3\n", {}, {{1, 2, 3}}, {}},
  };
  for (const Case& c : cases) {
    const RoomDescription d = parse(c.bytes);
    EXPECT_EQ(d.pictures, c.pictures) << c.name;
    EXPECT_EQ(d.points, c.points) << c.name;
    EXPECT_EQ(d.links, c.links) << c.name;
  }
}

TEST(RoomFile, GroupsCutShortByTheEndAreDropped) {
  struct Case {
    const char* name;
    std::string bytes;
    std::size_t points;
    Links links;
    bool pointCut, linkCut;
  } cases[] = {
      {"after x", "-\n1\n2\n3\n4\n", 1, {}, true, false},
      {"after y", "-\n1\n2\n3\n4\n5\n", 1, {}, true, false},
      {"after a link's first line", "-\n-\n0\n1\n2\n", 0, {0, 1}, false, true},
      {"after a link's first line, no LF", "-\n-\n0\n1\n2", 0, {0, 1}, false, true},
  };
  for (const Case& c : cases) {
    const RoomDescription d = parse(c.bytes);
    EXPECT_EQ(d.points.size(), c.points) << c.name;
    EXPECT_EQ(d.links, c.links) << c.name;
    EXPECT_EQ(d.pointCutShort, c.pointCut) << c.name;
    EXPECT_EQ(d.linkCutShort, c.linkCut) << c.name;
  }
}

TEST(RoomFile, ProblemsNameWhatKeepsTheRoomFromShowing) {
  Room ok;
  ok.points = {{0, 0, 0}, {1, 1, 1}};
  ok.textures = {5, 6};
  ok.links = {0, 1};
  EXPECT_TRUE(roomProblems(ok).empty());

  EXPECT_EQ(roomProblems(Room{}).size(), 1u);

  Room bad = ok;
  bad.points[1].textureIndex = 7;
  bad.links = {0, 1, 1, 9, -1, 0};
  const auto problems = roomProblems(bad);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_NE(problems[0].find("point 1 names picture 7"), std::string::npos) << problems[0];
  EXPECT_NE(problems[1].find("2 link"), std::string::npos) << problems[1];
  EXPECT_NE(problems[1].find("entry 3 names point 9"), std::string::npos) << problems[1];
}
