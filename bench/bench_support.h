// Shared by the benchmark and its GL call recorder: the benchmark tour (made once, kept in a
// cache directory), the program's window with its global GL state, and the flat list of GL
// calls that one viewer frame issues, as the recorder writes it and the benchmark replays it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tour/tour.h"

struct SDL_Window;

// Picture sizes of one benchmark tour, pixels. The small tour only keeps the code running.
struct BenchSizes {
  int panoramaWidth = 0, panoramaHeight = 0;
  int titleWidth = 0, titleHeight = 0;
  int iconWidth = 0, iconHeight = 0;
  int buttonSide = 0;
};
BenchSizes benchSizes(bool small);

inline constexpr int kBenchRooms = 10;     // rooms in data/rooms.inf, each with an icon
inline constexpr int kBenchPanoramas = 8;  // pictures of the benchmark room
inline constexpr int kBenchPoints = 20;    // points of the benchmark room
inline constexpr int kBenchLinks = 30;     // links of the benchmark room
inline constexpr int kBenchRoomIndex = 0;  // the one room with panoramas and a plan

std::string benchRoomName(int index);      // "room0" ... "room9"
std::string benchPanoramaName(int index);  // "pano0.jpg" ... as info.rm names them

// Makes the tour under cacheDir (once: a stamp file records what was made) and returns its
// directory, the one that holds data/. Every picture is deterministic and textured, so the
// decoder does real work. Returns false with the reason in error.
bool ensureBenchTour(const std::string& cacheDir, bool small, std::string& tourDir,
                     std::string& error);

// The start-up pictures as main loads them: every icon, then the title, then the button.
std::vector<std::string> startUpPicturePaths();  // relative to the tour directory

struct ProgramWindow {
  SDL_Window* window = nullptr;
  void* context = nullptr;  // SDL_GLContext
};

// SDL with main's subsystems (falling back to video alone as main does), the 1024x768
// OpenGL window and context, and main's global GL state. Prints SDL_GetError on failure.
bool openProgramWindow(ProgramWindow& w);
// Deletes the context, destroys the window and quits SDL.
void closeProgramWindow(ProgramWindow& w);

// One recorded GL call; its arguments follow in GlCallList::args, as many as glArgCount.
enum class GlOp : std::uint8_t {
  Viewport,      // x y w h
  ClearColor,    // r g b a
  Clear,         // mask
  BindTexture,   // target, texture reference (see below)
  LoadIdentity,  //
  Ortho,         // l r b t n f
  Translatef,    // x y z
  Color3f,       // r g b
  Color4f,       // r g b a
  Begin,         // mode
  End,           //
  TexCoord2f,    // s t
  Vertex2f,      // x y
  Vertex2d,      // x y
  Swap,          // SDL_GL_SwapWindow
};
int glArgCount(GlOp op);
const char* glOpName(GlOp op);

// A texture reference as recorded: which of the frame's textures, not its GL name, so a
// list recorded in one process replays in another.
inline constexpr double kTextureNone = -1;    // texture 0
inline constexpr double kTextureButton = -2;  // the return button
// 0, 1, ...: that index into the room's textures; -3 - n: GL name n, known to neither.

// Every argument is kept as a double: each float and each integer the frame passes
// survives the trip exactly, and the replay casts back to the type of the call.
struct GlCallList {
  std::vector<GlOp> ops;
  std::vector<double> args;
};

std::string formatCallList(const GlCallList& list);
bool parseCallList(const std::string& text, GlCallList& list, std::string& error);

// Replaces texture references by the GL names of this process's textures.
GlCallList resolveTextures(const GlCallList& list, const std::vector<TextureId>& roomTextures,
                           TextureId buttonTexture);

// Resident set size of this process (VmRSS), bytes; 0 when it cannot be read.
std::int64_t residentBytes();

double nowSeconds();  // a steady clock
