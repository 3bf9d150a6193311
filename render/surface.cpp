#include "render/surface.h"

#include <algorithm>
#include <cstring>

void TSurface::Allocate(int32_t width, int32_t height, TPixelLayout layout, int32_t pitch) {
  Width = width;
  Height = height;
  Layout = layout;
  Pitch = pitch > width * 2 ? pitch : width * 2;
  Storage.assign(size_t(Pitch) * size_t(height), 0);
  Lost = false;
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

// Copies one row of n pixels, skipping those equal to key when keyed.
// memmove keeps overlapping rows of a self-copy intact.
inline void CopyRow(uint16_t* dst, const uint16_t* src, int32_t n, bool keyed, uint16_t key) {
  if (!keyed) {
    std::memmove(dst, src, size_t(n) * 2);
    return;
  }
  for (int32_t i = 0; i < n; ++i)
    if (src[i] != key) dst[i] = src[i];
}

}  // namespace

void CopySurfaceRect(TSurface* destination, int32_t x, int32_t y, TRect S, const TSurface* source,
                     bool transparent) {
  if (source == nullptr || destination == nullptr) return;
  if (x > destination->Width || y > destination->Height) return;
  if (!source->Exists() || !destination->Exists()) return;
  // Work in 64 bits so that no cut can overflow.
  int64_t dl = x, dt = y, dr = int64_t(x) + (int64_t(S.Right) - S.Left), db = int64_t(y) + (int64_t(S.Bottom) - S.Top);
  int64_t sl = S.Left, st = S.Top, sr = S.Right, sb = S.Bottom;
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
  const bool keyed = transparent;
  const uint16_t key = uint16_t(source->ColorKey);
  // Rows are walked in the direction that reads each source row before it
  // can be overwritten when source and destination are the same surface.
  const bool same = source == destination;
  if (same && dt > st) {
    for (int32_t j = h - 1; j >= 0; --j)
      CopyRow(destination->Row(int32_t(dt) + j) + dl, source->Row(int32_t(st) + j) + sl, w, keyed, key);
  } else if (same && dt == st && keyed && dl > sl) {
    // Keyed copy along the same rows to the right: go right to left.
    for (int32_t j = 0; j < h; ++j) {
      uint16_t* dst = destination->Row(int32_t(dt) + j) + dl;
      const uint16_t* src = source->Row(int32_t(st) + j) + sl;
      for (int32_t i = w - 1; i >= 0; --i)
        if (src[i] != key) dst[i] = src[i];
    }
  } else {
    for (int32_t j = 0; j < h; ++j)
      CopyRow(destination->Row(int32_t(dt) + j) + dl, source->Row(int32_t(st) + j) + sl, w, keyed, key);
  }
}

void CopySurface(TSurface* destination, int32_t x, int32_t y, const TSurface* source, bool transparent) {
  if (source == nullptr) return;
  CopySurfaceRect(destination, x, y, TRect{0, 0, source->Width, source->Height}, source, transparent);
}
