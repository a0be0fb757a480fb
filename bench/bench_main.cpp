// The benchmark: what a user feels (the pause when a room is chosen, the smoothness of
// turning, the wait for the first menu, memory over many choices), each against its floor,
// measured in one run and printed as a table of ratios. Variants are interleaved round by
// round and reported as medians, so load from elsewhere on the machine hits all alike.
//
// usage: ostrivane_bench [--small] [--cache DIR] [--only room,frame,startup,memory]
//                        [--rounds N] [--recorder PATH]
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_opengl.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "menu/menu.h"
#include "tour/room.h"
#include "tour/texture.h"
#include "viewer/minimap.h"
#include "viewer/viewer.h"

extern char** environ;

#ifndef OSTRIVANE_GLRECORD
#define OSTRIVANE_GLRECORD "ostrivane_glrecord"
#endif

namespace {

struct Options {
  bool small = false;
  std::string cacheDir;
  std::string recorder = OSTRIVANE_GLRECORD;
  std::set<std::string> only;
  int rounds = 0;  // 0: the size's default
};

bool wanted(const Options& o, const char* section) {
  return o.only.empty() || o.only.count(section);
}

// ---- statistics and printing -------------------------------------------------------------

struct Spread {
  double median = 0, low = 0, high = 0;
};

Spread spreadOf(std::vector<double> v) {
  Spread s;
  if (v.empty()) return s;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  s.median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
  s.low = v.front();
  s.high = v.back();
  return s;
}

std::vector<double> ratios(const std::vector<double>& a, const std::vector<double>& b) {
  std::vector<double> r;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) r.push_back(a[i] / b[i]);
  return r;
}

std::string format(const char* fmt, double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, fmt, v);
  return buffer;
}

std::string milliseconds(const Spread& s) {
  return format("%.2f ms", s.median * 1e3) + format(" [%.2f", s.low * 1e3) +
         format("-%.2f]", s.high * 1e3);
}
std::string microseconds(double seconds) { return format("%.1f us", seconds * 1e6); }
std::string mebibytes(double bytes) { return format("%.1f MiB", bytes / (1024.0 * 1024.0)); }
std::string ratioText(const Spread& s) {
  return format("%.3f", s.median) + format(" [%.3f", s.low) + format("-%.3f]", s.high);
}

// The table: one row per measure; a ratio row may carry a goal, which is checked.
struct Table {
  std::vector<std::vector<std::string>> rows;
  int goalsMissed = 0;
};

void heading(Table& t, const std::string& text) { t.rows.push_back({"", text}); }
void row(Table& t, const std::string& what, const std::string& value,
         const std::string& note = "") {
  t.rows.push_back({what, value, note});
}
void ratioRow(Table& t, const std::string& what, const Spread& s, double goal) {
  std::string note;
  if (goal > 0) {
    const bool met = s.median <= goal;
    if (!met) ++t.goalsMissed;
    note = format("goal <= %.2f: ", goal) + (met ? "met" : "MISSED");
  }
  row(t, what, ratioText(s), note);
}

void printTable(const Table& t, std::size_t from) {
  for (std::size_t i = from; i < t.rows.size(); ++i) {
    const auto& r = t.rows[i];
    if (r[0].empty()) {
      std::printf("\n%s\n", r[1].c_str());
      continue;
    }
    std::printf("  %-52s %-30s %s\n", r[0].c_str(), r[1].c_str(), r.size() > 2 ? r[2].c_str() : "");
  }
  std::fflush(stdout);
}

void progress(const char* what) { std::fprintf(stderr, "ostrivane_bench: %s\n", what); }

long minorFaults() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_minflt;
}

bool enterTour(const std::string& tourDir) {
  if (chdir(tourDir.c_str()) == 0) return true;
  std::fprintf(stderr, "ostrivane_bench: %s: %s\n", tourDir.c_str(), std::strerror(errno));
  return false;
}

// ---- 1. room load --------------------------------------------------------------------------

