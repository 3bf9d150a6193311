// Scene 7, the title and credits: light streaks, the texts, a darkening grid
// and an outward smear over an orange start, fading to black at the end.
#include <algorithm>

#include "app/form.h"
#include "app/random.h"
#include "app/rounding.h"
#include "render/blend.h"
#include "scenes/smear.h"

namespace {

constexpr TRect WholeSurface = SizedRect(0, 0, 512, 384);

// Texts are written in white on a clear brush; ":" in the symbol font is a pictogram.
void DrawTitleAndCredits(TDXDraw& draw) {
  TCanvas& canvas = draw.SurfaceCanvas();
  canvas.Brush.Style = TBrushStyle::bsClear;
  canvas.Font.SetName("wingdings");
  canvas.Font.Color = 0xFFFFFF;
  canvas.Font.Size = 50;
  canvas.TextOut(10, 150, ":");
  canvas.Font.Size = 40;
  canvas.Font.SetName("fixedsys");
  canvas.TextOut(80, 151, "DRIFTMOSAIC-B");
  canvas.Font.Size = 14;
  canvas.TextOut(95, 210, "512k intro by ZUB");
  canvas.TextOut(85, 230, "code, music: Vardek  support: jelko");
  draw.ReleaseCanvas();
}

// A 5 x 5 grid of tinted darkening squares. Before the fade each square is
// left out with a chance of 1 in 9; once the fade is on, all are drawn.
void DarkenGrid(TSurface& frame, bool fading) {
  for (int32_t j = 0; j <= 4; ++j)
    for (int32_t k = 0; k <= 4; ++k) {
      const int32_t c = RandomBelow(9);
      if (c != 0 || fading)
        SubtractFromRect(frame, SizedRect(100 * k, 100 * j, 100, 100), RGB(44 - 10 * k, 40 + 10 * k, 80 - 20 * j));
    }
}

// The fade level for e = rounded clock - 639: 5 per unit, held at 255 so a
// last frame past 690.5 stays black instead of wrapping to a faint grey.
int32_t FadeLevel(int32_t e) { return e >= 51 ? 255 : 5 * e; }

}  // namespace

void TForm1::RunScene7() {
  TSurface& frame = DXDraw1.Surface;
  // Tested before the advance: the first frame (two under "-scene7", whose
  // first frame runs with TimeStep 0) starts from orange.
  if (Scene7Clock < 2.0) FillSurface(frame, DeviceColor(frame, RGB(200, 100, 10)));
  DrawStreaks();
  Scene7Clock += TimeStep;
  if (Scene7Clock > 690.0) ++Scene;  // this frame is still drawn in full
  const int32_t e = RoundEven(Scene7Clock) - 639;
  const bool fading = e >= 1;

  DrawTitleAndCredits(DXDraw1);
  DarkenGrid(frame, fading);
  SmearOutward(frame);
  if (fading) {
    const int32_t g = FadeLevel(e);
    SubtractFromRect(frame, WholeSurface, RGB(g, g, g));
  }
  DXDraw1.PresentFrame();
}
