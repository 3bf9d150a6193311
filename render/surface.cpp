#include "render/surface.h"

#include <algorithm>
#include <cstring>

void TSurface::Allocate(int32_t width, int32_t height, TPixelLayout layout, int32_t pitch) {
  Layout = layout;
  Lost = false;
  // A display that reports no usable size leaves the surface without pixels
  // (it then does not exist, and nothing draws into it).
  if (width <= 0 || height <= 0 || width > (1 << 20) || height > (1 << 20)) {
    Width = Height = Pitch = 0;
    Storage.clear();
    return;
  }
  Width = width;
  Height = height;
  Pitch = pitch > width * 2 ? pitch : width * 2;
  Storage.assign(size_t(Pitch) * size_t(height), 0);
}

uint32_t DeviceColor(const TSurface& surface, TColor rgb) { return ConvertColor(surface.Layout, rgb); }

void FillSurface(TSurface& surface, uint32_t value) {
  if (!surface.Exists()) return;
  const uint16_t v = uint16_t(value);
  for (int32_t y = 0; y < surface.Height; ++y) std::fill_n(surface.Row(y), surface.Width, v);
}

void PutPixel(TSurface& surface, int32_t x, int32_t y, uint32_t value) {
  if (x < 0 || y < 0 || x >= surface.Width || y >= surface.Height || !surface.Exists()) return;
  surface.Row(y)[x] = uint16_t(value);
}

namespace {

// One row of n pixels between two rows that do not overlap: a different
// surface, or another row of the same one. The keyed loop stores every
// pixel (its old value where the key matches), so it becomes a vector blend.
inline void CopyRowApart(uint16_t* __restrict dst, const uint16_t* __restrict src, int32_t n, bool keyed,
                         uint16_t key) {
  if (!keyed) {
    std::memcpy(dst, src, size_t(n) * 2);
    return;
  }
  for (int32_t i = 0; i < n; ++i) {
    const uint16_t s = src[i];
    dst[i] = s == key ? dst[i] : s;
  }
}

// One row copied within itself, shifted sideways, so that the result is as
// if the whole source had been read first: memmove for opaque rows. Keyed
// rows go through a small buffer, chunk by chunk, starting at the end the
// pixels move towards, so each chunk is read before anything overwrites it.
inline void CopyRowWithin(uint16_t* dst, const uint16_t* src, int32_t n, bool keyed, uint16_t key) {
  if (!keyed) {
    std::memmove(dst, src, size_t(n) * 2);
    return;
  }
  constexpr int32_t Chunk = 1024;
  uint16_t buffer[Chunk];
  auto copyChunk = [&](int32_t begin, int32_t end) {
    std::memcpy(buffer, src + begin, size_t(end - begin) * 2);
    CopyRowApart(dst + begin, buffer, end - begin, true, key);
  };
  if (dst > src) {
    for (int32_t end = n; end > 0; end -= Chunk) copyChunk(std::max(0, end - Chunk), end);
  } else {
    for (int32_t begin = 0; begin < n; begin += Chunk) copyChunk(begin, std::min(n, begin + Chunk));
  }
}

}  // namespace

void CopySurfaceRect(TSurface* destination, int32_t x, int32_t y, TRect S, const TSurface* source,
                     bool transparent) {
  if (source == nullptr || destination == nullptr) return;
  if (x > destination->Width || y > destination->Height) return;
  if (!source->Exists() || !destination->Exists()) return;
  // Both rectangles in 64 bits, so that no size or cut can overflow.
  int64_t dl = x, dt = y;
  int64_t dr = dl + (int64_t(S.Right) - S.Left), db = dt + (int64_t(S.Bottom) - S.Top);
  int64_t sl = S.Left, st = S.Top, sr = S.Right, sb = S.Bottom;
  // Every cut is made on the same side of both rectangles by the same amount.
  // 1. the destination's left and top edges
  if (dl < 0) { sl -= dl; dl = 0; }
  if (dt < 0) { st -= dt; dt = 0; }
  // 2. the source's left and top edges
  if (sl < 0) { dl -= sl; sl = 0; }
  if (st < 0) { dt -= st; st = 0; }
  // 3. the destination's right and bottom edges
  if (dr > destination->Width) { sr -= dr - destination->Width; dr = destination->Width; }
  if (db > destination->Height) { sb -= db - destination->Height; db = destination->Height; }
  // 4. the source's right and bottom edges
  if (sr > source->Width) { dr -= sr - source->Width; sr = source->Width; }
  if (sb > source->Height) { db -= sb - source->Height; sb = source->Height; }
  if (dl >= dr || dt >= db || sl >= sr || st >= sb) return;

  const int32_t w = int32_t(sr - sl), h = int32_t(sb - st);
  const int32_t dx = int32_t(dl), dy = int32_t(dt), sx = int32_t(sl), sy = int32_t(st);
  const uint16_t key = uint16_t(source->ColorKey);
  auto dstRow = [&](int32_t j) { return destination->Row(dy + j) + dx; };
  auto srcRow = [&](int32_t j) { return source->Row(sy + j) + sx; };
  if (source != destination) {
    for (int32_t j = 0; j < h; ++j) CopyRowApart(dstRow(j), srcRow(j), w, transparent, key);
  } else if (dy > sy) {
    // Moving down: the bottom row first, so no source row is overwritten
    // before it has been read.
    for (int32_t j = h - 1; j >= 0; --j) CopyRowApart(dstRow(j), srcRow(j), w, transparent, key);
  } else if (dy < sy) {
    for (int32_t j = 0; j < h; ++j) CopyRowApart(dstRow(j), srcRow(j), w, transparent, key);
  } else {
    for (int32_t j = 0; j < h; ++j) CopyRowWithin(dstRow(j), srcRow(j), w, transparent, key);
  }
}

void CopySurface(TSurface* destination, int32_t x, int32_t y, const TSurface* source, bool transparent) {
  if (source == nullptr) return;
  CopySurfaceRect(destination, x, y, TRect{0, 0, source->Width, source->Height}, source, transparent);
}
