#include "platform/sdl/i_msgbox.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

#include "platform/sdl/i_video.h"
#include "render/surface.h"

std::vector<std::string> WrapText(std::string_view text, int32_t maxWidth,
                                  const std::function<int32_t(std::string_view)>& width) {
  std::vector<std::string> lines;
  size_t pos = 0;
  std::string line;
  bool lineEmpty = true;
  auto flush = [&] {
    lines.push_back(line);
    line.clear();
    lineEmpty = true;
  };
  while (pos < text.size()) {
    if (text[pos] == '\n') {
      flush();
      ++pos;
      continue;
    }
    // The blanks before the next word, then the word.
    size_t wordStart = pos;
    while (wordStart < text.size() && text[wordStart] == ' ') ++wordStart;
    size_t wordEnd = wordStart;
    while (wordEnd < text.size() && text[wordEnd] != ' ' && text[wordEnd] != '\n') ++wordEnd;
    const std::string_view blanks = text.substr(pos, wordStart - pos);
    std::string_view word = text.substr(wordStart, wordEnd - wordStart);
    pos = wordEnd;
    if (lineEmpty && !lines.empty() && word.empty()) continue;  // blanks at a break
    std::string candidate = line;
    candidate.append(blanks);
    candidate.append(word);
    if (lineEmpty || width(candidate) <= maxWidth) {
      line = std::move(candidate);
    } else {
      flush();  // the blanks between the lines are where the line was broken
      line.assign(word);
    }
    lineEmpty = line.empty();
    // A word wider than a whole line is broken between characters.
    while (width(line) > maxWidth && line.size() > 1) {
      size_t fit = 1;
      while (fit + 1 <= line.size() && width(std::string_view(line).substr(0, fit + 1)) <= maxWidth) ++fit;
      std::string rest = line.substr(fit);
      line.resize(fit);
      flush();
      line = std::move(rest);
      lineEmpty = line.empty();
    }
  }
  if (!line.empty() || lines.empty()) lines.push_back(line);
  return lines;
}

namespace {

constexpr int32_t Margin = 16;
constexpr int32_t MaxTextWidth = 420;
constexpr int32_t ButtonW = 80, ButtonH = 26;

struct TBoxLayout {
  int32_t Width = 0, Height = 0, LineHeight = 16;
  SDL_Rect Button{0, 0, 0, 0};
  std::vector<std::string> Lines;
};

void FillRect(TSurface& s, int32_t left, int32_t top, int32_t w, int32_t h, TColor rgb) {
  const uint16_t v = uint16_t(DeviceColor(s, rgb));
  for (int32_t y = std::max(top, 0); y < std::min(top + h, s.Height); ++y)
    for (int32_t x = std::max(left, 0); x < std::min(left + w, s.Width); ++x) s.Row(y)[x] = v;
}

void FrameRect(TSurface& s, int32_t left, int32_t top, int32_t w, int32_t h, TColor rgb) {
  FillRect(s, left, top, w, 1, rgb);
  FillRect(s, left, top + h - 1, w, 1, rgb);
  FillRect(s, left, top, 1, h, rgb);
  FillRect(s, left + w - 1, top, 1, h, rgb);
}

// The box's own text: a sans-serif face found through fontconfig, drawn
// with FreeType's grey levels blended onto the box's surface.
class TBoxText {
 public:
  TBoxText() {
    if (FT_Init_FreeType(&Library) != 0) return;
    const std::string file = SansFile();
    if (file.empty() || FT_New_Face(Library, file.c_str(), 0, &Face) != 0) {
      Face = nullptr;
      return;
    }
    FT_Set_Pixel_Sizes(Face, 0, 13);
    LineHeight = int32_t(Face->size->metrics.height >> 6);
    Ascent = int32_t(Face->size->metrics.ascender >> 6);
  }
  ~TBoxText() {
    if (Face != nullptr) FT_Done_Face(Face);
    if (Library != nullptr) FT_Done_FreeType(Library);
  }
  TBoxText(const TBoxText&) = delete;
  TBoxText& operator=(const TBoxText&) = delete;

  int32_t Width(std::string_view s) const {
    int32_t w = 0;
    for (char c : s) w += Advance(c);
    return w;
  }
  // Text with the top of its line at (x, y).
  void Draw(TSurface& surface, int32_t x, int32_t y, std::string_view s, TColor rgb) const {
    if (Face == nullptr) return;
    for (char c : s) {
      if (FT_Load_Char(Face, uint8_t(c), FT_LOAD_RENDER) == 0) {
        const FT_GlyphSlot g = Face->glyph;
        Blend(surface, x + g->bitmap_left, y + Ascent - g->bitmap_top, g->bitmap, rgb);
        x += int32_t(g->advance.x >> 6);
      }
    }
  }
  int32_t LineHeight = 16;
  int32_t Ascent = 12;

