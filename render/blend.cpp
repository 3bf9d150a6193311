// Placeholder blending until the real operations land.
#include "render/blend.h"

void AddToRect(TSurface&, TRect, TColor) {}
void SubtractFromRect(TSurface&, TRect, TColor) {}
void DrawImage(TSurface&, const TDXImageList&, int, int32_t, int32_t) {}
void DrawImageAdd(TSurface&, const TDXImageList&, int, TRect, int32_t, int32_t) {}
