// The hostile-tour fixture: tour writing, the walk through the screens, the checks at the end.
#include "hostile/hostile_tour.h"

#include <X11/keysym.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>

#include "tour/text.h"

namespace {
// Window pixels: the centre of icon index (bands of 76.8 pixels from the top).
int iconCentreY(int index) { return static_cast<int>(76.8 * index + 38); }
constexpr int kIconX = 100;

std::string shorten(const std::string& text, std::size_t limit = 300) {
  std::string s = text.size() > limit
                      ? text.substr(0, limit) + "…(" + std::to_string(text.size()) + " bytes)"
                      : text;
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\n') c = '?';
  return s;
}

int countOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}
}  // namespace

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

void HostileTour::SetUp() {
  tour = makeTempDir("ostrivane-hostile");
  writeSolidJpeg(tour + "/data/title.jpg", 32, 24, kTitleColour);
  writeSolidJpeg(tour + "/data/menu.jpg", 16, 16, kButtonColour);
}

void HostileTour::TearDown() {
  if (HasFailure()) {
    pumpOutput(session);
    // Long hostile names make long lines: show each line's start, and the end of standard
    // error in full, where a sanitizer's report is.
    std::string err;
    for (const std::string& line : linesOf(session.program.err)) err += shorten(line) + "\n";
    if (err.size() > 20000) err = "…" + err.substr(err.size() - 20000);
    std::fprintf(stderr, "program stdout:\n%s\nprogram stderr:\n%s\n",
                 shorten(session.program.out, 2000).c_str(), err.c_str());
  }
  endSession(session);
  removeTree(tour);
}

void HostileTour::writeRoomList(const std::string& bytes) {
  writeFile(tour + "/data/rooms.inf", bytes);
}

void HostileTour::writeGoodRoom(const std::string& directory, Rgb colour) {
  writeSolidJpeg(directory + "/icon.jpg", 16, 8, colour);
  writeSolidJpeg(directory + "/view.jpg", 64, 32, colour);
  writeFile(directory + "/info.rm", "view.jpg\n-\n0\n0\n0\n-\n");
}

bool HostileTour::start() {
  std::string error;
  if (startSession(session, tour, {}, error)) return screenIs(kTitleColour, "the menu");
  ADD_FAILURE() << "cannot start the program: " << error;
  return false;
}

bool HostileTour::screenIs(Rgb colour, const std::string& what, int timeoutMs) {
  Rgb seen;
  bool read = false;
  const bool ok = waitUntil(
      session,
      [&] {
        read = readPixel(session, kButtonX, kButtonY, seen);
        return read && near(seen, colour);
      },
      timeoutMs);
  if (!ok)
    ADD_FAILURE() << "waited in vain for " << what << "; under the return button "
                  << (read ? describe(seen) : std::string("nothing could be read"))
                  << (session.program.exited ? " (the program has ended)" : "");
  return ok;
}

bool HostileTour::chooseRoom(int index, int timeoutMs) {
  const std::string line = "Button " + std::to_string(index) + " pressed!\n";
  const int before = countOf(session.program.out, line);
  movePointer(session, kIconX, iconCentreY(index));
  pressButton(session, 1);
  const bool chosen = waitUntil(
      session, [&] { return countOf(session.program.out, line) > before; }, timeoutMs);
  if (!chosen) ADD_FAILURE() << "room " << index << " was not chosen";
  const bool shown =
      chosen && screenIs(kButtonColour, "the viewer of room " + std::to_string(index), timeoutMs);
  releaseButton(session, 1);
  return shown;
}

void HostileTour::exerciseViewer() {
  tapKey(session, XK_Left);
  tapKey(session, XK_Left);
  tapKey(session, XK_Right);
  movePointer(session, 600, 400);
  pressButton(session, 1);
  movePointer(session, 900, 420);
  movePointer(session, 300, 380);
  // Into the mini-map with the button still held, then presses on its centre and edge.
  movePointer(session, 162, 126);
  movePointer(session, 250, 200);
  releaseButton(session, 1);
  for (const auto& [x, y] : {std::pair{162, 126}, std::pair{184, 126}, std::pair{20, 20}}) {
    movePointer(session, x, y);
    pressButton(session, 1);
    releaseButton(session, 1);
  }
}

bool HostileTour::returnToMenu() {
  movePointer(session, kButtonX, kButtonY);
  pressButton(session, 1);
  const bool ok = screenIs(kTitleColour, "the menu after the return button");
  releaseButton(session, 1);
  return ok;
}

bool HostileTour::visitRooms(int count) {
  for (int i = 0; i < count; ++i) {
    if (!chooseRoom(i)) return false;
    exerciseViewer();
    if (!returnToMenu()) return false;
  }
  return true;
}

void HostileTour::closeAndExpectCleanExit() {
  requestClose(session);
  int code = -1;
  const bool ended = waitForExit(session, code, kSlowStepMs);
  EXPECT_TRUE(ended) << "the program did not end after the window was closed";
  EXPECT_TRUE(WIFEXITED(session.program.status))
      << "the program was ended by signal " << WTERMSIG(session.program.status);
  EXPECT_EQ(code, 0) << "exit status after the window close";
}

void HostileTour::expectComplaints(const std::vector<Complaint>& complaints) {
  pumpOutput(session);
  const std::vector<std::string> lines = linesOf(session.program.err);
  if (complaints.empty()) {
    for (const std::string& line : lines)
      ADD_FAILURE() << "unexpected complaint: " << shorten(line);
    return;
  }
  for (const Complaint& c : complaints) {
    // Control bytes in a path (a NUL or CR inside a room name) are printed as \xNN.
    const std::string path = printablePath(c.path);
    const bool found = std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.rfind("ostrivane: ", 0) == 0 && line.find(path) != std::string::npos &&
             line.find(c.words) != std::string::npos;
    });
    EXPECT_TRUE(found) << "no line of standard error names " << shorten(path) << " with \""
                       << c.words << "\"";
  }
}

void HostileTour::expectNoLineMentions(const std::string& text) {
  for (const std::string& line : linesOf(session.program.err))
    EXPECT_EQ(line.find(text), std::string::npos)
        << "a line mentions " << text << ": " << shorten(line);
}