bool benchRoomLoad(const Options& o, const std::string& tourDir, Table& t) {
  if (!enterTour(tourDir)) return false;
  const std::string dir = roomDirectory(benchRoomName(kBenchRoomIndex));
  std::vector<std::string> paths;
  for (int i = 0; i < kBenchPanoramas; ++i) paths.push_back(dir + benchPanoramaName(i));

  // The floors are valid only if the decoder already gives the rows glTexImage2D reads.
  SDL_Surface* probe = IMG_Load(paths[0].c_str());
  if (!probe) {
    std::fprintf(stderr, "ostrivane_bench: %s: %s\n", paths[0].c_str(), IMG_GetError());
    return false;
  }
  const bool straightRgb = probe->format->format == SDL_PIXELFORMAT_RGB24 &&
                           static_cast<std::size_t>(probe->pitch) == rgbRowStride(probe->w);
  const std::string decoded = std::to_string(probe->w) + "x" + std::to_string(probe->h) + " " +
                              SDL_GetPixelFormatName(probe->format->format) + ", pitch " +
                              std::to_string(probe->pitch);
  SDL_FreeSurface(probe);

  auto load = [&] {
    const double t0 = nowSeconds();
    Room room = loadRoom(dir);
    glFinish();
    const double t1 = nowSeconds();
    releaseRoom(room);
    glFinish();
    return t1 - t0;
  };
  auto decode = [&] {
    const double t0 = nowSeconds();
    for (const std::string& p : paths) SDL_FreeSurface(IMG_Load(p.c_str()));
    return nowSeconds() - t0;
  };
  auto decodeUpload = [&] {
    std::vector<GLuint> names(paths.size());
    const double t0 = nowSeconds();
    for (std::size_t i = 0; i < paths.size(); ++i) {
      SDL_Surface* s = IMG_Load(paths[i].c_str());
      glGenTextures(1, &names[i]);
      glBindTexture(GL_TEXTURE_2D, names[i]);
      glTexImage2D(GL_TEXTURE_2D, 0, 3, s->w, s->h, 0, GL_RGB, GL_UNSIGNED_BYTE, s->pixels);
      SDL_FreeSurface(s);
    }
    glFinish();
    const double t1 = nowSeconds();
    glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
    glFinish();
    return t1 - t0;
  };

  // Where the upload's time goes: the same glTexImage2D calls with the pictures decoded
  // beforehand, then glTexSubImage2D of the same rows into the textures they made (no new
  // storage: what is left is the driver's conversion of the rows).
  struct UploadSplit {
    double create = 0, replace = 0;
    long createFaults = 0, replaceFaults = 0;
  };
  auto uploadSplit = [&] {
    std::vector<SDL_Surface*> surfaces;
    for (const std::string& p : paths) surfaces.push_back(IMG_Load(p.c_str()));
    std::vector<GLuint> names(paths.size());
    UploadSplit u;
    long f0 = minorFaults();
    double t0 = nowSeconds();
    for (std::size_t i = 0; i < surfaces.size(); ++i) {
      glGenTextures(1, &names[i]);
      glBindTexture(GL_TEXTURE_2D, names[i]);
      glTexImage2D(GL_TEXTURE_2D, 0, 3, surfaces[i]->w, surfaces[i]->h, 0, GL_RGB, GL_UNSIGNED_BYTE,
                   surfaces[i]->pixels);
    }
    glFinish();
    u.create = nowSeconds() - t0;
    u.createFaults = minorFaults() - f0;
    f0 = minorFaults();
    t0 = nowSeconds();
    for (std::size_t i = 0; i < surfaces.size(); ++i) {
      glBindTexture(GL_TEXTURE_2D, names[i]);
      glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, surfaces[i]->w, surfaces[i]->h, GL_RGB,
                      GL_UNSIGNED_BYTE, surfaces[i]->pixels);
    }
    glFinish();
    u.replace = nowSeconds() - t0;
    u.replaceFaults = minorFaults() - f0;
    glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
    for (SDL_Surface* s : surfaces) SDL_FreeSurface(s);
    glFinish();
    return u;
  };

  const int rounds = o.rounds ? o.rounds : (o.small ? 3 : 7);
  load(), decode(), decodeUpload();  // page cache, allocator and driver warm-up
  std::vector<double> a, b, c;
  for (int r = 0; r < rounds; ++r) {
    // Rotate the order so that none of the three always runs after the same one.
    for (int k = 0; k < 3; ++k) switch ((r + k) % 3) {
        case 0:
          a.push_back(load());
          break;
        case 1:
          b.push_back(decode());
          break;
        default:
          c.push_back(decodeUpload());
          break;
      }
  }
  std::vector<double> upload;
  for (std::size_t i = 0; i < b.size(); ++i) upload.push_back(c[i] - b[i]);
  std::vector<double> create, replace;
  long createFaults = 0, replaceFaults = 0;
  for (int r = 0; r < std::max(1, rounds / 2); ++r) {
    const UploadSplit u = uploadSplit();
    create.push_back(u.create);
    replace.push_back(u.replace);
    createFaults = u.createFaults, replaceFaults = u.replaceFaults;
  }

  const BenchSizes z = benchSizes(o.small);
  heading(t, "1. Room load: " + std::to_string(kBenchPanoramas) + " panoramas of " +
                 std::to_string(z.panoramaWidth) + "x" + std::to_string(z.panoramaHeight) +
                 " JPEG, " + std::to_string(rounds) + " rounds (median [min-max])");
  row(t, "decoded surface", decoded, straightRgb ? "already GL's RGB rows" : "NOT GL's RGB rows");
  row(t, "loadRoom (+ glFinish)", milliseconds(spreadOf(a)));
  row(t, "decode alone (IMG_Load + free)", milliseconds(spreadOf(b)));
  row(t, "decode + bare glTexImage2D", milliseconds(spreadOf(c)));
  row(t, "  of which upload (difference)", milliseconds(spreadOf(upload)));
  row(t, "upload alone: glTexImage2D, new textures", milliseconds(spreadOf(create)),
      std::to_string(createFaults) + " page faults");
  row(t, "upload alone: glTexSubImage2D, same textures", milliseconds(spreadOf(replace)),
      std::to_string(replaceFaults) + " page faults");
  ratioRow(t, "load / decode", spreadOf(ratios(a, b)), 0);
  ratioRow(t, "load / (decode + upload)", spreadOf(ratios(a, c)), 1.10);
  return straightRgb;
}

