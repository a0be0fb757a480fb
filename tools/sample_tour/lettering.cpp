// Text through SDL2_ttf, blended in with the coverage that TTF_RenderUTF8_Blended gives.
#include "sample_tour/lettering.h"

#include <SDL.h>
#include <SDL_ttf.h>

namespace sampletour {

namespace {

TTF_Font* fontOf(Fonts& fonts, bool bold, int size) {
  auto& list = bold ? fonts.bold : fonts.regular;
  for (const auto& [s, f] : list)
    if (s == size) return f;
  TTF_Font* f = TTF_OpenFont(bold ? kBoldFont : kRegularFont, size);
  if (f) list.push_back({size, f});
  return f;
}

}  // namespace

bool openFonts(Fonts& fonts, std::string& error) {
  if (TTF_Init() != 0) {
    error = std::string("cannot start SDL2_ttf: ") + TTF_GetError();
    return false;
  }
  for (bool bold : {false, true}) {
    if (!fontOf(fonts, bold, 24)) {
      error = std::string(bold ? kBoldFont : kRegularFont) +
              ": cannot open font: " + TTF_GetError() +
              " (Debian's fonts-dejavu-core package brings it)";
      return false;
    }
  }
  return true;
}

void closeFonts(Fonts& fonts) {
  for (auto* list : {&fonts.regular, &fonts.bold}) {
    for (const auto& entry : *list) TTF_CloseFont(entry.second);
    list->clear();
  }
  TTF_Quit();
}

TextMask renderText(Fonts& fonts, bool bold, int size, const std::string& text) {
  TextMask mask;
  TTF_Font* font = fontOf(fonts, bold, size);
  if (!font || text.empty()) return mask;
  SDL_Surface* s = TTF_RenderUTF8_Blended(font, text.c_str(), SDL_Color{255, 255, 255, 255});
  if (!s) return mask;
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(s);
  if (!argb) return mask;
  mask.width = argb->w;
  mask.height = argb->h;
  mask.alpha.resize(static_cast<std::size_t>(mask.width) * mask.height);
  SDL_LockSurface(argb);
  for (int y = 0; y < mask.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(
        static_cast<const std::uint8_t*>(argb->pixels) + y * argb->pitch);
    for (int x = 0; x < mask.width; ++x) mask.alpha[y * mask.width + x] = row[x] >> 24;
  }
  SDL_UnlockSurface(argb);
  SDL_FreeSurface(argb);
  return mask;
}

int fittingSize(Fonts& fonts, bool bold, int maxSize, int maxWidth, const std::string& text) {
  int size = maxSize;
  for (; size > 6; --size) {
    int w = 0, h = 0;
    TTF_Font* font = fontOf(fonts, bold, size);
    if (font && TTF_SizeUTF8(font, text.c_str(), &w, &h) == 0 && w <= maxWidth) break;
  }
  return size;
}

void drawText(Image& image, const TextMask& mask, int x, int y, Colour colour) {
  for (int my = 0; my < mask.height; ++my)
    for (int mx = 0; mx < mask.width; ++mx) {
      const std::uint8_t a = mask.alpha[my * mask.width + mx];
      if (a) blendPixel(image, x + mx, y + my, colour, a / 255.0);
    }
}

int drawCentred(Image& image, Fonts& fonts, bool bold, int size, const std::string& text, int cx,
                int y, Colour colour) {
  const TextMask mask = renderText(fonts, bold, size, text);
  drawText(image, mask, cx - mask.width / 2, y, colour);
  return mask.height;
}

}  // namespace sampletour
