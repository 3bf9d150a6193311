// The show tune's instruments, synthesised: drums from noise and swept
// sines, a filtered-saw bass, a detuned-saw pad, a square lead, a pluck for
// the arpeggios, a bell-like hit that marks the beat and a noise sweep.
#include <algorithm>
#include <cmath>

#include "tools/make_tune/tune/tune.h"

namespace tune {
namespace {

constexpr double Pi = 3.14159265358979323846;
// Samples are made at the rate at which C-4 plays with relative note 28.
const double Rate = 8363.0 * std::pow(2.0, 28.0 / 12.0);

double Frequency(int note) { return 440.0 * std::pow(2.0, (note - Note(4, 9)) / 12.0); }

// Noise from a fixed generator: the tune is the same on every build.
class TNoise {
 public:
  explicit TNoise(uint32_t seed) : State(seed) {}
  double Next() {
    State = State * 1664525u + 1013904223u;
    return double(int32_t(State)) / 2147483648.0;
  }

 private:
  uint32_t State;
};

struct TOnePole {
  double A = 0, Y = 0;
  explicit TOnePole(double cutoff) : A(1.0 - std::exp(-2.0 * Pi * cutoff / Rate)) {}
  double Low(double x) { return Y += A * (x - Y); }
  double High(double x) { return x - Low(x); }
};

// A resonant low-pass (Chamberlin state variable).
struct TStateVariable {
  double Lowpass = 0, Band = 0;
  double Run(double x, double cutoff, double q) {
    const double f = 2.0 * std::sin(Pi * std::min(cutoff, Rate / 6.0) / Rate);
    Lowpass += f * Band;
    const double high = x - Lowpass - q * Band;
    Band += f * high;
    return Lowpass;
  }
};

size_t Frames(double seconds) { return size_t(seconds * Rate); }

double Saw(double phase) { return 2.0 * (phase - std::floor(phase)) - 1.0; }
double Square(double phase) { return (phase - std::floor(phase)) < 0.5 ? 1.0 : -1.0; }

std::vector<int16_t> ToPcm(const std::vector<double>& x, double peak) {
  double m = 1e-9;
  for (double v : x) m = std::max(m, std::fabs(v));
  std::vector<int16_t> out(x.size());
  for (size_t i = 0; i < x.size(); ++i) out[i] = int16_t(std::lround(x[i] / m * peak * 32767.0));
  return out;
}

// A short fade at the end of a one-shot sample, so it never stops on a click.
void FadeTail(std::vector<double>& x, double seconds) {
  const size_t n = std::min(x.size(), Frames(seconds));
  for (size_t i = 0; i < n; ++i) x[x.size() - 1 - i] *= double(i) / double(n);
}

TInstrument Pitched(const char* name, int baseNote) {
  TInstrument ins;
  ins.Name = name;
  ins.RelativeNote = int8_t(28 + Note(4, 0) - baseNote);
  return ins;
}

TInstrument Kick() {
  std::vector<double> x(Frames(0.42));
  double phase = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    const double t = double(i) / Rate;
    const double f = 44.0 + 130.0 * std::exp(-t * 28.0);
    phase += f / Rate;
    const double click = t < 0.004 ? (1.0 - t / 0.004) * 0.6 : 0.0;
    x[i] = std::sin(2 * Pi * phase) * std::exp(-t * 7.5) + click * std::sin(2 * Pi * 1800 * t);
    x[i] = std::tanh(1.6 * x[i]);
  }
  FadeTail(x, 0.02);
  TInstrument ins = Pitched("kick", Note(4, 0));
  ins.Sample = ToPcm(x, 0.95);
  return ins;
}

TInstrument Clap() {
  std::vector<double> x(Frames(0.32));
  TNoise noise(7);
  TOnePole hp(900), lp(5200);
  for (size_t i = 0; i < x.size(); ++i) {
    const double t = double(i) / Rate;
    // Three quick bursts, then the tail: the hands do not meet at once.
    double env = std::exp(-t * 16.0);
    for (double start : {0.0, 0.011, 0.022})
      if (t >= start && t < start + 0.011) env = std::max(env, std::exp(-(t - start) * 90.0));
    const double body = 0.35 * std::sin(2 * Pi * 185.0 * t) * std::exp(-t * 30.0);
    x[i] = lp.Low(hp.High(noise.Next())) * env + body;
  }
  FadeTail(x, 0.03);
  TInstrument ins = Pitched("clap", Note(4, 0));
  ins.Sample = ToPcm(x, 0.9);
  return ins;
}

TInstrument Hat(const char* name, double seconds, double decay, uint32_t seed) {
  std::vector<double> x(Frames(seconds));
  TNoise noise(seed);
  TOnePole hp1(6500), hp2(6500);
  for (size_t i = 0; i < x.size(); ++i) {
    const double t = double(i) / Rate;
    x[i] = hp2.High(hp1.High(noise.Next())) * std::exp(-t * decay);
  }
  FadeTail(x, 0.01);
  TInstrument ins = Pitched(name, Note(4, 0));
  ins.Sample = ToPcm(x, 0.8);
  ins.Panning = 150;
  return ins;
}

TInstrument Bass() {
  const int base = Note(2, 0);
  const double f = Frequency(base);
  std::vector<double> x(Frames(0.55));
  TStateVariable filter;
  double phase = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    const double t = double(i) / Rate;
    phase += f / Rate;
    const double osc = 0.7 * Saw(phase) + 0.3 * Square(phase * 0.5 + 0.25);
    const double cutoff = 180.0 + 1900.0 * std::exp(-t * 14.0);
    x[i] = std::tanh(1.4 * filter.Run(osc, cutoff, 0.45)) * std::min(1.0, t / 0.002) * std::exp(-t * 2.5);
  }
  FadeTail(x, 0.05);
  TInstrument ins = Pitched("bass", base);
  ins.Sample = ToPcm(x, 0.9);
  return ins;
}

