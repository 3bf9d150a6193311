// The show's own tune: an original XM composed in code, with synthesised
// instruments. The pattern data is public so that tests can work out where
// the beat falls without playing the module.
#pragma once
#include "tools/make_tune/tune/xm.h"

namespace tune {

// The beat: instrument 9 struck at G-4 (FastTracker naming).
constexpr uint8_t BeatInstrument = 9;
constexpr uint8_t BeatNote = Note(4, 7);

// The song with its patterns and synthesised instruments.
TSong ComposeTune();
// Only the instruments (the slow part of ComposeTune).
std::vector<TInstrument> MakeInstruments();

}  // namespace tune
