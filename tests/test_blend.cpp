// Blending colours and images into the frame: the cases the scenes rely on,
// with values worked out by hand from the channel rules.
#include <gtest/gtest.h>

#include <vector>

#include "render/blend.h"

namespace {

constexpr TPixelLayout L565 = TPixelLayout::Layout565, L555 = TPixelLayout::Layout555;

uint16_t Pack565(int r, int g, int b) { return uint16_t((r << 11) | (g << 5) | b); }
uint16_t Pack555(int r, int g, int b) { return uint16_t((r << 10) | (g << 5) | b); }

TSurface Frame(TPixelLayout layout, uint16_t fill) {
  TSurface f;
  f.Allocate(512, 384, layout);
  FillSurface(f, fill);
  return f;
}

// Pixels that differ from a frame filled with one value.
int CountChanged(const TSurface& f, uint16_t fill) {
  int n = 0;
  for (int y = 0; y < f.Height; ++y)
    for (int x = 0; x < f.Width; ++x) n += f.Pixel(x, y) != fill;
  return n;
}

TEST(AddAndSubtract, ChannelStepsOfSmallColours) {
  struct Case {
    TPixelLayout layout;
    bool add;
    TColor colour;
    uint16_t before, after;
  };
  const Case cases[] = {
      // Adding RGB(10, 2, 10) to a full pixel: already at the top.
      {L565, true, RGB(10, 2, 10), Pack565(31, 63, 31), Pack565(31, 63, 31)},
      // 10 >> 3 = 1 on the 5-bit channels, 2 >> 2 = 0 on the 6-bit green.
      {L565, true, RGB(10, 2, 10), Pack565(3, 3, 3), Pack565(4, 3, 4)},
      // Subtracting it: ceil(10 / 8) = 2, ceil(2 / 4) = 1 take red 1, green 1, blue 2 to 0.
      {L565, false, RGB(10, 2, 10), Pack565(1, 1, 2), 0},
      {L565, false, RGB(10, 2, 10), Pack565(9, 9, 9), Pack565(7, 8, 7)},
      // 555: ceil(2 / 8) = 1 on green too.
      {L555, false, RGB(10, 2, 10), Pack555(9, 9, 9), Pack555(7, 8, 7)},
      // Red 1 takes one step down; red 7 added changes nothing.
      {L565, false, RGB(1, 0, 0), Pack565(17, 40, 9), Pack565(16, 40, 9)},
      {L555, false, RGB(1, 0, 0), Pack555(1, 30, 9), Pack555(0, 30, 9)},
      {L565, true, RGB(7, 0, 0), Pack565(17, 40, 9), Pack565(17, 40, 9)},
      {L555, true, RGB(7, 7, 7), Pack555(17, 20, 9), Pack555(17, 20, 9)},
      // Green 3 is below one 6-bit step; 4 is one step.
      {L565, true, RGB(0, 3, 0), Pack565(0, 10, 0), Pack565(0, 10, 0)},
      {L565, true, RGB(0, 4, 0), Pack565(0, 10, 0), Pack565(0, 11, 0)},
      // Saturation at the top and at zero, channel by channel.
      {L565, true, RGB(255, 255, 255), Pack565(1, 2, 3), Pack565(31, 63, 31)},
      {L565, false, RGB(255, 255, 255), Pack565(31, 63, 31), 0},
      {L555, true, RGB(80, 0, 200), Pack555(25, 5, 10), Pack555(31, 5, 31)},
      // 555: bit 15 is no channel and is written as 0.
      {L555, true, RGB(8, 0, 0), uint16_t(0x8000 | Pack555(1, 2, 3)), Pack555(2, 2, 3)},
      {L555, false, RGB(8, 0, 0), uint16_t(0x8000 | Pack555(1, 2, 3)), Pack555(0, 2, 3)},
  };
  for (const Case& c : cases) {
    TSurface f = Frame(c.layout, c.before);
    (c.add ? AddToRect : SubtractFromRect)(f, SizedRect(10, 10, 20, 20), c.colour);
    EXPECT_EQ(f.Pixel(15, 15), c.after) << std::hex << "colour 0x" << c.colour << " on 0x" << c.before;
    EXPECT_EQ(f.Pixel(9, 15), c.before);
  }
}

TEST(AddAndSubtract, RepeatedSubtractionReachesBlack) {
  TSurface f = Frame(L565, 0xFFFF);
  for (int k = 0; k < 62; ++k) SubtractFromRect(f, TRect{0, 0, 512, 384}, RGB(1, 1, 1));
  EXPECT_EQ(f.Pixel(0, 0), Pack565(0, 1, 0));  // 31 frames for 5 bits, 63 for the green
  SubtractFromRect(f, TRect{0, 0, 512, 384}, RGB(1, 1, 1));
  EXPECT_EQ(f.Pixel(511, 383), 0);
}

TEST(AddAndSubtract, ZeroColoursAndEmptyOrOffSurfaceRectanglesChangeNothing) {
  const uint16_t fill = Pack565(9, 9, 9);
  const struct {
    TRect rect;
    TColor colour;
  } cases[] = {
      {TRect{0, 0, 512, 384}, 0x1000000},  // nothing in the low 24 bits
      {TRect{0, 0, 512, 384}, 0},
      {SizedRect(400, 400, 100, 100), RGB(8, 8, 8)},  // below the surface
      {SizedRect(-200, 10, 200, 10), RGB(8, 8, 8)},   // ends where the surface starts
      {TRect{10, 10, 10, 50}, RGB(8, 8, 8)},          // no width
      {TRect{10, 50, 40, 20}, RGB(8, 8, 8)},          // upside down
      {TRect{512, 0, 600, 384}, RGB(8, 8, 8)},
  };
  for (const auto& c : cases) {
    TSurface f = Frame(L565, fill);
    AddToRect(f, c.rect, c.colour);
    SubtractFromRect(f, c.rect, c.colour);
    EXPECT_EQ(CountChanged(f, fill), 0) << c.rect.Left << "," << c.rect.Top << "," << c.rect.Right << "," << c.rect.Bottom;
  }
}

TEST(AddAndSubtract, ClipsToTheSurface) {
  const uint16_t fill = Pack565(9, 9, 9);
  TSurface f = Frame(L565, fill);
  SubtractFromRect(f, SizedRect(400, 300, 100, 100), RGB(8, 0, 0));
  EXPECT_EQ(CountChanged(f, fill), 100 * 84);  // columns 400-499, rows 300-383
  EXPECT_EQ(f.Pixel(400, 300), Pack565(8, 9, 9));
  EXPECT_EQ(f.Pixel(499, 383), Pack565(8, 9, 9));
  EXPECT_EQ(f.Pixel(500, 383), fill);
  EXPECT_EQ(f.Pixel(400, 299), fill);
  TSurface g = Frame(L555, fill);
  AddToRect(g, TRect{-50, -60, 3, 2}, RGB(8, 8, 8));
  EXPECT_EQ(CountChanged(g, fill), 3 * 2);
}

// ---- image drawing ----

TDXImageList ListWith(int index, const TSurface& image, bool transparent) {
  TDXImageList list;
  list.Items[size_t(index)].Surface = image;
  list.Items[size_t(index)].Transparent = transparent;
  list.Prepared = true;
  return list;
}

// An image whose pixels tell where they came from: column x (or row y) is
// written as red 1 + x / 31 and blue 1 + x % 31, with full green as a mark.
// At alpha 255 onto black a 5-bit channel c arrives as floor(c * 255 / 256) = c - 1.
TSurface CodedImage(TPixelLayout layout, int w, int h, bool byRow) {
  TSurface img;
  img.Allocate(w, h, layout);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int v = byRow ? y : x;
      img.Row(y)[x] = layout == L565 ? Pack565(1 + v / 31, 63, 1 + v % 31) : Pack555(1 + v / 31, 31, 1 + v % 31);
    }
  return img;
}

