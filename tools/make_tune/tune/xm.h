// A FastTracker 2 module in memory, and its writer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tune {

// Notes as the format stores them: 1 = C-0, 12 per octave, 97 = key off.
constexpr uint8_t KeyOff = 97;
constexpr uint8_t Note(int octave, int semitone) { return uint8_t(octave * 12 + semitone + 1); }

struct TCell {
  uint8_t Note = 0;
  uint8_t Instrument = 0;  // 1-based, 0 = none
  uint8_t Volume = 0;      // volume column byte (0x10 + v sets volume v)
  uint8_t Effect = 0;
  uint8_t Param = 0;
};

struct TPattern {
  int Rows = 64;
  int Channels = 0;
  std::vector<TCell> Cells;
  TPattern(int rows, int channels) : Rows(rows), Channels(channels), Cells(size_t(rows * channels)) {}
  TCell& At(int row, int channel) { return Cells[size_t(row * Channels + channel)]; }
  const TCell& At(int row, int channel) const { return Cells[size_t(row * Channels + channel)]; }
};

struct TEnvelopePoint {
  uint16_t Tick = 0;
  uint16_t Value = 0;  // 0..64
};

struct TInstrument {
  std::string Name;
  std::vector<int16_t> Sample;  // mono, 16-bit
  uint32_t LoopStart = 0;       // in frames; LoopLength 0 = no loop
  uint32_t LoopLength = 0;
  uint8_t Volume = 64;
  uint8_t Panning = 128;
  int8_t RelativeNote = 0;
  int8_t Finetune = 0;
  std::vector<TEnvelopePoint> Envelope;  // empty: no volume envelope
  int SustainPoint = -1;
  uint16_t Fadeout = 0;
  uint8_t VibratoDepth = 0, VibratoRate = 0, VibratoSweep = 0;
};

struct TSong {
  std::string Title;
  int Channels = 0;
  int Speed = 6;    // ticks per row
  int Tempo = 125;  // beats per minute: a tick lasts 2.5 / Tempo seconds
  int Restart = 0;
  std::vector<uint8_t> Orders;
  std::vector<TPattern> Patterns;
  std::vector<TInstrument> Instruments;
};

// The song as an XM file (version 1.04, linear frequencies, 16-bit samples).
std::vector<uint8_t> WriteXm(const TSong& song);

}  // namespace tune
