// contact_sheet OUT.png: the fourteen pictures the program carries, decoded
// from the embedded files exactly as the image list loads them, laid out on
// one sheet in the list's order (the 3 x 3 and 10 x 10 lights enlarged
// eight times), each in a thin frame.
#include <png.h>

#include <cstdio>
#include <vector>

#include "render/imagelist.h"

namespace {

struct Sheet {
  int W, H;
  std::vector<uint8_t> Rgb;
  Sheet(int w, int h) : W(w), H(h), Rgb(size_t(w) * size_t(h) * 3, 40) {}
  void Put(int x, int y, TColor c) {
    if (x < 0 || y < 0 || x >= W || y >= H) return;
    uint8_t* p = &Rgb[(size_t(y) * size_t(W) + size_t(x)) * 3];
    p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
  }
  // The picture at (x, y), each pixel as a scale x scale block, framed.
  void Place(const TStoredPicture& pic, int x, int y, int scale) {
    const int w = pic.Width * scale, h = pic.Height * scale;
    for (int i = -1; i <= w; ++i) Put(x + i, y - 1, RGB(150, 150, 150)), Put(x + i, y + h, RGB(150, 150, 150));
    for (int j = -1; j <= h; ++j) Put(x - 1, y + j, RGB(150, 150, 150)), Put(x + w, y + j, RGB(150, 150, 150));
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) Put(x + i, y + j, pic.Pixels[size_t(j / scale) * size_t(pic.Width) + size_t(i / scale)]);
  }
  bool WritePng(const char* path) const {
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
      png_destroy_write_struct(&png, &info);
      std::fclose(f);
      return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, uint32_t(W), uint32_t(H), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < H; ++y) png_write_row(png, &Rgb[size_t(y) * size_t(W) * 3]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: contact_sheet OUT.png\n");
    return 2;
  }
  TDXImageList list;
  list.Load();
  for (const TPictureCollectionItem& item : list.Items)
    if (item.Width() == 0) {
      std::fprintf(stderr, "contact_sheet: picture %s is missing\n", item.Name);
      return 1;
    }
  Sheet sheet(1040, 680);
  // Row 1: the six small lights, light8, the three bursts.
  int x = 20;
  for (int i = 0; i < 6; ++i, x += 24 + 16) sheet.Place(list.Items[size_t(i)].Picture, x, 58, 8);
  sheet.Place(list.Items[6].Picture, x, 30, 8);
  x += 80 + 30;
  for (int i = 8; i <= 10; ++i, x += 100 + 20) sheet.Place(list.Items[size_t(i)].Picture, x, 20, 1);
  // Row 2: plasmalight and the symbol; row 3: fire; row 4: exitpic.
  sheet.Place(list.Items[7].Picture, 20, 150, 1);
  sheet.Place(list.Items[13].Picture, 660, 158, 1);
  sheet.Place(list.Items[12].Picture, 20, 354, 1);
  sheet.Place(list.Items[12].Picture, 320, 300, 2);  // and twice its size, to see the drawing
  sheet.Place(list.Items[11].Picture, 20, 560, 1);
  if (!sheet.WritePng(argv[1])) {
    std::fprintf(stderr, "contact_sheet: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
