// A small stroke font of lower-case letters for the pictures' words: each
// glyph is a few centre lines drawn with a round pen, so one outline makes
// bold letters and a wider pen under them makes an edge.
#pragma once
#include <string_view>

#include "tools/make_pictures/raster.h"

namespace pics {

struct TextStyle {
  double Size = 20;     // pixels per x-height
  double Pen = 0.13;    // pen radius in x-heights
  double Gap = 0.14;    // space between the ink of neighbouring letters, in x-heights
  double Squeeze = 1;   // horizontal scale of the letter shapes
};

// Adds the centre lines of text to strokes, with its baseline at y and its
// ink starting at x; returns the width of the ink in pixels.
double AddText(Strokes& strokes, std::string_view text, double x, double y, const TextStyle& style);

// Width of the ink of text in pixels.
double TextWidth(std::string_view text, const TextStyle& style);

}  // namespace pics
