// The outward push shared by scenes 5 and 7: four opaque copies of the frame
// onto itself, each on the result of the one before.
#pragma once
#include "render/surface.h"
#include "render/types.h"

// The source rectangles of the second and fourth copies reach past the
// surface on purpose; the copy clips source and destination together, so the
// upper part moves up by 2, the lower part down by 2, the left half left by 2
// and the right part right by 1. Rows 192 to 194 and columns 256 and 257 are
// left in place: the seam the picture streams away from.
inline void SmearOutward(TSurface& frame) {
  CopySurfaceRect(&frame, 0, 0, SizedRect(0, 2, 512, 192), &frame, false);
  CopySurfaceRect(&frame, 0, 195, SizedRect(0, 193, 512, 384), &frame, false);
  CopySurfaceRect(&frame, 0, 0, SizedRect(2, 0, 256, 384), &frame, false);
  CopySurfaceRect(&frame, 258, 0, SizedRect(257, 0, 512, 384), &frame, false);
}
