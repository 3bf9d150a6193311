// The plasma of scene 3: its two formulas, the mode they take turns by, and
// the loop that plots it into the locked frame surface.
#pragma once
#include <cmath>
#include <cstdint>

#include "app/rounding.h"
#include "render/types.h"

// The plasma covers columns 2i and 2i + 1 for i in 1..255 on rows 2j + 70
// for j in 40..100; n = i + j + 13 indexes its sines.
constexpr int32_t PlasmaFirstI = 1, PlasmaLastI = 255;
constexpr int32_t PlasmaFirstJ = 40, PlasmaLastJ = 100;
constexpr int32_t PlasmaFirstN = PlasmaFirstI + PlasmaFirstJ + 13;  // 54
constexpr int32_t PlasmaLastN = PlasmaLastI + PlasmaLastJ + 13;     // 368
constexpr int32_t PlasmaRow(int32_t j) { return 2 * j + 70; }

// RoundEven for the plasma's inner loop: adding and removing 1.5 * 2^52 rounds
// a double to the nearest integer, halves to even, in the default rounding
// mode. Values outside the 32-bit range take the general path.
inline int32_t RoundEvenFast(double x) {
  if (std::fabs(x) < 2147483647.0) {
    const double shifted = x + 6755399441055744.0;
    return int32_t(shifted - 6755399441055744.0);
  }
  return RoundEven(x);
}

// 0 is mode A (tinted by the beat), 1 is mode B; they swap every 20 units of R.
constexpr int32_t PlasmaMode(int32_t R) { return (R / 20) % 2; }

// The two pixels of one plasma cell as RGB values, plain integer sums that
// carry from one colour byte into the next (PlotPixel keeps bits 0-23).
// s, s1, s2 are the cell's sines, c its cosine, as the frame computes them.
struct TPlasmaPair {
  TColor Even;  // the pixel at (2i, row)
  TColor Odd;   // the pixel at (2i + 1, row)
};

inline TColor AbsPlus(int32_t v, int32_t add) {
  const int64_t magnitude = v < 0 ? -int64_t(v) : int64_t(v);
  return TColor(uint64_t(magnitude + add));
}

// Mode A: s = sin(clock / 1800 * n), c = cos(i / 40).
inline TColor PlasmaEvenA(double s, double c, int32_t beat, int32_t row) {
  return AbsPlus(RoundEvenFast(((c + 14) * 5.58 + s) * beat), 2 * row);
}
inline TColor PlasmaOddA(int32_t i, int32_t row, int32_t R) { return TColor((i * i * row) / R); }
inline TPlasmaPair PlasmaValueA(double s, double c, int32_t beat, int32_t i, int32_t row, int32_t R) {
  return {PlasmaEvenA(s, c, beat, row), PlasmaOddA(i, row, R)};
}

// Mode B: s1 = sin(clock / 10000 * n), s2 = sin(clock / 1800 * n), c = cos(i / 30).
inline TPlasmaPair PlasmaValueB(double s1, double s2, double c, int32_t row) {
  return {AbsPlus(RoundEvenFast(((c + 4) * 2.58 + s1) * 143), 3 * row),
          TColor(RoundEvenFast(((c + 4) * 3 + s2) * 243) + 17 * row + 0x8000)};
}

// Plots the 31,110 plasma pixels of one frame through the locked surface,
// with clock the advanced scene clock and R its rounded value. Mode A reads
// the beat level afresh for every cell.
void PlotPlasma(double clock, int32_t R);
