// The shared fixture and tour of the menu and viewer end-to-end tests.
#include "e2e/e2e_fixture.h"

#include <sys/wait.h>

#include <cstdio>

void E2eTest::TearDown() {
  if (HasFailure()) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string path =
        std::string(info->test_suite_name()) + "." + info->name() + ".failure.png";
    Screenshot shot;
    if (takeScreenshot(session, shot)) saveScreenshot(shot, path);
    pumpOutput(session);
    std::fprintf(stderr, "screenshot at failure: %s\nprogram stdout:\n%s\nprogram stderr:\n%s\n",
                 path.c_str(), session.program.out.c_str(), session.program.err.c_str());
  }
  // The program goes before its working directory does.
  endSession(session);
  removeTree(tour);
}

bool E2eTest::start(const std::vector<std::string>& args) {
  std::string error;
  if (startSession(session, tour, args, error)) return true;
  ADD_FAILURE() << "cannot start the program: " << error;
  return false;
}

bool E2eTest::waitForScreen(const std::string& what,
                            const std::function<bool(std::string&)>& check) {
  std::string seen;
  const bool ok = waitUntil(session, [&] {
    seen.clear();
    return check(seen);
  });
  if (!ok)
    ADD_FAILURE() << "waited in vain for " << what << (seen.empty() ? "" : "; seen: ") << seen
                  << (session.program.exited ? " (the program has ended)" : "");
  return ok;
}

bool E2eTest::waitForPixel(int x, int y, Rgb colour, const std::string& what) {
  return waitForScreen(
      what + " " + describe(colour) + " at (" + std::to_string(x) + ", " + std::to_string(y) + ")",
      [&](std::string& seen) {
        Rgb got;
        if (!readPixel(session, x, y, got)) {
          seen = "the window cannot be read";
          return false;
        }
        seen = describe(got);
        return near(got, colour);
      });
}

Rgb E2eTest::pixel(int x, int y) {
  Rgb got;
  if (!readPixel(session, x, y, got)) {
    ADD_FAILURE() << "cannot read the window at (" << x << ", " << y << ")";
    return {};
  }
  return got;
}

bool E2eTest::expectCleanExit() {
  int code = -1;
  if (!waitForExit(session, code)) {
    ADD_FAILURE() << "the program did not end in time; it was killed";
    return false;
  }
  const int status = session.program.status;
  if (code != 0) {
    if (WIFSIGNALED(status))
      ADD_FAILURE() << "the program was ended by signal " << WTERMSIG(status);
    else
      ADD_FAILURE() << "the program ended with status " << code;
    return false;
  }
  return true;
}

void writeSharedTour(const std::string& dir) {
  const std::string data = dir + "/data/";
  writeFile(data + "rooms.inf", "hall\nlibrary\nattic\n");
  writeSolidJpeg(data + "title.jpg", 256, 192, kTitleColour);
  writeSolidJpeg(data + "menu.jpg", 64, 64, kReturnColour);
  const char* rooms[3] = {"hall", "library", "attic"};
  for (int i = 0; i < 3; ++i)
    writeSolidJpeg(data + rooms[i] + "/icon.jpg", 64, 32, kIconColours[i]);

  // 320 pixels wide, so the viewer's strip is 32 of them; the seam at 160 falls on a JPEG
  // block boundary and stays sharp.
  writeJpeg(data + "hall/split.jpg", 320, 64,
            [](int x, int) { return x < 160 ? kSplitLeft : kSplitRight; });
  writeSolidJpeg(data + "hall/second.jpg", 64, 64, kHallSecond);
  writeFile(data + "hall/info.rm",
            "split.jpg\nsecond.jpg\n-\n0\n0\n0\n2.5\n1.5\n1\n-\n0\n1\neof\n");
  writeSolidJpeg(data + "library/pano.jpg", 64, 64, kLibraryColour);
  writeFile(data + "library/info.rm", "pano.jpg\n-\n0\n0\n0\n-\neof\n");
  writeSolidJpeg(data + "attic/pano.jpg", 64, 64, kAtticColour);
  writeFile(data + "attic/info.rm", "pano.jpg\n-\n0\n0\n0\n-\neof\n");
}

Spot iconCentre(int index) { return {100, 38 + 77 * index}; }
