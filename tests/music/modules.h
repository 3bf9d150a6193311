// Small modules written by the tests: the same cells as an XM and as an IT.
#pragma once
#include <cstdint>
#include <vector>

struct TTestCell {
  int Row;
  int Channel;
  int Note;        // 0 = C-0 in the format's naming; -1 none, -2 key off
  int Instrument;  // 0 = none
};

// Speed 6, tempo 125 (5,292 frames a row at 44,100 Hz), one pattern of rows
// rows, 4 channels and 9 short instruments.
std::vector<char> MakeXm(const std::vector<TTestCell>& cells, int rows);
std::vector<char> MakeIt(const std::vector<TTestCell>& cells, int rows);

constexpr uint64_t FramesPerRow = 5292;  // 6 ticks of 44100 * 2.5 / 125
