// The scroller: the text table, the rows' start values and movement, the
// window in which a row is drawn, and what it leaves on the canvas.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/headless/headless_show.h"
#include "scenes/scene_steps.h"

namespace {

TEST(ScrollLines, EightyRowsWithTheEmptyRowsInTheirPlaces) {
  const int empty[] = {10, 15, 20, 24, 29, 33, 34, 36, 37, 38, 40, 41, 42, 43, 44, 50, 52, 53, 55,
                       58, 62, 63, 65, 66, 69, 71, 74, 76, 77, 78, 80};
  bool isEmpty[81] = {};
  for (int n : empty) isEmpty[n] = true;
  for (int n = 1; n <= 80; ++n) {
    const std::string text = ScrollLines[n];
    EXPECT_EQ(text.empty(), isEmpty[n]) << n;
    if (!text.empty()) {
      EXPECT_NE(text.front(), ' ') << n;
      EXPECT_NE(text.back(), ' ') << n;
    }
  }
  const struct { int n; const char* text; } samples[] = {
      {1, "still"}, {8, "predictable"}, {12, "that minimalisms"}, {23, "nor you money"},
      {26, "010111110101000110"}, {47, "some sort of hidden part"}, {56, "all dudes @ #quarzlab"},
      {67, "don't forget to check out"}, {73, "of ideas for this scroll text"},
      {79, "wir lieben euch alle ;-)"},
  };
  for (const auto& s : samples) EXPECT_STREQ(ScrollLines[s.n], s.text) << s.n;
  EXPECT_EQ(std::string(ScrollLines[68]).rfind("www.", 0), 0u);  // the makers' web address
}

TEST(ScrollWindow, RowsBetweenMinus20And370ExclusiveAreDrawn) {
  const struct { double y; int32_t top; bool inView; } cases[] = {
      {9.0, 369, true},   {9.5, 370, false},  {8.5, 368, true},   {10.0, 370, false},
      {-379.0, -19, true}, {-379.5, -20, false}, {-380.0, -20, false}, {-378.5, -18, true},
      {22.0, 382, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ScrollRowTop(c.y), c.top) << c.y;
    EXPECT_EQ(ScrollRowInView(ScrollRowTop(c.y)), c.inView) << c.y;
  }
}

// Every character a solid 6 x 10 block from the text's top, so that drawn
// rows show as black boxes.
class TBlockFonts final : public IFontEngine {
 public:
  TBlockFonts() { std::memset(Bits, 1, sizeof Bits); }
  TFontMetrics Metrics(const TFont&) override { return {10, 12}; }
  const TGlyph* Glyph(const TFont&, uint8_t) override { return &Block; }

 private:
  uint8_t Bits[60];
  TGlyph Block{0, 10, 6, 10, 7, Bits};
};

struct ScrollerShow {
  TBlockFonts fonts;
  THeadlessShow show{{"-nosound"}, 3u, 0, TPixelLayout::Layout565, &fonts};
  ScrollerShow() {
    EXPECT_TRUE(show.Start());
    show.Form->TimeStep = 1.0;
  }
  TForm1& form() { return *show.Form; }
  // The topmost row holding a black pixel, or -1.
  int32_t TopInk() {
    const TSurface& f = form().DXDraw1.Surface;
    for (int32_t y = 0; y < f.Height; ++y)
      for (int32_t x = 0; x < f.Width; ++x)
        if (f.Pixel(x, y) == 0) return y;
    return -1;
  }
};

TEST(Scroller, StartValuesAndMovementByTimeStep) {
  ScrollerShow s;
  EXPECT_EQ(s.form().ScrollRows[1].Y, 22.0);
  EXPECT_EQ(s.form().ScrollRows[80].Y, 1602.0);
  EXPECT_STREQ(s.form().ScrollRows[68].Text, ScrollLines[68]);
  s.form().TimeStep = 2.5;
  s.form().DrawScroller();
  for (int n = 1; n <= 80; ++n) EXPECT_EQ(s.form().ScrollRows[n].Y, 20.0 * n + 2 - 2.5) << n;
}

TEST(Scroller, RowOneFirstShowsOnTheThirteenthCall) {
  ScrollerShow s;
  TSurface& frame = s.form().DXDraw1.Surface;
  FillSurface(frame, 0xFFFF);
  for (int call = 1; call <= 12; ++call) s.form().DrawScroller();
  EXPECT_EQ(s.form().ScrollRows[1].Y, 10.0);  // s = 370: not yet
  EXPECT_EQ(s.TopInk(), -1);
  s.form().DrawScroller();
  EXPECT_EQ(s.TopInk(), 369);
  EXPECT_EQ(frame.Pixel(160, 369), 0);  // the text starts at x = 160
  EXPECT_EQ(frame.Pixel(159, 369), 0xFFFF);
}

TEST(Scroller, YOfNineAndAHalfRoundsToTenAndIsNotDrawn) {
  ScrollerShow s;
  TSurface& frame = s.form().DXDraw1.Surface;
  FillSurface(frame, 0xFFFF);
  s.form().ScrollRows[1].Y = 10.5;
  s.form().DrawScroller();  // 9.5 -> 10 -> s = 370
  EXPECT_EQ(s.TopInk(), -1);
  s.form().DrawScroller();  // 8.5 -> 8 -> s = 368
  EXPECT_EQ(s.TopInk(), 368);
}

TEST(Scroller, SetsTheFontOnlyForRowsItDraws) {
  ScrollerShow s;
  TCanvas& canvas = s.form().DXDraw1.SurfaceCanvas();
  canvas.Font.SetName("arial");
  canvas.Font.Size = 9;
  canvas.Font.Color = 0xFFFFFF;
  canvas.Brush.Style = TBrushStyle::bsSolid;
  s.form().DrawScroller();  // no row in view yet
  EXPECT_STREQ(canvas.Font.Name, "arial");
  EXPECT_EQ(canvas.Font.Size, 9);
  EXPECT_EQ(canvas.Font.Color, 0xFFFFFFu);
  EXPECT_EQ(canvas.Brush.Style, TBrushStyle::bsClear);
  EXPECT_FALSE(canvas.HasContext());
  for (int call = 2; call <= 13; ++call) s.form().DrawScroller();
  EXPECT_STREQ(canvas.Font.Name, "verdana");
  EXPECT_EQ(canvas.Font.Size, 20);
  EXPECT_EQ(canvas.Font.Color, 0u);
  EXPECT_EQ(canvas.Font.Charset, DEFAULT_CHARSET);  // left as the reset set it
  EXPECT_FALSE(canvas.HasContext());
}

TEST(Scroller, RowsNeverWrap) {
  ScrollerShow s;
  s.form().TimeStep = 50.0;
  for (int call = 0; call < 60; ++call) s.form().DrawScroller();  // 3000 units: all rows past the top
  FillSurface(s.form().DXDraw1.Surface, 0xFFFF);
  s.form().DrawScroller();
  EXPECT_EQ(s.TopInk(), -1);
  EXPECT_EQ(s.form().ScrollRows[80].Y, 1602.0 - 61 * 50.0);
}

}  // namespace
