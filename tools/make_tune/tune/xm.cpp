#include "tools/make_tune/tune/xm.h"

#include <algorithm>

namespace tune {
namespace {

class TWriter {
 public:
  std::vector<uint8_t> Bytes;
  void U8(uint32_t v) { Bytes.push_back(uint8_t(v)); }
  void U16(uint32_t v) { U8(v & 0xFF), U8(v >> 8); }
  void U32(uint32_t v) { U16(v & 0xFFFF), U16(v >> 16); }
  void Text(const std::string& s, size_t width) {
    for (size_t i = 0; i < width; ++i) U8(i < s.size() ? uint8_t(s[i]) : 0);
  }
  void Zeros(size_t n) { Bytes.insert(Bytes.end(), n, 0); }
};

void WriteHeader(TWriter& w, const TSong& song) {
  w.Text("Extended Module: ", 17);
  w.Text(song.Title, 20);
  w.U8(0x1A);
  w.Text("make_tune", 20);
  w.U16(0x0104);
  w.U32(276);
  w.U16(uint32_t(song.Orders.size()));
  w.U16(uint32_t(song.Restart));
  w.U16(uint32_t(song.Channels));
  w.U16(uint32_t(song.Patterns.size()));
  w.U16(uint32_t(song.Instruments.size()));
  w.U16(1);  // linear frequency table
  w.U16(uint32_t(song.Speed));
  w.U16(uint32_t(song.Tempo));
  for (size_t i = 0; i < 256; ++i) w.U8(i < song.Orders.size() ? song.Orders[i] : 0);
}

void WritePattern(TWriter& w, const TPattern& p) {
  TWriter data;
  for (const TCell& c : p.Cells) {
    const uint8_t fields[5] = {c.Note, c.Instrument, c.Volume, c.Effect, c.Param};
    uint8_t mask = 0;
    for (int i = 0; i < 5; ++i)
      if (fields[i] != 0) mask |= uint8_t(1 << i);
    data.U8(0x80 | mask);
    for (int i = 0; i < 5; ++i)
      if (fields[i] != 0) data.U8(fields[i]);
  }
  w.U32(9);
  w.U8(0);
  w.U16(uint32_t(p.Rows));
  w.U16(uint32_t(data.Bytes.size()));
  w.Bytes.insert(w.Bytes.end(), data.Bytes.begin(), data.Bytes.end());
}

void WriteEnvelope(TWriter& w, const std::vector<TEnvelopePoint>& env) {
  for (size_t i = 0; i < 12; ++i) {
    w.U16(i < env.size() ? env[i].Tick : 0);
    w.U16(i < env.size() ? env[i].Value : 0);
  }
}

void WriteInstrument(TWriter& w, const TInstrument& ins) {
  w.U32(263);
  w.Text(ins.Name, 22);
  w.U8(0);
  w.U16(1);
  w.U32(40);
  w.Zeros(96);  // every note plays sample 1
  WriteEnvelope(w, ins.Envelope);
  WriteEnvelope(w, {});
  w.U8(uint32_t(std::min<size_t>(ins.Envelope.size(), 12)));
  w.U8(0);
  w.U8(uint32_t(std::max(ins.SustainPoint, 0)));
  w.U8(0), w.U8(0);     // volume loop
  w.U8(0), w.U8(0), w.U8(0);  // panning sustain and loop
  uint8_t type = 0;
  if (!ins.Envelope.empty()) type |= 1;
  if (!ins.Envelope.empty() && ins.SustainPoint >= 0) type |= 2;
  w.U8(type);
  w.U8(0);
  w.U8(0), w.U8(ins.VibratoSweep), w.U8(ins.VibratoDepth), w.U8(ins.VibratoRate);
  w.U16(ins.Fadeout);
  w.Zeros(22);
  // The sample header; lengths in bytes.
  w.U32(uint32_t(ins.Sample.size() * 2));
  w.U32(ins.LoopStart * 2);
  w.U32(ins.LoopLength * 2);
  w.U8(ins.Volume);
  w.U8(uint8_t(ins.Finetune));
  w.U8((ins.LoopLength > 0 ? 1 : 0) | 0x10);
  w.U8(ins.Panning);
  w.U8(uint8_t(ins.RelativeNote));
  w.U8(0);
  w.Text(ins.Name, 22);
  // Sample data as deltas.
  int16_t previous = 0;
  for (int16_t s : ins.Sample) {
    w.U16(uint16_t(int16_t(s - previous)));
    previous = s;
  }
}

}  // namespace

std::vector<uint8_t> WriteXm(const TSong& song) {
  TWriter w;
  WriteHeader(w, song);
  for (const TPattern& p : song.Patterns) WritePattern(w, p);
  for (const TInstrument& ins : song.Instruments) WriteInstrument(w, ins);
  return w.Bytes;
}

}  // namespace tune