// The image coordinate seen at each frame pixel of row y (or column x) from x0 (y0) on; -1 where nothing was drawn.
std::vector<int> Sampled(TPixelLayout layout, int w, int h, TRect D, bool byRow, int line, int from, int count) {
  TSurface f = Frame(layout, 0);
  DrawImageAdd(f, ListWith(9, CodedImage(layout, w, h, byRow), false), 9, D, 0, 255);
  std::vector<int> out;
  for (int k = from; k < from + count; ++k) {
    const uint16_t p = byRow ? f.Pixel(line, k) : f.Pixel(k, line);
    const int r = layout == L565 ? p >> 11 : (p >> 10) & 31, g = (p >> 5) & (layout == L565 ? 63 : 31), b = p & 31;
    out.push_back(g == 0 ? -1 : r * 31 + b);
  }
  return out;
}

std::vector<int> Steps(int first, int step, int count) {
  std::vector<int> v;
  for (int k = 0; k < count; ++k) v.push_back(first + k * step);
  return v;
}

TEST(DrawImageAdd, SamplesTheImageByFloorOfSixteenSixteenSteps) {
  for (TPixelLayout layout : {L565, L555}) {
    // 100 x 100 into 100 x 100: one to one.
    EXPECT_EQ(Sampled(layout, 100, 100, SizedRect(30, 40, 100, 100), false, 50, 30, 100), Steps(0, 1, 100));
    EXPECT_EQ(Sampled(layout, 100, 100, SizedRect(30, 40, 100, 100), true, 60, 40, 100), Steps(0, 1, 100));
    // 20 x 10: sx = 327680, sy = 655360, columns 0, 5, ..., 95 and rows 0, 10, ..., 90.
    EXPECT_EQ(Sampled(layout, 100, 100, SizedRect(200, 100, 20, 10), false, 105, 200, 20), Steps(0, 5, 20));
    EXPECT_EQ(Sampled(layout, 100, 100, SizedRect(200, 100, 20, 10), true, 210, 100, 10), Steps(0, 10, 10));
    // 8 x 8: sx = sy = 819200.
    const std::vector<int> eighths = {0, 12, 25, 37, 50, 62, 75, 87};
    EXPECT_EQ(Sampled(layout, 100, 100, SizedRect(7, 9, 8, 8), false, 12, 7, 8), eighths);
    EXPECT_EQ(Sampled(layout, 100, 100, SizedRect(7, 9, 8, 8), true, 10, 9, 8), eighths);
    // Cut at the left: frame columns 0-9 receive image columns 50, 55, ..., 95.
    EXPECT_EQ(Sampled(layout, 100, 100, SizedRect(-10, 100, 20, 10), false, 100, 0, 11),
              (std::vector<int>{50, 55, 60, 65, 70, 75, 80, 85, 90, 95, -1}));
    // Cut at the top by 3 rows of a 20 x 10 stretch: rows 30, 40, ..., 90.
    EXPECT_EQ(Sampled(layout, 100, 100, SizedRect(5, -3, 20, 10), true, 5, 0, 8),
              (std::vector<int>{30, 40, 50, 60, 70, 80, 90, -1}));
    // Larger than the image: pixels repeat (3 wide into 7: 0 0 0 1 1 2 2).
    EXPECT_EQ(Sampled(layout, 3, 3, SizedRect(0, 0, 7, 7), false, 0, 0, 8),
              (std::vector<int>{0, 0, 0, 1, 1, 2, 2, -1}));
  }
}

