// The vertical text scroller of scene 1 and the hidden scene.
#include "app/form.h"

void TForm1::SetScrollStartValues() {
  for (int n = 1; n <= 80; ++n) {
    ScrollRows[n].Y = 20.0 * n + 2;
    ScrollRows[n].Text = ScrollLines[n];
  }
}

void TForm1::DrawScroller() {}
