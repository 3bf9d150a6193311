// The frame surface: colour conversion, fill, single pixels, rectangle
// copies with their clipping and overlap, and direct plotting.
#include <gtest/gtest.h>

#include <cstring>

#include "render/plot.h"
#include "render/surface.h"

namespace {

// A pattern that gives every pixel of a 512-wide surface its own value.
uint16_t Pattern(int32_t x, int32_t y) { return uint16_t(y * 512 + x) ^ 0x5A5A; }

// A surface with a pitch wider than its rows; the padding bytes hold 0xEE so
// that a write into them shows.
TSurface MakeSurface(int32_t w = 512, int32_t h = 384, int32_t pitch = 0,
                     TPixelLayout layout = TPixelLayout::Layout565) {
  TSurface s;
  s.Allocate(w, h, layout, pitch);
  std::memset(s.Storage.data(), 0xEE, s.Storage.size());
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) s.Row(y)[x] = Pattern(x, y);
  return s;
}

// Counts the padding bytes (past Width pixels of each row) that no longer hold 0xEE.
int PaddingWrites(const TSurface& s) {
  int n = 0;
  for (int32_t y = 0; y < s.Height; ++y) {
    const uint8_t* row = s.Storage.data() + size_t(y) * size_t(s.Pitch);
    for (int32_t b = s.Width * 2; b < s.Pitch; ++b) n += row[b] != 0xEE;
  }
  return n;
}

// Expected result of a copy of the surface s onto itself: every pixel from
// the snapshot taken before the copy.
struct TSnapshot {
  std::vector<uint16_t> Pixels;
  int32_t W;
  explicit TSnapshot(const TSurface& s) : W(s.Width) {
    for (int32_t y = 0; y < s.Height; ++y) Pixels.insert(Pixels.end(), s.Row(y), s.Row(y) + s.Width);
  }
  uint16_t At(int32_t x, int32_t y) const { return Pixels[size_t(y) * size_t(W) + size_t(x)]; }
};

}  // namespace

TEST(DeviceColor, KeepsTheTopBitsOfEachChannelInBothLayouts) {
  TSurface s565, s555;
  s565.Allocate(4, 4, TPixelLayout::Layout565);
  s555.Allocate(4, 4, TPixelLayout::Layout555);
  const struct { TColor rgb; uint32_t want565, want555; } cases[] = {
      {0x000000, 0x0000, 0x0000},
      {0xFFFFFF, 0xFFFF, 0x7FFF},
      {0x0000FF, 0xF800, 0x7C00},  // red: low byte
      {0x00FF00, 0x07E0, 0x03E0},
      {0xFF0000, 0x001F, 0x001F},  // blue: third byte
      // r 0x87 -> 16, g 0x45 -> 17 (6 bits) / 8 (5 bits), b 0x23 -> 4
      {0x234587, (16u << 11) | (17u << 5) | 4u, (16u << 10) | (8u << 5) | 4u},
      // bits above 23 are ignored; 7 keeps nothing in a 5-bit channel, 1 in the 6-bit green
      {0xFF070707, 1u << 5, 0x0000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DeviceColor(s565, c.rgb), c.want565) << std::hex << c.rgb;
    EXPECT_EQ(DeviceColor(s555, c.rgb), c.want555) << std::hex << c.rgb;
  }
  EXPECT_EQ(LayoutFromGreenMask(0x07E0), TPixelLayout::Layout565);
  EXPECT_EQ(LayoutFromGreenMask(0x03E0), TPixelLayout::Layout555);
  EXPECT_EQ(LayoutFromGreenMask(0x0FE0), TPixelLayout::Layout555);
}

TEST(FillSurface, WritesTheLowSixteenBitsRawIntoEveryPixelOnly) {
  TSurface s = MakeSurface(512, 384, 1100);
  FillSurface(s, 0xFFFFFF - 999);
  for (int32_t y = 0; y < 384; ++y)
    for (int32_t x = 0; x < 512; ++x) ASSERT_EQ(s.Pixel(x, y), 0xFFFF - 999) << x << "," << y;
  EXPECT_EQ(PaddingWrites(s), 0);
}