TEST(DrawImageAdd, NothingIsDrawnWhollyOffTheFrameOrIntoEmptyRectangles) {
  const TDXImageList list = ListWith(8, CodedImage(L565, 100, 100, false), false);
  const TRect cases[] = {SizedRect(-70, 100, 20, 10), SizedRect(512, 0, 20, 10), SizedRect(0, 384, 20, 10),
                         SizedRect(0, -10, 20, 10),   TRect{5, 5, 5, 50},          TRect{5, 50, 40, 5}};
  for (const TRect& d : cases) {
    TSurface f = Frame(L565, 0);
    DrawImageAdd(f, list, 8, d, 0, 255);
    EXPECT_EQ(CountChanged(f, 0), 0) << d.Left << "," << d.Top;
  }
}

TEST(DrawImageAdd, StrengthAndSaturation) {
  struct Case {
    TPixelLayout layout;
    uint16_t src, dst;
    int32_t alpha;
    uint16_t want;
  };
  const Case cases[] = {
      // White at 255 onto black: floor(31 * 255 / 256) = 30, floor(63 * 255 / 256) = 62.
      {L565, 0xFFFF, 0, 255, Pack565(30, 62, 30)},
      {L555, 0x7FFF, 0, 255, Pack555(30, 30, 30)},
      // Alpha 0, and 256 whose low byte is 0, add nothing; 511 counts as 255.
      {L565, 0xFFFF, Pack565(3, 4, 5), 0, Pack565(3, 4, 5)},
      {L565, 0xFFFF, Pack565(3, 4, 5), 256, Pack565(3, 4, 5)},
      {L565, 0xFFFF, 0, 511, Pack565(30, 62, 30)},
      // Half strength: floor(20 * 128 / 256) = 10, floor(40 * 128 / 256) = 20, floor(7 * 128 / 256) = 3.
      {L565, Pack565(20, 40, 7), Pack565(1, 2, 3), 128, Pack565(11, 22, 6)},
      // Sums past the top stop there.
      {L565, Pack565(31, 63, 31), Pack565(20, 50, 2), 255, Pack565(31, 63, 31)},
      {L555, Pack555(31, 31, 31), Pack555(20, 25, 2), 255, Pack555(31, 31, 31)},
      // Black adds nothing, but 555 writes bit 15 as 0.
      {L555, 0, uint16_t(0x8000 | Pack555(4, 4, 4)), 200, Pack555(4, 4, 4)},
  };
  for (const Case& c : cases) {
    TSurface img;
    img.Allocate(4, 4, c.layout);
    FillSurface(img, c.src);
    TSurface f = Frame(c.layout, c.dst);
    DrawImageAdd(f, ListWith(10, img, false), 10, SizedRect(100, 100, 4, 4), 0, c.alpha);
    EXPECT_EQ(f.Pixel(101, 102), c.want) << std::hex << c.src << " onto " << c.dst << " at " << std::dec << c.alpha;
  }
}