// ---- 2. viewer frame -----------------------------------------------------------------------

struct Pass {
  std::string name;
  std::size_t begin = 0, end = 0;  // ops [begin, end)
  int calls = 0, vertices = 0;
};

// Cuts the recorded frame into its drawing passes, at the end of each primitive: the state
// calls before a primitive belong to its pass.
std::vector<Pass> splitPasses(const GlCallList& list) {
  std::vector<Pass> passes;
  std::size_t a = 0, begin = 0;
  int primitive = 0, mode = -1, vertices = 0;
  for (std::size_t i = 0; i < list.ops.size(); ++i) {
    const GlOp op = list.ops[i];
    if (op == GlOp::Begin) mode = static_cast<int>(list.args[a]);
    if (op == GlOp::Vertex2f || op == GlOp::Vertex2d) ++vertices;
    a += static_cast<std::size_t>(glArgCount(op));
    std::string name;
    if (op == GlOp::End) {
      if (primitive == 0)
        name = "panorama (clear, 3 quads)";
      else if (primitive <= 2)
        name = "mini-map frame + panel";
      else if (mode == GL_LINE_LOOP)
        name = "circles (LINE_LOOP)";
      else if (mode == GL_LINES)
        name = "links (LINES)";
      else if (mode == GL_TRIANGLES)
        name = "view cone (TRIANGLES)";
      else
        name = "return button (quad)";
      ++primitive;
    } else if (op == GlOp::Swap) {
      name = "swap (rasterise + present)";
    } else {
      continue;
    }
    if (!passes.empty() && passes.back().name == name) {
      passes.back().end = i + 1;
    } else {
      passes.push_back(Pass{name, begin, i + 1, 0, 0});
    }
    passes.back().vertices += vertices;
    vertices = 0;
    begin = i + 1;
  }
  for (Pass& p : passes) p.calls = static_cast<int>(p.end - p.begin);
  return passes;
}

