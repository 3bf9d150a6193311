// Rounding of clocks and computed values to whole pixels, divisors and colours.
#pragma once
#include <cmath>
#include <cstdint>

// The nearest integer to x, an exact half going to the even neighbour, as a
// signed 32-bit integer. Values beyond the 32-bit range saturate (absurd time
// steps can reach them); NaN gives 0.
inline int32_t RoundEven(double x) {
  if (!(x == x)) return 0;
  if (x >= 2147483647.5) return INT32_MAX;
  if (x <= -2147483648.5) return INT32_MIN;
  const double f = std::floor(x);
  const double diff = x - f;  // exact: both lie in the same binade or below
  double r = f;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(f, 2.0) != 0.0)) r = f + 1.0;
  return int32_t(int64_t(r));
}

// div that truncates toward zero and mod with the sign of the dividend are
// C++'s own / and %; these names keep the formulas readable.
constexpr int32_t Div(int32_t a, int32_t b) { return a / b; }