TEST(PutPixel, WritesExactlyOnePixelOnTheSurface) {
  const struct { int32_t x, y; bool on; } cases[] = {
      {0, 0, true}, {511, 383, true}, {512, 0, false}, {0, 384, false}, {-1, 5, false}, {5, -1, false},
      {INT32_MIN, 0, false}, {INT32_MAX, INT32_MAX, false},
  };
  for (const auto& c : cases) {
    TSurface s = MakeSurface(512, 384, 1040);
    const TSnapshot before(s);
    PutPixel(s, c.x, c.y, 0xABCD1234);
    int changed = 0;
    for (int32_t y = 0; y < 384; ++y)
      for (int32_t x = 0; x < 512; ++x) changed += s.Pixel(x, y) != before.At(x, y);
    EXPECT_EQ(changed, c.on ? 1 : 0) << c.x << "," << c.y;
    if (c.on) {
      EXPECT_EQ(s.Pixel(c.x, c.y), 0x1234);
    }
    EXPECT_EQ(PaddingWrites(s), 0);
  }
}

TEST(CopySurfaceRect, SideShiftOntoItselfMovesColumnsWithoutSmearing) {
  TSurface s = MakeSurface(512, 384, 1030);
  const TSnapshot before(s);
  CopySurfaceRect(&s, 258, 0, SizedRect(256, 0, 512, 384), &s, false);
  for (int32_t y = 0; y < 384; ++y)
    for (int32_t x = 0; x < 512; ++x)
      ASSERT_EQ(s.Pixel(x, y), x >= 258 ? before.At(x - 2, y) : before.At(x, y)) << x << "," << y;
  EXPECT_EQ(PaddingWrites(s), 0);
}

TEST(CopySurfaceRect, DownShiftOntoItselfReadsTheWholeSourceFirst) {
  TSurface s = MakeSurface(512, 384, 1030);
  const TSnapshot before(s);
  CopySurfaceRect(&s, 0, 195, SizedRect(0, 192, 512, 384), &s, false);
  for (int32_t y = 0; y < 384; ++y)
    for (int32_t x = 0; x < 512; ++x)
      ASSERT_EQ(s.Pixel(x, y), y >= 195 ? before.At(x, y - 3) : before.At(x, y)) << x << "," << y;
  EXPECT_EQ(PaddingWrites(s), 0);
}

TEST(CopySurface, DiagonalShiftOntoItselfKeepsTheTopRowsAndLeftColumns) {
  TSurface s = MakeSurface(512, 384, 1100);
  const TSnapshot before(s);
  CopySurface(&s, 2, 2, &s, false);
  for (int32_t y = 0; y < 384; ++y)
    for (int32_t x = 0; x < 512; ++x) {
      const uint16_t want = (x >= 2 && y >= 2) ? before.At(x - 2, y - 2) : before.At(x, y);
      ASSERT_EQ(s.Pixel(x, y), want) << x << "," << y;
    }
  EXPECT_EQ(PaddingWrites(s), 0);
}

// Self-copies in all eight directions, opaque and keyed, against the rule
// "as if all of S was read first".
TEST(CopySurfaceRect, OverlappingSelfCopiesInEveryDirection) {
  const int32_t offsets[] = {-3, 0, 3};
  for (bool keyed : {false, true})
    for (int32_t ox : offsets)
      for (int32_t oy : offsets) {
        TSurface s = MakeSurface(64, 48, 200);
        // The key sits on a checkerboard of pixels, so keyed copies skip some.
        const uint16_t key = 0x0F0F;
        s.ColorKey = 0xFFFF0000u | key;  // only the low 16 bits count
        for (int32_t y = 0; y < 48; ++y)
          for (int32_t x = 0; x < 64; ++x)
            if ((x + y) % 3 == 0) s.Row(y)[x] = key;
        const TSnapshot before(s);
        const TRect S = SizedRect(10, 8, 40, 30);
        CopySurfaceRect(&s, S.Left + ox, S.Top + oy, S, &s, keyed);
        for (int32_t y = 0; y < 48; ++y)
          for (int32_t x = 0; x < 64; ++x) {
            uint16_t want = before.At(x, y);
            const int32_t sx = x - ox, sy = y - oy;
            const bool inD = x >= S.Left + ox && x < S.Right + ox && y >= S.Top + oy && y < S.Bottom + oy;
            if (inD && !(keyed && before.At(sx, sy) == key)) want = before.At(sx, sy);
            ASSERT_EQ(s.Pixel(x, y), want) << "keyed " << keyed << " shift " << ox << "," << oy << " at " << x
                                           << "," << y;
          }
        EXPECT_EQ(PaddingWrites(s), 0);
      }
}

