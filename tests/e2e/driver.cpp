// End-to-end driver: a private Xvfb, the program under test in a child process, XTest input
// and XGetImage screenshots. Relies on Xlib, XTest and POSIX processes and pipes.
#include "e2e/driver.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#ifndef OSTRIVANE_BINARY
#error "OSTRIVANE_BINARY must name the program under test"
#endif

extern char** environ;

namespace {

constexpr int kServerStartMs = 20000;
constexpr int kServerStopMs = 5000;
constexpr int kKeyGapMs = 5;

using Clock = std::chrono::steady_clock;

int elapsedMs(Clock::time_point since) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

void waitOnePoll() { std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs)); }

// Xlib's default handler ends the process on any protocol error; a window that vanishes
// while we read it must only fail that one call.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

void closeFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// Reaps pid within timeoutMs; true with its status when it has ended.
bool reap(pid_t pid, int& status, int timeoutMs) {
  const Clock::time_point start = Clock::now();
  for (;;) {
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) return true;
    if (r < 0) {
      status = 0;
      return true;  // not ours any more: nothing left to wait for
    }
    if (elapsedMs(start) >= timeoutMs) return false;
    waitOnePoll();
  }
}

// In a forked child: the child dies with the test process, so a crashed or killed test
// leaves no server or program behind.
void dieWithParent(pid_t parent) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(127);
}

bool startServer(XServer& server, std::string& error) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) {
    error = std::string("fork: ") + std::strerror(errno);
    closeFd(fds[0]);
    closeFd(fds[1]);
    return false;
  }
  if (pid == 0) {
    dieWithParent(parent);
    const int devNull = open("/dev/null", O_RDWR);
    dup2(devNull, 0);
    dup2(devNull, 1);
    dup2(devNull, 2);
    const int fd = dup(fds[1]);  // without close-on-exec, for Xvfb to write its number to
    char fdText[16];
    std::snprintf(fdText, sizeof fdText, "%d", fd);
    execlp("Xvfb", "Xvfb", "-displayfd", fdText, "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  server.pid = pid;
  closeFd(fds[1]);

  // Xvfb writes the display number followed by a line end once it accepts connections.
  std::string number;
  const Clock::time_point start = Clock::now();
  while (number.find('\n') == std::string::npos) {
    const int left = kServerStartMs - elapsedMs(start);
    if (left <= 0) {
      error = "Xvfb did not report a display number in time";
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, left) <= 0) continue;
    char buffer[64];
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n <= 0) {
      error = "Xvfb ended before reporting a display number (is it installed?)";
      break;
    }
    number.append(buffer, static_cast<std::size_t>(n));
  }
  closeFd(fds[0]);
  if (number.find('\n') == std::string::npos) return false;
  server.name = ":" + number.substr(0, number.find('\n'));

  XSetErrorHandler(ignoreXError);
  server.display = XOpenDisplay(server.name.c_str());
  if (!server.display) {
    error = "cannot connect to Xvfb on " + server.name;
    return false;
  }
  int event = 0, errorBase = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(server.display, &event, &errorBase, &major, &minor)) {
    error = "Xvfb on " + server.name + " has no XTest extension";
    return false;
  }
  // Key events must be exactly the ones a test sends, however long it holds a key.
  XAutoRepeatOff(server.display);
  XSync(server.display, False);
  return true;
}

void stopServer(XServer& server) {
  if (server.display) XCloseDisplay(server.display);
  server.display = nullptr;
  if (server.pid > 0) {
    kill(server.pid, SIGTERM);
    int status = 0;
    if (!reap(server.pid, status, kServerStopMs)) {
      kill(server.pid, SIGKILL);
      waitpid(server.pid, &status, 0);
    }
  }
  server.pid = -1;
}

bool startProgram(Program& program, const std::string& workDir, const std::string& display,
                  const std::vector<std::string>& args, std::string& error) {
  // Everything the child needs is made before the fork: after it only system calls run.
  // SDL drops a click that comes within 10 ms of the window's gaining focus, taking it for
  // the click that focused the window; input from here comes faster than a hand's, so that
  // filter would eat presses at random.
  const char* binary = std::getenv("OSTRIVANE_E2E_BINARY");
  std::vector<std::string> argStrings{binary && *binary ? binary : OSTRIVANE_BINARY};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envStrings{"DISPLAY=" + display, "SDL_MOUSE_FOCUS_CLICKTHROUGH=1"};
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "DISPLAY=", 8) != 0 &&
        std::strncmp(*e, "SDL_MOUSE_FOCUS_CLICKTHROUGH=", 29) != 0)
      envStrings.push_back(*e);
  std::vector<char*> envp;
  for (std::string& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);

  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0) {
    error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  if (pipe2(err, O_CLOEXEC) != 0) {
    error = std::string("pipe: ") + std::strerror(errno);
    closeFd(out[0]);
    closeFd(out[1]);
    return false;
  }
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) {
    error = std::string("fork: ") + std::strerror(errno);
    for (int* fd : {&out[0], &out[1], &err[0], &err[1]}) closeFd(*fd);
    return false;
  }
  if (pid == 0) {
    dieWithParent(parent);
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    if (chdir(workDir.c_str()) != 0) _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  program.pid = pid;
  closeFd(out[1]);
  closeFd(err[1]);
  program.outFd = out[0];
  program.errFd = err[0];
  fcntl(program.outFd, F_SETFL, fcntl(program.outFd, F_GETFL) | O_NONBLOCK);
  fcntl(program.errFd, F_SETFL, fcntl(program.errFd, F_GETFL) | O_NONBLOCK);
  return true;
}

