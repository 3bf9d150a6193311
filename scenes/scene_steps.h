// Steps of scene 1, the hidden scene and the scroller that the frame routines
// are built from, kept apart so that each can be checked on its own.
#pragma once
#include <cstdint>

#include "app/rounding.h"
#include "render/surface.h"
#include "render/types.h"

// Scene 1's noise colour: the beat scaled by the coin, summed on the packed
// value, so 240 gives 0x89E0 with the carry from red into green.
constexpr TColor NoiseColour(int32_t coin, int32_t beat) { return TColor(coin * beat * 10 + 0x8080); }

// 38,401 pixels of one colour at random places of the locked surface,
// y drawn before x for each.
void PlotNoise(TColor colour);

// 4000 pixels of random colour (blue below 128) at random places of the
// locked surface: colour, then y, then x for each.
void PlotSprinkle();

// The top of a scroll row's text for its offset Y, and the window in which
// the row is drawn (both bounds strict).
inline int32_t ScrollRowTop(double y) { return RoundEven(y) + 360; }
constexpr bool ScrollRowInView(int32_t s) { return s > -20 && s < 370; }

// The hidden scene's smear: the upper part up by 2, the lower part down by 3,
// the left half left by 2, the right part right by 2.
void SmearHidden(TSurface& frame);
