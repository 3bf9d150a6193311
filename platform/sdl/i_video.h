// The display on SDL2: a 512 x 384 window on the desktop, or a virtual
// 512 x 384 x 16 full-screen mode shown in a borderless window that covers
// the monitor, with the frame scaled up to the largest 4:3 picture that fits.
#pragma once
#include <SDL.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "render/display.h"

// Decides which mode the display gets. The default reads the desktop; tests
// replace it to imitate hardware that settles for another mode, or offers no
// drawable surface (Width or Height 0).
using TModeNegotiation = std::function<TDisplayMode(bool fullScreen, const TDisplayMode& requested)>;

// What the SDL desktop offers for the requested mode: in full screen the
// virtual mode exactly as requested at 16 bits (5-6-5), in a window the
// requested size at the desktop's real depth.
TDisplayMode NegotiateDesktopMode(bool fullScreen, const TDisplayMode& requested);

// Where a frame of frameW x frameH lands in an output of outW x outH: the
// largest picture of the frame's shape that fits, centred.
SDL_Rect FitPicture(int32_t outW, int32_t outH, int32_t frameW, int32_t frameH);

// The 16-bit pixel of the given layout expanded to ARGB8888, each channel by
// bit replication (5-bit 31 and 6-bit 63 both give 255).
uint32_t ExpandPixel(TPixelLayout layout, uint16_t pixel);

class TSdlDisplay final : public IDisplayDevice {
 public:
  TSdlDisplay();
  ~TSdlDisplay() override;

  TModeNegotiation Negotiate = NegotiateDesktopMode;

  bool Open(bool fullScreen, const TDisplayMode& requested, TDisplayMode& obtained) override;
  void Present(const TSurface& frame) override;
  bool TakeLost() override;
  void ClearVisible() override;
  void Close() override;

  // Handles render resets (lost surfaces) and exposure of the window.
  void HandleEvent(const SDL_Event& event);
  // Shows the picture last presented again (after the window was exposed).
  void Refresh();

  SDL_Window* Window() const { return Win; }
  uint32_t WindowId() const { return Win != nullptr ? SDL_GetWindowID(Win) : 0; }
  bool FullScreen() const { return IsFullScreen; }

 private:
  bool CreateTexture();
  void BuildLookup(TPixelLayout layout);

  SDL_Window* Win = nullptr;
  SDL_Renderer* Renderer = nullptr;
  SDL_Texture* Texture = nullptr;
  int32_t FrameW = 0, FrameH = 0;
  bool IsFullScreen = false;
  bool Lost = false;
  TPixelLayout LookupLayout = TPixelLayout::Layout565;
  std::vector<uint32_t> Lookup;  // 65,536 entries: 16-bit pixel to ARGB8888
};
