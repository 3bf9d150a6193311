// Scene 7: its length, the orange start, the texts, the grid, the smear
// outward from the middle lines and the fade to black.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/random.h"
#include "platform/fonts/i_fonts.h"
#include "platform/headless/headless_show.h"
#include "scenes/smear.h"

namespace {

uint32_t Advanced(uint32_t seed, int n) {
  for (int i = 0; i < n; ++i) seed = seed * 134775813u + 1u;
  return seed;
}

// A 5-6-5 pixel minus an RGB colour, channel by channel on 8-bit values.
uint16_t Minus(uint16_t p, int r, int g, int b) {
  const int R = std::max(((p >> 11) << 3) - r, 0) >> 3;
  const int G = std::max((((p >> 5) & 63) << 2) - g, 0) >> 2;
  const int B = std::max(((p & 31) << 3) - b, 0) >> 3;
  return uint16_t(R << 11 | G << 5 | B);
}

constexpr uint16_t White = 0xFFFF;
// RGB(200, 100, 10) in 5-6-5: 200 >> 3 = 25, 100 >> 2 = 25, 10 >> 3 = 1.
constexpr uint16_t Orange565 = 25 << 11 | 25 << 5 | 1;
// In 5-5-5: 25, 100 >> 3 = 12, 1.
constexpr uint16_t Orange555 = 25 << 10 | 12 << 5 | 1;

// Column 505 is right of the grid and of every streak, row 10 above the texts.
constexpr int ProbeX = 505, ProbeY = 10;

struct Scene7Fixture : ::testing::Test {
  THeadlessShow Show{{"-nosound", "-scene7"}, 3u};
  TForm1* F = nullptr;
  void SetUp() override {
    ASSERT_TRUE(Show.Start());
    F = Show.Form.get();
    F->TimeStep = 1.0;
  }
  // All streaks at the start and slow: 181 draws, no jump back, nothing on screen.
  void StreaksParked() {
    for (int i = 100; i <= 280; ++i) F->Streaks[i] = TStreak{1.0, 1};
  }
  uint16_t Probe() const { return F->DXDraw1.Surface.Pixel(ProbeX, ProbeY); }
};

}  // namespace

TEST_F(Scene7Fixture, Lasts690FramesAndPresentsTheLast) {
  EXPECT_EQ(F->Scene7Clock, 1.0);
  int frames = 0;
  while (F->Scene == 7 && frames < 5000) {
    const int presented = Show.Display.Presented;
    F->RunScene7();
    ++frames;
    EXPECT_EQ(Show.Display.Presented, presented + 1);
    if (F->Scene7Clock == 690.0) {
      EXPECT_EQ(F->Scene, 7);
    }
  }
  EXPECT_EQ(frames, 690);
  EXPECT_EQ(F->Scene7Clock, 691.0);
  EXPECT_EQ(F->Scene, 8);
}

TEST_F(Scene7Fixture, FillsOrangeWhileTheClockIsBelowTwo) {
  const struct { double clock; bool fills; } cases[] = {{1.0, true}, {1.999, true}, {2.0, false}, {300.0, false}};
  for (const auto& c : cases) {
    FillSurface(F->DXDraw1.Surface, 0);
    F->Scene7Clock = c.clock;
    F->RunScene7();
    EXPECT_EQ(Probe(), c.fills ? Orange565 : 0) << c.clock;
  }
}

TEST(Scene7Show, StartedBySceneOptionFillsOnTheFirstTwoFrames) {
  // The program's first frame runs with TimeStep 0, so the clock is still
  // 1.0 on the second.
  const struct { TPixelLayout layout; uint16_t orange; } layouts[] = {
      {TPixelLayout::Layout565, Orange565}, {TPixelLayout::Layout555, Orange555}};
  for (const auto& l : layouts) {
    THeadlessShow show({"-nosound", "-scene7"}, 8u, 0, l.layout);
    ASSERT_TRUE(show.Start());
    const uint16_t want[] = {l.orange, l.orange, 0, 0};
    for (uint16_t w : want) {
      FillSurface(show.Form->DXDraw1.Surface, 0);
      show.Tick(0);
      EXPECT_EQ(show.Form->DXDraw1.Surface.Pixel(ProbeX, ProbeY), w);
    }
    EXPECT_EQ(show.Form->Scene7Clock, 4.0);  // 1, 1, 2, 3 before the four ticks
  }
}

TEST_F(Scene7Fixture, FadesFromARoundedClockOf640AndEndsBlack) {
  const struct { double start, step; int g; uint8_t scene; } cases[] = {
      {638.0, 1.0, 0, 7},    // 639: no fade yet
      {638.4, 1.0, 0, 7},    // 639.4
      {638.5, 1.0, 5, 7},    // 639.5 rounds to 640
      {639.0, 1.0, 5, 7},    // 640
      {640.6, 1.0, 15, 7},   // 641.6 rounds to 642: e = 3
      {689.0, 1.0, 255, 7},  // 690: black, not yet the end
      {689.6, 1.0, 255, 8},  // 690.6 rounds to 691: 260 is held at 255
      {688.0, 5.0, 255, 8},  // 693: e = 54
  };
  for (const auto& c : cases) {
    F->Scene = 7;
    F->Scene7Clock = c.start;
    F->TimeStep = c.step;
    FillSurface(F->DXDraw1.Surface, White);
    F->RunScene7();
    EXPECT_EQ(Probe(), c.g ? Minus(White, c.g, c.g, c.g) : White) << c.start;
    EXPECT_EQ(F->Scene, c.scene) << c.start;
  }
  // The two ends worked out: g = 5 leaves 243 >> 3 = 30, 247 >> 2 = 61, 30; g = 255 leaves black.
  EXPECT_EQ(Minus(White, 5, 5, 5), 30 << 11 | 61 << 5 | 30);
  EXPECT_EQ(Minus(White, 255, 255, 255), 0);
}

