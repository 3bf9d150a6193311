// Scene 5, the feedback scene: the glow swarm is pushed outward from the
// middle every frame, faded (or flashed), crossed by a shimmering XOR
// rectangle and topped by the fire picture. The surface is never cleared.
#include "app/form.h"
#include "app/random.h"
#include "app/rounding.h"
#include "render/blend.h"
#include "scenes/smear.h"

namespace {

constexpr TRect WholeSurface = SizedRect(0, 0, 512, 384);

}  // namespace

void TForm1::RunScene5() {
  TSurface& frame = DXDraw1.Surface;
  Scene5Position += Scene5Speed * TimeStep;
  if (Scene5Position > 1200.0) ++Scene;  // this frame is still drawn in full

  // The phase is the rounded position plus 0 or 2, never plus 1. Unsigned
  // arithmetic keeps an absurd position from overflowing.
  const int32_t p = RoundEven(Scene5Position);
  const int32_t r = RandomBelow(2);
  DrawGlows(int32_t(uint32_t(p) + 2u * uint32_t(r)));

  SmearOutward(frame);

  if (RandomBelow(19) == 0) {
    AddToRect(frame, WholeSurface, RGB(200, 130, 90));  // the flash
  } else if (Scene5Position >= 600.0) {
    SubtractFromRect(frame, WholeSurface, RGB(10, 2, 10));
    // The swarm starts over once, on the first second-half frame without a flash.
    if (!GlowsRenewed) {
      SetGlowStartValues();
      GlowsRenewed = true;
    }
  } else {
    SubtractFromRect(frame, WholeSurface, RGB(10, 20, 30));
  }

  // Setting a colour on the clear brush makes it solid again, so the
  // rectangle's inside is mixed in as well as its outline.
  TCanvas& canvas = DXDraw1.SurfaceCanvas();
  canvas.Pen.Mode = TPenMode::pmXor;
  canvas.Brush.Style = TBrushStyle::bsClear;
  canvas.Pen.Color = 0xFFFFFF;
  canvas.Brush.SetColor(0xFF0000 + RandomBelow(30));
  canvas.RoundRect(180, 150, 430, 220, 50, 60);
  DXDraw1.ReleaseCanvas();

  DrawImage(frame, DXImageList1, 12, 150, 130);  // fire
  DXDraw1.PresentFrame();
}