// Clipping: each case gives the rectangle of destination pixels that change
// and the source pixel that lands on the destination's top-left of it.
TEST(CopySurfaceRect, ClipsBothRectanglesBySameAmountsInOrder) {
  const struct {
    const char* name;
    int32_t x, y;
    TRect S;
    TRect wantD;        // destination pixels written (empty: nothing)
    int32_t srcX, srcY;  // source pixel for wantD's top-left
  } cases[] = {
      {"inside", 5, 6, SizedRect(1, 2, 10, 8), SizedRect(5, 6, 10, 8), 1, 2},
      {"destination left/top", -3, -2, SizedRect(4, 4, 10, 8), SizedRect(0, 0, 7, 6), 7, 6},
      {"source left/top", 5, 5, SizedRect(-4, -2, 10, 8), SizedRect(9, 7, 6, 6), 0, 0},
      {"both left edges", -3, 0, SizedRect(-5, 0, 10, 4), SizedRect(2, 0, 5, 4), 0, 0},
      {"destination right/bottom", 30, 20, SizedRect(0, 0, 10, 8), SizedRect(30, 20, 2, 4), 0, 0},
      {"source right/bottom", 0, 0, SizedRect(36, 20, 10, 8), SizedRect(0, 0, 4, 4), 36, 20},
      {"x equal to width", 32, 0, SizedRect(0, 0, 4, 4), TRect{}, 0, 0},
      {"x beyond width", 33, 0, SizedRect(0, 0, 4, 4), TRect{}, 0, 0},
      {"y beyond height", 0, 25, SizedRect(0, 0, 4, 4), TRect{}, 0, 0},
      {"wholly left", -20, 0, SizedRect(0, 0, 10, 4), TRect{}, 0, 0},
      {"empty source", 3, 3, SizedRect(5, 5, 0, 4), TRect{}, 0, 0},
      {"source wholly outside", 3, 3, SizedRect(40, 0, 5, 5), TRect{}, 0, 0},
      {"far negative", INT32_MIN, INT32_MIN, SizedRect(0, 0, 10, 10), TRect{}, 0, 0},
  };
  for (const auto& c : cases) {
    // A 32 x 24 destination and a 40 x 24 source of a different pattern.
    TSurface dst = MakeSurface(32, 24, 100);
    TSurface src = MakeSurface(40, 24, 96);
    for (int32_t y = 0; y < 24; ++y)
      for (int32_t x = 0; x < 40; ++x) src.Row(y)[x] = uint16_t(0x8000 | (y << 6) | x);
    const TSnapshot before(dst);
    CopySurfaceRect(&dst, c.x, c.y, c.S, &src, false);
    for (int32_t y = 0; y < 24; ++y)
      for (int32_t x = 0; x < 32; ++x) {
        const bool in = x >= c.wantD.Left && x < c.wantD.Right && y >= c.wantD.Top && y < c.wantD.Bottom;
        const uint16_t want =
            in ? uint16_t(0x8000 | ((c.srcY + y - c.wantD.Top) << 6) | (c.srcX + x - c.wantD.Left)) : before.At(x, y);
        ASSERT_EQ(dst.Pixel(x, y), want) << c.name << " at " << x << "," << y;
      }
    EXPECT_EQ(PaddingWrites(dst), 0) << c.name;
  }
}

TEST(CopySurfaceRect, TransparentSkipsTheSourceKeyAndNoSourceDoesNothing) {
  TSurface dst = MakeSurface(8, 2);
  TSurface src;
  src.Allocate(4, 1, TPixelLayout::Layout565);
  src.ColorKey = 0x0007;
  const uint16_t row[4] = {7, 1, 7, 2};
  std::memcpy(src.Row(0), row, sizeof row);
  const TSnapshot before(dst);
  CopySurface(&dst, 2, 1, &src, true);
  EXPECT_EQ(dst.Pixel(2, 1), before.At(2, 1));
  EXPECT_EQ(dst.Pixel(3, 1), 1);
  EXPECT_EQ(dst.Pixel(4, 1), before.At(4, 1));
  EXPECT_EQ(dst.Pixel(5, 1), 2);
  CopySurface(&dst, 0, 0, &src, false);  // opaque: the key pixels too
  EXPECT_EQ(dst.Pixel(0, 0), 7);
  EXPECT_EQ(dst.Pixel(2, 0), 7);
  const TSnapshot after(dst);
  CopySurface(&dst, 0, 0, nullptr, false);
  CopySurfaceRect(&dst, 0, 0, SizedRect(0, 0, 4, 1), nullptr, false);
  EXPECT_EQ(TSnapshot(dst).Pixels, after.Pixels);
}

