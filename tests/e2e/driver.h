// End-to-end driver: runs the real ostrivane binary on a private Xvfb and drives it from
// outside as a person would, with XTest input, XGetImage screenshots, its standard output
// and error read through pipes, and its exit status read with waitpid.
//
// A test makes a tour directory, calls startSession, then moves the pointer, presses
// buttons and keys and waits for what it expects to see (a pixel colour, a line of output,
// the process's end). Every wait polls with a bounded timeout; nothing sleeps a guessed
// time. endSession (also run by Session's destructor) kills what still runs and stops the
// X server, so a failed or aborted test leaves nothing behind.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "support/test_support.h"

// Xlib's connection type, kept opaque so that tests need not include Xlib.h, whose macros
// (None, Bool, Status) clash with GoogleTest's names.
struct _XDisplay;

// How long a wait lasts before it gives up, and how often it looks again.
inline constexpr int kWaitMs = 20000;
inline constexpr int kPollMs = 20;

// A private Xvfb: its process, its display name (":N") and the driver's connection to it.
struct XServer {
  pid_t pid = -1;
  std::string name;
  _XDisplay* display = nullptr;
};

// The program under test and what it has written so far.
struct Program {
  pid_t pid = -1;
  int outFd = -1;  // read ends of the pipes, non-blocking
  int errFd = -1;
  std::string out;  // everything read from standard output so far
  std::string err;  // and from standard error
  bool exited = false;
  int status = 0;  // waitpid status, valid once exited
};

struct Session {
  XServer server;
  Program program;
  unsigned long window = 0;  // X id of the program's window, titled "Ostrivane"
  int width = 0;             // its size in pixels
  int height = 0;
  std::chrono::steady_clock::time_point lastKeyTime;  // when the driver last sent a key event

  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();
};

// One screenshot of a rectangle of the window; pixel (x, y) relative to the rectangle.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // row by row from the top
};

// Starts a private Xvfb (1280x1024x24) and the program on it, with workDir as its working
// directory and the given arguments, and waits for its window to be mapped; then gives the
// window the input focus. The program is the one built with these tests, or the binary
// that OSTRIVANE_E2E_BINARY names (a sanitizer build, say). On failure returns false with
// a reason in error; endSession still cleans up.
bool startSession(Session& session, const std::string& workDir,
                  const std::vector<std::string>& args, std::string& error);

// Kills the program if it still runs, closes the connection and stops the X server.
// Safe to call more than once.
void endSession(Session& session);

// Reads whatever the program has written since the last call, without blocking, and notes
// whether it has ended.
void pumpOutput(Session& session);

// Polls condition every kPollMs, pumping the program's output in between. Returns true as
// soon as it holds; false once timeoutMs has passed, or at once when the program has
// ended and it still does not hold (nothing on screen or in the pipes can change then).
bool waitUntil(Session& session, const std::function<bool()>& condition, int timeoutMs = kWaitMs);

// Waits until standard output (or error) holds text anywhere in what was read so far.
bool waitForStdout(Session& session, const std::string& text, int timeoutMs = kWaitMs);
bool waitForStderr(Session& session, const std::string& text, int timeoutMs = kWaitMs);

// Waits for the program to end. On timeout kills it and returns false. Once it has ended,
// exitCode is its exit status, or -1 when a signal ended it.
bool waitForExit(Session& session, int& exitCode, int timeoutMs = kWaitMs);

// Input, in window pixels (origin at the top-left of the window). Each call is sent to the
// server at once, and reaches the program in the order sent. The program starts with
// SDL_MOUSE_FOCUS_CLICKTHROUGH=1 in its environment, so a press right after the window
// gains focus is not dropped as the click that focused it. Key events are sent at least
// 5 ms apart, so that SDL does not take a release and a press of the same key for an
// auto-repeat.
void movePointer(Session& session, int x, int y);
void pressButton(Session& session, int button);  // 1 left, 2 middle, 3 right
void releaseButton(Session& session, int button);
// Focuses the window first: Xvfb has no window manager to do it. The server's key
// auto-repeat is off, so a key held for any time gives one press and one release.
void pressKey(Session& session, unsigned long keysym);  // e.g. XK_Left
void releaseKey(Session& session, unsigned long keysym);
// A press and its release.
void tapKey(Session& session, unsigned long keysym);
// The WM_DELETE_WINDOW client message, as a window manager sends it when the user closes
// the window.
void requestClose(Session& session);

// The window's title as the window manager would read it ("" when it has none).
std::string windowTitle(Session& session);

// Takes a screenshot of the rectangle (whole window by default). Returns false when the
// window cannot be read (for example because it is gone). A whole-window screenshot took
// up to a few hundred milliseconds on a busy machine while the program floods the server
// with frames, so a wait that polls should read only the pixels it needs.
bool takeScreenshot(Session& session, Screenshot& shot, int x = 0, int y = 0, int width = -1,
                    int height = -1);
// One pixel of the window; false when it cannot be read.
bool readPixel(Session& session, int x, int y, Rgb& colour);
// Pixel (x, y) of the screenshot; black outside it.
Rgb pixelAt(const Screenshot& shot, int x, int y);
// Saves the screenshot as PNG, for looking at a failure.
void saveScreenshot(const Screenshot& shot, const std::string& path);

// True when every channel of a is within tolerance of b.
bool near(Rgb a, Rgb b, int tolerance = 16);
std::string describe(Rgb c);  // "(r, g, b)"
