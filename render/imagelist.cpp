// The image list: the fourteen pictures in their fixed order with their
// settings, decoded from the files the program carries, and their image
// surfaces in the display's layout.
#include "render/imagelist.h"

#include <cstring>

#include "render/bmp.h"
#include "render/embedded.h"

namespace {

struct TItemSettings {
  const char* Name;
  bool Transparent;
  TColor TransparentColor;
  bool SystemMemory;
};

constexpr TItemSettings Settings[ImageCount] = {
    {"light1", false, RGB(0, 0, 128), true},
    {"light2", false, RGB(128, 0, 0), true},
    {"light3", false, RGB(128, 128, 128), true},
    {"light4", false, RGB(0, 128, 128), true},
    {"light5", false, RGB(0, 0, 255), true},
    {"light6", false, RGB(255, 0, 0), true},
    {"light8", false, RGB(17, 9, 9), true},
    {"plasmalight", false, RGB(5, 4, 1), false},
    {"biglight", true, RGB(45, 21, 21), true},
    {"biglight2", true, RGB(0, 0, 0), true},
    {"biglight3", true, RGB(0, 0, 0), true},
    {"exitpic", true, RGB(255, 255, 255), true},
    {"fire", true, RGB(0, 0, 0), true},
    {"symbol", true, RGB(255, 0, 255), true},
};

const TEmbeddedFile* FindPicture(const char* name) {
  for (int i = 0; i < EmbeddedPictureCount; ++i)
    if (EmbeddedPictures[i].Name != nullptr && std::strcmp(EmbeddedPictures[i].Name, name) == 0)
      return &EmbeddedPictures[i];
  return nullptr;
}

// Every stored pixel converted to the layout: the top bits of each channel.
void MakeImageSurface(TPictureCollectionItem& item, TPixelLayout layout) {
  const TStoredPicture& pic = item.Picture;
  item.Surface = TSurface{};
  if (pic.Width > 0 && pic.Height > 0) {
    item.Surface.Allocate(pic.Width, pic.Height, layout);
    for (int32_t y = 0; y < pic.Height; ++y) {
      uint16_t* row = item.Surface.Row(y);
      const TColor* src = pic.Pixels.data() + size_t(y) * size_t(pic.Width);
      for (int32_t x = 0; x < pic.Width; ++x) row[x] = uint16_t(ConvertColor(layout, src[x]));
    }
  }
  item.Surface.Layout = layout;
  item.Surface.ColorKey = ConvertColor(layout, item.TransparentColor);
}

}  // namespace

void TDXImageList::Load() {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < ImageCount; ++i) {
    TPictureCollectionItem& item = Items[size_t(i)];
    item = TPictureCollectionItem{};
    item.Name = Settings[i].Name;
    item.Transparent = Settings[i].Transparent;
    item.TransparentColor = Settings[i].TransparentColor;
    item.SystemMemory = Settings[i].SystemMemory;
    item.PatternWidth = 0;
    item.PatternHeight = 0;
    // A missing or damaged file leaves an empty picture, which draws nothing.
    if (const TEmbeddedFile* file = FindPicture(item.Name); file != nullptr && InflateEmbedded(*file, bytes))
      DecodeBmp(bytes.data(), bytes.size(), item.Picture);
  }
  Prepared = false;
}

void TDXImageList::Prepare(TPixelLayout layout) {
  for (TPictureCollectionItem& item : Items) MakeImageSurface(item, layout);
  Prepared = true;
}