// The minimal loop: the recorded calls with their arguments, nothing else.
void replay(const GlCallList& list, const std::vector<std::size_t>& argAt, std::size_t begin,
            std::size_t end, SDL_Window* window) {
  const GlOp* ops = list.ops.data();
  const double* x = list.args.data() + argAt[begin];
  for (std::size_t i = begin; i < end; ++i) {
    switch (ops[i]) {
      case GlOp::Viewport:
        glViewport(GLint(x[0]), GLint(x[1]), GLsizei(x[2]), GLsizei(x[3]));
        break;
      case GlOp::ClearColor:
        glClearColor(float(x[0]), float(x[1]), float(x[2]), float(x[3]));
        break;
      case GlOp::Clear:
        glClear(GLbitfield(x[0]));
        break;
      case GlOp::BindTexture:
        glBindTexture(GLenum(x[0]), GLuint(x[1]));
        break;
      case GlOp::LoadIdentity:
        glLoadIdentity();
        break;
      case GlOp::Ortho:
        glOrtho(x[0], x[1], x[2], x[3], x[4], x[5]);
        break;
      case GlOp::Translatef:
        glTranslatef(float(x[0]), float(x[1]), float(x[2]));
        break;
      case GlOp::Color3f:
        glColor3f(float(x[0]), float(x[1]), float(x[2]));
        break;
      case GlOp::Color4f:
        glColor4f(float(x[0]), float(x[1]), float(x[2]), float(x[3]));
        break;
      case GlOp::Begin:
        glBegin(GLenum(x[0]));
        break;
      case GlOp::End:
        glEnd();
        break;
      case GlOp::TexCoord2f:
        glTexCoord2f(float(x[0]), float(x[1]));
        break;
      case GlOp::Vertex2f:
        glVertex2f(float(x[0]), float(x[1]));
        break;
      case GlOp::Vertex2d:
        glVertex2d(x[0], x[1]);
        break;
      case GlOp::Swap:
        SDL_GL_SwapWindow(window);
        break;
    }
    x += glArgCount(ops[i]);
  }
}

// One full-window quad of the same panorama, the part of it the viewer shows at offset 0.
void bareFrame(SDL_Window* window, TextureId texture) {
  glViewport(0, 0, 1024, 768);
  glLoadIdentity();
  glBindTexture(GL_TEXTURE_2D, texture);
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0.45f, 0);
  glVertex2f(-1, 1);
  glTexCoord2f(0.55f, 0);
  glVertex2f(1, 1);
  glTexCoord2f(0.55f, 1);
  glVertex2f(1, -1);
  glTexCoord2f(0.45f, 1);
  glVertex2f(-1, -1);
  glEnd();
  SDL_GL_SwapWindow(window);
}

bool recordFrame(const Options& o, const std::string& tourDir, GlCallList& list) {
  const std::string out = tourDir + "/frame-calls.txt";
  std::vector<std::string> args = {o.recorder, tourDir, out};
  std::vector<char*> argv;
  for (std::string& s : args) argv.push_back(s.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, o.recorder.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "ostrivane_bench: cannot run %s: %s\n", o.recorder.c_str(),
                 std::strerror(errno));
    return false;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "ostrivane_bench: %s failed\n", o.recorder.c_str());
    return false;
  }
  std::ifstream in(out, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::string error;
  if (!parseCallList(text.str(), list, error)) {
    std::fprintf(stderr, "ostrivane_bench: %s: %s\n", out.c_str(), error.c_str());
    return false;
  }
  return true;
}

