// Direct pixel plotting into a locked surface: the fast path for many pixels.
#pragma once
#include <cstdint>

#include "render/surface.h"
#include "render/types.h"

// One set for the whole program, valid from LockSurface to UnlockSurface.
struct TDirectPlotState {
  uint8_t* Address = nullptr;  // pixel (0, 0); null while unlocked
  int32_t Pitch = 0;
  int32_t MaxX = -1;
  int32_t MaxY = -1;
  TPixelLayout Layout = TPixelLayout::Layout565;
};
extern TDirectPlotState DirectPlot;

// Locks a surface for direct writes; false (and nothing recorded) when it cannot.
bool LockSurface(TSurface& surface);

// Plots the RGB colour rgb at (x, y) of the locked surface; writes nothing
// off the surface or when no surface is locked.
inline void PlotPixel(int32_t x, int32_t y, TColor rgb) {
  const TDirectPlotState& s = DirectPlot;
  if (x < 0 || x > s.MaxX || y < 0 || y > s.MaxY) return;  // MaxX is -1 while unlocked
  reinterpret_cast<uint16_t*>(s.Address + intptr_t(y) * s.Pitch)[x] = uint16_t(ConvertColor(s.Layout, rgb));
}

void UnlockSurface();
