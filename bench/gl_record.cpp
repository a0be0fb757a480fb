// Records the GL calls of one real viewer frame into a flat list, for the benchmark to
// replay. The link wraps every GL entry point the viewer library calls (ld --wrap, see
// CMakeLists.txt): the library itself is the program's, unchanged; each wrapper notes the
// call and its arguments, then makes the real call, so the frame is drawn as usual.
//
// usage: ostrivane_glrecord TOUR-DIRECTORY OUTPUT-FILE
#include <SDL.h>
#include <SDL_opengl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "bench_support.h"
#include "menu/menu.h"
#include "tour/room.h"
#include "tour/texture.h"
#include "viewer/viewer.h"

namespace {
bool recording = false;
GlCallList recorded;
const Room* recordedRoom = nullptr;
TextureId recordedButton = 0;

void note(GlOp op, std::initializer_list<double> args) {
  if (!recording) return;
  recorded.ops.push_back(op);
  recorded.args.insert(recorded.args.end(), args);
}

double textureReference(GLuint name) {
  if (name == 0) return kTextureNone;
  if (name == recordedButton) return kTextureButton;
  for (std::size_t i = 0; recordedRoom && i < recordedRoom->textures.size(); ++i)
    if (recordedRoom->textures[i] == name) return static_cast<double>(i);
  return -3 - static_cast<double>(name);
}
}  // namespace

extern "C" {
void __real_glViewport(GLint, GLint, GLsizei, GLsizei);
void __real_glClearColor(GLclampf, GLclampf, GLclampf, GLclampf);
void __real_glClear(GLbitfield);
void __real_glBindTexture(GLenum, GLuint);
void __real_glLoadIdentity();
void __real_glOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble);
void __real_glTranslatef(GLfloat, GLfloat, GLfloat);
void __real_glColor3f(GLfloat, GLfloat, GLfloat);
void __real_glColor4f(GLfloat, GLfloat, GLfloat, GLfloat);
void __real_glBegin(GLenum);
void __real_glEnd();
void __real_glTexCoord2f(GLfloat, GLfloat);
void __real_glVertex2f(GLfloat, GLfloat);
void __real_glVertex2d(GLdouble, GLdouble);
void __real_SDL_GL_SwapWindow(SDL_Window*);

void __wrap_glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
  note(GlOp::Viewport, {double(x), double(y), double(w), double(h)});
  __real_glViewport(x, y, w, h);
}
void __wrap_glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
  note(GlOp::ClearColor, {r, g, b, a});
  __real_glClearColor(r, g, b, a);
}
void __wrap_glClear(GLbitfield mask) {
  note(GlOp::Clear, {double(mask)});
  __real_glClear(mask);
}
void __wrap_glBindTexture(GLenum target, GLuint name) {
  note(GlOp::BindTexture, {double(target), textureReference(name)});
  __real_glBindTexture(target, name);
}
void __wrap_glLoadIdentity() {
  note(GlOp::LoadIdentity, {});
  __real_glLoadIdentity();
}
void __wrap_glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  note(GlOp::Ortho, {l, r, b, t, n, f});
  __real_glOrtho(l, r, b, t, n, f);
}
void __wrap_glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  note(GlOp::Translatef, {x, y, z});
  __real_glTranslatef(x, y, z);
}
void __wrap_glColor3f(GLfloat r, GLfloat g, GLfloat b) {
  note(GlOp::Color3f, {r, g, b});
  __real_glColor3f(r, g, b);
}
void __wrap_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  note(GlOp::Color4f, {r, g, b, a});
  __real_glColor4f(r, g, b, a);
}
void __wrap_glBegin(GLenum mode) {
  note(GlOp::Begin, {double(mode)});
  __real_glBegin(mode);
}
void __wrap_glEnd() {
  note(GlOp::End, {});
  __real_glEnd();
}
void __wrap_glTexCoord2f(GLfloat s, GLfloat t) {
  note(GlOp::TexCoord2f, {s, t});
  __real_glTexCoord2f(s, t);
}
void __wrap_glVertex2f(GLfloat x, GLfloat y) {
  note(GlOp::Vertex2f, {x, y});
  __real_glVertex2f(x, y);
}
void __wrap_glVertex2d(GLdouble x, GLdouble y) {
  note(GlOp::Vertex2d, {x, y});
  __real_glVertex2d(x, y);
}
void __wrap_SDL_GL_SwapWindow(SDL_Window* window) {
  note(GlOp::Swap, {});
  __real_SDL_GL_SwapWindow(window);
}
}

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: ostrivane_glrecord TOUR-DIRECTORY OUTPUT-FILE\n");
    return 2;
  }
  if (chdir(argv[1]) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  ProgramWindow w;
  if (!openProgramWindow(w)) return 1;
  Room room = loadRoom(roomDirectory(benchRoomName(kBenchRoomIndex)));
  const TextureId button = loadTexture("data/menu.jpg", GL_RGB);
  recordedRoom = &room;
  recordedButton = button;
  ViewerState state;
  recording = true;
  const ViewerOutcome outcome = viewerFrame(w.window, room, state, button);
  recording = false;
  if (outcome != ViewerOutcome::Stay) {
    std::fprintf(stderr, "ostrivane_glrecord: the frame did not stay in the viewer\n");
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << formatCallList(recorded);
  if (!out) {
    std::fprintf(stderr, "ostrivane_glrecord: cannot write %s\n", argv[2]);
    return 1;
  }
  closeProgramWindow(w);
  return 0;
}