bool benchFrame(const Options& o, const std::string& tourDir, SDL_Window* window, Table& t) {
  GlCallList recorded;
  progress("recording one viewer frame's GL calls");
  if (!recordFrame(o, tourDir, recorded)) return false;
  if (!enterTour(tourDir)) return false;
  Room room = loadRoom(roomDirectory(benchRoomName(kBenchRoomIndex)));
  const TextureId button = loadTexture("data/menu.jpg", GL_RGB);
  const GlCallList list = resolveTextures(recorded, room.textures, button);
  std::vector<std::size_t> argAt(list.ops.size() + 1, 0);
  for (std::size_t i = 0; i < list.ops.size(); ++i)
    argAt[i + 1] = argAt[i] + static_cast<std::size_t>(glArgCount(list.ops[i]));
  const std::vector<Pass> passes = splitPasses(list);
  const std::size_t swapAt = passes.empty() ? 0 : passes.back().begin;
  if (passes.empty() || list.ops[swapAt] != GlOp::Swap) {
    std::fprintf(stderr, "ostrivane_bench: the recorded frame does not end in a swap\n");
    return false;
  }

  // The replay must draw what the frame draws: the same pixels, read back before the swap.
  auto readBack = [] {
    std::vector<std::uint8_t> pixels(1024 * 768 * 4);
    glReadPixels(0, 0, 1024, 768, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
  };
  replay(list, argAt, 0, swapAt, window);
  const std::vector<std::uint8_t> replayed = readBack();
  drawPanorama(room, 0);
  drawMiniMap(room, 0);
  drawReturnButton(button);
  const bool samePixels = readBack() == replayed;
  SDL_GL_SwapWindow(window);

  ViewerState state;
  bool left = false;
  auto frames = [&](int n) {
    const double t0 = nowSeconds();
    for (int i = 0; i < n; ++i)
      if (viewerFrame(window, room, state, button) != ViewerOutcome::Stay) left = true;
    return (nowSeconds() - t0) / n;
  };
  // Passes [0, k) of the recording, then the swap: prefix k - prefix (k - 1) is what pass
  // k - 1 costs, its share of rasterisation included.
  auto prefix = [&](std::size_t k, int n) {
    const double t0 = nowSeconds();
    for (int i = 0; i < n; ++i) {
      replay(list, argAt, 0, passes[k].begin, window);
      SDL_GL_SwapWindow(window);
    }
    return (nowSeconds() - t0) / n;
  };
  auto replays = [&](int n) {
    const double t0 = nowSeconds();
    for (int i = 0; i < n; ++i) replay(list, argAt, 0, list.ops.size(), window);
    return (nowSeconds() - t0) / n;
  };
  auto bares = [&](int n) {
    const double t0 = nowSeconds();
    for (int i = 0; i < n; ++i) bareFrame(window, room.textures[0]);
    return (nowSeconds() - t0) / n;
  };

  const int rounds = o.rounds ? o.rounds : (o.small ? 2 : 15);
  const int batch = o.small ? 3 : 20;
  frames(batch), replays(batch), bares(batch);
  const std::size_t nPrefix = passes.size();  // prefix 0 (swap alone) .. all drawing passes
  std::vector<double> f, r, b;
  std::vector<std::vector<double>> pre(nPrefix);
  for (int round = 0; round < rounds; ++round) {
    const int variants = 3 + static_cast<int>(nPrefix);
    for (int k = 0; k < variants; ++k) {
      const int v = (round + k) % variants;
      if (v == 0)
        f.push_back(frames(batch));
      else if (v == 1)
        r.push_back(replays(batch));
      else if (v == 2)
        b.push_back(bares(batch));
      else
        pre[v - 3].push_back(prefix(static_cast<std::size_t>(v - 3), batch));
    }
  }

  // Where the time goes on the CPU: submission of each pass in the replay, and each part
  // of our frame called as viewerFrame calls it (swap last, with the rasterisation).
  // Frame by frame, alternating, so that load from elsewhere hits both alike; medians, as a
  // descheduled frame would swamp a mean.
  std::vector<std::vector<double>> submit(passes.size());
  std::vector<double> ourEvents, ourPanorama, ourMiniMap, ourButton, ourSwap, extraMiniMap;
  const int timedFrames = rounds * batch;
  for (int i = 0; i < timedFrames; ++i) {
    double replayMiniMap = 0;
    for (std::size_t p = 0; p < passes.size(); ++p) {
      const double t0 = nowSeconds();
      replay(list, argAt, passes[p].begin, passes[p].end, window);
      const double d = nowSeconds() - t0;
      submit[p].push_back(d);
      const std::string& n = passes[p].name;
      if (n.rfind("panorama", 0) != 0 && n.rfind("return", 0) != 0 && n.rfind("swap", 0) != 0)
        replayMiniMap += d;
    }
    const double t0 = nowSeconds();
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
    SDL_PumpEvents();
    int mx = 0, my = 0;
    SDL_GetMouseState(&mx, &my);
    const double t1 = nowSeconds();
    drawPanorama(room, 0);
    const double t2 = nowSeconds();
    drawMiniMap(room, 0);
    const double t3 = nowSeconds();
    drawReturnButton(button);
    const double t4 = nowSeconds();
    SDL_GL_SwapWindow(window);
    const double t5 = nowSeconds();
    ourEvents.push_back(t1 - t0);
    ourPanorama.push_back(t2 - t1);
    ourMiniMap.push_back(t3 - t2);
    ourButton.push_back(t4 - t3);
    ourSwap.push_back(t5 - t4);
    extraMiniMap.push_back(t3 - t2 - replayMiniMap);
  }

  int vertices = 0;
  for (const Pass& p : passes) vertices += p.vertices;
  heading(t, "2. Viewer frame: room of " + std::to_string(room.points.size()) + " points, " +
                 std::to_string(room.links.size() / 2) + " links; " + std::to_string(rounds) +
                 " rounds of " + std::to_string(batch) + " frames (per frame, median [min-max])");
  row(t, "viewerFrame (real)", milliseconds(spreadOf(f)),
      format("%.0f frames/s", 1 / spreadOf(f).median));
  row(t, "replay of its GL calls + swap", milliseconds(spreadOf(r)),
      std::to_string(list.ops.size()) + " calls, " + std::to_string(vertices) + " vertices");
  row(t, "  the replay draws the frame's pixels", samePixels ? "yes" : "NO");
  row(t, "bare: one textured full-window quad + swap", milliseconds(spreadOf(b)));
  ratioRow(t, "frame / replay", spreadOf(ratios(f, r)), 1.05);
  ratioRow(t, "frame / bare", spreadOf(ratios(f, b)), 0);
  ratioRow(t, "replay / bare", spreadOf(ratios(r, b)), 0);
  row(t, "pass (calls, vertices)", "cost incl. raster (prefix diff)", "CPU submit in replay");
  for (std::size_t p = 0; p < passes.size(); ++p) {
    std::string cost;
    if (p + 1 < nPrefix) {
      std::vector<double> d;
      for (std::size_t i = 0; i < pre[p + 1].size(); ++i) d.push_back(pre[p + 1][i] - pre[p][i]);
      cost = milliseconds(spreadOf(d));
    } else {
      cost = milliseconds(spreadOf(pre[0])) + " (swap alone)";
    }
    row(t,
        "  " + passes[p].name + " (" + std::to_string(passes[p].calls) + ", " +
            std::to_string(passes[p].vertices) + ")",
        cost, microseconds(spreadOf(submit[p]).median));
  }
  row(t, "our frame's parts, CPU (median of frames)", "", "");
  row(t, "  event drain + mouse", microseconds(spreadOf(ourEvents).median));
  row(t, "  drawPanorama", microseconds(spreadOf(ourPanorama).median));
  row(t, "  drawMiniMap", microseconds(spreadOf(ourMiniMap).median));
  row(t, "  drawReturnButton", microseconds(spreadOf(ourButton).median));
  row(t, "  swap (rasterise + present)", microseconds(spreadOf(ourSwap).median));
  row(t, "  drawMiniMap - its passes in the replay", microseconds(spreadOf(extraMiniMap).median),
      "what our code adds there (median of frames)");
  releaseRoom(room);
  if (left) std::fprintf(stderr, "ostrivane_bench: a viewer frame left the viewer\n");
  if (!samePixels) std::fprintf(stderr, "ostrivane_bench: the replay draws other pixels\n");
  return !left && samePixels;
}

// ---- 3. start-up ---------------------------------------------------------------------------

struct StartUpTimes {
  double setUp = 0, loads = 0, total = 0;
  double firstFrame = 0;  // the floor's extra: the least first frame on a new context
};

// main's start-up up to the first menu frame on screen, with the same library calls in the
// same order; the window is then taken down again so the next round starts from nothing.
bool startUpToFirstMenu(StartUpTimes& times) {
  const double t0 = nowSeconds();
  ProgramWindow w;
  if (!openProgramWindow(w)) return false;
  const double t1 = nowSeconds();
  Room room;
  const std::vector<std::string> roomNames = loadRoomNames();
  const std::vector<TextureId> roomIcons = loadRoomIcons(roomNames);
  std::vector<std::uint8_t> hoverFlags(roomNames.size());
  const TextureId titleTexture = loadTexture("data/title.jpg", GL_RGB);
  loadTexture("data/menu.jpg", GL_RGB);
  const double loaded = nowSeconds();
  const MenuOutcome outcome =
      menuFrame(w.window, roomNames, roomIcons, hoverFlags, titleTexture, room);
  glFinish();
  const double t2 = nowSeconds();
  closeProgramWindow(w);
  times.setUp = t1 - t0;
  times.loads = loaded - t1;
  times.total = t2 - t0;
  return outcome == MenuOutcome::Stay && roomNames.size() == kBenchRooms;
}

// The floor: the same SDL and window set-up, and decoding the same pictures, nothing else.
bool setUpAndDecode(StartUpTimes& times) {
  const double t0 = nowSeconds();
  ProgramWindow w;
  if (!openProgramWindow(w)) return false;
  const double t1 = nowSeconds();
  for (const std::string& p : startUpPicturePaths()) SDL_FreeSurface(IMG_Load(p.c_str()));
  const double t2 = nowSeconds();
  // Outside the floor: what the first frame of any program costs on a new context, one
  // textured quad and a swap, for comparison with the menu's first frame.
  SDL_Surface* s = IMG_Load("data/menu.jpg");
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, 3, s->w, s->h, 0, GL_RGB, GL_UNSIGNED_BYTE, s->pixels);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  SDL_FreeSurface(s);
  const double t3 = nowSeconds();
  bareFrame(w.window, name);
  glFinish();
  times.firstFrame = nowSeconds() - t3;
  closeProgramWindow(w);
  times.setUp = t1 - t0;
  times.total = t2 - t0;
  return true;
}

