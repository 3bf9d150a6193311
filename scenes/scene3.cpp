// Scene 3: the plasma scene. A dark green first frame, the plasma light, a
// computed plasma on every second row of the band, the caption, a red lift
// and the symbol; the beat level decays here between beats.
#include <cmath>

#include "app/form.h"
#include "app/random.h"
#include "music/beat.h"
#include "render/blend.h"
#include "render/plot.h"
#include "scenes/plasma.h"

namespace {

constexpr int ImagePlasmaLight = 7;
constexpr int ImageSymbol = 13;

// Per frame the sines depend only on n and the cosines only on i, so each is
// computed once and looked up per cell; the same inputs give the same doubles,
// so the pixels are those of the cell-by-cell formula.
void PlotPlasmaA(double clock, int32_t R) {
  double s[PlasmaLastN + 1];
  double c[PlasmaLastI + 1];
  for (int32_t n = PlasmaFirstN; n <= PlasmaLastN; ++n) s[n] = std::sin(clock / 1800 * n);
  for (int32_t i = PlasmaFirstI; i <= PlasmaLastI; ++i) c[i] = std::cos(i / 40.0);
  for (int32_t i = PlasmaFirstI; i <= PlasmaLastI; ++i) {
    // (i * i * row) div R down the column without a division per cell: the
    // dividend grows by 2 * i * i per row, so quotient and remainder grow by
    // that step's own quotient and remainder, with at most one carry.
    const int32_t first = PlasmaOddA(i, PlasmaRow(PlasmaFirstJ), 1);
    const int32_t step = 2 * i * i;
    const int32_t stepQ = step / R, stepR = step % R;
    int32_t q = first / R, r = first % R;
    for (int32_t j = PlasmaFirstJ; j <= PlasmaLastJ; ++j) {
      const int32_t row = PlasmaRow(j);
      PlotPixel(2 * i, row, PlasmaEvenA(s[i + j + 13], c[i], LoadBeat(), row));
      PlotPixel(2 * i + 1, row, TColor(q));
      q += stepQ;
      r += stepR;
      if (r >= R) {
        r -= R;
        ++q;
      }
    }
  }
}

void PlotPlasmaB(double clock) {
  double s1[PlasmaLastN + 1];
  double s2[PlasmaLastN + 1];
  double c[PlasmaLastI + 1];
  for (int32_t n = PlasmaFirstN; n <= PlasmaLastN; ++n) {
    s1[n] = std::sin(clock / 10000 * n);
    s2[n] = std::sin(clock / 1800 * n);
  }
  for (int32_t i = PlasmaFirstI; i <= PlasmaLastI; ++i) c[i] = std::cos(i / 30.0);
  for (int32_t i = PlasmaFirstI; i <= PlasmaLastI; ++i) {
    for (int32_t j = PlasmaFirstJ; j <= PlasmaLastJ; ++j) {
      const int32_t row = PlasmaRow(j);
      const int32_t n = i + j + 13;
      const TPlasmaPair p = PlasmaValueB(s1[n], s2[n], c[i], row);
      PlotPixel(2 * i, row, p.Even);
      PlotPixel(2 * i + 1, row, p.Odd);
    }
  }
}

}  // namespace

void PlotPlasma(double clock, int32_t R) {
  if (PlasmaMode(R) == 0)
    PlotPlasmaA(clock, R);
  else
    PlotPlasmaB(clock);
}

void TForm1::RunScene3() {
  TSurface& frame = DXDraw1.Surface;
  // 1. The first frame (the clock not yet advanced) starts from dark green.
  if (Scene3Clock == 1.0) {
    FillSurface(frame, DeviceColor(frame, RGB(0, 70, 0)));
    DXDraw1.SurfaceCanvas().Brush.Style = TBrushStyle::bsClear;
  }
  // 2. The beat fades between sync points; a sync landing after the test is
  // lowered at once.
  if (LoadBeat() > 10) BeatLevel.fetch_sub(10, std::memory_order_relaxed);
  // 3.
  Scene3Clock += TimeStep;
  if (Scene3Clock > 400.0) ++Scene;
  // 4.
  const int32_t R = RoundEven(Scene3Clock);
  // 5. The plasma light, plain or added with a random strength and jitter.
  if (RandomBelow(2) == 0) {
    DrawImage(frame, DXImageList1, ImagePlasmaLight, -60, 150);
  } else {
    const int32_t alpha = RandomBelow(255);
    const int32_t left = RandomBelow(15) - 60;
    DrawImageAdd(frame, DXImageList1, ImagePlasmaLight, SizedRect(left, 150, 605, 120), 0, alpha);
  }
  // 6.-8.
  LockSurface(frame);
  PlotPlasma(Scene3Clock, R);
  UnlockSurface();
  // 9. The caption; the brush stays clear from the first frame and the reset.
  TCanvas& canvas = DXDraw1.SurfaceCanvas();
  canvas.Font.Size = 14;
  canvas.Font.SetName("fixedsys");
  canvas.Font.Color = 0;
  canvas.TextOut(5, 270, "butterbrot mit marmelade");
  DXDraw1.ReleaseCanvas();
  // 10.
  AddToRect(frame, SizedRect(0, 110, 512, 200), TColor(RandomBelow(100) + 50));
  // 11.
  DrawImage(frame, DXImageList1, ImageSymbol, 300, 250);
  // 12.
  DXDraw1.PresentFrame();
}
