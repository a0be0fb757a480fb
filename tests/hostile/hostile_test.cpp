// Hostile tours: room lists, room descriptions and pictures broken in the ways hand-edited,
// copied and truncated tour data breaks. For each the real program must keep running, let
// every room be chosen and left, end with status 0 on a window close, and name each file
// and its fault in one line of standard error. The sanitizer build runs the same tests, so
// a read out of range or a leak at the orderly shutdown fails them too.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hostile/hostile_tour.h"
#include "hostile/jpeg_writer.h"

namespace {
// Reproducible bytes of every value but 0x1A (which would end a text file early) and LF
// (which the caller places itself), so no two runs test different garbage.
std::string garbage(std::size_t size, std::uint32_t seed) {
  std::string out;
  out.reserve(size);
  while (out.size() < size) {
    seed = seed * 1664525u + 1013904223u;
    const char c = static_cast<char>(seed >> 24);
    if (c != '\x1a' && c != '\n') out.push_back(c);
  }
  return out;
}

// A PNG signature and IHDR chunk claiming width by height, with no data behind them.
std::string pngHeader(std::uint32_t width, std::uint32_t height) {
  std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
  for (std::uint32_t v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<char>(v >> shift));
  png += std::string("\x08\x02\0\0\0\0\0\0\0", 9);
  return png;
}
}  // namespace

// ---------------------------------------------------------------------------------------
// The room list.

struct ListCase {
  const char* name;
  bool present;
  std::string bytes;
  std::vector<Complaint> complaints;
};

void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name; }

class BrokenRoomList : public HostileTour, public ::testing::WithParamInterface<ListCase> {};

TEST_P(BrokenRoomList, GivesAMenuWithoutRoomsThatStillCloses) {
  const ListCase& c = GetParam();
  if (c.present) writeRoomList(c.bytes);
  ASSERT_TRUE(start());
  // Presses all down the icon column choose nothing.
  for (int y : {0, 40, 300, 767}) {
    movePointer(session, 100, y);
    pressButton(session, 1);
    releaseButton(session, 1);
  }
  ASSERT_TRUE(screenIs(kTitleColour, "the menu"));
  closeAndExpectCleanExit();
  EXPECT_EQ(session.program.out, "");
  // A list that opens but names no room is not held to any line here.
  if (!c.complaints.empty()) expectComplaints(c.complaints);
}

