#include "music/player.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <libopenmpt/libopenmpt.hpp>
#include <string>

namespace {

constexpr size_t MaxBlock = 256;
constexpr uint8_t FirstNote = 1;   // libopenmpt: C-0 of its scale
constexpr uint8_t LastNote = 120;  // B-9; above are note-off, cut and fade

}  // namespace

int32_t NoteOffsetForFormat(const char* type, const char* originalType) {
  std::string t = type;
  // A module packed as MO3 keeps the naming of the format it was made from.
  if (t == "mo3" && originalType != nullptr && *originalType != '\0') t = originalType;
  if (t == "it" || t == "mptm") return 0;
  // ProTracker names the lowest octave C-1 at libopenmpt's 49.
  if (t == "mod") return 36;
  // FastTracker, Scream Tracker and the rest: libopenmpt reads one octave up.
  return 12;
}

std::unique_ptr<TModulePlayer> TModulePlayer::Load(std::vector<char> bytes, HMUSIC handle, uint32_t flags,
                                                   uint32_t rate) {
  std::unique_ptr<TModulePlayer> player(new TModulePlayer());
  player->Bytes = std::move(bytes);
  player->MusicHandle = handle;
  player->Flags = flags;
  player->Rate = rate;
  if (!player->CreateModule()) return nullptr;
  try {
    const std::string type = player->Module->get_metadata("type");
    const std::string original = player->Module->get_metadata("originaltype");
    player->NoteOffset = NoteOffsetForFormat(type.c_str(), original.c_str());
    player->LastInstrument.assign(size_t(std::max(0, player->Module->get_num_channels())), 0);
  } catch (...) {
    return nullptr;
  }
  return player;
}

TModulePlayer::TModulePlayer() : Log(&Discard) {}
TModulePlayer::~TModulePlayer() = default;

bool TModulePlayer::CreateModule() {
  try {
    Module = std::make_unique<openmpt::module>(Bytes, Log);
    // No dither: the same module renders the same samples on every run.
    Module->ctl_set_integer("dither", 0);
  } catch (...) {
    Module.reset();
    return false;
  }
  ApplyFlags();
  return true;
}

void TModulePlayer::SetFlags(uint32_t flags) {
  Flags = flags;
  ApplyFlags();
}

void TModulePlayer::ApplyFlags() {
  try {
    Module->set_repeat_count((Flags & BASS_MUSIC_LOOP) ? -1 : 0);
  } catch (...) {
  }
}

bool TModulePlayer::Play(int32_t order, int32_t row, bool resetVoices) {
  if (resetVoices) {
    if (!CreateModule()) return IsPlaying = false;
    std::fill(LastInstrument.begin(), LastInstrument.end(), 0);
  }
  EndFrame = UINT64_MAX;
  try {
    const double start = Module->set_position_order_row(order, row);
    if (!(Flags & BASS_MUSIC_LOOP)) {
      const double left = Module->get_duration_seconds() - start;
      EndFrame = left > 0 ? uint64_t(std::llround(left * double(Rate))) : 0;
    }
  } catch (...) {
    return IsPlaying = false;
  }
  LastOrder = -1;
  LastRow = -1;
  Rendered = 0;
  NextRowStart = 0;
  return IsPlaying = true;
}

void TModulePlayer::Render(int16_t* out, size_t frames, uint64_t outFrame, ISyncSink& sink) {
  size_t done = 0;
  while (done < frames && IsPlaying) {
    size_t want = std::min(MaxBlock, frames - done);
    if (NextRowStart > Rendered && NextRowStart - Rendered < want) want = size_t(NextRowStart - Rendered);
    size_t got = 0;
    try {
      got = Module->read(int32_t(Rate), want, out + 2 * done);
    } catch (...) {
      got = 0;
    }
    // A song played once renders a short tail past its end, reporting a
    // false row 0 there: rows are followed only up to the song's end.
    // A read may come back short; only an empty one ends the song.
    if (got == 0) {
      IsPlaying = false;
      break;
    }
    if (Rendered < EndFrame) OnRowSeen(outFrame + done, sink);
    Rendered += got;
    done += got;
  }
  if (done < frames) std::memset(out + 2 * done, 0, (frames - done) * 2 * sizeof(int16_t));
}

void TModulePlayer::OnRowSeen(uint64_t blockFrame, ISyncSink& sink) {
  int32_t order = 0, row = 0, pattern = 0;
  try {
    order = Module->get_current_order();
    row = Module->get_current_row();
    pattern = Module->get_current_pattern();
  } catch (...) {
    return;
  }
  if (order == LastOrder && row == LastRow) return;
  LastOrder = order;
  LastRow = row;
  // The row began in the block just rendered; the block was cut where the
  // row was due, so at steady tempo its first frame is the block's first.
  NextRowStart = Rendered + FramesPerRow();
  FollowInstruments(pattern, row);
  for (const TSyncSpec& sync : Syncs)
    if (RowMatches(sync, pattern, row)) sink.Post(TSyncEvent{blockFrame, MusicHandle, sync});
}

uint64_t TModulePlayer::FramesPerRow() const {
  int32_t speed = 0, tempo = 0;
  try {
    speed = Module->get_current_speed();
    tempo = Module->get_current_tempo();
  } catch (...) {
    return 0;
  }
  if (speed <= 0 || tempo <= 0) return 0;
  // A tick lasts 2.5 / tempo seconds.
  const uint64_t tick = (uint64_t(Rate) * 5 + uint64_t(tempo)) / (2 * uint64_t(tempo));
  return tick * uint64_t(speed);
}

void TModulePlayer::FollowInstruments(int32_t pattern, int32_t row) {
  for (size_t ch = 0; ch < LastInstrument.size(); ++ch) {
    uint8_t instrument = 0;
    try {
      instrument = Module->get_pattern_row_channel_command(pattern, row, int32_t(ch), openmpt::module::command_instrument);
    } catch (...) {
    }
    if (instrument != 0) LastInstrument[ch] = instrument;
  }
}

bool TModulePlayer::RowMatches(const TSyncSpec& sync, int32_t pattern, int32_t row) const {
  for (size_t ch = 0; ch < LastInstrument.size(); ++ch) {
    uint8_t note = 0;
    try {
      note = Module->get_pattern_row_channel_command(pattern, row, int32_t(ch), openmpt::module::command_note);
    } catch (...) {
    }
    if (note < FirstNote || note > LastNote) continue;
    // A note without an instrument number plays the channel's last one.
    if (LastInstrument[ch] != sync.Instrument) continue;
    const int32_t named = int32_t(note) - FirstNote - NoteOffset;
    if (sync.Note == 0xFFFF || named == int32_t(sync.Note)) return true;
  }
  return false;
}
