// The fourteen carried pictures, their settings and image surfaces, and the
// bitmap decoding they go through.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "render/blend.h"
#include "render/bmp.h"
#include "render/embedded.h"
#include "render/imagelist.h"

namespace {

constexpr TPixelLayout L565 = TPixelLayout::Layout565, L555 = TPixelLayout::Layout555;

const TDXImageList& LoadedList() {
  static const TDXImageList list = [] {
    TDXImageList l;
    l.Load();
    return l;
  }();
  return list;
}

TEST(ImageList, ItemsInOrderWithTheirSettings) {
  const struct {
    const char* name;
    int w, h, bits;
    bool transparent;
    TColor key;
    bool systemMemory;
  } want[ImageCount] = {
      {"light1", 3, 3, 8, false, RGB(0, 0, 128), true},      {"light2", 3, 3, 8, false, RGB(128, 0, 0), true},
      {"light3", 3, 3, 8, false, RGB(128, 128, 128), true},  {"light4", 3, 3, 8, false, RGB(0, 128, 128), true},
      {"light5", 3, 3, 8, false, RGB(0, 0, 255), true},      {"light6", 3, 3, 8, false, RGB(255, 0, 0), true},
      {"light8", 10, 10, 8, false, RGB(17, 9, 9), true},     {"plasmalight", 605, 120, 24, false, RGB(5, 4, 1), false},
      {"biglight", 100, 100, 8, true, RGB(45, 21, 21), true}, {"biglight2", 100, 100, 8, true, RGB(0, 0, 0), true},
      {"biglight3", 100, 100, 8, true, RGB(0, 0, 0), true},  {"exitpic", 1000, 100, 1, true, RGB(255, 255, 255), true},
      {"fire", 267, 108, 24, true, RGB(0, 0, 0), true},      {"symbol", 247, 105, 8, true, RGB(255, 0, 255), true},
  };
  const TDXImageList& list = LoadedList();
  EXPECT_FALSE(list.Prepared);
  for (int i = 0; i < ImageCount; ++i) {
    const TPictureCollectionItem& item = list.Items[size_t(i)];
    EXPECT_STREQ(item.Name, want[i].name);
    EXPECT_EQ(item.Width(), want[i].w) << item.Name;
    EXPECT_EQ(item.Height(), want[i].h) << item.Name;
    EXPECT_EQ(item.Picture.BitCount, want[i].bits) << item.Name;
    EXPECT_EQ(item.Picture.Palette.size(), want[i].bits == 24 ? 0u : size_t(1) << want[i].bits) << item.Name;
    EXPECT_EQ(item.Picture.Pixels.size(), size_t(want[i].w) * size_t(want[i].h)) << item.Name;
    EXPECT_EQ(item.Transparent, want[i].transparent) << item.Name;
    EXPECT_EQ(item.TransparentColor, want[i].key) << item.Name;
    EXPECT_EQ(item.SystemMemory, want[i].systemMemory) << item.Name;
    EXPECT_EQ(item.PatternWidth, 0);
    EXPECT_EQ(item.PatternHeight, 0);
  }
}

int CountPixels(const TStoredPicture& p, TColor c) {
  int n = 0;
  for (TColor v : p.Pixels) n += v == c;
  return n;
}

TEST(ImageList, PicturesShowWhatTheyAreMadeOf) {
  const TDXImageList& list = LoadedList();
  const TColor white = RGB(255, 255, 255);
  // The small lights: a white middle in eight pixels of the item's own colour.
  for (int i = 0; i < 6; ++i) {
    const TStoredPicture& p = list.Items[size_t(i)].Picture;
    EXPECT_EQ(p.Pixels[4], white);
    EXPECT_EQ(CountPixels(p, list.Items[size_t(i)].TransparentColor), 8) << i;
  }
  // light8: white at column 5, row 4.
  EXPECT_EQ(list.Items[6].Picture.Pixels[4 * 10 + 5], white);
  EXPECT_EQ(CountPixels(list.Items[6].Picture, white), 1);
  // plasmalight: dark brown outside the ellipse, golden at its centre.
  const TStoredPicture& plasma = list.Items[7].Picture;
  EXPECT_EQ(plasma.Pixels[0], RGB(16, 13, 6));
  EXPECT_EQ(plasma.Pixels[size_t(60) * 605 + 100], RGB(16, 13, 6));  // left of column 142
  EXPECT_EQ(plasma.Pixels[size_t(60) * 605 + 520], RGB(16, 13, 6));  // right of column 486
  EXPECT_EQ(plasma.Pixels[size_t(60) * 605 + 314], RGB(192, 156, 70));
  // The bursts' hearts and corners.
  EXPECT_EQ(list.Items[8].Picture.Pixels[50 * 100 + 50], RGB(255, 253, 253));
  EXPECT_EQ(list.Items[8].Picture.Pixels[0], RGB(45, 21, 21));
  EXPECT_EQ(list.Items[9].Picture.Pixels[50 * 100 + 50], RGB(216, 216, 216));
  EXPECT_EQ(list.Items[9].Picture.Pixels[0], RGB(0, 0, 0));
  EXPECT_EQ(list.Items[10].Picture.Pixels[50 * 100 + 50], RGB(202, 234, 228));
  EXPECT_EQ(list.Items[10].Picture.Pixels[99 * 100 + 99], RGB(0, 0, 0));
  // exitpic: black and white only.
  const TStoredPicture& exitpic = list.Items[11].Picture;
  EXPECT_EQ(CountPixels(exitpic, 0) + CountPixels(exitpic, white), 1000 * 100);
  EXPECT_GT(CountPixels(exitpic, white), 1000);
  // fire: black around, orange in the circle; symbol: fuchsia around.
  EXPECT_EQ(list.Items[12].Picture.Pixels[0], RGB(0, 0, 0));
  EXPECT_EQ(list.Items[12].Picture.Pixels[size_t(100) * 267 + 54], RGB(255, 153, 51));
  EXPECT_EQ(list.Items[13].Picture.Pixels[0], RGB(255, 0, 255));
}

TEST(ImageList, BiglightHasExactly554PixelsOfItsKeyColour) {
  const TDXImageList& list = LoadedList();
  EXPECT_EQ(CountPixels(list.Items[8].Picture, RGB(45, 21, 21)), 554);
  // And no other of its colours turns into the same device colour.
  for (TPixelLayout layout : {L565, L555}) {
    TDXImageList prepared = list;
    prepared.Prepare(layout);
    const TSurface& s = prepared.Items[8].Surface;
    int n = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 100; ++x) n += s.Pixel(x, y) == s.ColorKey;
    EXPECT_EQ(n, 554);
  }
}

