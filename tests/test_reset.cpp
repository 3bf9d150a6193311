// The reset: start values of all show state, the seed from the time of day,
// and the order of the random draws (two per streak, two per spark, three
// per glow), worked out here from the generator's formula.
#include <gtest/gtest.h>

#include <cstring>

#include "app/random.h"
#include "music/beat.h"
#include "platform/fonts/i_fonts.h"
#include "platform/headless/headless_show.h"

namespace {

IFontEngine* SharedFonts() {
  static const std::unique_ptr<IFontEngine> fonts = CreateFontEngine();
  return fonts.get();
}

// The generator, written out: seed := seed * 134775813 + 1, then the high
// 32 bits of seed * n.
struct TGenerator {
  uint32_t Seed;
  int32_t Below(uint32_t n) {
    Seed = Seed * 134775813u + 1u;
    return int32_t((uint64_t(Seed) * n) >> 32);
  }
};

// What a reset must give from a seed.
struct TExpected {
  TStreak Streaks[281];
  TSpark Sparks[80];
  TGlow Glows[41];
  uint32_t SeedAfter;
};

TExpected ExpectedFrom(uint32_t seed) {
  TExpected e{};
  TGenerator g{seed};
  for (int i = 100; i <= 280; ++i) {
    e.Streaks[i].StreakX = g.Below(540) + 1;
    e.Streaks[i].Kind = uint8_t(g.Below(3) + 1);
  }
  for (int i = 1; i <= 79; ++i) {
    e.Sparks[i].TargetX = g.Below(320) + 1;
    e.Sparks[i].TargetY = g.Below(240) + 1;
    e.Sparks[i].Countdown = i;
  }
  for (int i = 1; i <= 40; ++i) {
    e.Glows[i].X = g.Below(3) + 270;
    e.Glows[i].Y = g.Below(3) + 190;
    e.Glows[i].Angle = g.Below(720) - 360;
  }
  e.SeedAfter = g.Seed;
  return e;
}

void ExpectStartValues(const TForm1& f, uint32_t seed) {
  const TExpected e = ExpectedFrom(seed);
  EXPECT_EQ(RandSeed, e.SeedAfter);
  EXPECT_EQ(f.StreakLength, 540);
  for (int i = 100; i <= 280; ++i) {
    EXPECT_EQ(f.Streaks[i].StreakX, e.Streaks[i].StreakX) << "streak " << i;
    EXPECT_EQ(f.Streaks[i].Kind, e.Streaks[i].Kind) << "streak " << i;
  }
  for (int i = 1; i <= 79; ++i) {
    EXPECT_EQ(f.Sparks[i].TargetX, e.Sparks[i].TargetX) << "spark " << i;
    EXPECT_EQ(f.Sparks[i].TargetY, e.Sparks[i].TargetY) << "spark " << i;
    EXPECT_EQ(f.Sparks[i].Countdown, e.Sparks[i].Countdown) << "spark " << i;
  }
  for (int i = 1; i <= 40; ++i) {
    EXPECT_EQ(f.Glows[i].X, e.Glows[i].X) << "glow " << i;
    EXPECT_EQ(f.Glows[i].Y, e.Glows[i].Y) << "glow " << i;
    EXPECT_EQ(f.Glows[i].Angle, e.Glows[i].Angle) << "glow " << i;
  }
  for (int n = 1; n <= 80; ++n) {
    EXPECT_EQ(f.ScrollRows[n].Y, 20.0 * n + 2) << "row " << n;
    EXPECT_EQ(f.ScrollRows[n].Text, ScrollLines[n]) << "row " << n;  // the table itself, not a copy
  }
  EXPECT_EQ(f.FlashClock, 1.0);
  EXPECT_EQ(f.Scene1Clock, 1.0);
  EXPECT_EQ(f.Scene3Clock, 1.0);
  EXPECT_EQ(f.Scene7Clock, 1.0);
  EXPECT_EQ(f.Scene5Position, 0.0);
  EXPECT_EQ(f.Scene5Speed, 1);
  EXPECT_FALSE(f.GlowsRenewed);
  EXPECT_EQ(LoadBeat(), 240);
}

// Moves every piece of state away from its start value.
void Disturb(TForm1& f) {
  for (auto& s : f.Streaks) s = {999.0, 9};
  for (auto& s : f.Sparks) s = {-7, -7, -7.0};
  for (auto& g : f.Glows) g = {-1, -1, 12.5};
  for (auto& r : f.ScrollRows) r = {-500.0, "x"};
  f.StreakLength = 3;
  f.FlashClock = f.Scene1Clock = f.Scene3Clock = f.Scene7Clock = 0.0;
  f.Scene5Position = 1201.0;
  f.Scene5Speed = 3;
  f.GlowsRenewed = true;
  f.DXDraw1.Color = 0x123456;
  StoreBeat(-50);
  RandSeed = 0xDEADBEEF;
}

// Runs the show to its enabled timer with the time of day set.
std::unique_ptr<THeadlessShow> StartedShow(std::vector<std::string> args, uint32_t timeOfDay) {
  auto show = std::make_unique<THeadlessShow>(args, std::nullopt, 0, TPixelLayout::Layout565, SharedFonts());
  show->Host.TimeOfDay = timeOfDay;
  EXPECT_TRUE(show->Start());
  return show;
}

}  // namespace