bool benchStartUp(const Options& o, const std::string& tourDir, Table& t) {
  if (!enterTour(tourDir)) return false;
  const int rounds = o.rounds ? o.rounds : (o.small ? 2 : 21);
  StartUpTimes x, y;
  if (!startUpToFirstMenu(x) || !setUpAndDecode(y)) return false;  // warm-up
  std::vector<double> full, floor, fullSetUp, floorSetUp, decode, loads, menuFrames, bareFirst;
  for (int r = 0; r < rounds; ++r) {
    for (int k = 0; k < 2; ++k) {
      if ((r + k) % 2 == 0) {
        if (!startUpToFirstMenu(x)) return false;
        full.push_back(x.total);
        fullSetUp.push_back(x.setUp);
        loads.push_back(x.loads);
        menuFrames.push_back(x.total - x.setUp - x.loads);
      } else {
        if (!setUpAndDecode(y)) return false;
        floor.push_back(y.total);
        floorSetUp.push_back(y.setUp);
        decode.push_back(y.total - y.setUp);
        bareFirst.push_back(y.firstFrame);
      }
    }
  }
  heading(t, "3. Start-up to the first menu frame: " + std::to_string(kBenchRooms) +
                 " rooms (10 icons, title, button), " + std::to_string(rounds) +
                 " rounds (median [min-max])");
  row(t, "start-up to first menu frame (+ glFinish)", milliseconds(spreadOf(full)));
  row(t, "  of which SDL + window + context + GL state", milliseconds(spreadOf(fullSetUp)));
  row(t, "  of which loads (decode + upload, 12 pictures)", milliseconds(spreadOf(loads)));
  row(t, "  of which first menuFrame (+ glFinish)", milliseconds(spreadOf(menuFrames)));
  row(t, "floor: set-up + IMG_Load of the 12 pictures", milliseconds(spreadOf(floor)));
  row(t, "  of which SDL + window + context + GL state", milliseconds(spreadOf(floorSetUp)));
  row(t, "  of which decoding", milliseconds(spreadOf(decode)));
  row(t, "outside the floor: least first frame (quad + swap)", milliseconds(spreadOf(bareFirst)),
      "on the floor's new context");
  ratioRow(t, "start-up / floor", spreadOf(ratios(full, floor)), 1.20);
  std::vector<double> floorAndFrame;
  for (std::size_t i = 0; i < floor.size(); ++i) floorAndFrame.push_back(floor[i] + bareFirst[i]);
  ratioRow(t, "start-up / (floor + least first frame)", spreadOf(ratios(full, floorAndFrame)), 0);
  return true;
}