TEST(ImageList, PrepareConvertsEveryPixelAndSetsTheKeys) {
  for (TPixelLayout layout : {L565, L555}) {
    TDXImageList list = LoadedList();
    list.Prepare(layout);
    EXPECT_TRUE(list.Prepared);
    for (const TPictureCollectionItem& item : list.Items) {
      ASSERT_EQ(item.Surface.Width, item.Width());
      ASSERT_EQ(item.Surface.Height, item.Height());
      EXPECT_EQ(item.Surface.Layout, layout);
      EXPECT_EQ(item.Surface.ColorKey, ConvertColor(layout, item.TransparentColor)) << item.Name;
      for (int y = 0; y < item.Height(); ++y)
        for (int x = 0; x < item.Width(); ++x)
          ASSERT_EQ(item.Surface.Pixel(x, y),
                    ConvertColor(layout, item.Picture.Pixels[size_t(y) * size_t(item.Width()) + size_t(x)]))
              << item.Name << " " << x << "," << y;
    }
    // The keys of the table, worked out: (45, 21, 21) and black.
    EXPECT_EQ(list.Items[8].Surface.ColorKey, layout == L565 ? 0x28A2u : 0x1442u);
    for (int i : {9, 10, 12}) EXPECT_EQ(list.Items[size_t(i)].Surface.ColorKey, 0u);
    // plasmalight's brown (16, 13, 6): 565 (2, 3, 0), 555 (2, 1, 0).
    EXPECT_EQ(list.Items[7].Surface.Pixel(0, 0), layout == L565 ? 0x1060 : 0x0820);
  }
}