INSTANTIATE_TEST_SUITE_P(
    RoomLists, BrokenRoomList,
    ::testing::Values(ListCase{"Missing", false, "", {{"data/rooms.inf", "cannot open room list"}}},
                      ListCase{"Empty", true, "", {}},
                      ListCase{"OnlyAnEndOfFileMark", true, "\x1ahall\n", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostileTour, RoomListOfBinaryBytesGivesRoomsThatCanAllBeVisited) {
  std::string bytes;
  for (int i = 0; i < 12; ++i) bytes += garbage(40 + 17 * i, 7 + i) + "\n";
  writeRoomList(bytes);
  // The names, by the list's own rules: LF ends a line, a CR right before it goes.
  const std::vector<std::string> names = linesOf(bytes);
  ASSERT_EQ(names.size(), 12u);
  ASSERT_TRUE(start());
  ASSERT_TRUE(visitRooms(10));
  closeAndExpectCleanExit();
  std::vector<Complaint> complaints;
  for (std::size_t i = 0; i < names.size(); ++i) {
    complaints.push_back({"data/" + names[i] + "/icon.jpg", "cannot load picture"});
    if (i < 10) complaints.push_back({"data/" + names[i] + "/info.rm", "no panorama points"});
  }
  expectComplaints(complaints);
}

TEST_F(HostileTour, RoomListOfOddNamesKeepsEveryNameAsWritten) {
  const std::string longName(10000, 'n');
  const std::string nulName("nul\0name", 8);
  const std::string list =
      "hall\r\n"           // 0: CR LF line ends
      "with spaces\r\n"    // 1
      "\r\n"               // 2: an empty name
      + longName + "\n" +  // 3
      "../escape\n"        // 4: a directory beside data/
      "lone\rcr\n" +       // 5: a CR that is not a line end
      nulName +
      "\n" +                    // 6
      "r7\nr8\nr9\nr10\nr11\n"  // 7 to 11: more than the window holds
      "\x1a"
      "after-the-mark\n";
  writeRoomList(list);
  writeGoodRoom(tour + "/data/hall", {200, 120, 80});
  writeGoodRoom(tour + "/data/with spaces", {120, 200, 160});
  writeGoodRoom(tour + "/escape", {160, 90, 220});
  writeGoodRoom(tour + "/data/lone\rcr", {60, 60, 200});
  writeGoodRoom(tour + "/data/r11", {200, 200, 40});
  ASSERT_TRUE(start());
  ASSERT_TRUE(visitRooms(10));
  closeAndExpectCleanExit();
  EXPECT_NE(session.program.out.find("Button 9 pressed!\n"), std::string::npos);
  expectComplaints({
      {"data//icon.jpg", "cannot load picture"},
      {"data//info.rm", "cannot open room description"},
      {"data/" + longName + "/icon.jpg", "cannot load picture"},
      {"data/" + longName + "/info.rm", "cannot open room description"},
      {"data/" + nulName + "/icon.jpg", "NUL byte"},
      {"data/" + nulName + "/info.rm", "NUL byte"},
      {"data/r7/info.rm", "no panorama points"},
      {"data/r10/icon.jpg", "cannot load picture"},
  });
  // The good rooms, and those past the 0x1A, have nothing said about them.
  for (const char* fine :
       {"data/hall/", "data/with spaces/", "escape/", "data/r11/", "after-the-mark"})
    expectNoLineMentions(fine);
}

// ---------------------------------------------------------------------------------------
// Room descriptions: one room per fault, every room visited.

TEST_F(HostileTour, BrokenRoomDescriptionsLeaveRoomsThatCanBeEnteredAndLeft) {
  struct Room {
    std::string name;
    bool present;
    std::string info;
    std::vector<std::string> words;  // each a complaint about data/<name>/info.rm
  };
  const std::string longLine(10u << 20, 'x');
  const std::vector<Room> rooms = {
      {"missing", false, "", {"cannot open room description", "no panorama points"}},
      {"empty", true, "", {"no panorama points"}},
      {"garbage",
       true,
       garbage(1000, 99) + "\n" + garbage(1000, 98) + "\n" + garbage(1000, 97),
       {"no panorama points"}},
      {"only-dash", true, "-", {"no panorama points"}},
      {"cut-in-pictures", true, "view.jpg\nview.jpg", {"no panorama points"}},
      {"cut-after-x",
       true,
       "view.jpg\n-\n0\n0\n0\n1.5\n",
       {"the file ends inside a point's three lines"}},
      {"cut-after-y",
       true,
       "view.jpg\n-\n0.5\n2",
       {"the file ends inside a point's three lines", "no panorama points"}},
      {"odd-links",
       true,
       "view.jpg\n-\n0\n0\n0\n1\n1\n0\n-\n0\n1\n1\n",
       {"the file ends after the first line of a link"}},
      {"ten-megabyte-line", true, longLine, {"no panorama points"}},
      {"bad-indices",
       true,
       "view.jpg\n-\n0\n0\n-1\n1\n0\n2147483647\n2\n0\n99999999999\n3\n0\n0\n-\n"
       "-1\n3\n0\n-99999999999\n2\n4294967296\n0\n1\n",
       {"3 point(s) name no listed picture", "3 link entr(ies) name no point"}},
  };
  std::string list;
  for (const Room& r : rooms) {
    list += r.name + "\n";
    const std::string dir = tour + "/data/" + r.name;
    writeSolidJpeg(dir + "/icon.jpg", 16, 8, {200, 200, 200});
    writeSolidJpeg(dir + "/view.jpg", 64, 32, {40, 90, 200});
    if (r.present) writeFile(dir + "/info.rm", r.info);
  }
  writeRoomList(list);
  ASSERT_TRUE(start());
  ASSERT_TRUE(visitRooms(static_cast<int>(rooms.size())));
  closeAndExpectCleanExit();

  std::vector<Complaint> complaints;
  for (const Room& r : rooms)
    for (const std::string& w : r.words) complaints.push_back({"data/" + r.name + "/info.rm", w});
  // A picture name of 10 MB is still named, whole, on its line.
  complaints.push_back({"data/ten-megabyte-line/" + longLine, "cannot load picture"});
  expectComplaints(complaints);
}

TEST_F(HostileTour, HugeAndOddlyEncodedRoomDescriptionsAreShown) {
  // 100,000 points on a 400 by 250 grid a tenth of a plan unit apart, each linked to the
  // next; a CR LF file with a 0x1A inside its links; a description that is a directory.
  std::string crowd = "view.jpg\n-\n";
  for (int i = 0; i < 100000; ++i)
    crowd += std::to_string((i % 400) * 0.1) + "\n" + std::to_string((i / 400) * 0.1) + "\n0\n";
  crowd += "-\n";
  for (int i = 0; i + 1 < 100000; i += 97)
    crowd += std::to_string(i) + "\n" + std::to_string(i + 1) + "\n";
  const std::vector<std::pair<std::string, std::string>> rooms = {
      {"crowd", crowd},
      {"crlf",
       "view.jpg\r\n-\r\n0\r\n0\r\n0\r\n-\r\n0\r\n0\r\n\x1a"
       "0\r\n9\r\n"},
  };
  std::string list;
  for (const auto& [name, info] : rooms) {
    list += name + "\n";
    writeSolidJpeg(tour + "/data/" + name + "/view.jpg", 64, 32, {40, 90, 200});
    writeFile(tour + "/data/" + name + "/info.rm", info);
  }
  list += "directory\n";
  writeSolidJpeg(tour + "/data/directory/info.rm/x.jpg", 4, 4, {1, 2, 3});
  writeRoomList(list);
  ASSERT_TRUE(start());
  ASSERT_TRUE(visitRooms(3));
  // The orderly end, from the viewer.
  ASSERT_TRUE(chooseRoom(0));
  exerciseViewer();
  closeAndExpectCleanExit();
  expectComplaints({
      {"data/crowd/icon.jpg", "cannot load picture"},
      {"data/directory/info.rm", "cannot open room description"},
      {"data/directory/info.rm", "no panorama points"},
  });
  expectNoLineMentions("crlf/info.rm");
  expectNoLineMentions("crowd/info.rm");
}

// ---------------------------------------------------------------------------------------
// Pictures: every kind of bad picture as a panorama of one room and as a room's icon.

TEST_F(HostileTour, BadPicturesNeitherStopTheTourNorGoUnnamed) {
  const std::string truncated = encodeJpeg(256, 128, JpegKind::Rgb, 90);
  std::string claims = encodeJpeg(8, 8, JpegKind::Rgb);
  ASSERT_TRUE(setJpegFrameSize(claims, 60000, 60000));
  struct Picture {
    std::string file;
    std::string bytes;  // empty with present false: no such file
    bool present;
    std::string words;  // the complaint; empty when the picture is fine
  };
  const std::vector<Picture> pictures = {
      {"missing.jpg", "", false, "cannot load picture"},
      {"zero.jpg", "", true, "cannot load picture"},
      // Cut inside its scan: libjpeg fills the rest with grey and SDL2_image keeps its
      // warning to itself, so the picture loads and nothing is said.
      {"truncated.jpg", truncated.substr(0, truncated.size() * 2 / 3), true, ""},
      {"grey.jpg", encodeJpeg(40, 20, JpegKind::Grey), true, ""},
      {"cmyk.jpg", encodeJpeg(40, 20, JpegKind::Cmyk), true, ""},
      {"progressive.jpg", encodeJpeg(40, 20, JpegKind::Progressive), true, ""},
      {"one.jpg", encodeJpeg(1, 1, JpegKind::Rgb), true, ""},
      {"wide.jpg", encodeJpeg(20000, 200, JpegKind::Rgb, 40), true, "over the texture limit"},
      {"claims-60000.jpg", claims, true, "picture too large"},
      {"png-sides-beyond-32-bits.jpg", pngHeader(0xD5D5D5D5u, 0xD5D5D5D5u), true,
       "picture too large"},
  };
  const std::string room = tour + "/data/pictures/";
  std::string info;
  std::string points;
  std::string list = "pictures\n";
  writePng(room + "icon.jpg", 8, 4, [](int x, int) {
    return Rgb{0, 0, static_cast<std::uint8_t>(x * 30)};
  });
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const Picture& p = pictures[i];
    if (p.present) {
      writeFile(room + p.file, p.bytes);
      // The same bytes as the icon of a room of their own.
      writeFile(tour + "/data/icon-" + std::to_string(i) + "/icon.jpg", p.bytes);
    }
    list += "icon-" + std::to_string(i) + "\n";
    info += p.file + "\n";
    // Point i one plan unit right of point i - 1, so that holding the button over the
    // mini-map just right of its centre walks through them all, one per frame.
    points += std::to_string(i) + "\n0\n" + std::to_string(i) + "\n";
  }
  // A PNG with alpha behind a .jpg name, last: the walk ends on it.
  const Rgb kLast{250, 160, 30};
  writePng(room + "alpha.jpg", 6, 6, [&](int, int) { return kLast; });
  info += "alpha.jpg\n";
  points += std::to_string(pictures.size()) + "\n0\n" + std::to_string(pictures.size()) + "\n";
  writeFile(room + "info.rm", info + "-\n" + points + "-\n");
  writeRoomList(list);

  ASSERT_TRUE(start());
  ASSERT_TRUE(chooseRoom(0));
  // One plan unit is 768/35 pixels on the mini-map: this spot is the next point's.
  movePointer(session, 184, 126);
  pressButton(session, 1);
  Rgb seen;
  const bool walked = waitUntil(
      session, [&] { return readPixel(session, 600, 400, seen) && near(seen, kLast); },
      kSlowStepMs);
  releaseButton(session, 1);
  EXPECT_TRUE(walked)
      << "the walk over the mini-map did not reach the last point; the panorama shows "
      << describe(seen);
  exerciseViewer();
  ASSERT_TRUE(returnToMenu());
  ASSERT_TRUE(chooseRoom(0));
  closeAndExpectCleanExit();

  std::vector<Complaint> complaints;
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    if (pictures[i].words.empty()) continue;
    complaints.push_back({"data/pictures/" + pictures[i].file, pictures[i].words});
    complaints.push_back({"data/icon-" + std::to_string(i) + "/icon.jpg", pictures[i].words});
  }
  expectComplaints(complaints);
  for (const char* fine : {"grey.jpg", "cmyk.jpg", "progressive.jpg", "one.jpg", "alpha.jpg"})
    expectNoLineMentions(fine);
}
