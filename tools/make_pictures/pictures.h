// The fourteen pictures of the show, drawn from shapes, gradients and strokes.
#pragma once
#include <string>
#include <vector>

#include "tools/make_pictures/raster.h"

namespace pics {

struct Picture {
  std::string Name;
  int Bits;  // 1, 8 or 24
  Image Img;
};

// The pictures in the image list's order.
std::vector<Picture> DrawAllPictures();

}  // namespace pics
