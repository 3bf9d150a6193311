// The tune, in A minor at 125 beats per minute, 16 rows a bar. Its sections
// follow the show: an intro of 13 bars (about 25 s), a groove of 8 (16 s),
// the main part of 25 (48 s) and an outro of 15 (29 s) that leads back into
// the intro when the song loops.
#include <algorithm>
#include <sstream>
#include <string>

#include "tools/make_tune/tune/tune.h"

namespace tune {
namespace {

constexpr int Channels = 12;
enum EChannel { ChKick, ChClap, ChHat, ChBass, ChPadA, ChPadB, ChPadC, ChLead, ChArp, ChHit, ChSweep, ChHit2 };
enum EInstrument : uint8_t { Kick = 1, Clap, ClosedHat, OpenHat, Bass, Pad, Lead, Pluck, Hit, Sweep };

struct TChord {
  uint8_t Root;      // the bass note
  uint8_t Pad[3];    // the pad's voicing
  uint8_t Arp[4];    // the arpeggio's cycle
};

const TChord Am{Note(1, 9), {Note(3, 9), Note(4, 0), Note(4, 4)}, {Note(4, 9), Note(5, 0), Note(5, 4), Note(5, 0)}};
const TChord F{Note(1, 5), {Note(3, 9), Note(4, 0), Note(4, 5)}, {Note(4, 9), Note(5, 0), Note(5, 5), Note(5, 0)}};
const TChord C{Note(2, 0), {Note(4, 0), Note(4, 4), Note(4, 7)}, {Note(4, 7), Note(5, 0), Note(5, 4), Note(5, 0)}};
const TChord G{Note(1, 7), {Note(3, 11), Note(4, 2), Note(4, 7)}, {Note(4, 7), Note(4, 11), Note(5, 2), Note(4, 11)}};
const TChord Em{Note(1, 4), {Note(3, 11), Note(4, 4), Note(4, 7)}, {Note(4, 7), Note(4, 11), Note(5, 4), Note(4, 11)}};

const TChord* const Prog1[4] = {&Am, &F, &C, &G};
const TChord* const Prog2[4] = {&F, &G, &Em, &Am};
const TChord* const Tail[3] = {&F, &C, &G};

uint8_t Vol(int v) { return uint8_t(0x10 + v); }

void Put(TPattern& p, int row, int ch, uint8_t note, uint8_t ins, int vol = -1) {
  TCell& c = p.At(row, ch);
  c.Note = note;
  c.Instrument = ins;
  // The written volumes leave headroom; the mix is lifted by half as much again.
  if (vol >= 0) c.Volume = Vol(std::min(64, (vol * 3 + 1) / 2));
}

enum EDrums { DKick = 1, DClap = 2, DHats = 4, DHats16 = 8, DOpen = 16 };

void DrumBar(TPattern& p, int bar, int parts) {
  const int r = bar * 16;
  for (int i = 0; i < 16; ++i) {
    if ((parts & DKick) && i % 4 == 0) Put(p, r + i, ChKick, Note(4, 0), Kick, 64);
    if ((parts & DClap) && (i == 4 || i == 12)) Put(p, r + i, ChClap, Note(4, 0), Clap, 50);
    const bool off = i % 4 == 2;
    if ((parts & DOpen) && off) Put(p, r + i, ChHat, Note(4, 0), OpenHat, 34);
    else if ((parts & DHats) && off) Put(p, r + i, ChHat, Note(4, 0), ClosedHat, 48);
    else if ((parts & DHats16) && i % 2 == 1) Put(p, r + i, ChHat, Note(4, 0), ClosedHat, 20);
  }
}

// The offbeat bass, with a ghost sixteenth and an octave jump at the end.
void BassBar(TPattern& p, int bar, const TChord& chord, int vol) {
  const int r = bar * 16;
  for (int i : {2, 6, 10}) Put(p, r + i, ChBass, chord.Root, Bass, vol);
  Put(p, r + 7, ChBass, chord.Root, Bass, vol / 2);
  Put(p, r + 14, ChBass, uint8_t(chord.Root + 12), Bass, vol);
  Put(p, r + 15, ChBass, chord.Root, Bass, vol / 2);
}

void PadBar(TPattern& p, int bar, const TChord& chord, int vol) {
  const int pans[3] = {0x50, 0x80, 0xB0};
  for (int k = 0; k < 3; ++k) {
    Put(p, bar * 16, ChPadA + k, chord.Pad[k], Pad, vol);
    TCell& c = p.At(bar * 16, ChPadA + k);
    c.Effect = 0x08;  // set panning: the chord spreads across the stereo field
    c.Param = uint8_t(pans[k]);
  }
}

void ArpBar(TPattern& p, int bar, const TChord& chord, int vol) {
  for (int i = 0; i < 16; ++i) Put(p, bar * 16 + i, ChArp, chord.Arp[i % 4], Pluck, i % 2 == 0 ? vol : vol * 2 / 3);
}

// The beat's hits at the given rows of a bar. bare: the later hits of the bar
// carry no instrument number and play the channel's last one, instrument 9.
void HitBar(TPattern& p, int bar, std::initializer_list<int> rows, bool bare, int vol = 44) {
  bool first = true;
  for (int i : rows) {
    Put(p, bar * 16 + i, ChHit, BeatNote, (bare && !first) ? 0 : Hit, vol);
    first = false;
  }
}

// A melody, one token per row: "." nothing, "==" key off, "A-4" a note,
// "A-4*" a note without instrument number. Bars may be split by "|".
void Melody(TPattern& p, int ch, uint8_t ins, int vol, const std::string& text, int startRow = 0) {
  static const char* const names[12] = {"C-", "C#", "D-", "D#", "E-", "F-", "F#", "G-", "G#", "A-", "A#", "B-"};
  std::istringstream in(text);
  std::string token;
  int row = startRow;
  while (in >> token) {
    if (token == "|") continue;
    if (token == "==") {
      p.At(row, ch).Note = KeyOff;
    } else if (token != ".") {
      int semitone = 0;
      while (semitone < 12 && token.compare(0, 2, names[semitone]) != 0) ++semitone;
      const uint8_t note = Note(token[2] - '0', semitone);
      const bool bare = token.size() > 3 && token[3] == '*';
      Put(p, row, ch, note, bare ? 0 : ins, vol);
    }
    ++row;
  }
}

const char* const MelodyA =
    "E-5 . . . . . D-5 . C-5 . . . D-5 . E-5 . | F-5 . . . E-5 . . . C-5 . . . A-4 . . . | "
    "G-4 . . . C-5 . . . E-5 . . . G-5 . E-5 . | D-5 . . . . . . . B-4 . . . D-5 . == .";
const char* const MelodyB =
    "A-5 . . . G-5 . E-5 . . . C-5 . E-5 . . . | F-5 . E-5 . C-5 . . . A-4 . C-5 . . . . . | "
    "E-5 . . . G-5 . . . C-6 . . . B-5 . G-5 . | B-5 . . . A-5 . G-5 . D-5 . . . . . == .";
const char* const MelodyC =
    "C-5 . . . A-4 . . . C-5 . . . F-5 . E-5 . | D-5 . . . B-4 . . . G-4* . . . D-5 . . . | "
    "E-5 . . . . . G-5 . B-5 . . . G-5 . E-5 . | A-5 . . . . . . . E-5 . C-5 . . . == .";

TPattern Bars(int bars) { return TPattern(bars * 16, Channels); }

using TProgression = const TChord* const*;

TPattern Intro1() {
  TPattern p = Bars(4);
  for (int b = 0; b < 4; ++b) {
    PadBar(p, b, *Prog1[b], 40);
    DrumBar(p, b, DHats16);
    Put(p, b * 16, ChBass, Prog1[b]->Root, Bass, 40);
    HitBar(p, b, {0}, false, 36);
  }
  // From the second bar on the hit is a bare note on its channel.
  for (int b = 1; b < 4; ++b) p.At(b * 16, ChHit).Instrument = 0;
  Put(p, 48, ChSweep, Note(4, 0), Sweep, 36);
  return p;
}

TPattern Groove(TProgression prog, int drums, bool arp, const char* melody, int hitsEvery) {
  TPattern p = Bars(4);
  for (int b = 0; b < 4; ++b) {
    PadBar(p, b, *prog[b], 34);
    DrumBar(p, b, drums);
    BassBar(p, b, *prog[b], 52);
    if (arp) ArpBar(p, b, *prog[b], 26);
    if (hitsEvery == 4) HitBar(p, b, {0, 4, 8, 12}, b % 2 == 1);
    else HitBar(p, b, {4, 12}, b >= 2);
  }
  if (melody != nullptr) Melody(p, ChLead, Lead, 40, melody);
  return p;
}

// One bar of fill: a clap roll, the hit in two channels at once, and the
// hit at other notes, which mark nothing.
TPattern Fill() {
  TPattern p = Bars(1);
  for (int i : {0, 4, 8}) Put(p, i, ChKick, Note(4, 0), Kick, 64);
  for (int i = 8; i < 16; ++i) Put(p, i, ChClap, Note(4, 0), Clap, 24 + 4 * (i - 8));
  BassBar(p, 0, G, 52);
  PadBar(p, 0, G, 34);
  Put(p, 0, ChHit, BeatNote, Hit, 44);
  Put(p, 10, ChHit, Note(3, 7), Hit, 36);
  Put(p, 12, ChHit, BeatNote, Hit, 44);
  Put(p, 12, ChHit2, BeatNote, Hit, 30);
  Put(p, 14, ChHit2, Note(5, 7), Hit, 30);
  Put(p, 0, ChSweep, Note(4, 0), Sweep, 40);
  return p;
}

TPattern Breakdown() {
  TPattern p = Bars(4);
  for (int b = 0; b < 4; ++b) {
    PadBar(p, b, *Prog2[b], 46);
    ArpBar(p, b, *Prog2[b], 18);
    DrumBar(p, b, DHats16);
    HitBar(p, b, {0}, false, 40);
  }
  Melody(p, ChLead, Lead, 30, MelodyC);
  Put(p, 48, ChSweep, Note(4, 0), Sweep, 40);
  // A decoy: the hit a fifth up on the last bar's offbeat.
  Put(p, 62, ChHit, Note(5, 2), Hit, 30);
  return p;
}

TPattern Outro3() {
  TPattern p = Bars(4);
  for (int b = 0; b < 4; ++b) {
    PadBar(p, b, *Prog1[b], 38);
    DrumBar(p, b, DKick | DHats16);
    Put(p, b * 16, ChBass, Prog1[b]->Root, Bass, 44);
    HitBar(p, b, {0}, false, 40);
  }
  return p;
}

// Three bars that thin out and lead back into the intro.
TPattern TailPattern() {
  TPattern p = Bars(3);
  for (int b = 0; b < 3; ++b) {
    PadBar(p, b, *Tail[b], 38 - 6 * b);
    DrumBar(p, b, DHats16);
    Put(p, b * 16, ChBass, Tail[b]->Root, Bass, 36);
  }
  HitBar(p, 0, {0, 8}, true, 36);
  Put(p, 32, ChSweep, Note(4, 0), Sweep, 30);
  return p;
}

std::vector<TPattern> MakePatterns() {
  std::vector<TPattern> list;
  list.push_back(Intro1());                                                 // 0
  list.push_back(Groove(Prog1, DKick | DHats, false, nullptr, 2));          // 1
  list.push_back(Groove(Prog1, DKick | DClap | DHats, true, nullptr, 2));   // 2
  list.push_back(Fill());                                                   // 3
  list.push_back(Groove(Prog2, DKick | DClap | DHats, false, MelodyC, 2));  // 4
  list.push_back(Groove(Prog2, DKick | DClap | DHats | DHats16, true, MelodyC, 4));  // 5
  TPattern mainA = Groove(Prog1, DKick | DClap | DHats | DHats16, true, MelodyA, 2);
  Put(mainA, 62, ChHit, Note(5, 2), Hit, 30);  // a decoy
  list.push_back(mainA);                                                    // 6
  list.push_back(Groove(Prog1, DKick | DClap | DOpen | DHats16, true, MelodyB, 2));  // 7
  list.push_back(Breakdown());                                              // 8
  list.push_back(Groove(Prog1, DKick | DClap | DHats, true, MelodyA, 2));   // 9
  list.push_back(Groove(Prog1, DKick | DClap | DHats | DHats16, true, nullptr, 2));  // 10
  list.push_back(Outro3());                                                 // 11
  list.push_back(TailPattern());                                            // 12
  return list;
}

}  // namespace

TSong ComposeTune() {
  TSong song;
  song.Title = "driftmosaic-b";
  song.Channels = Channels;
  song.Speed = 6;
  song.Tempo = 125;
  song.Restart = 0;
  song.Orders = {0, 1, 2, 3, 4, 5, 6, 7, 6, 7, 8, 6, 3, 9, 10, 11, 12};
  song.Patterns = MakePatterns();
  song.Instruments = MakeInstruments();
  return song;
}

}  // namespace tune