// Appends what can be read now; closes the pipe at its end.
void drain(int& fd, std::string& into) {
  char buffer[4096];
  while (fd >= 0) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
      closeFd(fd);
    } else if (errno != EINTR) {
      break;  // EAGAIN: nothing more for now
    }
  }
}

std::string readTitle(Display* display, Window window) {
  XTextProperty name;
  if (XGetWMName(display, window, &name) && name.value) {
    std::string title(reinterpret_cast<const char*>(name.value), name.nitems);
    XFree(name.value);
    if (!title.empty()) return title;
  }
  // A client may set only the UTF-8 name that newer window managers read.
  const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                         &after, &data) == Success &&
      data) {
    if (type == utf8 && format == 8) title.assign(reinterpret_cast<const char*>(data), count);
    XFree(data);
  }
  return title;
}

// The first viewable window under parent, depth first, whose title is title.
Window findWindow(Display* display, Window parent, const std::string& title) {
  Window root = 0, up = 0, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < count && !found; ++i) {
    XWindowAttributes a;
    if (XGetWindowAttributes(display, children[i], &a) && a.map_state == IsViewable &&
        readTitle(display, children[i]) == title)
      found = children[i];
    else
      found = findWindow(display, children[i], title);
  }
  if (children) XFree(children);
  return found;
}

void toRoot(Session& session, int x, int y, int& rootX, int& rootY) {
  Display* d = session.server.display;
  Window child = 0;
  rootX = x;
  rootY = y;
  XTranslateCoordinates(d, session.window, DefaultRootWindow(d), x, y, &rootX, &rootY, &child);
}

void focus(Session& session) {
  XSetInputFocus(session.server.display, session.window, RevertToPointerRoot, CurrentTime);
}

void sendKey(Session& session, unsigned long keysym, bool down) {
  Display* d = session.server.display;
  // SDL takes a release followed within 2 ms by a press of the same key for an auto-repeat
  // and drops the release; keep key events at least that far apart, as fingers do.
  const int since = elapsedMs(session.lastKeyTime);
  if (since < kKeyGapMs) std::this_thread::sleep_for(std::chrono::milliseconds(kKeyGapMs - since));
  focus(session);
  XTestFakeKeyEvent(d, XKeysymToKeycode(d, keysym), down ? True : False, CurrentTime);
  XSync(d, False);
  session.lastKeyTime = Clock::now();
}

}  // namespace

Session::~Session() { endSession(*this); }

bool startSession(Session& session, const std::string& workDir,
                  const std::vector<std::string>& args, std::string& error) {
  if (!startServer(session.server, error)) return false;
  if (!startProgram(session.program, workDir, session.server.name, args, error)) return false;
  Display* d = session.server.display;
  const bool found = waitUntil(session, [&] {
    session.window = findWindow(d, DefaultRootWindow(d), "Ostrivane");
    return session.window != 0;
  });
  if (!found) {
    error = session.program.exited ? "the program ended without showing its window"
                                   : "no window titled Ostrivane appeared";
    error += "; its standard error: " + session.program.err;
    return false;
  }
  XWindowAttributes a;
  XGetWindowAttributes(d, session.window, &a);
  session.width = a.width;
  session.height = a.height;
  focus(session);
  XSync(d, False);
  return true;
}

void endSession(Session& session) {
  Program& p = session.program;
  if (p.pid > 0 && !p.exited) {
    kill(p.pid, SIGKILL);
    waitpid(p.pid, &p.status, 0);
    p.exited = true;
  }
  closeFd(p.outFd);
  closeFd(p.errFd);
  session.window = 0;
  stopServer(session.server);
}

void pumpOutput(Session& session) {
  Program& p = session.program;
  drain(p.outFd, p.out);
  drain(p.errFd, p.err);
  if (p.pid > 0 && !p.exited && waitpid(p.pid, &p.status, WNOHANG) == p.pid) {
    p.exited = true;
    // Whatever it wrote before it ended is in the pipes now.
    drain(p.outFd, p.out);
    drain(p.errFd, p.err);
  }
}

bool waitUntil(Session& session, const std::function<bool()>& condition, int timeoutMs) {
  const Clock::time_point start = Clock::now();
  for (;;) {
    pumpOutput(session);
    if (condition()) return true;
    // Once the program has ended, what it shows and writes can no longer change.
    if (session.program.exited || elapsedMs(start) >= timeoutMs) return false;
    waitOnePoll();
  }
}

bool waitForStdout(Session& session, const std::string& text, int timeoutMs) {
  return waitUntil(
      session, [&] { return session.program.out.find(text) != std::string::npos; }, timeoutMs);
}

