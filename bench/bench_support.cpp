// The benchmark tour, the program's window, and the recorded call list's text form.
#include "bench_support.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Bump when the tour's content changes, so a cache made by an older benchmark is remade.
const char kTourVersion[] = "ostrivane bench tour 1";
constexpr int kJpegQuality = 90;

std::uint32_t hash32(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352du;
  x ^= x >> 15;
  x *= 0x846ca68bu;
  x ^= x >> 16;
  return x;
}

// Value noise on a lattice of cells `cell` pixels wide: smooth shapes of that size.
struct Lattice {
  int cell = 1, columns = 0;
  std::vector<std::uint8_t> values;
};

Lattice makeLattice(int width, int height, int cell, std::uint32_t seed) {
  Lattice l;
  l.cell = cell;
  l.columns = width / cell + 2;
  const int rows = height / cell + 2;
  l.values.resize(static_cast<std::size_t>(l.columns) * rows);
  for (std::size_t i = 0; i < l.values.size(); ++i)
    l.values[i] = static_cast<std::uint8_t>(hash32(static_cast<std::uint32_t>(i) ^ seed) >> 24);
  return l;
}

int sampleLattice(const Lattice& l, int x, int y) {
  const int gx = x / l.cell, gy = y / l.cell, fx = x % l.cell, fy = y % l.cell, c = l.cell;
  const std::uint8_t* v = &l.values[static_cast<std::size_t>(gy) * l.columns + gx];
  const int top = v[0] * (c - fx) + v[1] * fx;
  const int bottom = v[l.columns] * (c - fx) + v[l.columns + 1] * fx;
  return (top * (c - fy) + bottom * fy) / (c * c);
}

// A photograph-like picture: large soft shapes, finer detail and a little grain in each
// channel, so that the JPEG holds real coefficients for the decoder to work through.
bool writeTexturedJpeg(const std::string& path, int width, int height, std::uint32_t seed,
                       std::string& error) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_RGB24);
  if (!s) {
    error = std::string("cannot make a surface: ") + SDL_GetError();
    return false;
  }
  for (int c = 0; c < 3; ++c) {
    const std::uint32_t channelSeed = hash32(seed * 3 + static_cast<std::uint32_t>(c) + 1);
    const Lattice coarse = makeLattice(width, height, 128, channelSeed);
    const Lattice fine = makeLattice(width, height, 12, channelSeed ^ 0x5bd1e995u);
    for (int y = 0; y < height; ++y) {
      auto* row = static_cast<std::uint8_t*>(s->pixels) + static_cast<std::size_t>(y) * s->pitch;
      for (int x = 0; x < width; ++x) {
        const std::uint32_t grain =
            hash32(static_cast<std::uint32_t>(y * width + x) ^ channelSeed) & 15;
        const int v = (sampleLattice(coarse, x, y) * 5 + sampleLattice(fine, x, y) * 3) / 8 +
                      static_cast<int>(grain) - 8;
        row[x * 3 + c] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
      }
    }
  }
  const std::string partial = path + ".partial";
  const bool saved = IMG_SaveJPG(s, partial.c_str(), kJpegQuality) == 0;
  SDL_FreeSurface(s);
  if (!saved) {
    error = "cannot write " + partial + ": " + IMG_GetError();
    return false;
  }
  std::error_code ec;
  fs::rename(partial, path, ec);
  if (ec) {
    error = "cannot rename " + partial + ": " + ec.message();
    return false;
  }
  return true;
}

