// Writes the fuzzers' seed corpora: a few small files per target that reach the readers'
// branches (CR LF, 0x1A, cut-short sections, huge indices; JPEG kinds, PNG layouts, lying
// headers). Run once and commit the result:
//   build-asan/fuzz/fuzz_make_seeds tests/fuzz-corpus
#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "../tests/hostile/jpeg_writer.h"

namespace fs = std::filesystem;

namespace {
void put(const fs::path& dir, const std::string& name, const std::string& bytes) {
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
}

// PNG bytes of a small surface in the given SDL layout, through SDL2_image's writer.
std::string png(int width, int height, Uint32 format) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, format);
  if (s->format->palette) {
    SDL_Color colours[4] = {{0, 0, 0, 255}, {255, 0, 0, 255}, {0, 255, 0, 128}, {0, 0, 255, 0}};
    SDL_SetPaletteColors(s->format->palette, colours, 0, 4);
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < s->pitch; ++x)
      static_cast<Uint8*>(s->pixels)[y * s->pitch + x] = static_cast<Uint8>((x * 37 + y * 11) & 3);
  std::string out;
  const fs::path tmp = fs::temp_directory_path() / "ostrivane-seed.png";
  IMG_SavePNG(s, tmp.c_str());
  SDL_FreeSurface(s);
  std::ifstream in(tmp, std::ios::binary);
  out.assign(std::istreambuf_iterator<char>(in), {});
  fs::remove(tmp);
  return out;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS-ROOT\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[1];

  const fs::path text = root / "text";
  put(text, "plain", "hall\nkitchen\nattic\n");
  put(text, "crlf", "hall\r\nkitchen\r\n\r\nlast");
  put(text, "lone-cr", "a\rb\r\n\rc\r");
  put(text, "eof-mark", "one\ntwo\x1athree\n");
  put(text, "nul", std::string("be\0fore\n\0\n", 10));
  put(text, "numbers", " -12\n+7.5e3\n2147483648\n-99999999999\n0x1f\n\t\v 42abc\n-\n");
  put(text, "empty-lines", "\n\n\n");

  const fs::path room = root / "room";
  put(room, "good", "a.jpg\nb.jpg\n-\n0\n0\n0\n1.5\n-2\n1\n-\n0\n1\neof\n");
  put(room, "crlf", "a.jpg\r\n-\r\n0\r\n0\r\n0\r\n-\r\n0\r\n0\r\n\r\n");
  put(room, "cut-in-point", "a.jpg\n-\n3\n4\n");
  put(room, "cut-in-link", "a.jpg\n-\n0\n0\n0\n-\n0\n");
  put(room, "bad-indices",
      "a.jpg\n-\n0\n0\n-1\n1\n1\n2147483647\n2\n2\n99999999999\n-\n-5\n7\n0\n1\n");
  put(room, "only-dash", "-\n");
  put(room, "no-points", "a.jpg\n-\n-\n");
  put(room, "eof-mark", "a.jpg\n-\n0\n0\n0\x1a-\n");

  const fs::path pic = root / "picture";
  put(pic, "rgb-3x2.jpg", encodeJpeg(3, 2, JpegKind::Rgb));
  put(pic, "grey-5x3.jpg", encodeJpeg(5, 3, JpegKind::Grey));
  put(pic, "cmyk-4x4.jpg", encodeJpeg(4, 4, JpegKind::Cmyk));
  put(pic, "progressive-9x7.jpg", encodeJpeg(9, 7, JpegKind::Progressive));
  put(pic, "wide-300x2.jpg", encodeJpeg(300, 2, JpegKind::Rgb, 50));
  put(pic, "one-1x1.jpg", encodeJpeg(1, 1, JpegKind::Rgb));
  std::string liar = encodeJpeg(8, 8, JpegKind::Rgb, 50);
  setJpegFrameSize(liar, 60000, 60000);
  put(pic, "claims-60000.jpg", liar);
  std::string shortish = encodeJpeg(16, 16, JpegKind::Rgb, 50);
  setJpegFrameSize(shortish, 400, 20);
  put(pic, "claims-400x20.jpg", shortish);
  const std::string cut = encodeJpeg(16, 16, JpegKind::Progressive, 50);
  put(pic, "truncated.jpg", cut.substr(0, cut.size() / 2));
  put(pic, "rgb-5x2.png", png(5, 2, SDL_PIXELFORMAT_RGB24));
  put(pic, "rgba-3x3.png", png(3, 3, SDL_PIXELFORMAT_RGBA32));
  put(pic, "palette-4x2.png", png(4, 2, SDL_PIXELFORMAT_INDEX8));
  put(pic, "wide-260x1.png", png(260, 1, SDL_PIXELFORMAT_RGB24));
  return 0;
}