TEST(ImageList, SmallLightsDrawTheirBorderColour) {
  TDXImageList list = LoadedList();
  list.Prepare(L565);
  TSurface f;
  f.Allocate(512, 384, L565);
  DrawImage(f, list, 0, 10, 10);  // light1: navy border, not transparent
  EXPECT_EQ(f.Pixel(10, 10), ConvertColor(L565, RGB(0, 0, 128)));
  EXPECT_EQ(f.Pixel(11, 11), 0xFFFF);
}

TEST(ImageList, FireDrawsWhereItIsNotBlack) {
  for (TPixelLayout layout : {L565, L555}) {
    TDXImageList list = LoadedList();
    list.Prepare(layout);
    TSurface f;
    f.Allocate(512, 384, layout);
    for (int y = 0; y < 384; ++y)
      for (int x = 0; x < 512; ++x) f.Row(y)[x] = uint16_t(0x4000 + x + y);
    const TSurface before = f;
    DrawImage(f, list, 12, 150, 130);
    const TSurface& img = list.Items[12].Surface;
    int drawn = 0;
    for (int y = 0; y < 384; ++y)
      for (int x = 0; x < 512; ++x) {
        const bool inside = x >= 150 && x <= 416 && y >= 130 && y <= 237;
        const uint16_t src = inside ? img.Pixel(x - 150, y - 130) : 0;
        const uint16_t want = inside && src != 0 ? src : before.Pixel(x, y);
        ASSERT_EQ(f.Pixel(x, y), want) << x << "," << y;
        drawn += inside && src != 0;
      }
    EXPECT_GT(drawn, 5000);  // the circle alone is about 7,800 pixels
  }
}

TEST(ImageList, PlasmaLightFromMinusSixtyFillsTheWidth) {
  TDXImageList list = LoadedList();
  list.Prepare(L565);
  TSurface f;
  f.Allocate(512, 384, L565);
  FillSurface(f, 0x1234);
  DrawImage(f, list, 7, -60, 150);
  const TSurface& img = list.Items[7].Surface;
  for (int y = 0; y < 384; ++y)
    for (int x = 0; x < 512; ++x) {
      const bool inside = y >= 150 && y <= 269;
      ASSERT_EQ(f.Pixel(x, y), inside ? img.Pixel(x + 60, y - 150) : 0x1234) << x << "," << y;
    }
}

TEST(ImageList, EveryCarriedFileInflatesToItsSize) {
  EXPECT_EQ(EmbeddedPictureCount, ImageCount);
  std::vector<uint8_t> bytes;
  for (int i = 0; i < EmbeddedPictureCount; ++i) {
    ASSERT_TRUE(InflateEmbedded(EmbeddedPictures[i], bytes)) << EmbeddedPictures[i].Name;
    EXPECT_EQ(bytes.size(), EmbeddedPictures[i].RawSize);
    EXPECT_LT(EmbeddedPictures[i].Size, EmbeddedPictures[i].RawSize);  // carried compressed
  }
  // A damaged stream is refused.
  std::vector<unsigned char> damaged(EmbeddedPictures[0].Data, EmbeddedPictures[0].Data + EmbeddedPictures[0].Size);
  damaged[damaged.size() / 2] ^= 0x5A;
  damaged.resize(damaged.size() - 4);
  const TEmbeddedFile bad{"bad", damaged.data(), damaged.size(), EmbeddedPictures[0].RawSize};
  EXPECT_FALSE(InflateEmbedded(bad, bytes));
}

// ---- decoding ----