bool writeText(const std::string& path, const std::string& text, std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string sizesText(const BenchSizes& z) {
  std::ostringstream s;
  s << kTourVersion << ": panoramas " << z.panoramaWidth << "x" << z.panoramaHeight << ", title "
    << z.titleWidth << "x" << z.titleHeight << ", icons " << z.iconWidth << "x" << z.iconHeight
    << ", button " << z.buttonSide << "\n";
  return s.str();
}

// 20 points on a 5 by 4 grid, 1.5 plan units apart, so that all of them fall on the
// mini-map seen from point 0; links join grid neighbours, rows first.
std::string roomDescriptionText() {
  std::ostringstream s;
  for (int i = 0; i < kBenchPanoramas; ++i) s << benchPanoramaName(i) << "\n";
  s << "-\n";
  for (int i = 0; i < kBenchPoints; ++i)
    s << (i % 5 - 2) * 1.5 << "\n" << (i / 5 - 1.5) * 1.5 << "\n" << i % kBenchPanoramas << "\n";
  s << "-\n";
  int links = 0;
  for (int i = 0; i < kBenchPoints && links < kBenchLinks; ++i)
    if (i % 5 < 4) s << i << "\n" << i + 1 << "\n", ++links;
  for (int i = 0; i + 5 < kBenchPoints && links < kBenchLinks; ++i)
    s << i << "\n" << i + 5 << "\n", ++links;
  s << "eof\n";
  return s.str();
}

}  // namespace

BenchSizes benchSizes(bool small) {
  BenchSizes z;
  if (small) {
    z.panoramaWidth = 512;
    z.panoramaHeight = 256;
  } else {
    z.panoramaWidth = 4096;  // 8.4 megapixels
    z.panoramaHeight = 2048;
  }
  z.titleWidth = 1024;
  z.titleHeight = 768;
  z.iconWidth = 256;
  z.iconHeight = 128;
  z.buttonSide = 64;
  return z;
}

std::string benchRoomName(int index) { return "room" + std::to_string(index); }
std::string benchPanoramaName(int index) { return "pano" + std::to_string(index) + ".jpg"; }

bool ensureBenchTour(const std::string& cacheDir, bool small, std::string& tourDir,
                     std::string& error) {
  const BenchSizes z = benchSizes(small);
  tourDir = (fs::absolute(cacheDir) / (small ? "small" : "full")).string();
  const std::string stamp = tourDir + "/made.txt";
  if (readText(stamp) == sizesText(z)) return true;

  std::error_code ec;
  fs::create_directories(tourDir + "/data/" + benchRoomName(kBenchRoomIndex), ec);
  if (ec) {
    error = "cannot make " + tourDir + ": " + ec.message();
    return false;
  }
  std::fprintf(stderr, "ostrivane_bench: making the benchmark tour in %s (once)\n",
               tourDir.c_str());
  const std::string data = tourDir + "/data/";
  std::string names;
  std::uint32_t seed = 1;
  for (int i = 0; i < kBenchRooms; ++i) {
    names += benchRoomName(i) + "\n";
    fs::create_directories(data + benchRoomName(i), ec);
    if (!writeTexturedJpeg(data + benchRoomName(i) + "/icon.jpg", z.iconWidth, z.iconHeight, seed++,
                           error))
      return false;
  }
  const std::string room = data + benchRoomName(kBenchRoomIndex) + "/";
  if (!writeText(data + "rooms.inf", names, error) ||
      !writeText(room + "info.rm", roomDescriptionText(), error) ||
      !writeTexturedJpeg(data + "title.jpg", z.titleWidth, z.titleHeight, seed++, error) ||
      !writeTexturedJpeg(data + "menu.jpg", z.buttonSide, z.buttonSide, seed++, error))
    return false;
  for (int i = 0; i < kBenchPanoramas; ++i)
    if (!writeTexturedJpeg(room + benchPanoramaName(i), z.panoramaWidth, z.panoramaHeight, seed++,
                           error))
      return false;
  return writeText(stamp, sizesText(z), error);
}

std::vector<std::string> startUpPicturePaths() {
  std::vector<std::string> paths;
  for (int i = 0; i < kBenchRooms; ++i) paths.push_back("data/" + benchRoomName(i) + "/icon.jpg");
  paths.push_back("data/title.jpg");
  paths.push_back("data/menu.jpg");
  return paths;
}

