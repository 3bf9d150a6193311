#include "render/bmp.h"

#include <zlib.h>

namespace {

uint32_t Read16(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
uint32_t Read32(const uint8_t* p) { return Read16(p) | (Read16(p + 2) << 16); }

// A colour table entry is blue, green, red, reserved.
TColor TableColor(const uint8_t* p) { return TColor(p[2]) | (TColor(p[1]) << 8) | (TColor(p[0]) << 16); }

}  // namespace

bool InflateEmbedded(const TEmbeddedFile& file, std::vector<uint8_t>& out) {
  out.clear();
  if (file.Data == nullptr) return false;
  if (file.RawSize == 0) {
    out.assign(file.Data, file.Data + file.Size);
    return true;
  }
  out.resize(file.RawSize);
  z_stream zs{};
  if (inflateInit2(&zs, 16 + MAX_WBITS) != Z_OK) return false;  // gzip wrapper
  zs.next_in = const_cast<Bytef*>(file.Data);
  zs.avail_in = uInt(file.Size);
  zs.next_out = out.data();
  zs.avail_out = uInt(out.size());
  const int rc = inflate(&zs, Z_FINISH);
  const bool ok = rc == Z_STREAM_END && zs.total_out == file.RawSize;
  inflateEnd(&zs);
  if (!ok) out.clear();
  return ok;
}

bool DecodeBmp(const uint8_t* data, size_t size, TStoredPicture& picture) {
  picture = TStoredPicture{};
  if (data == nullptr || size < 14 + 40 || data[0] != 'B' || data[1] != 'M') return false;
  const uint32_t pixelOffset = Read32(data + 10);
  const uint8_t* info = data + 14;
  const uint32_t infoSize = Read32(info);
  const int32_t width = int32_t(Read32(info + 4));
  const int32_t rawHeight = int32_t(Read32(info + 8));
  const uint32_t planes = Read16(info + 12), bits = Read16(info + 14), compression = Read32(info + 16);
  uint32_t tableCount = Read32(info + 32);
  if (infoSize < 40 || planes != 1 || compression != 0) return false;
  if (bits != 1 && bits != 8 && bits != 24) return false;
  if (width <= 0 || width > 65535 || rawHeight == 0 || rawHeight < -65535 || rawHeight > 65535) return false;
  const bool bottomUp = rawHeight > 0;
  const int32_t height = bottomUp ? rawHeight : -rawHeight;

  std::vector<TColor> table;
  if (bits != 24) {
    const uint32_t full = 1u << bits;
    if (tableCount == 0 || tableCount > full) tableCount = full;
    const uint64_t tableStart = 14ull + infoSize;
    if (tableStart + 4ull * tableCount > size) return false;
    for (uint32_t i = 0; i < tableCount; ++i) table.push_back(TableColor(data + tableStart + 4 * i));
  }
  const uint64_t rowBytes = ((uint64_t(width) * bits + 31) / 32) * 4;
  if (uint64_t(pixelOffset) + rowBytes * uint64_t(height) > size) return false;

  std::vector<TColor> pixels(size_t(width) * size_t(height));
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = data + pixelOffset + rowBytes * uint64_t(bottomUp ? height - 1 - y : y);
    TColor* out = pixels.data() + size_t(y) * size_t(width);
    for (int32_t x = 0; x < width; ++x) {
      if (bits == 24) {
        out[x] = TableColor(row + 3 * x);
        continue;
      }
      const uint32_t index = bits == 8 ? row[x] : (row[x >> 3] >> (7 - (x & 7))) & 1;
      out[x] = index < table.size() ? table[index] : 0;  // indices past the table read black
    }
  }
  picture.Width = width;
  picture.Height = height;
  picture.BitCount = int32_t(bits);
  picture.Palette = std::move(table);
  picture.Pixels = std::move(pixels);
  return true;
}
