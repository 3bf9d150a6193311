#include "tests/music/modules.h"

#include <string>

#include "tools/make_tune/tune/xm.h"

namespace {

constexpr int Channels = 4;
constexpr int Instruments = 9;

std::vector<int16_t> ShortTone() {
  std::vector<int16_t> s(200);
  for (size_t i = 0; i < s.size(); ++i) s[i] = int16_t((i % 20 < 10) ? 4000 : -4000);
  return s;
}

struct TBytes {
  std::vector<char> B;
  void U8(uint32_t v) { B.push_back(char(uint8_t(v))); }
  void U16(uint32_t v) { U8(v & 0xFF), U8(v >> 8); }
  void U32(uint32_t v) { U16(v & 0xFFFF), U16(v >> 16); }
  void Text(const std::string& s, size_t n) {
    for (size_t i = 0; i < n; ++i) U8(i < s.size() ? uint8_t(s[i]) : 0);
  }
  void PatchU32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) B[at + size_t(i)] = char(uint8_t(v >> (8 * i)));
  }
};

}  // namespace

std::vector<char> MakeXm(const std::vector<TTestCell>& cells, int rows) {
  tune::TSong song;
  song.Title = "test";
  song.Channels = Channels;
  song.Orders = {0};
  song.Patterns.emplace_back(rows, Channels);
  for (const TTestCell& c : cells) {
    tune::TCell& cell = song.Patterns[0].At(c.Row, c.Channel);
    // XM stores 1 = C-0 and 97 = key off.
    cell.Note = c.Note == -2 ? tune::KeyOff : c.Note >= 0 ? uint8_t(c.Note + 1) : 0;
    cell.Instrument = uint8_t(c.Instrument);
  }
  for (int i = 0; i < Instruments; ++i) {
    tune::TInstrument ins;
    ins.Name = "i" + std::to_string(i + 1);
    ins.Sample = ShortTone();
    song.Instruments.push_back(ins);
  }
  const std::vector<uint8_t> bytes = tune::WriteXm(song);
  return std::vector<char>(bytes.begin(), bytes.end());
}

// An IT in sample mode: the instrument column names samples.
std::vector<char> MakeIt(const std::vector<TTestCell>& cells, int rows) {
  TBytes w;
  w.Text("IMPM", 4);
  w.Text("test", 26);
  w.U16(0x1004);
  w.U16(2);             // orders: 0, end
  w.U16(0);             // instruments
  w.U16(Instruments);   // samples
  w.U16(1);             // patterns
  w.U16(0x0214), w.U16(0x0214);
  w.U16(1 | 8);         // stereo, linear slides
  w.U16(0);
  w.U8(128), w.U8(48), w.U8(6), w.U8(125), w.U8(128), w.U8(0);
  w.U16(0), w.U32(0), w.U32(0);
  for (int i = 0; i < 64; ++i) w.U8(i < Channels ? 32 : 32 | 128);
  for (int i = 0; i < 64; ++i) w.U8(64);
  w.U8(0), w.U8(255);
  const size_t sampleOffsets = w.B.size();
  for (int i = 0; i < Instruments; ++i) w.U32(0);
  const size_t patternOffset = w.B.size();
  w.U32(0);
  const std::vector<int16_t> tone = ShortTone();
  for (int i = 0; i < Instruments; ++i) {
    w.PatchU32(sampleOffsets + size_t(4 * i), uint32_t(w.B.size()));
    w.Text("IMPS", 4);
    w.Text("", 12);
    w.U8(0), w.U8(64), w.U8(1 | 2), w.U8(64);
    w.Text("s" + std::to_string(i + 1), 26);
    w.U8(1), w.U8(32);
    w.U32(uint32_t(tone.size())), w.U32(0), w.U32(0), w.U32(8363), w.U32(0), w.U32(0);
    const size_t pointer = w.B.size();
    w.U32(0);
    w.U8(0), w.U8(0), w.U8(0), w.U8(0);
    w.PatchU32(pointer, uint32_t(w.B.size()));
    for (int16_t s : tone) w.U16(uint16_t(s));
  }
  w.PatchU32(patternOffset, uint32_t(w.B.size()));
  TBytes data;
  for (int r = 0; r < rows; ++r) {
    for (const TTestCell& c : cells) {
      if (c.Row != r) continue;
      uint8_t mask = 0;
      if (c.Note != -1) mask |= 1;
      if (c.Instrument != 0) mask |= 2;
      data.U8(uint32_t(c.Channel + 1) | 128);
      data.U8(mask);
      // IT stores 0 = C-0 and 255 = note off.
      if (mask & 1) data.U8(c.Note == -2 ? 255 : uint32_t(c.Note));
      if (mask & 2) data.U8(uint32_t(c.Instrument));
    }
    data.U8(0);
  }
  w.U16(uint32_t(data.B.size()));
  w.U16(uint32_t(rows));
  w.U32(0);
  w.B.insert(w.B.end(), data.B.begin(), data.B.end());
  return w.B;
}
