// Scenes 2, 4 and 6: a little over half a second of flickering near-white.
#include "app/form.h"
#include "app/random.h"

void TForm1::RunFlash() {
  FlashClock += TimeStep;
  if (FlashClock > 14.0) {
    FlashClock = 0.0;
    ++Scene;
  }
  // A raw device colour: only its low 16 bits, 0xFFFF - r, reach the pixels.
  const int32_t r = RandomBelow(1000);
  FillSurface(DXDraw1.Surface, 0xFFFFFFu - uint32_t(r));
  DXDraw1.PresentFrame();
}
