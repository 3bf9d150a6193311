// The swarm of 40 additive glows of scene 5, circling the middle of the
// screen on loops that grow with the size of their angles.
#include "scenes/glows.h"

#include <cmath>

#include "app/form.h"
#include "app/random.h"
#include "app/rounding.h"
#include "render/blend.h"

TGlowStep GlowStep(double angle, int32_t phase) {
  double dx = std::sin(angle) * angle / 40;
  double dy = std::cos(angle) * angle / 20;
  if (angle != 0.0) {
    const double q = double(phase) / angle;
    dx += std::sin(q);
    dy += std::cos(q);
  }
  return TGlowStep{RoundEven(dx), RoundEven(dy)};
}

// Shared by the reset and the one renewal in scene 5.
void TForm1::SetGlowStartValues() {
  for (int i = 1; i <= 40; ++i) {
    Glows[i].X = RandomBelow(3) + 270;
    Glows[i].Y = RandomBelow(3) + 190;
    Glows[i].Angle = RandomBelow(720) - 360;
  }
}

// One step per call, whatever the frame took: the swarm ignores TimeStep.
void TForm1::DrawGlows(int32_t Phase) {
  for (int i = 1; i <= 40; ++i) {
    TGlow& glow = Glows[i];
    glow.Angle += (RandomBelow(3) + 1) * 0.07;
    const TGlowStep step = GlowStep(glow.Angle, Phase);
    glow.X += step.DX;
    glow.Y += step.DY;
    const int32_t alpha = RandomBelow(60) + 40;
    const int image = RandomBelow(3) + 8;  // biglight, biglight2 or biglight3
    DrawImageAdd(DXDraw1.Surface, DXImageList1, image, SizedRect(glow.X - 80, glow.Y - 70, 100, 100), 0, alpha);
  }
}