 private:
  static std::string SansFile() {
    std::string file;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    if (pattern == nullptr) return file;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* path = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
      file = reinterpret_cast<const char*>(path);
    if (match != nullptr) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return file;
  }
  int32_t Advance(char c) const {
    if (Face == nullptr) return 7;
    if (FT_Load_Char(Face, uint8_t(c), FT_LOAD_DEFAULT) != 0) return 0;
    return int32_t(Face->glyph->advance.x >> 6);
  }
  static void Blend(TSurface& s, int32_t left, int32_t top, const FT_Bitmap& bitmap, TColor rgb) {
    for (int32_t j = 0; j < int32_t(bitmap.rows); ++j)
      for (int32_t i = 0; i < int32_t(bitmap.width); ++i) {
        const int32_t x = left + i, y = top + j;
        if (x < 0 || y < 0 || x >= s.Width || y >= s.Height) continue;
        const uint32_t a = bitmap.buffer[j * bitmap.pitch + i];
        if (a == 0) continue;
        const uint32_t under = ExpandPixel(s.Layout, s.Pixel(x, y));
        auto mix = [&](uint32_t fg, uint32_t bg) { return (fg * a + bg * (255 - a) + 127) / 255; };
        const TColor out = RGB(int32_t(mix(rgb & 0xFF, (under >> 16) & 0xFF)),
                               int32_t(mix((rgb >> 8) & 0xFF, (under >> 8) & 0xFF)),
                               int32_t(mix((rgb >> 16) & 0xFF, under & 0xFF)));
        s.Row(y)[x] = uint16_t(DeviceColor(s, out));
      }
  }
  FT_Library Library = nullptr;
  FT_Face Face = nullptr;
};

TBoxLayout LayOut(const TBoxText& text, const std::string& message) {
  TBoxLayout box;
  box.LineHeight = text.LineHeight;
  box.Lines = WrapText(message, MaxTextWidth, [&](std::string_view s) { return text.Width(s); });
  int32_t textW = 0;
  for (const std::string& line : box.Lines) textW = std::max(textW, text.Width(line));
  box.Width = std::max({textW, ButtonW, 200 - 2 * Margin}) + 2 * Margin;
  const int32_t textH = int32_t(box.Lines.size()) * box.LineHeight;
  box.Button = SDL_Rect{(box.Width - ButtonW) / 2, Margin + textH + Margin, ButtonW, ButtonH};
  box.Height = box.Button.y + ButtonH + Margin * 3 / 4;
  return box;
}

void Draw(TSurface& s, const TBoxText& text, const TBoxLayout& box) {
  FillRect(s, 0, 0, s.Width, s.Height, RGB(240, 240, 240));
  for (size_t i = 0; i < box.Lines.size(); ++i)
    text.Draw(s, Margin, Margin + int32_t(i) * box.LineHeight, box.Lines[i], RGB(0, 0, 0));
  const SDL_Rect& b = box.Button;
  FillRect(s, b.x, b.y, b.w, b.h, RGB(225, 225, 225));
  FrameRect(s, b.x, b.y, b.w, b.h, RGB(0, 120, 215));
  text.Draw(s, b.x + (b.w - text.Width("OK")) / 2, b.y + (b.h - box.LineHeight) / 2, "OK", RGB(0, 0, 0));
}

void Show(SDL_Renderer* renderer, SDL_Texture* texture, const TSurface& s) {
  void* pixels = nullptr;
  int pitch = 0;
  if (texture != nullptr && SDL_LockTexture(texture, nullptr, &pixels, &pitch) == 0) {
    for (int32_t y = 0; y < s.Height; ++y) {
      auto* dst = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + size_t(y) * size_t(pitch));
      for (int32_t x = 0; x < s.Width; ++x) dst[x] = ExpandPixel(s.Layout, s.Pixel(x, y));
    }
    SDL_UnlockTexture(texture);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
  }
  SDL_RenderPresent(renderer);
}

bool ClosesBox(const SDL_Event& e, uint32_t boxId, const SDL_Rect& button) {
  switch (e.type) {
    case SDL_KEYDOWN:
      // Modal: a key pressed in any of the program's windows goes to the box.
      return e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_KP_ENTER ||
             e.key.keysym.sym == SDLK_ESCAPE || e.key.keysym.sym == SDLK_SPACE;
    case SDL_MOUSEBUTTONUP: {
      const SDL_Point p{e.button.x, e.button.y};
      return e.button.windowID == boxId && e.button.button == SDL_BUTTON_LEFT && SDL_PointInRect(&p, &button);
    }
    case SDL_WINDOWEVENT:
      return e.window.windowID == boxId && e.window.event == SDL_WINDOWEVENT_CLOSE;
    default:
      return false;
  }
}

}  // namespace

void ShowMessageBox(const char* caption, const std::string& text,
                    const std::function<void(const SDL_Event&)>& others) {
  const TBoxText boxText;
  const TBoxLayout box = LayOut(boxText, text);
  SDL_Window* win = SDL_CreateWindow(caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, box.Width,
                                     box.Height, SDL_WINDOW_SHOWN | SDL_WINDOW_ALWAYS_ON_TOP);
  if (win == nullptr) return;
  SDL_ShowCursor(SDL_DISABLE);
  SDL_Renderer* renderer = SDL_CreateRenderer(win, -1, SDL_RENDERER_SOFTWARE);
  SDL_Texture* texture = renderer != nullptr ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                                                 SDL_TEXTUREACCESS_STREAMING, box.Width, box.Height)
                                             : nullptr;
  TSurface surface;
  surface.Allocate(box.Width, box.Height, TPixelLayout::Layout565);
  Draw(surface, boxText, box);
  if (renderer != nullptr) Show(renderer, texture, surface);
  SDL_RaiseWindow(win);
  SDL_FlushEvents(SDL_KEYDOWN, SDL_KEYUP);

  const uint32_t boxId = SDL_GetWindowID(win);
  SDL_Event e;
  while (SDL_WaitEvent(&e)) {
    if (ClosesBox(e, boxId, box.Button)) break;
    if (e.type == SDL_QUIT) {
      SDL_PushEvent(&e);  // the message loop still has to see it
      break;
    }
    if (e.type == SDL_WINDOWEVENT && e.window.windowID == boxId) {
      if (e.window.event == SDL_WINDOWEVENT_EXPOSED && renderer != nullptr) Show(renderer, texture, surface);
      continue;
    }
    if (others && e.type != SDL_KEYDOWN && e.type != SDL_KEYUP) others(e);
  }
  if (texture != nullptr) SDL_DestroyTexture(texture);
  if (renderer != nullptr) SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(win);
}
