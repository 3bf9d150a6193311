// The fourteen named pictures and their image surfaces.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/surface.h"
#include "render/types.h"

// A picture as it is stored: a device-independent bitmap decoded to its
// width, height, bit depth, colour table and pixels (RGB per pixel, top row first).
struct TStoredPicture {
  int32_t Width = 0, Height = 0, BitCount = 0;
  std::vector<TColor> Palette;  // 2 or 256 entries for 1- and 8-bit pictures
  std::vector<TColor> Pixels;   // Width * Height RGB colours, rows top to bottom
};

struct TPictureCollectionItem {
  const char* Name = "";
  bool Transparent = false;
  TColor TransparentColor = 0;
  bool SystemMemory = false;
  int32_t PatternWidth = 0, PatternHeight = 0;
  TStoredPicture Picture;
  TSurface Surface;  // made in the display's layout when the display is initialised

  int32_t Width() const { return Picture.Width; }
  int32_t Height() const { return Picture.Height; }
};

constexpr int ImageCount = 14;

class TDXImageList {
 public:
  std::array<TPictureCollectionItem, ImageCount> Items;
  bool Prepared = false;

  // Loads the stored pictures carried by the program and the item settings.
  void Load();
  // Makes every image surface in the layout and sets its ColorKey.
  void Prepare(TPixelLayout layout);
  TPictureCollectionItem& operator[](int index) { return Items[size_t(index)]; }
};
