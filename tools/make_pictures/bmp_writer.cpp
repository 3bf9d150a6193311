#include "tools/make_pictures/bmp_writer.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace pics {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v)), out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

uint32_t RowBytes(int width, int bits) { return ((uint32_t(width) * uint32_t(bits) + 31) / 32) * 4; }

// File header, info header and colour table (entries as 0x00BBGGRR values).
std::vector<uint8_t> Header(const Image& img, int bits, const std::vector<uint32_t>& table) {
  const uint32_t tableBytes = uint32_t(table.size()) * 4;
  const uint32_t offset = 14 + 40 + tableBytes;
  const uint32_t imageBytes = RowBytes(img.W, bits) * uint32_t(img.H);
  std::vector<uint8_t> out;
  out.push_back('B'), out.push_back('M');
  Put32(out, offset + imageBytes);
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, 40);
  Put32(out, uint32_t(img.W));
  Put32(out, uint32_t(img.H));  // positive: rows bottom-up
  Put16(out, 1);
  Put16(out, uint32_t(bits));
  Put32(out, 0);  // no compression
  Put32(out, imageBytes);
  Put32(out, 2835), Put32(out, 2835);  // 72 dots per inch
  Put32(out, 0), Put32(out, 0);
  for (uint32_t c : table) {
    out.push_back(uint8_t(c >> 16)), out.push_back(uint8_t(c >> 8)), out.push_back(uint8_t(c)), out.push_back(0);
  }
  return out;
}

uint32_t Packed(const Color& c) {
  return uint32_t(Channel(c.r)) | (uint32_t(Channel(c.g)) << 8) | (uint32_t(Channel(c.b)) << 16);
}

void Pad(std::vector<uint8_t>& out, size_t rowStart, uint32_t rowBytes) {
  while (out.size() - rowStart < rowBytes) out.push_back(0);
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(const Image& img) {
  std::vector<uint8_t> out = Header(img, 24, {});
  for (int y = img.H - 1; y >= 0; --y) {
    const size_t start = out.size();
    for (int x = 0; x < img.W; ++x) {
      const uint32_t c = Packed(img.At(x, y));
      out.push_back(uint8_t(c >> 16)), out.push_back(uint8_t(c >> 8)), out.push_back(uint8_t(c));
    }
    Pad(out, start, RowBytes(img.W, 24));
  }
  return out;
}

std::vector<uint8_t> EncodeBmp8(const Image& img) {
  std::vector<uint32_t> colours;
  for (const Color& c : img.Px) colours.push_back(Packed(c));
  std::sort(colours.begin(), colours.end());
  colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
  if (colours.size() > 256) throw std::runtime_error("more than 256 colours in an 8-bit picture");
  std::vector<uint32_t> table = colours;
  table.resize(256, 0);
  std::vector<uint8_t> out = Header(img, 8, table);
  for (int y = img.H - 1; y >= 0; --y) {
    const size_t start = out.size();
    for (int x = 0; x < img.W; ++x) {
      const uint32_t c = Packed(img.At(x, y));
      out.push_back(uint8_t(std::lower_bound(colours.begin(), colours.end(), c) - colours.begin()));
    }
    Pad(out, start, RowBytes(img.W, 8));
  }
  return out;
}

std::vector<uint8_t> EncodeBmp1(const Image& img) {
  std::vector<uint8_t> out = Header(img, 1, {0x000000, 0xFFFFFF});
  for (int y = img.H - 1; y >= 0; --y) {
    const size_t start = out.size();
    for (int x = 0; x < img.W; x += 8) {
      uint8_t byte = 0;
      for (int b = 0; b < 8 && x + b < img.W; ++b)
        if (Channel(img.At(x + b, y).r) >= 128) byte |= uint8_t(0x80 >> b);
      out.push_back(byte);
    }
    Pad(out, start, RowBytes(img.W, 1));
  }
  return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace pics
