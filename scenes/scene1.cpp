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

namespace {

// The generator k draws ahead: seed_k = Mul[k] * seed + Add[k] (mod 2^32).
struct TJump {
  uint32_t Mul, Add;
};
constexpr TJump Jump(int k) {
  TJump j{1, 0};
  for (int n = 0; n < k; ++n) j = {j.Mul * 134775813u, j.Add * 134775813u + 1u};
  return j;
}
constexpr TJump Ahead1 = Jump(1), Ahead2 = Jump(2), Ahead3 = Jump(3), Ahead4 = Jump(4);

constexpr int32_t Below(uint32_t seed, uint32_t n) { return int32_t((uint64_t(seed) * n) >> 32); }

}  // namespace

// The noise is most of the frame's work, and its cost is the generator's
// chain of dependent multiplications. Two pixels (four draws) are taken per
// step, each seed computed straight from the step's starting seed, so the
// multiplications overlap; the values drawn, their order and the seed left
// behind are exactly those of RandomBelow called for y, then x, 38,401 times.
void PlotNoise(TColor colour) {
  uint32_t seed = RandSeed;
  for (int32_t k = 0; k < 38400; k += 2) {
    const int32_t y1 = Below(Ahead1.Mul * seed + Ahead1.Add, 384);
    const int32_t x1 = Below(Ahead2.Mul * seed + Ahead2.Add, 512);
    const int32_t y2 = Below(Ahead3.Mul * seed + Ahead3.Add, 384);
    seed = Ahead4.Mul * seed + Ahead4.Add;
    const int32_t x2 = Below(seed, 512);
    PlotPixel(x1, y1, colour);
    PlotPixel(x2, y2, colour);
  }
  RandSeed = seed;
  const int32_t y = RandomBelow(384);  // the 38,401st pixel
  const int32_t x = RandomBelow(512);
  PlotPixel(x, y, colour);
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
