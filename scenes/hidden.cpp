// The hidden scene, reached only by "-scene0"; it never ends by itself.
// A sprinkle of coloured pixels, the rest of the scroll text, an outward
// smear and a red band, each frame drawn over the one before.
#include "app/form.h"
#include "app/random.h"
#include "render/blend.h"
#include "render/plot.h"
#include "scenes/scene_steps.h"

void PlotSprinkle() {
  for (int32_t k = 1; k <= 4000; ++k) {
    const TColor c = TColor(RandomBelow(0x800000));
    const int32_t y = RandomBelow(384);
    const int32_t x = RandomBelow(512);
    PlotPixel(x, y, c);
  }
}

void SmearHidden(TSurface& frame) {
  CopySurfaceRect(&frame, 0, 0, SizedRect(0, 2, 512, 192), &frame, false);
  CopySurfaceRect(&frame, 0, 195, SizedRect(0, 192, 512, 384), &frame, false);
  CopySurfaceRect(&frame, 0, 0, SizedRect(2, 0, 256, 384), &frame, false);
  CopySurfaceRect(&frame, 258, 0, SizedRect(256, 0, 512, 384), &frame, false);
}

void TForm1::RunHiddenScene() {
  TSurface& frame = DXDraw1.Surface;
  LockSurface(frame);
  PlotSprinkle();
  UnlockSurface();
  DrawScroller();
  SmearHidden(frame);
  // The band always covers columns 140 to 353, whatever the draws.
  const int32_t w = RandomBelow(100);
  const int32_t b = RandomBelow(100);
  AddToRect(frame, SizedRect(140 - b, 0, 412 - w, 384), TColor(RandomBelow(9) + 105));
  DXDraw1.PresentFrame();
}
