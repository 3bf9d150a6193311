// Blending colours and images into the frame surface.
#pragma once
#include <cstdint>

#include "render/imagelist.h"
#include "render/surface.h"
#include "render/types.h"

// Brighten or darken a rectangle by an RGB colour, per channel with saturation.
void AddToRect(TSurface& frame, TRect R, TColor rgb);
void SubtractFromRect(TSurface& frame, TRect R, TColor rgb);

// The whole image at its own size with its top-left corner at (x, y), colour
// keyed when the image is Transparent. Nothing happens before the images exist.
void DrawImage(TSurface& frame, const TDXImageList& list, int index, int32_t x, int32_t y);

// The image stretched into D and added with strength alpha (low 8 bits).
void DrawImageAdd(TSurface& frame, const TDXImageList& list, int index, TRect D, int32_t pattern,
                  int32_t alpha);