// ---- 4. memory -----------------------------------------------------------------------------

bool benchMemory(const Options& o, const std::string& tourDir, Table& t) {
  if (!enterTour(tourDir)) return false;
  const std::vector<std::string> names = loadRoomNames();
  if (names.size() != kBenchRooms) return false;
  Room current;
  const std::int64_t before = residentBytes();
  std::vector<std::pair<int, std::int64_t>> marks;
  // chooseRoom says "Button 0 pressed!" on standard output each time; keep it off the table.
  std::fflush(stdout);
  const int savedOut = dup(1);
  const int devNull = open("/dev/null", O_WRONLY);
  dup2(devNull, 1);
  for (int i = 1; i <= 100; ++i) {
    chooseRoom(kBenchRoomIndex, names, current);
    glFinish();
    if (i == 1 || i == 10 || i == 100) marks.push_back({i, residentBytes()});
  }
  std::fflush(stdout);
  dup2(savedOut, 1);
  close(savedOut);
  close(devNull);
  const bool sane = current.textures.size() == kBenchPanoramas;
  releaseRoom(current);
  (void)o;

  heading(t, "4. Resident memory (VmRSS) over repeated chooseRoom of the benchmark room");
  row(t, "before the first choice", mebibytes(static_cast<double>(before)));
  for (const auto& m : marks)
    row(t, "after " + std::to_string(m.first) + " choice(s)",
        mebibytes(static_cast<double>(m.second)));
  const double growth = static_cast<double>(marks.back().second - marks.front().second);
  const bool met = growth <= 2.0 * 1024 * 1024;
  if (!met) ++t.goalsMissed;
  row(t, "after 100 - after 1", mebibytes(growth),
      std::string("goal <= 2 MiB: ") + (met ? "met" : "MISSED"));
  return sane;
}