TEST(ResetShow, StartValuesFromTheTimeOfDaySeed) {
  // 12:34:56.789 UTC gives ((12 * 60 + 34) * 60 + 56) * 1000 + 789.
  const uint32_t timeOfDay = ((12 * 60 + 34) * 60 + 56) * 1000 + 789;
  const struct { uint32_t seed; } cases[] = {{timeOfDay}, {0}, {86'399'999}};
  for (const auto& c : cases) {
    auto show = StartedShow({"-nosound"}, c.seed);
    SCOPED_TRACE(c.seed);
    ExpectStartValues(*show->Form, c.seed);
  }
}

TEST(ResetShow, AnyResetRestoresEverythingAndKeepsTimeStepFrameStartAndMusic) {
  auto show = StartedShow({"-nosound"}, 5000);
  TForm1& f = *show->Form;
  Disturb(f);
  f.TimeStep = 3.25;
  f.FrameStart = 4242;
  f.MusicHandle = 77;  // without sound nothing touches the music
  f.Scene = 6;
  show->Host.TimeOfDay = 6000;
  f.ResetShow();
  ExpectStartValues(f, 6000);
  EXPECT_EQ(f.Scene, 1);
  EXPECT_EQ(f.TimeStep, 3.25);
  EXPECT_EQ(f.FrameStart, 4242u);
  EXPECT_EQ(f.MusicHandle, 77u);
  EXPECT_EQ(f.DXDraw1.Color, 0u);
}

TEST(ResetShow, TwoResetsInTheSameMillisecondGiveIdenticalState) {
  auto show = StartedShow({"-nosound"}, 31'337);
  TForm1& f = *show->Form;
  const TExpected first = ExpectedFrom(31'337);
  std::vector<double> a, b;
  auto capture = [&f](std::vector<double>& out) {
    out.clear();
    for (int i = 100; i <= 280; ++i) out.insert(out.end(), {f.Streaks[i].StreakX, double(f.Streaks[i].Kind)});
    for (int i = 1; i <= 79; ++i)
      out.insert(out.end(), {double(f.Sparks[i].TargetX), double(f.Sparks[i].TargetY), f.Sparks[i].Countdown});
    for (int i = 1; i <= 40; ++i) out.insert(out.end(), {double(f.Glows[i].X), double(f.Glows[i].Y), f.Glows[i].Angle});
    for (int n = 1; n <= 80; ++n) out.push_back(f.ScrollRows[n].Y);
    out.insert(out.end(), {f.FlashClock, f.Scene1Clock, f.Scene3Clock, f.Scene7Clock, f.Scene5Position,
                           double(RandSeed), double(f.Scene)});
  };
  capture(a);
  Disturb(f);
  f.ResetShow();  // the time of day has not moved
  capture(b);
  EXPECT_EQ(a, b);
  EXPECT_EQ(RandSeed, first.SeedAfter);
}

TEST(ResetShow, SetsTheCanvasAndLeavesItsOtherSettings) {
  auto show = StartedShow({"-nosound"}, 1);
  TForm1& f = *show->Form;
  TCanvas& canvas = f.DXDraw1.SurfaceCanvas();
  EXPECT_EQ(canvas.Font.Color, 0xFFFFFFu);
  EXPECT_EQ(canvas.Brush.Style, TBrushStyle::bsClear);
  EXPECT_EQ(canvas.Font.Charset, DEFAULT_CHARSET);
  // A scene changes the canvas; the next reset sets its three settings
  // again, and what a scene set besides carries over.
  canvas.Font.Color = 0x00FF00;
  canvas.Brush.SetColor(0x0000FF);
  canvas.Font.Charset = 2;
  canvas.Font.Size = 20;
  canvas.Font.SetName("verdana");
  canvas.Pen.Mode = TPenMode::pmXor;
  f.ResetShow();
  TCanvas& again = f.DXDraw1.SurfaceCanvas();
  EXPECT_EQ(&again, &canvas);
  EXPECT_EQ(again.Font.Color, 0xFFFFFFu);
  EXPECT_EQ(again.Brush.Style, TBrushStyle::bsClear);
  EXPECT_EQ(again.Font.Charset, DEFAULT_CHARSET);
  EXPECT_EQ(again.Font.Size, 20);
  EXPECT_STREQ(again.Font.Name, "verdana");
  EXPECT_EQ(again.Pen.Mode, TPenMode::pmXor);
  EXPECT_EQ(again.Brush.Color, 0x0000FFu);
}

TEST(ResetShow, FixedSeedReplacesTheTimeOfDayAtEveryReset) {
  THeadlessShow show({"-nosound"}, 12345u, 0, TPixelLayout::Layout565, SharedFonts());
  show.Host.TimeOfDay = 999;
  ASSERT_TRUE(show.Start());
  ExpectStartValues(*show.Form, 12345);
  Disturb(*show.Form);
  show.Host.TimeOfDay = 1000;
  show.Form->ResetShow();
  ExpectStartValues(*show.Form, 12345);
}
