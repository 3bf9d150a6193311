#include "render/plot.h"

TDirectPlotState DirectPlot;

bool LockSurface(TSurface& surface) {
  if (!surface.Exists() || surface.Lost) {
    // Nothing of this surface is recorded, and no earlier lock stays usable:
    // the PlotPixel calls that follow a failed lock must write nothing.
    DirectPlot = TDirectPlotState{};
    return false;
  }
  DirectPlot.Address = surface.Storage.data();
  DirectPlot.Pitch = surface.Pitch;
  DirectPlot.MaxX = surface.Width - 1;
  DirectPlot.MaxY = surface.Height - 1;
  DirectPlot.Layout = surface.Layout;
  return true;
}

void UnlockSurface() { DirectPlot = TDirectPlotState{}; }
