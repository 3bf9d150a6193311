#include "render/display.h"

bool TDXDraw::Initialize() {
  if (Device == nullptr) return false;
  const bool fullScreen = (Options & doFullScreen) != 0;
  TDisplayMode requested = Display;
  requested.Width = SurfaceWidth;
  requested.Height = SurfaceHeight;
  if (!Device->Open(fullScreen, requested, Obtained)) return false;
  Surface.Allocate(Obtained.Width, Obtained.Height, LayoutFromGreenMask(Obtained.GreenMask), Obtained.Pitch);
  FillSurface(Surface, 0);
  Device->ClearVisible();
  if (ImageList != nullptr) ImageList->Prepare(Surface.Layout);
  IsInitialized = true;
  return true;
}

void TDXDraw::Finalize() {
  if (!IsInitialized) return;
  IsInitialized = false;
  if (Device != nullptr) Device->Close();
}

bool TDXDraw::RestoreIfLost() {
  const bool deviceLost = Device->TakeLost();
  if (!deviceLost && !Surface.Lost) return true;
  // Both surfaces are restored and filled black, and the images made anew.
  Surface.Lost = false;
  FillSurface(Surface, 0);
  Device->ClearVisible();
  if (ImageList != nullptr) ImageList->Prepare(Surface.Layout);
  return Surface.Exists();
}

bool TDXDraw::DisplayReady() {
  if (!IsInitialized || Device == nullptr || !Surface.Exists()) return false;
  return RestoreIfLost();
}

void TDXDraw::PresentFrame() {
  if (!DisplayReady()) return;
  Device->Present(Surface);
}

TCanvas& TDXDraw::SurfaceCanvas() {
  if (!CanvasCreated) {
    Canvas.Attach(&Surface, Fonts);
    CanvasCreated = true;
  }
  return Canvas;
}
