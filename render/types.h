// Colours and rectangles shared by every drawing operation.
#pragma once
#include <cstdint>

// An RGB colour packed as 0x00BBGGRR, red in the low byte.
using TColor = uint32_t;

// RGB(r, g, b) cuts each argument to its low byte.
constexpr TColor RGB(int32_t r, int32_t g, int32_t b) {
  return (uint32_t(r) & 0xFF) | ((uint32_t(g) & 0xFF) << 8) | ((uint32_t(b) & 0xFF) << 16);
}

// Left, top, right, bottom in pixels; right and bottom are exclusive.
struct TRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  constexpr bool operator==(const TRect&) const = default;
};

constexpr TRect SizedRect(int32_t x, int32_t y, int32_t w, int32_t h) {
  return TRect{x, y, x + w, y + h};
}
