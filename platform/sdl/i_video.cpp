#include "platform/sdl/i_video.h"

#include <cstring>

#include "app/form.h"

TDisplayMode NegotiateDesktopMode(bool fullScreen, const TDisplayMode& requested) {
  TDisplayMode mode = requested;
  mode.Pitch = 0;
  if (fullScreen) {
    // The virtual mode: our own 16-bit picture, whatever the monitor runs at.
    mode.BitCount = 16;
    mode.GreenMask = 0x07E0;
    return mode;
  }
  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
    mode.BitCount = 0;
    return mode;
  }
  mode.BitCount = int32_t(SDL_BITSPERPIXEL(desktop.format));
  int bpp = 0;
  Uint32 r = 0, g = 0, b = 0, a = 0;
  const bool masks = SDL_PixelFormatEnumToMasks(desktop.format, &bpp, &r, &g, &b, &a) == SDL_TRUE;
  mode.GreenMask = (mode.BitCount == 16 && masks) ? g : 0x07E0;
  return mode;
}

SDL_Rect FitPicture(int32_t outW, int32_t outH, int32_t frameW, int32_t frameH) {
  if (frameW <= 0 || frameH <= 0 || outW <= 0 || outH <= 0) return SDL_Rect{0, 0, 0, 0};
  int64_t w = outW, h = outH;
  // Compare the shapes by cross-multiplying: wider output -> full height.
  if (int64_t(outW) * frameH >= int64_t(outH) * frameW)
    w = int64_t(outH) * frameW / frameH;
  else
    h = int64_t(outW) * frameH / frameW;
  return SDL_Rect{int((outW - w) / 2), int((outH - h) / 2), int(w), int(h)};
}

uint32_t ExpandPixel(TPixelLayout layout, uint16_t pixel) {
  uint32_t r = 0, g = 0, b = 0;
  if (layout == TPixelLayout::Layout565) {
    const uint32_t r5 = (pixel >> 11) & 31, g6 = (pixel >> 5) & 63, b5 = pixel & 31;
    r = (r5 << 3) | (r5 >> 2);
    g = (g6 << 2) | (g6 >> 4);
    b = (b5 << 3) | (b5 >> 2);
  } else {
    const uint32_t r5 = (pixel >> 10) & 31, g5 = (pixel >> 5) & 31, b5 = pixel & 31;
    r = (r5 << 3) | (r5 >> 2);
    g = (g5 << 3) | (g5 >> 2);
    b = (b5 << 3) | (b5 >> 2);
  }
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

TSdlDisplay::TSdlDisplay() = default;

TSdlDisplay::~TSdlDisplay() { Close(); }

void TSdlDisplay::BuildLookup(TPixelLayout layout) {
  if (!Lookup.empty() && LookupLayout == layout) return;
  Lookup.resize(65536);
  for (uint32_t p = 0; p < 65536; ++p) Lookup[p] = ExpandPixel(layout, uint16_t(p));
  LookupLayout = layout;
}

bool TSdlDisplay::Open(bool fullScreen, const TDisplayMode& requested, TDisplayMode& obtained) {
  Close();
  IsFullScreen = fullScreen;
  Uint32 flags = SDL_WINDOW_SHOWN;
  int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
  int w = requested.Width, h = requested.Height;
  if (fullScreen) {
    // Without a window manager a full-screen flag alone leaves the X window
    // at its created size, so the window is created at the monitor's size.
    SDL_Rect bounds{0, 0, 0, 0};
    if (SDL_GetDisplayBounds(0, &bounds) != 0) return false;
    x = bounds.x;
    y = bounds.y;
    w = bounds.w;
    h = bounds.h;
    flags |= SDL_WINDOW_BORDERLESS;
  }
  Win = SDL_CreateWindow(FormCaption, x, y, w, h, flags);
  if (Win == nullptr) return false;

  obtained = Negotiate(fullScreen, requested);
  FrameW = obtained.Width;
  FrameH = obtained.Height;
  BuildLookup(LayoutFromGreenMask(obtained.GreenMask));

  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  Renderer = SDL_CreateRenderer(Win, -1, 0);
  if (Renderer == nullptr || !CreateTexture()) {
    // A window without anything to draw with: no frame surface.
    obtained.Width = obtained.Height = 0;
    FrameW = FrameH = 0;
  }
  Lost = false;
  return true;
}

bool TSdlDisplay::CreateTexture() {
  if (Texture != nullptr) SDL_DestroyTexture(Texture);
  Texture = nullptr;
  if (Renderer == nullptr || FrameW <= 0 || FrameH <= 0) return false;
  Texture = SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, FrameW, FrameH);
  if (Texture == nullptr) return false;
  SDL_SetTextureScaleMode(Texture, SDL_ScaleModeNearest);
  return true;
}

void TSdlDisplay::Refresh() {
  if (Renderer == nullptr) return;
  SDL_SetRenderDrawColor(Renderer, 0, 0, 0, 255);
  SDL_RenderClear(Renderer);
  if (Texture != nullptr) {
    int outW = 0, outH = 0;
    SDL_GetRendererOutputSize(Renderer, &outW, &outH);
    const SDL_Rect dst = FitPicture(outW, outH, FrameW, FrameH);
    SDL_RenderCopy(Renderer, Texture, nullptr, &dst);
  }
  SDL_RenderPresent(Renderer);
}

void TSdlDisplay::Present(const TSurface& frame) {
  if (Texture == nullptr || frame.Width != FrameW || frame.Height != FrameH || !frame.Exists()) return;
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(Texture, nullptr, &pixels, &pitch) != 0) return;
  if (frame.Layout != LookupLayout) BuildLookup(frame.Layout);
  const uint32_t* lut = Lookup.data();
  for (int32_t y = 0; y < FrameH; ++y) {
    const uint16_t* src = frame.Row(y);
    uint32_t* dst = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + size_t(y) * size_t(pitch));
    for (int32_t x = 0; x < FrameW; ++x) dst[x] = lut[src[x]];
  }
  SDL_UnlockTexture(Texture);
  Refresh();
}

bool TSdlDisplay::TakeLost() {
  const bool lost = Lost;
  Lost = false;
  return lost;
}

void TSdlDisplay::ClearVisible() {
  if (Texture != nullptr) {
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(Texture, nullptr, &pixels, &pitch) == 0) {
      for (int32_t y = 0; y < FrameH; ++y)
        std::memset(static_cast<uint8_t*>(pixels) + size_t(y) * size_t(pitch), 0, size_t(FrameW) * 4);
      SDL_UnlockTexture(Texture);
    }
  }
  Refresh();
}

void TSdlDisplay::HandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_RENDER_DEVICE_RESET:
      // The textures went with the device: make ours anew.
      CreateTexture();
      Lost = true;
      break;
    case SDL_RENDER_TARGETS_RESET:
      Lost = true;
      break;
    case SDL_WINDOWEVENT:
      if (Win != nullptr && event.window.windowID == SDL_GetWindowID(Win) &&
          (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED))
        Refresh();
      break;
    default:
      break;
  }
}

void TSdlDisplay::Close() {
  if (Texture != nullptr) SDL_DestroyTexture(Texture);
  if (Renderer != nullptr) SDL_DestroyRenderer(Renderer);
  if (Win != nullptr) SDL_DestroyWindow(Win);
  Texture = nullptr;
  Renderer = nullptr;
  Win = nullptr;
  FrameW = FrameH = 0;
}