// A loop of whole cycles: every partial repeats exactly at the loop's end.
TInstrument Pad() {
  const int base = Note(3, 0);
  const size_t loop = Frames(1.0);
  const double cycles = std::round(Frequency(base) * double(loop) / Rate);
  const double detune[] = {-3, -2, -1, 0, 1, 2, 3};
  std::vector<double> raw(2 * loop);
  for (size_t i = 0; i < raw.size(); ++i) {
    double s = 0;
    for (double d : detune) s += Saw((cycles + d) * double(i) / double(loop) + 0.13 * d);
    raw[i] = s / 7.0;
  }
  // Filter two passes of the loop and keep the second: it is periodic.
  TOnePole lp1(1400), lp2(2600);
  std::vector<double> x(loop);
  for (size_t i = 0; i < raw.size(); ++i) {
    const double y = lp2.Low(lp1.Low(raw[i]));
    if (i >= loop) x[i - loop] = y;
  }
  TInstrument ins = Pitched("pad", base);
  ins.Sample = ToPcm(x, 0.9);
  ins.LoopStart = 0;
  ins.LoopLength = uint32_t(loop);
  ins.Envelope = {{0, 0}, {12, 64}, {40, 52}};
  ins.SustainPoint = 2;
  ins.Fadeout = 900;
  return ins;
}

TInstrument Lead() {
  const int base = Note(5, 0);
  const size_t loop = Frames(0.5);
  const double cycles = std::round(Frequency(base) * double(loop) / Rate);
  std::vector<double> raw(2 * loop);
  for (size_t i = 0; i < raw.size(); ++i) {
    const double p = double(i) / double(loop);
    raw[i] = 0.5 * Square(cycles * p) + 0.35 * Square((cycles + 1) * p + 0.3) + 0.25 * Saw((2 * cycles) * p);
  }
  TOnePole lp(3800);
  std::vector<double> x(loop);
  for (size_t i = 0; i < raw.size(); ++i) {
    const double y = lp.Low(raw[i]);
    if (i >= loop) x[i - loop] = y;
  }
  TInstrument ins = Pitched("lead", base);
  ins.Sample = ToPcm(x, 0.85);
  ins.LoopLength = uint32_t(loop);
  ins.Envelope = {{0, 0}, {1, 64}, {14, 44}};
  ins.SustainPoint = 2;
  ins.Fadeout = 2400;
  ins.VibratoDepth = 3, ins.VibratoRate = 10, ins.VibratoSweep = 40;
  return ins;
}

TInstrument Pluck() {
  const int base = Note(5, 0);
  const double f = Frequency(base);
  std::vector<double> x(Frames(0.3));
  TStateVariable filter;
  double phase = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    const double t = double(i) / Rate;
    phase += f / Rate;
    const double osc = Square(phase) * 0.6 + Saw(phase * 1.004) * 0.4;
    x[i] = filter.Run(osc, 900.0 + 5000.0 * std::exp(-t * 22.0), 0.6) * std::exp(-t * 9.0);
  }
  FadeTail(x, 0.03);
  TInstrument ins = Pitched("pluck", base);
  ins.Sample = ToPcm(x, 0.85);
  ins.Panning = 96;
  return ins;
}

// The beat's hit: a bell of two inharmonic partials over a short burst of
// noise, tuned so that G-4 plays it at its own pitch.
TInstrument Hit() {
  const int base = Note(4, 7);
  const double f = Frequency(base);
  std::vector<double> x(Frames(0.7));
  TNoise noise(99);
  TOnePole hp(3000);
  double carrier = 0, modulator = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    const double t = double(i) / Rate;
    carrier += f / Rate;
    modulator += f * 3.51 / Rate;
    const double index = 2.2 * std::exp(-t * 9.0);
    const double bell = std::sin(2 * Pi * carrier + index * std::sin(2 * Pi * modulator));
    const double snap = hp.High(noise.Next()) * std::exp(-t * 60.0);
    x[i] = (bell * std::exp(-t * 5.5) + 0.8 * snap) * std::min(1.0, t / 0.001);
  }
  FadeTail(x, 0.05);
  TInstrument ins = Pitched("hit", base);
  ins.Sample = ToPcm(x, 0.9);
  ins.Panning = 140;
  return ins;
}

// Rising filtered noise that leads into a new section.
TInstrument Sweep() {
  std::vector<double> x(Frames(1.9));
  TNoise noise(1234);
  TStateVariable filter;
  for (size_t i = 0; i < x.size(); ++i) {
    const double t = double(i) / Rate;
    const double k = t / 1.9;
    x[i] = filter.Run(noise.Next(), 300.0 + 6000.0 * k * k, 0.3) * k * k;
  }
  FadeTail(x, 0.02);
  TInstrument ins = Pitched("sweep", Note(4, 0));
  ins.Sample = ToPcm(x, 0.8);
  ins.Panning = 110;
  return ins;
}

}  // namespace

std::vector<TInstrument> MakeInstruments() {
  std::vector<TInstrument> list;
  list.push_back(Kick());                                   // 1
  list.push_back(Clap());                                   // 2
  list.push_back(Hat("closed hat", 0.07, 70.0, 3));         // 3
  list.push_back(Hat("open hat", 0.35, 9.0, 5));            // 4
  list.push_back(Bass());                                   // 5
  list.push_back(Pad());                                    // 6
  list.push_back(Lead());                                   // 7
  list.push_back(Pluck());                                  // 8
  list.push_back(Hit());                                    // 9
  list.push_back(Sweep());                                  // 10
  return list;
}

}  // namespace tune