TEST_F(Scene7Fixture, GridSquaresAreSkippedOnlyBeforeTheFade) {
  // A seed whose 25 grid draws (after the streaks' 181) hold at least one 0.
  uint32_t seed = 1;
  auto skips = [](uint32_t s) {
    RandSeed = Advanced(s, 181);
    int n = 0;
    for (int i = 0; i < 25; ++i) n += RandomBelow(9) == 0;
    return n;
  };
  while (skips(seed) == 0) ++seed;
  const struct { double start; int g; } cases[] = {{599.0, 0}, {649.0, 55}};  // e = -39 and 11
  for (const auto& c : cases) {
    StreaksParked();
    F->Scene7Clock = c.start;
    FillSurface(F->DXDraw1.Surface, White);
    RandSeed = seed;
    F->RunScene7();
    EXPECT_EQ(RandSeed, Advanced(seed, 181 + 25));
    RandSeed = Advanced(seed, 181);
    int skipped = 0;
    for (int j = 0; j <= 4; ++j)
      for (int k = 0; k <= 4; ++k) {
        const bool drawn = RandomBelow(9) != 0 || c.g > 0;
        if (j == 4) continue;  // row 4 lies below the surface
        skipped += !drawn;
        uint16_t want = White;
        if (drawn) want = Minus(want, 44 - 10 * k, 40 + 10 * k, 80 - 20 * j);
        if (c.g) want = Minus(want, c.g, c.g, c.g);
        EXPECT_EQ(F->DXDraw1.Surface.Pixel(100 * k + 50, 100 * j + 50), want) << k << "," << j << " at " << c.start;
      }
    if (c.g == 0) {
      EXPECT_GT(skipped, 0);
    }
  }
}

TEST(Smear, PushesOutwardAndLeavesTheSeamInPlace) {
  TSurface s;
  s.Allocate(512, 384, TPixelLayout::Layout565);
  auto pattern = [](int x, int y) { return uint16_t(x * 37 + y * 1009 + 5); };
  for (int y = 0; y < 384; ++y)
    for (int x = 0; x < 512; ++x) s.Row(y)[x] = pattern(x, y);
  SmearOutward(s);
  // Where each pixel comes from: rows up or down by 2, columns left by 2 or
  // right by 1, rows 192-194 and columns 256-257 from themselves.
  auto fromX = [](int x) { return x <= 255 ? x + 2 : x >= 258 ? x - 1 : x; };
  auto fromY = [](int y) { return y <= 191 ? y + 2 : y >= 195 ? y - 2 : y; };
  int mismatches = 0;
  for (int y = 0; y < 384; ++y)
    for (int x = 0; x < 512; ++x) mismatches += s.Pixel(x, y) != pattern(fromX(x), fromY(y));
  EXPECT_EQ(mismatches, 0);
  for (int y : {192, 193, 194}) EXPECT_EQ(s.Pixel(300, y), pattern(299, y));  // only moved sideways
  for (int x : {256, 257}) EXPECT_EQ(s.Pixel(x, 50), pattern(x, 52));       // only moved up
  EXPECT_EQ(s.Pixel(256, 193), pattern(256, 193));
}

namespace {

// Records what the canvas asks of the font engine, character by character.
class TRecordingFonts final : public IFontEngine {
 public:
  explicit TRecordingFonts(std::unique_ptr<IFontEngine> real) : Real(std::move(real)) {}
  struct TUse {
    std::string Name;
    int32_t Size;
    char Ch;
  };
  std::vector<TUse> Uses;
  bool Recording = false;
  TFontMetrics Metrics(const TFont& font) override { return Real->Metrics(font); }
  const TGlyph* Glyph(const TFont& font, uint8_t ch) override {
    if (Recording) Uses.push_back({font.Name, font.Size, char(ch)});
    return Real->Glyph(font, ch);
  }

 private:
  std::unique_ptr<IFontEngine> Real;
};

}  // namespace

TEST(Scene7Texts, WritesTheSymbolTitleAndCreditsInTheirFonts) {
  TRecordingFonts fonts(CreateFontEngine());
  THeadlessShow show({"-nosound", "-scene7"}, 9u, 0, TPixelLayout::Layout565, &fonts);
  ASSERT_TRUE(show.Start());
  fonts.Recording = true;
  show.Form->RunScene7();
  std::string symbol, title, credits;
  for (const auto& u : fonts.Uses) {
    const std::string name = u.Name;
    if (name == "wingdings" && u.Size == 50) symbol += u.Ch;
    else if (name == "fixedsys" && u.Size == 40) title += u.Ch;
    else if (name == "fixedsys" && u.Size == 14) credits += u.Ch;
    else ADD_FAILURE() << "unexpected font " << name << " " << u.Size;
  }
  if (fonts.Uses.empty()) GTEST_SKIP() << "the canvas draws no text yet";
  // Characters the engine is asked for; spaces may or may not be asked.
  auto noSpaces = [](std::string t) {
    t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
    return t;
  };
  EXPECT_EQ(symbol, ":");
  EXPECT_EQ(noSpaces(title), "DRIFTMOSAIC-B");
  EXPECT_EQ(noSpaces(credits), "512kintrobyZUBcode,music:Vardeksupport:jelko");
  if (credits.find(' ') != std::string::npos) {  // two spaces before "support"
    EXPECT_NE(credits.find("Vardek  support"), std::string::npos) << credits;
  }
}
