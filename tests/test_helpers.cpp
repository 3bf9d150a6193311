// The shared helpers: the random generator, rounding, colours, rectangles.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/random.h"
#include "app/rounding.h"
#include "render/types.h"

TEST(RandomBelow, FollowsTheGeneratorFormula) {
  // seed 0: 0 * 134775813 + 1 = 1; high word of 1 * 10 is 0.
  RandSeed = 0;
  EXPECT_EQ(RandomBelow(10), 0);
  EXPECT_EQ(RandSeed, 1u);
  // seed 1 -> 134775814; 134775814 * 1000 >> 32 = 31 (134775814000 / 4294967296 = 31.38).
  EXPECT_EQ(RandomBelow(1000), 31);
  EXPECT_EQ(RandSeed, 134775814u);
  // seed 0xFFFFFFFF -> 0xFFFFFFFF * 134775813 + 1 = -134775813 + 1 mod 2^32 = 4160191484.
  RandSeed = 0xFFFFFFFFu;
  EXPECT_EQ(RandomBelow(2), 1);  // 4160191484 * 2 >> 32 = 1
  EXPECT_EQ(RandSeed, 4160191484u);
}

TEST(RandomBelow, ZeroYieldsZeroAndStillAdvances) {
  RandSeed = 5;
  EXPECT_EQ(RandomBelow(0), 0);
  EXPECT_EQ(RandSeed, 5u * 134775813u + 1u);
}

TEST(RoundEven, HalvesGoToTheEvenNeighbour) {
  const struct { double x; int32_t want; } cases[] = {
      {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2}, {9.5, 10}, {19.5, 20}, {20.5, 20},
      {639.5, 640}, {2.4999999, 2}, {-0.4, 0}, {-0.6, -1}, {7.0, 7}, {1e-300, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(RoundEven(c.x), c.want) << c.x;
}

TEST(RoundEven, SaturatesOutsideTheIntegerRange) {
  EXPECT_EQ(RoundEven(2147483647.0), INT32_MAX);
  EXPECT_EQ(RoundEven(2147483647.4), INT32_MAX);
  EXPECT_EQ(RoundEven(2147483648.0), INT32_MAX);
  EXPECT_EQ(RoundEven(1e300), INT32_MAX);
  EXPECT_EQ(RoundEven(-2147483648.0), INT32_MIN);
  EXPECT_EQ(RoundEven(-2147483648.4), INT32_MIN);
  EXPECT_EQ(RoundEven(-1e300), INT32_MIN);
  EXPECT_EQ(RoundEven(std::numeric_limits<double>::infinity()), INT32_MAX);
  EXPECT_EQ(RoundEven(std::nan("")), 0);
}

TEST(Colours, RgbCutsEachArgumentToItsLowByte) {
  EXPECT_EQ(RGB(300, 0, 0), 0x2Cu);
  EXPECT_EQ(RGB(1, 2, 3), 0x030201u);
  EXPECT_EQ(RGB(-1, 0, 256), 0xFFu);
  EXPECT_EQ(SizedRect(10, 20, 30, 40), (TRect{10, 20, 40, 60}));
}
