// Text for the generated pictures, set in DejaVu Sans (Debian's fonts-dejavu-core) through
// SDL2_ttf: rendered once into a coverage mask, then blended into a picture.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "sample_tour/image.h"

typedef struct _TTF_Font TTF_Font;

namespace sampletour {

inline constexpr const char* kRegularFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
inline constexpr const char* kBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// Open fonts by weight and pixel size; closed by closeFonts.
struct Fonts {
  std::vector<std::pair<int, TTF_Font*>> regular, bold;  // by size
};

// Initialises SDL2_ttf and checks that both font files open. On failure returns false with
// a message that names the missing file and the package that brings it.
bool openFonts(Fonts& fonts, std::string& error);
void closeFonts(Fonts& fonts);

// 8-bit coverage of one line of UTF-8 text, tightly packed rows.
struct TextMask {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> alpha;
};

TextMask renderText(Fonts& fonts, bool bold, int size, const std::string& text);
// The largest size up to maxSize at which the text is at most maxWidth pixels wide.
int fittingSize(Fonts& fonts, bool bold, int maxSize, int maxWidth, const std::string& text);

// Blends the mask's coverage in colour with its top-left corner at (x, y).
void drawText(Image& image, const TextMask& mask, int x, int y, Colour colour);
// The same, centred horizontally on cx with the mask's top at y; returns the mask's height.
int drawCentred(Image& image, Fonts& fonts, bool bold, int size, const std::string& text, int cx,
                int y, Colour colour);

}  // namespace sampletour
