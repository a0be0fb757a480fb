// libjpeg compression into a memory buffer, one scanline at a time.
#include "jpeg_writer.h"

#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

std::string encodeJpeg(int width, int height, JpegKind kind, int quality) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  switch (kind) {
    case JpegKind::Grey:
      c.input_components = 1;
      c.in_color_space = JCS_GRAYSCALE;
      break;
    case JpegKind::Cmyk:
      c.input_components = 4;
      c.in_color_space = JCS_CMYK;
      break;
    default:
      c.input_components = 3;
      c.in_color_space = JCS_RGB;
  }
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  if (kind == JpegKind::Progressive) jpeg_simple_progression(&c);
  // Photoshop's CMYK files carry an Adobe marker and store the channels inverted; libjpeg
  // writes the marker for CMYK by itself.
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * c.input_components);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      JSAMPLE* px = &row[static_cast<std::size_t>(x) * c.input_components];
      const int r = width > 1 ? x * 255 / (width - 1) : 128;
      const int g = height > 1 ? y * 255 / (height - 1) : 128;
      for (int k = 0; k < c.input_components; ++k)
        px[k] = static_cast<JSAMPLE>(k == 0 ? r : k == 1 ? g : (r + g) / 2);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&c);
  std::free(buffer);
  return out;
}

bool setJpegFrameSize(std::string& jpeg, std::uint16_t width, std::uint16_t height) {
  std::size_t i = 2;
  while (i + 9 <= jpeg.size()) {
    if (static_cast<unsigned char>(jpeg[i]) != 0xFF) return false;
    const unsigned marker = static_cast<unsigned char>(jpeg[i + 1]);
    const std::size_t length =
        (static_cast<unsigned char>(jpeg[i + 2]) << 8) | static_cast<unsigned char>(jpeg[i + 3]);
    if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
      jpeg[i + 5] = static_cast<char>(height >> 8);
      jpeg[i + 6] = static_cast<char>(height & 0xFF);
      jpeg[i + 7] = static_cast<char>(width >> 8);
      jpeg[i + 8] = static_cast<char>(width & 0xFF);
      return true;
    }
    if (marker == 0xDA || marker == 0xD9) return false;
    i += 2 + length;
  }
  return false;
}
