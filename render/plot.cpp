#include "render/plot.h"

TDirectPlotState DirectPlot;

bool LockSurface(TSurface& surface) {
  if (!surface.Exists() || surface.Lost) return false;
  DirectPlot.Address = surface.Storage.data();
  DirectPlot.Pitch = surface.Pitch;
  DirectPlot.MaxX = surface.Width - 1;
  DirectPlot.MaxY = surface.Height - 1;
  DirectPlot.Layout = surface.Layout;
  return true;
}

void UnlockSurface() { DirectPlot = TDirectPlotState{}; }
