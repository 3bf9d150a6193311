// The show's one random generator: a 32-bit linear congruential generator.
#pragma once
#include <cstdint>

extern uint32_t RandSeed;

// seed := seed * 134775813 + 1 (mod 2^32), then the high 32 bits of seed * n.
// RandomBelow(0) yields 0.
inline int32_t RandomBelow(int32_t n) {
  RandSeed = RandSeed * 134775813u + 1u;
  return int32_t((uint64_t(RandSeed) * uint64_t(uint32_t(n))) >> 32);
}
