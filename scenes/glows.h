// The pure step rule of the glow swarm, kept apart so it can be checked alone.
#pragma once
#include <cstdint>

struct TGlowStep {
  int32_t DX = 0;
  int32_t DY = 0;
};

// The step a glow takes for its freshly advanced angle and the call's phase.
// Each axis is the orbit term plus the jitter term, rounded as one sum (half
// to even). An angle of exactly 0.0 leaves the jitter terms out, since the
// phase cannot be divided by it.
TGlowStep GlowStep(double angle, int32_t phase);
