// One loaded module: decoding with libopenmpt, following the rows as they
// are rendered, and finding the rows that start the notes a sync asks for.
#pragma once
#include <cstdint>
#include <memory>
#include <ostream>
#include <streambuf>
#include <vector>

#include "music/bass.h"

namespace openmpt {
class module;
}

// What a sync of type "instrument played" selects, and whom it calls.
struct TSyncSpec {
  HSYNC Handle = 0;
  uint32_t Instrument = 0;  // 1-based
  uint32_t Note = 0;        // 0 = C-0 in the format's naming; 0xFFFF = any
  SYNCPROC Proc = nullptr;
  void* User = nullptr;
};

// A row that starts a selected note, at an output frame.
struct TSyncEvent {
  uint64_t Frame = 0;
  HMUSIC Music = 0;
  TSyncSpec Sync;
};

// Receives the events found while rendering.
class ISyncSink {
 public:
  virtual void Post(const TSyncEvent& event) = 0;

 protected:
  ~ISyncSink() = default;
};

// Swallows libopenmpt's log: the component never writes to stderr.
class TDiscardBuffer final : public std::streambuf {
 protected:
  int overflow(int c) override { return c == traits_type::eof() ? 0 : c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// The offset between libopenmpt's note numbers (1 = C-0 of its scale) and
// the format's own naming (0 = C-0), by the module's format name.
int32_t NoteOffsetForFormat(const char* type, const char* originalType);

class TModulePlayer {
 public:
  // Loads a module from its file bytes; nullptr when libopenmpt refuses it.
  static std::unique_ptr<TModulePlayer> Load(std::vector<char> bytes, HMUSIC handle, uint32_t flags,
                                             uint32_t rate);
  ~TModulePlayer();

  HMUSIC Handle() const { return MusicHandle; }
  bool Playing() const { return IsPlaying; }
  void SetFlags(uint32_t flags);
  void AddSync(const TSyncSpec& sync) { Syncs.push_back(sync); }
  // Plays from order/row; resetVoices starts from a freshly loaded module.
  bool Play(int32_t order, int32_t row, bool resetVoices);
  void Stop() { IsPlaying = false; }

  // Renders frames (stereo, interleaved) whose first is output frame
  // outFrame; silence past the end of a song played once. Rows are followed
  // in blocks of at most 256 frames, cut at the predicted start of the next
  // row, so each row's first frame is found exactly at steady tempo.
  void Render(int16_t* out, size_t frames, uint64_t outFrame, ISyncSink& sink);

 private:
  TModulePlayer();
  bool CreateModule();
  void ApplyFlags();
  void OnRowSeen(uint64_t outFrame, ISyncSink& sink);
  bool RowMatches(const TSyncSpec& sync, int32_t pattern, int32_t row) const;
  void FollowInstruments(int32_t pattern, int32_t row);
  uint64_t FramesPerRow() const;

  TDiscardBuffer Discard;
  std::ostream Log;
  std::vector<char> Bytes;
  std::unique_ptr<openmpt::module> Module;
  HMUSIC MusicHandle = 0;
  uint32_t Flags = 0;
  uint32_t Rate = 44100;
  int32_t NoteOffset = 12;
  bool IsPlaying = false;
  std::vector<TSyncSpec> Syncs;
  std::vector<uint8_t> LastInstrument;  // per channel, the instrument a bare note plays
  int32_t LastOrder = -1;
  int32_t LastRow = -1;
  uint64_t EndFrame = UINT64_MAX;  // in Rendered: the end of a song played once
  uint64_t Rendered = 0;       // frames rendered since Play
  uint64_t NextRowStart = 0;   // predicted frame (in Rendered) of the next row; 0 = unknown
};
