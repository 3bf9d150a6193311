// The display component: sets up the display, owns the frame surface and its
// canvas, presents frames and restores lost surfaces.
#pragma once
#include <cstdint>

#include "render/canvas.h"
#include "render/imagelist.h"
#include "render/surface.h"

// What a display device actually obtained when it was set up.
struct TDisplayMode {
  int32_t Width = 0;     // frame surface width
  int32_t Height = 0;    // frame surface height
  int32_t BitCount = 0;  // bit count of the current display mode
  uint32_t GreenMask = 0x07E0;
  int32_t Pitch = 0;     // 0 means Width * 2
};

// The platform's side of the display: SDL in the show, a headless one in the
// runner and the tests.
class IDisplayDevice {
 public:
  virtual ~IDisplayDevice() = default;
  // Sets up full screen or a window for the requested mode and reports what
  // it got. False when no usable mode can be set at all.
  virtual bool Open(bool fullScreen, const TDisplayMode& requested, TDisplayMode& obtained) = 0;
  // Copies the whole frame surface, unscaled, to the visible picture.
  virtual void Present(const TSurface& frame) = 0;
  // True once when the visible picture has been lost since the last call
  // (the frame surface and images must then be restored).
  virtual bool TakeLost() = 0;
  // Clears the visible picture to black.
  virtual void ClearVisible() = 0;
  virtual void Close() = 0;
};

enum TDXDrawOption : uint32_t {
  doFullScreen = 1u << 0,
  doSystemMemory = 1u << 1,
  doFlip = 1u << 2,
  do3D = 1u << 3,
  doDirectX7Mode = 1u << 4,
  doRetainedMode = 1u << 5,
  doHardware = 1u << 6,
  doSelectDriver = 1u << 7,
  doZBuffer = 1u << 8,
  doWaitVBlank = 1u << 9,
};

class TDXDraw {
 public:
  uint32_t Options = doFullScreen | doSystemMemory | doFlip | do3D | doDirectX7Mode | doRetainedMode |
                     doHardware | doSelectDriver | doZBuffer;
  TDisplayMode Display{512, 384, 16, 0x07E0, 0};
  int32_t SurfaceWidth = 512, SurfaceHeight = 384;
  TColor Color = 0;  // background colour
  TSurface Surface;  // the frame surface
  TDXImageList* ImageList = nullptr;

  void Attach(IDisplayDevice* device, IFontEngine* fonts) {
    Device = device;
    Fonts = fonts;
  }
  // Sets up the display and the frame surface, fills both black and prepares
  // the images. False when the device could not set any usable mode.
  bool Initialize();
  void Finalize();
  bool Initialized() const { return IsInitialized; }
  // The bit count of the current display mode, as obtained.
  int32_t BitCount() const { return Obtained.BitCount; }

  bool DisplayReady();
  void PresentFrame();

  TCanvas& SurfaceCanvas();
  void ReleaseCanvas() { Canvas.Release(); }

 private:
  bool RestoreIfLost();
  IDisplayDevice* Device = nullptr;
  IFontEngine* Fonts = nullptr;
  TDisplayMode Obtained;
  TCanvas Canvas;
  bool IsInitialized = false;
  bool CanvasCreated = false;
};
