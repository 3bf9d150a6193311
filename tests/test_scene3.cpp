// Scene 3: the plasma formulas and their worked values, the plasma's coverage,
// the mode switches, the first-frame fill, the beat decay and the length.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "app/random.h"
#include "music/beat.h"
#include "platform/headless/headless_show.h"
#include "render/plot.h"
#include "scenes/plasma.h"

namespace {

// The sines and cosine of cell (i, j) written out from the formulas.
double SineA(double clock, int32_t n) { return std::sin(clock / 1800 * n); }
double SineB(double clock, int32_t n) { return std::sin(clock / 10000 * n); }
double CosA(int32_t i) { return std::cos(i / 40.0); }
double CosB(int32_t i) { return std::cos(i / 30.0); }

TEST(Plasma, ModeAWorkedValuesAtClock2WithBeat230) {
  const double clock = 2.0;
  const int32_t R = 2, beat = 230;
  // i = 1, j = 40: row 150, n = 54.
  const TPlasmaPair first = PlasmaValueA(SineA(clock, 54), CosA(1), beat, 1, 150, R);
  EXPECT_EQ(first.Even, 19564u);  // RoundEven(83.758 * 230 = 19264.4) + 300
  EXPECT_EQ(first.Odd, 75u);      // 1 * 1 * 150 div 2
  // i = 255, j = 100: row 270, n = 368.
  const TPlasmaPair last = PlasmaValueA(SineA(clock, 368), CosA(255), beat, 255, 270, R);
  EXPECT_EQ(last.Even, 19877u);     // RoundEven(84.074 * 230 = 19337.0) + 540
  EXPECT_EQ(last.Odd, 8778375u);    // 255 * 255 * 270 div 2
}

TEST(Plasma, ModeBWorkedValuesAtClock20) {
  // i = 1, j = 40: row 150, n = 54.
  const TPlasmaPair p = PlasmaValueB(SineB(20.0, 54), SineA(20.0, 54), CosB(1), 150);
  EXPECT_EQ(p.Even, 2310u);   // RoundEven(13.006 * 143 = 1859.9) + 450
  EXPECT_EQ(p.Odd, 39100u);   // RoundEven(15.563 * 243 = 3781.8) + 2550 + 32768
}

TEST(Plasma, AbsoluteValueOnlyOnTheFirstValueOfEachMode) {
  // Mode A with a negative product: |-19264| + 300; the second value has no sign to lose.
  EXPECT_EQ(PlasmaValueA(SineA(2.0, 54), CosA(1), -230, 1, 150, 2).Even, 19564u);
  // Mode B with c = 1 and made-up sines of -20: (5 * 2.58 - 20) * 143 = -1015.3
  // gives |-1015| + 450; (5 * 3 - 20) * 243 = -1215 keeps its sign: -1215 + 2550 + 32768.
  const TPlasmaPair b = PlasmaValueB(-20.0, -20.0, 1.0, 150);
  EXPECT_EQ(b.Even, 1465u);
  EXPECT_EQ(b.Odd, 34103u);
}

TEST(Plasma, OddPixelOfModeATruncates) {
  // 3 * 3 * 152 = 1368; 1368 div 5 = 273 (273.6 truncated).
  EXPECT_EQ(PlasmaValueA(0.0, 1.0, 240, 3, 152, 5).Odd, 273u);
}

TEST(Plasma, ModesTakeTurnsEvery20UnitsOfR) {
  const struct { double clock; int32_t mode; } cases[] = {
      {2.0, 0},  {19.0, 0}, {18.5, 0}, {19.5, 1}, {20.0, 1}, {20.5, 1}, {39.0, 1},
      {39.5, 0}, {40.0, 0}, {59.0, 0}, {60.0, 1}, {400.0, 0}, {401.0, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(PlasmaMode(RoundEven(c.clock)), c.mode) << c.clock;
}

TEST(Plasma, FastRoundingAgreesWithRoundEven) {
  const double values[] = {0.5,         1.5,          2.5,        -2.5,     -3.5,        19264.39,
                           -19264.5,    19265.5,      3781.8,     1e-300,   -0.49999999, 2147483646.5,
                           2147483647.0, 2147483648.0, -2147483649.0, 1e300, std::nan("")};
  for (double v : values) EXPECT_EQ(RoundEvenFast(v), RoundEven(v)) << v;
}

// Plots one frame's plasma into a padded test surface filled with a marker
// and compares every pixel and every padding byte with the cell formulas.
struct TPlasmaCase {
  double clock;
  TPixelLayout layout;
};

class PlasmaCoverage : public ::testing::TestWithParam<TPlasmaCase> {};

TEST_P(PlasmaCoverage, Plots31110PixelsOnEvenRowsFromColumn2) {
  const TPlasmaCase pc = GetParam();
  constexpr uint16_t Marker = 0xA5A5;
  TSurface s;
  s.Allocate(512, 384, pc.layout, 1100);
  std::memset(s.Storage.data(), 0x5A, s.Storage.size());
  FillSurface(s, Marker);
  StoreBeat(230);
  const int32_t R = RoundEven(pc.clock);
  ASSERT_TRUE(LockSurface(s));
  PlotPlasma(pc.clock, R);
  UnlockSurface();

  int plotted = 0;
  for (int32_t y = 0; y < 384; ++y) {
    for (int32_t x = 0; x < 512; ++x) {
      uint32_t want = Marker;
      const bool inBand = y >= 150 && y <= 270 && y % 2 == 0 && x >= 2;
      if (inBand) {
        const int32_t i = x / 2, j = (y - 70) / 2, n = i + j + 13;
        TColor rgb;
        if (PlasmaMode(R) == 0) {
          const int32_t v = RoundEven(((CosA(i) + 14) * 5.58 + SineA(pc.clock, n)) * 230);
          rgb = x % 2 == 0 ? TColor(std::abs(v) + 2 * y) : TColor((i * i * y) / R);
        } else {
          const double c = CosB(i);
          rgb = x % 2 == 0 ? TColor(std::abs(RoundEven(((c + 4) * 2.58 + SineB(pc.clock, n)) * 143)) + 3 * y)
                           : TColor(RoundEven(((c + 4) * 3 + SineA(pc.clock, n)) * 243) + 17 * y + 0x8000);
        }
        want = ConvertColor(pc.layout, rgb);
        ++plotted;
      }
      ASSERT_EQ(s.Pixel(x, y), want) << x << "," << y;
    }
    for (int32_t b = 1024; b < s.Pitch; ++b) ASSERT_EQ(s.Storage[size_t(y) * s.Pitch + b], 0x5A) << y;
  }
  EXPECT_EQ(plotted, 31110);
}

INSTANTIATE_TEST_SUITE_P(ModesAndLayouts, PlasmaCoverage,
                         ::testing::Values(TPlasmaCase{2.0, TPixelLayout::Layout565},
                                           TPlasmaCase{20.0, TPixelLayout::Layout565},
                                           TPlasmaCase{47.0, TPixelLayout::Layout555},
                                           TPlasmaCase{401.0, TPixelLayout::Layout565},
                                           TPlasmaCase{233.5, TPixelLayout::Layout555}));

// The show started at scene 3 without sound, seeded, ticks of no work.
struct Scene3Show {
  THeadlessShow show{{"-scene3", "-nosound"}, 7u};
  Scene3Show() { EXPECT_TRUE(show.Start()); }
  TForm1& form() { return *show.Form; }
  uint16_t& corner() { return form().DXDraw1.Surface.Row(0)[0]; }
};

TEST(Scene3, FirstFrameFillHappensTwiceWhenTheShowStartsAtScene3) {
  Scene3Show s;
  const uint16_t green = uint16_t(DeviceColor(s.form().DXDraw1.Surface, RGB(0, 70, 0)));
  ASSERT_EQ(green, (70 >> 2) << 5);
  const struct { double clockAfter; bool filled; } frames[] = {{1.0, true}, {2.0, true}, {3.0, false}};
  for (const auto& f : frames) {
    s.corner() = 0x1234;  // the corner is drawn by nothing but the fill
    s.show.Tick(0);
    EXPECT_EQ(s.form().Scene3Clock, f.clockAfter);
    EXPECT_EQ(s.corner(), f.filled ? green : 0x1234) << f.clockAfter;
  }
}

TEST(Scene3, OnlyAClockOfExactlyOneFills) {
  Scene3Show s;
  s.form().Scene3Clock = 1.5;
  s.corner() = 0x1234;
  s.show.Tick(0);
  EXPECT_EQ(s.corner(), 0x1234);
}

TEST(Scene3, LastsFourHundredFramesAtTimeStepOne) {
  Scene3Show s;
  s.form().TimeStep = 1.0;
  int frames = 0;
  while (s.form().Scene == 3 && frames < 1000) {
    s.show.Tick(0);
    ++frames;
    if (frames == 399) {
      EXPECT_EQ(s.form().Scene3Clock, 400.0);  // 400.0 does not end the scene
      EXPECT_EQ(s.form().Scene, 3);
    }
  }
  EXPECT_EQ(frames, 400);
  EXPECT_EQ(s.form().Scene3Clock, 401.0);
  EXPECT_EQ(s.form().Scene, 4);
}

TEST(Scene3, BeatDecaysByTenPerFrameDownToTen) {
  Scene3Show s;
  ASSERT_EQ(LoadBeat(), 240);
  for (int k = 1; k <= 30; ++k) {
    s.show.Tick(0);
    EXPECT_EQ(LoadBeat(), std::max(240 - 10 * k, 10)) << k;
  }
  StoreBeat(7);
  s.show.Tick(0);
  EXPECT_EQ(LoadBeat(), 7);
}

TEST(Scene3, DrawsTheLightsCoinItsStrengthAndJitterThenTheBand) {
  Scene3Show s;
  for (int frame = 0; frame < 40; ++frame) {
    const uint32_t before = RandSeed;
    s.show.Tick(0);
    const uint32_t after = RandSeed;
    // Replay: the coin, on 1 the alpha and the left edge, then the band colour.
    RandSeed = before;
    if (RandomBelow(2) == 1) {
      RandomBelow(255);
      RandomBelow(15);
    }
    RandomBelow(100);
    EXPECT_EQ(RandSeed, after) << frame;
    RandSeed = after;
  }
}

}  // namespace
