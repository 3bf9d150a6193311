// The swarm of 40 additive glows of scene 5.
#include "app/form.h"
#include "app/random.h"

// Shared by the reset and the one renewal in scene 5.
void TForm1::SetGlowStartValues() {
  for (int i = 1; i <= 40; ++i) {
    Glows[i].X = RandomBelow(3) + 270;
    Glows[i].Y = RandomBelow(3) + 190;
    Glows[i].Angle = RandomBelow(720) - 360;
  }
}

void TForm1::DrawGlows(int32_t) {}
