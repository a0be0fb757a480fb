// What the hostile-tour tests share: a fixture that writes a tour tree of faults, drives the
// real program through every room of it (choose, turn, drag, press the mini-map, return)
// and checks how it ends and what it said on standard error.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/driver.h"

// The menu background and the return button, in colours no fault produces: the pixel under
// the return button tells the two screens apart whatever a room shows.
inline constexpr Rgb kTitleColour{90, 40, 130};
inline constexpr Rgb kButtonColour{30, 200, 60};
inline constexpr int kButtonX = 990, kButtonY = 735;  // window pixels, inside the button

// A line that standard error must hold: it starts with "ostrivane: ", names the file (up to
// a NUL byte in it, where the C string the program prints ends) and says what is wrong.
struct Complaint {
  std::string path;
  std::string words;
};

// How long a step may take: a room load or frame of a hostile room under the sanitizers is
// slow, but bounded.
inline constexpr int kSlowStepMs = 120000;

class HostileTour : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes data/rooms.inf with these exact bytes.
  void writeRoomList(const std::string& bytes);
  // Writes a room that is fine: one point showing a solid picture, and its icon.
  void writeGoodRoom(const std::string& directory, Rgb colour);

  // Each returns false after adding a failure that says what went wrong.
  bool start();
  // Presses on icon index, waits for the choice on standard output and for the viewer,
  // and lets go.
  bool chooseRoom(int index, int timeoutMs = kSlowStepMs);
  // Keys, a drag across the panorama and presses on the mini-map: every input the viewer
  // reads, with no expectation but that the program keeps running.
  void exerciseViewer();
  // Presses the return button, waits for the menu and lets go.
  bool returnToMenu();
  // Chooses each room in turn, exercises the viewer and returns.
  bool visitRooms(int count);
  // Asks the window to close and expects status 0 (a sanitizer's report ends it otherwise).
  void closeAndExpectCleanExit();

  bool screenIs(Rgb colour, const std::string& what, int timeoutMs = kSlowStepMs);
  // Every complaint is one line of standard error; with none given, there is no line at all.
  void expectComplaints(const std::vector<Complaint>& complaints);
  void expectNoLineMentions(const std::string& text);

  std::string tour;
  Session session;
};

// The lines of text, each without its LF (and without a CR before it).
std::vector<std::string> linesOf(const std::string& text);
