// Scene 1: the opening scene. Beat-tinted noise, the scroller, 79 sparks with
// mirrored glows, a red band, and the whole frame copied two pixels down and
// right so that everything leaves trails.
#include <cmath>

#include "app/form.h"
#include "app/random.h"
#include "music/beat.h"
#include "render/blend.h"
#include "render/plot.h"
#include "scenes/scene_steps.h"

namespace {

constexpr int ImageBigLight = 8;  // and 9, "biglight2"

struct TPoint {
  int32_t X, Y;
};

}  // namespace

void TForm1::SetSparkStartValues() {
  for (int i = 1; i <= 79; ++i) {
    Sparks[i].TargetX = RandomBelow(320) + 1;
    Sparks[i].TargetY = RandomBelow(240) + 1;
    Sparks[i].Countdown = i;
  }
}

void PlotNoise(TColor colour) {
  for (int32_t k = 0; k <= 38400; ++k) {
    const int32_t y = RandomBelow(384);
    const int32_t x = RandomBelow(512);
    PlotPixel(x, y, colour);
  }
}

void TForm1::RunScene1() {
  TSurface& frame = DXDraw1.Surface;
  // 1.-4. One coin per frame picks the plain or the beat-tinted colour.
  const int32_t coin = RandomBelow(2);
  const TColor colour = NoiseColour(coin, LoadBeat());
  LockSurface(frame);
  PlotNoise(colour);
  UnlockSurface();
  // 5.-6.
  Scene1Clock += TimeStep;
  if (Scene1Clock > 630.0) ++Scene;
  const int32_t R = RoundEven(Scene1Clock);
  // 7.
  DrawScroller();
  // 8. Sparks: each flies from its anchors towards its target, re-aiming on
  // a spiral that widens with the clock when its countdown runs out.
  const double c = Scene1Clock;
  const int32_t A = RoundEven(std::atan(c) * c);
  for (int i = 1; i <= 79; ++i) {
    TSpark& spark = Sparks[i];
    if (spark.Countdown > 1.0) {
      spark.Countdown -= TimeStep;
    } else {
      spark.Countdown = 79.0;
      spark.TargetX = RoundEven(std::sin(c) * c * 6.0);
      spark.TargetY = RoundEven(std::cos(c) * c * 6.0);
    }
    int32_t d = RoundEven(spark.Countdown);
    if (d < 1) d = 1;
    const int32_t ox = spark.TargetX / d;
    const int32_t oy = spark.TargetY / d;
    const TPoint points[3] = {{A + ox, A + oy}, {R + ox, R + oy}, {ox, oy + R / 2}};
    if (!(points[2].Y > 0 && points[0].X > 0)) continue;
    // Each glow and its mirror image about the line y = R / 2.
    for (const TPoint& p : points) {
      const int g = RandomBelow(2) + ImageBigLight;
      DrawImageAdd(frame, DXImageList1, g, SizedRect(p.X, p.Y, 8, 8), 0, 255);
      DrawImageAdd(frame, DXImageList1, g, SizedRect(p.X, R - p.Y, 8, 8), 0, 255);
    }
  }
  // 9. A random band touched with red.
  const int32_t h = RandomBelow(300);
  const int32_t w = RandomBelow(300);
  const int32_t t = RandomBelow(100);
  const int32_t l = RandomBelow(100);
  AddToRect(frame, SizedRect(l, t, 512 - w, 384 - h), TColor(RandomBelow(40) + 10));
  // 10. Trails.
  CopySurface(&frame, 2, 2, &frame, false);
  // 11.
  DXDraw1.PresentFrame();
}