// ---- the run -------------------------------------------------------------------------------

std::string cpuModel() {
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
  return "unknown";
}

int usage() {
  std::fprintf(stderr,
               "usage: ostrivane_bench [--small] [--cache DIR] [--only room,frame,startup,memory]\n"
               "                       [--rounds N] [--recorder PATH]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  const char* tmp = std::getenv("TMPDIR");
  o.cacheDir = std::string(tmp && *tmp ? tmp : "/tmp") + "/ostrivane-bench-cache";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--small") {
      o.small = true;
    } else if (a == "--cache" && i + 1 < argc) {
      o.cacheDir = argv[++i];
    } else if (a == "--recorder" && i + 1 < argc) {
      o.recorder = argv[++i];
    } else if (a == "--rounds" && i + 1 < argc) {
      o.rounds = std::atoi(argv[++i]);
    } else if (a == "--only" && i + 1 < argc) {
      std::stringstream s(argv[++i]);
      std::string item;
      while (std::getline(s, item, ',')) o.only.insert(item);
    } else {
      return usage();
    }
  }

  std::string tourDir, error;
  if (!ensureBenchTour(o.cacheDir, o.small, tourDir, error)) {
    std::fprintf(stderr, "ostrivane_bench: %s\n", error.c_str());
    return 1;
  }
  const BenchSizes z = benchSizes(o.small);
  std::printf("Ostrivane benchmarks (%s run)\n", o.small ? "small" : "full");
  std::printf("  machine: %u cores, %s\n", std::thread::hardware_concurrency(), cpuModel().c_str());
  std::printf("  tour: %s (panoramas %dx%d)\n", tourDir.c_str(), z.panoramaWidth, z.panoramaHeight);
  std::fflush(stdout);

  Table t;
  bool ok = true;
  // Start-up first: it brings SDL up and down itself, round after round.
  if (wanted(o, "startup")) {
    progress("start-up");
    ok = benchStartUp(o, tourDir, t) && ok;
    printTable(t, 0);
  }
  const bool needWindow = wanted(o, "room") || wanted(o, "frame") || wanted(o, "memory");
  ProgramWindow w;
  if (needWindow) {
    if (!openProgramWindow(w)) return 1;
    std::printf("  GL: %s; %s; %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)),
                reinterpret_cast<const char*>(glGetString(GL_VENDOR)));
    std::fflush(stdout);
  }
  struct Section {
    const char* name;
    bool (*run)(const Options&, const std::string&, SDL_Window*, Table&);
  };
  const Section sections[] = {
      {"room", [](const Options& o, const std::string& d, SDL_Window*,
                  Table& t) { return benchRoomLoad(o, d, t); }},
      {"frame", benchFrame},
      {"memory", [](const Options& o, const std::string& d, SDL_Window*,
                    Table& t) { return benchMemory(o, d, t); }},
  };
  for (const Section& s : sections) {
    if (!wanted(o, s.name)) continue;
    progress(s.name);
    const std::size_t from = t.rows.size();
    if (!s.run(o, tourDir, w.window, t)) {
      std::fprintf(stderr, "ostrivane_bench: the %s benchmark failed\n", s.name);
      ok = false;
    }
    printTable(t, from);
  }
  if (needWindow) closeProgramWindow(w);

  std::printf("\n%d goal(s) missed\n", t.goalsMissed);
  if (!ok) {
    std::printf("ostrivane_bench: some measurements failed; the table is incomplete\n");
    return 1;
  }
  std::printf("ostrivane_bench: table complete\n");
  return 0;
}
