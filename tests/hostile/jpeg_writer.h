// JPEGs of the kinds tour authors' tools produce and SDL2_image's own writer does not:
// greyscale, CMYK (as Photoshop writes it, inverted Adobe style), progressive; written with
// libjpeg into memory. Shared by the hostile-tour tests and the fuzz seed maker.
#pragma once

#include <cstdint>
#include <string>

enum class JpegKind { Rgb, Grey, Cmyk, Progressive };

// A width by height JPEG of a smooth colour ramp, so decoding has real detail to work on.
std::string encodeJpeg(int width, int height, JpegKind kind, int quality = 85);

// Rewrites the size in the JPEG's frame header (SOF) without touching the data behind it, as a
// damaged or hand-edited file would claim. Returns false when there is no frame header.
bool setJpegFrameSize(std::string& jpeg, std::uint16_t width, std::uint16_t height);