TEST(DrawImageAdd, ColourKeySkipsExactlyTheKeyValue) {
  // Key 0x28A2 in 565 (45, 21, 21); its neighbours in value are added.
  TSurface img;
  img.Allocate(3, 1, L565);
  img.Row(0)[0] = 0x28A2, img.Row(0)[1] = 0x28A3, img.Row(0)[2] = 0x28A2;
  img.ColorKey = 0x28A2;
  const uint16_t fill = Pack565(0, 0, 31);
  TSurface f = Frame(L565, fill);
  DrawImageAdd(f, ListWith(8, img, true), 8, SizedRect(0, 0, 3, 1), 0, 255);
  EXPECT_EQ(f.Pixel(0, 0), fill);
  EXPECT_EQ(f.Pixel(1, 0), Pack565(4, 4, 31));  // 0x28A3 = (5, 5, 3): floor(5 * 255 / 256) = 4
  EXPECT_EQ(f.Pixel(2, 0), fill);
  // Not transparent: the key colour is added like any other.
  TSurface g = Frame(L565, 0);
  DrawImageAdd(g, ListWith(8, img, false), 8, SizedRect(0, 0, 3, 1), 0, 255);
  EXPECT_EQ(g.Pixel(0, 0), Pack565(4, 4, 1));
}

TEST(DrawImage, CopiesWithTheImageKey) {
  // Zero key: every pixel that converts to 0 is skipped.
  for (TPixelLayout layout : {L565, L555}) {
    const TColor colours[] = {RGB(0, 0, 0), RGB(7, 3, 7), RGB(7, 7, 7), RGB(8, 0, 0), RGB(0, 4, 0), RGB(0, 0, 8)};
    TSurface img;
    img.Allocate(6, 1, layout);
    for (int x = 0; x < 6; ++x) img.Row(0)[x] = uint16_t(ConvertColor(layout, colours[x]));
    img.ColorKey = 0;
    const uint16_t fill = 0x1234;
    TSurface f = Frame(layout, fill);
    DrawImage(f, ListWith(12, img, true), 12, 20, 30);
    for (int x = 0; x < 6; ++x) {
      const uint16_t converted = uint16_t(ConvertColor(layout, colours[x]));
      EXPECT_EQ(f.Pixel(20 + x, 30), converted == 0 ? fill : converted) << x;
    }
    // (7, 3, 7) is 0 in both layouts; green 7 or 4 keeps a bit only in 565.
    EXPECT_EQ(f.Pixel(21, 30), fill);
    EXPECT_EQ(f.Pixel(22, 30), layout == L565 ? Pack565(0, 1, 0) : fill);
    EXPECT_EQ(f.Pixel(24, 30), layout == L565 ? Pack565(0, 1, 0) : fill);
  }
}

TEST(DrawImage, NotTransparentCopiesEveryPixelAndClips) {
  TSurface img;
  img.Allocate(10, 10, L565);
  FillSurface(img, 0);
  img.ColorKey = 0;
  TSurface f = Frame(L565, 0x5555);
  DrawImage(f, ListWith(3, img, false), 3, -4, 378);
  EXPECT_EQ(CountChanged(f, 0x5555), 6 * 6);
  EXPECT_EQ(f.Pixel(0, 378), 0);
  EXPECT_EQ(f.Pixel(5, 383), 0);
  EXPECT_EQ(f.Pixel(6, 383), 0x5555);
}

TEST(ImageDrawing, NothingBeforeTheImagesArePreparedOrForUnknownIndices) {
  TSurface img;
  img.Allocate(10, 10, L565);
  FillSurface(img, 0xFFFF);
  TDXImageList list = ListWith(8, img, false);
  list.Prepared = false;
  TSurface f = Frame(L565, 0);
  DrawImage(f, list, 8, 0, 0);
  DrawImageAdd(f, list, 8, SizedRect(0, 0, 10, 10), 0, 255);
  EXPECT_EQ(CountChanged(f, 0), 0);
  list.Prepared = true;
  for (int index : {-1, 14, 100, 7}) {  // 7 holds no surface here
    DrawImage(f, list, index, 0, 0);
    DrawImageAdd(f, list, index, SizedRect(0, 0, 10, 10), 0, 255);
  }
  EXPECT_EQ(CountChanged(f, 0), 0);
  DrawImage(f, list, 8, 0, 0);
  EXPECT_EQ(CountChanged(f, 0), 100);
}

}  // namespace