bool waitForStderr(Session& session, const std::string& text, int timeoutMs) {
  return waitUntil(
      session, [&] { return session.program.err.find(text) != std::string::npos; }, timeoutMs);
}

bool waitForExit(Session& session, int& exitCode, int timeoutMs) {
  Program& p = session.program;
  exitCode = -1;
  if (p.pid <= 0) return false;
  const bool ended = waitUntil(
      session, [&] { return p.exited; }, timeoutMs);
  if (!ended) {
    kill(p.pid, SIGKILL);
    waitpid(p.pid, &p.status, 0);
    p.exited = true;
    pumpOutput(session);
    return false;
  }
  if (WIFEXITED(p.status)) exitCode = WEXITSTATUS(p.status);
  return true;
}

void movePointer(Session& session, int x, int y) {
  Display* d = session.server.display;
  int rx = 0, ry = 0;
  toRoot(session, x, y, rx, ry);
  XTestFakeMotionEvent(d, DefaultScreen(d), rx, ry, CurrentTime);
  XSync(d, False);
}

void pressButton(Session& session, int button) {
  XTestFakeButtonEvent(session.server.display, static_cast<unsigned>(button), True, CurrentTime);
  XSync(session.server.display, False);
}

void releaseButton(Session& session, int button) {
  XTestFakeButtonEvent(session.server.display, static_cast<unsigned>(button), False, CurrentTime);
  XSync(session.server.display, False);
}

void pressKey(Session& session, unsigned long keysym) { sendKey(session, keysym, true); }
void releaseKey(Session& session, unsigned long keysym) { sendKey(session, keysym, false); }

void tapKey(Session& session, unsigned long keysym) {
  pressKey(session, keysym);
  releaseKey(session, keysym);
}

void requestClose(Session& session) {
  Display* d = session.server.display;
  XEvent e;
  std::memset(&e, 0, sizeof e);
  e.xclient.type = ClientMessage;
  e.xclient.window = session.window;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, session.window, False, NoEventMask, &e);
  XSync(d, False);
}

std::string windowTitle(Session& session) {
  return readTitle(session.server.display, session.window);
}

bool takeScreenshot(Session& session, Screenshot& shot, int x, int y, int width, int height) {
  if (!session.server.display || !session.window) return false;
  if (width < 0) width = session.width - x;
  if (height < 0) height = session.height - y;
  if (width <= 0 || height <= 0) return false;
  XImage* image =
      XGetImage(session.server.display, session.window, x, y, static_cast<unsigned>(width),
                static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!image) return false;
  shot.width = width;
  shot.height = height;
  shot.pixels.resize(static_cast<std::size_t>(width) * height);
  if (image->bits_per_pixel == 32 && image->byte_order == LSBFirst && image->red_mask == 0xff0000 &&
      image->green_mask == 0xff00 && image->blue_mask == 0xff) {
    // Xvfb's 24-bit screen: bytes blue, green, red, unused. Read them directly: XGetPixel
    // per pixel makes a whole-window screenshot too slow to poll.
    for (int row = 0; row < height; ++row) {
      const auto* src = reinterpret_cast<const std::uint8_t*>(image->data) +
                        std::size_t(row) * image->bytes_per_line;
      Rgb* dst = &shot.pixels[static_cast<std::size_t>(row) * width];
      for (int col = 0; col < width; ++col)
        dst[col] = {src[4 * col + 2], src[4 * col + 1], src[4 * col]};
    }
  } else {
    // Any other layout: each mask is a run of bits; its position and width give the
    // channel's 0..255 value.
    auto channel = [](unsigned long pixel, unsigned long mask) {
      if (!mask) return std::uint8_t{0};
      int shift = 0;
      while (!((mask >> shift) & 1)) ++shift;
      const unsigned long top = mask >> shift;
      return static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255 / top);
    };
    for (int row = 0; row < height; ++row)
      for (int col = 0; col < width; ++col) {
        const unsigned long v = XGetPixel(image, col, row);
        shot.pixels[static_cast<std::size_t>(row) * width + col] = {channel(v, image->red_mask),
                                                                    channel(v, image->green_mask),
                                                                    channel(v, image->blue_mask)};
      }
  }
  XDestroyImage(image);
  return true;
}

bool readPixel(Session& session, int x, int y, Rgb& colour) {
  Screenshot shot;
  if (!takeScreenshot(session, shot, x, y, 1, 1)) return false;
  colour = shot.pixels[0];
  return true;
}

Rgb pixelAt(const Screenshot& shot, int x, int y) {
  if (x < 0 || y < 0 || x >= shot.width || y >= shot.height) return {};
  return shot.pixels[static_cast<std::size_t>(y) * shot.width + x];
}

void saveScreenshot(const Screenshot& shot, const std::string& path) {
  writePng(path, shot.width, shot.height, [&](int x, int y) { return pixelAt(shot, x, y); });
}

bool near(Rgb a, Rgb b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

std::string describe(Rgb c) {
  return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ")";
}
