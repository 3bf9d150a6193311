// The vertical text scroller of scene 1 and the hidden scene: 80 rows of
// black text creeping up one column; the rows never wrap.
#include "app/form.h"
#include "scenes/scene_steps.h"

void TForm1::SetScrollStartValues() {
  for (int n = 1; n <= 80; ++n) {
    ScrollRows[n].Y = 20.0 * n + 2;
    ScrollRows[n].Text = ScrollLines[n];
  }
}

void TForm1::DrawScroller() {
  TCanvas& canvas = DXDraw1.SurfaceCanvas();
  canvas.Brush.Style = TBrushStyle::bsClear;
  for (int n = 1; n <= 80; ++n) {
    TScrollRow& row = ScrollRows[n];
    row.Y -= TimeStep;
    const int32_t s = ScrollRowTop(row.Y);
    if (!ScrollRowInView(s)) continue;  // out of view, but it has moved
    // Set again for every row drawn; the other font settings stay as they are.
    canvas.Font.Color = 0;
    canvas.Font.SetName("verdana");
    canvas.Font.Size = 20;
    canvas.TextOut(160, s, row.Text);
  }
  DXDraw1.ReleaseCanvas();
}