// A bitmap file: headers, table entries (0x00BBGGRR) and rows as given.
std::vector<uint8_t> Bmp(int w, int h, int bits, std::vector<TColor> table, std::vector<uint8_t> rows,
                         uint32_t compression = 0) {
  std::vector<uint8_t> out;
  auto put = [&](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(uint8_t(v >> (8 * i)));
  };
  const uint32_t offset = 14 + 40 + uint32_t(table.size()) * 4;
  out.push_back('B'), out.push_back('M');
  put(offset + uint32_t(rows.size()), 4), put(0, 4), put(offset, 4);
  put(40, 4), put(uint32_t(w), 4), put(uint32_t(h), 4), put(1, 2), put(uint32_t(bits), 2), put(compression, 4);
  put(uint32_t(rows.size()), 4), put(0, 4), put(0, 4), put(uint32_t(table.size()), 4), put(0, 4);
  for (TColor c : table) out.push_back(uint8_t(c >> 16)), out.push_back(uint8_t(c >> 8)), out.push_back(uint8_t(c)), out.push_back(0);
  out.insert(out.end(), rows.begin(), rows.end());
  return out;
}

TEST(Bitmaps, DecodeEachDepthBottomRowFirst) {
  TStoredPicture p;
  // 24-bit 2 x 2: rows of 6 bytes padded to 8, blue green red per pixel, bottom row first.
  const auto b24 = Bmp(2, 2, 24, {}, {3, 2, 1, 6, 5, 4, 0, 0, 9, 8, 7, 12, 11, 10, 0, 0});
  ASSERT_TRUE(DecodeBmp(b24.data(), b24.size(), p));
  EXPECT_EQ(p.Pixels, (std::vector<TColor>{RGB(7, 8, 9), RGB(10, 11, 12), RGB(1, 2, 3), RGB(4, 5, 6)}));
  // 8-bit 3 x 1 through the table.
  const auto b8 = Bmp(3, 1, 8, {RGB(1, 2, 3), RGB(40, 50, 60), RGB(255, 0, 255)}, {2, 0, 1, 0});
  ASSERT_TRUE(DecodeBmp(b8.data(), b8.size(), p));
  EXPECT_EQ(p.Palette.size(), 3u);
  EXPECT_EQ(p.Pixels, (std::vector<TColor>{RGB(255, 0, 255), RGB(1, 2, 3), RGB(40, 50, 60)}));
  // 1-bit 10 x 1: the first pixel in the top bit, across a byte.
  const auto b1 = Bmp(10, 1, 1, {0, 0xFFFFFF}, {0b10100000, 0b01000000, 0, 0});
  ASSERT_TRUE(DecodeBmp(b1.data(), b1.size(), p));
  const TColor W = 0xFFFFFF;
  EXPECT_EQ(p.Pixels, (std::vector<TColor>{W, 0, W, 0, 0, 0, 0, 0, 0, W}));
  // A negative height means top row first.
  const auto down = Bmp(1, -2, 8, {RGB(1, 1, 1), RGB(2, 2, 2)}, {0, 0, 0, 0, 1, 0, 0, 0});
  ASSERT_TRUE(DecodeBmp(down.data(), down.size(), p));
  EXPECT_EQ(p.Pixels, (std::vector<TColor>{RGB(1, 1, 1), RGB(2, 2, 2)}));
}

TEST(Bitmaps, RefuseWhatIsNotAnUncompressedBitmap) {
  TStoredPicture p;
  const auto good = Bmp(2, 2, 24, {}, std::vector<uint8_t>(16, 7));
  auto truncated = good;
  truncated.resize(truncated.size() - 1);
  auto magic = good;
  magic[0] = 'X';
  const auto rle = Bmp(2, 2, 8, {0, 0}, std::vector<uint8_t>(8, 0), 1);
  const auto depth = Bmp(2, 2, 16, {}, std::vector<uint8_t>(8, 0));
  const auto wide = Bmp(0, 2, 24, {}, {});
  const std::vector<uint8_t>* cases[] = {&truncated, &magic, &rle, &depth, &wide};
  for (const std::vector<uint8_t>* bad : cases) {
    EXPECT_FALSE(DecodeBmp(bad->data(), bad->size(), p));
    EXPECT_EQ(p.Width, 0);
  }
  EXPECT_FALSE(DecodeBmp(nullptr, 0, p));
}

}  // namespace