TEST(Surface, DisplayWithoutAUsableSizeGivesNoPixels) {
  for (int32_t w : {0, -1, -512}) {
    TSurface s;
    s.Allocate(w, 384, TPixelLayout::Layout565, 1024);
    EXPECT_FALSE(s.Exists());
    FillSurface(s, 1);
    PutPixel(s, 0, 0, 1);
    EXPECT_FALSE(LockSurface(s));
  }
}

TEST(PlotPixel, EdgesAndColourConversion) {
  const struct { int32_t x, y; TColor rgb; TPixelLayout layout; bool on; uint16_t want; } cases[] = {
      {511, 383, 0x00FFFFFF, TPixelLayout::Layout565, true, 0xFFFF},
      {511, 383, 0x00FFFFFF, TPixelLayout::Layout555, true, 0x7FFF},
      {0, 0, 0x01000000, TPixelLayout::Layout565, true, 0x0000},
      {0, 0, 0x01000000, TPixelLayout::Layout555, true, 0x0000},
      {7, 9, 0xFF0000FF, TPixelLayout::Layout565, true, 0xF800},
      {512, 0, 0x00FFFFFF, TPixelLayout::Layout565, false, 0},
      {-1, 5, 0x00FFFFFF, TPixelLayout::Layout565, false, 0},
      {5, 384, 0x00FFFFFF, TPixelLayout::Layout565, false, 0},
      {5, -1, 0x00FFFFFF, TPixelLayout::Layout565, false, 0},
  };
  for (const auto& c : cases) {
    TSurface s = MakeSurface(512, 384, 1100, c.layout);
    const TSnapshot before(s);
    ASSERT_TRUE(LockSurface(s));
    PlotPixel(c.x, c.y, c.rgb);
    UnlockSurface();
    int changed = 0;
    for (int32_t y = 0; y < 384; ++y)
      for (int32_t x = 0; x < 512; ++x) changed += s.Pixel(x, y) != before.At(x, y);
    EXPECT_EQ(changed, c.on ? 1 : 0) << c.x << "," << c.y;
    if (c.on) {
      EXPECT_EQ(s.Pixel(c.x, c.y), c.want) << c.x << "," << c.y;
    }
    EXPECT_EQ(PaddingWrites(s), 0);
  }
}

TEST(PlotPixel, WritesNothingAfterAFailedLockOrUnlock) {
  TSurface good = MakeSurface(16, 16);
  TSurface lost = MakeSurface(16, 16);
  lost.Lost = true;
  const TSnapshot goodBefore(good), lostBefore(lost);
  // A lock left open on one surface must not carry over to a failed lock.
  ASSERT_TRUE(LockSurface(good));
  EXPECT_FALSE(LockSurface(lost));
  PlotPixel(1, 1, 0xFFFFFF);
  UnlockSurface();
  PlotPixel(2, 2, 0xFFFFFF);  // after an unlock
  UnlockSurface();            // a second unlock does nothing
  EXPECT_EQ(TSnapshot(good).Pixels, goodBefore.Pixels);
  EXPECT_EQ(TSnapshot(lost).Pixels, lostBefore.Pixels);
  // The lock records width - 1 and height - 1 and the pitch.
  ASSERT_TRUE(LockSurface(good));
  EXPECT_EQ(DirectPlot.MaxX, 15);
  EXPECT_EQ(DirectPlot.MaxY, 15);
  EXPECT_EQ(DirectPlot.Pitch, good.Pitch);
  UnlockSurface();
}

// Rows longer than any internal chunk, keyed and shifted along themselves.
TEST(CopySurfaceRect, KeyedSideShiftOfLongRows) {
  for (int32_t shift : {-1, 1, -1500, 700}) {
    TSurface s = MakeSurface(3000, 2, 6100);
    s.ColorKey = 0x0F0F;
    for (int32_t x = 0; x < 3000; x += 4) s.Row(1)[x] = 0x0F0F;
    const TSnapshot before(s);
    CopySurfaceRect(&s, shift > 0 ? shift : 0, 1, SizedRect(shift > 0 ? 0 : -shift, 1, 3000, 1), &s, true);
    for (int32_t x = 0; x < 3000; ++x) {
      const int32_t sx = x - shift;
      uint16_t want = before.At(x, 1);
      if (sx >= 0 && sx < 3000 && before.At(sx, 1) != 0x0F0F) want = before.At(sx, 1);
      ASSERT_EQ(s.Pixel(x, 1), want) << "shift " << shift << " at " << x;
      ASSERT_EQ(s.Pixel(x, 0), before.At(x, 0));
    }
    EXPECT_EQ(PaddingWrites(s), 0);
  }
}