bool openProgramWindow(ProgramWindow& w) {
  if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK |
               SDL_INIT_HAPTIC | SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS) != 0 &&
      SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "ostrivane_bench: cannot initialise SDL: %s\n", SDL_GetError());
    return false;
  }
  w.window = SDL_CreateWindow("Ostrivane", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 1024,
                              768, SDL_WINDOW_OPENGL);
  if (!w.window) {
    std::fprintf(stderr, "ostrivane_bench: cannot open the window: %s\n", SDL_GetError());
    SDL_Quit();
    return false;
  }
  w.context = SDL_GL_CreateContext(w.window);
  if (!w.context) {
    std::fprintf(stderr, "ostrivane_bench: cannot create the OpenGL context: %s\n", SDL_GetError());
    SDL_DestroyWindow(w.window);
    SDL_Quit();
    return false;
  }
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  return true;
}

void closeProgramWindow(ProgramWindow& w) {
  if (w.context) SDL_GL_DeleteContext(w.context);
  if (w.window) SDL_DestroyWindow(w.window);
  SDL_Quit();
  w = ProgramWindow{};
}

namespace {
struct OpInfo {
  GlOp op;
  const char* name;
  int args;
};
const OpInfo kOps[] = {
    {GlOp::Viewport, "glViewport", 4},
    {GlOp::ClearColor, "glClearColor", 4},
    {GlOp::Clear, "glClear", 1},
    {GlOp::BindTexture, "glBindTexture", 2},
    {GlOp::LoadIdentity, "glLoadIdentity", 0},
    {GlOp::Ortho, "glOrtho", 6},
    {GlOp::Translatef, "glTranslatef", 3},
    {GlOp::Color3f, "glColor3f", 3},
    {GlOp::Color4f, "glColor4f", 4},
    {GlOp::Begin, "glBegin", 1},
    {GlOp::End, "glEnd", 0},
    {GlOp::TexCoord2f, "glTexCoord2f", 2},
    {GlOp::Vertex2f, "glVertex2f", 2},
    {GlOp::Vertex2d, "glVertex2d", 2},
    {GlOp::Swap, "SDL_GL_SwapWindow", 0},
};
}  // namespace

int glArgCount(GlOp op) { return kOps[static_cast<int>(op)].args; }
const char* glOpName(GlOp op) { return kOps[static_cast<int>(op)].name; }

std::string formatCallList(const GlCallList& list) {
  std::string out = "# one viewer frame's GL calls; numbers in C hexadecimal floating point\n";
  std::size_t a = 0;
  char buffer[64];
  for (GlOp op : list.ops) {
    out += glOpName(op);
    for (int i = 0; i < glArgCount(op); ++i, ++a) {
      std::snprintf(buffer, sizeof buffer, " %a", list.args[a]);
      out += buffer;
    }
    out += "\n";
  }
  return out;
}

bool parseCallList(const std::string& text, GlCallList& list, std::string& error) {
  list = GlCallList{};
  std::istringstream in(text);
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string name;
    words >> name;
    const OpInfo* info = nullptr;
    for (const OpInfo& o : kOps)
      if (name == o.name) info = &o;
    if (!info) {
      error = "line " + std::to_string(lineNumber) + ": unknown call " + name;
      return false;
    }
    list.ops.push_back(info->op);
    for (int i = 0; i < info->args; ++i) {
      std::string word;
      words >> word;
      char* end = nullptr;
      const double v = std::strtod(word.c_str(), &end);
      if (word.empty() || *end != '\0') {
        error = "line " + std::to_string(lineNumber) + ": bad argument '" + word + "'";
        return false;
      }
      list.args.push_back(v);
    }
  }
  return true;
}

GlCallList resolveTextures(const GlCallList& list, const std::vector<TextureId>& roomTextures,
                           TextureId buttonTexture) {
  GlCallList out = list;
  std::size_t a = 0;
  for (GlOp op : out.ops) {
    if (op == GlOp::BindTexture) {
      double& ref = out.args[a + 1];
      if (ref == kTextureNone)
        ref = 0;
      else if (ref == kTextureButton)
        ref = buttonTexture;
      else if (ref >= 0 && ref < static_cast<double>(roomTextures.size()))
        ref = roomTextures[static_cast<std::size_t>(ref)];
      else
        ref = -3 - ref;
    }
    a += static_cast<std::size_t>(glArgCount(op));
  }
  return out;
}

std::int64_t residentBytes() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atoll(line.c_str() + 6) * 1024;
  return 0;
}

double nowSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
