// The runner's video: one picture per tick and the music decoded in step,
// piped into ffmpeg, which encodes them losslessly (FFV1 pictures, FLAC
// sound) into a Matroska file. ffmpeg writes to a temporary name beside the
// requested one; the file takes the requested name only once ffmpeg has
// finished well, so a failed or interrupted capture leaves nothing under it.
#pragma once
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "render/surface.h"

// Whole-number scale factors the video accepts: up to 4096 x 3072 pictures.
constexpr uint32_t MaxVideoScale = 8;

// Bytes waiting for a pipe, in the order they were queued. Chunks keep their
// memory when they are used up, so a steady run allocates nothing.
class TByteQueue {
 public:
  // A chunk at the back, empty, to be filled by the caller.
  std::vector<uint8_t>& PushBack();
  bool Empty() const { return Count == 0; }
  size_t Chunks() const { return Count; }
  const uint8_t* FrontData() const { return Slots[Head].data() + Offset; }
  size_t FrontSize() const { return Slots[Head].size() - Offset; }
  // Drops n bytes of the front chunk (at most FrontSize()).
  void Consume(size_t n);

 private:
  std::vector<std::vector<uint8_t>> Slots;
  size_t Head = 0, Count = 0, Offset = 0;
};

class TVideoWriter {
 public:
  TVideoWriter() = default;
  TVideoWriter(const TVideoWriter&) = delete;
  TVideoWriter& operator=(const TVideoWriter&) = delete;
  // Abandons an unfinished video: ffmpeg is stopped, the temporary file and
  // folder are deleted.
  ~TVideoWriter();

  // Finds ffmpeg on PATH and creates the temporary output file beside path.
  // False with a one-line error when either fails.
  bool Prepare(const std::string& path, std::string& error);
  // Starts ffmpeg on width x height pictures of the given layout, scaled by
  // scale, with a sound stream when withAudio.
  bool Start(int32_t width, int32_t height, TPixelLayout layout, uint32_t scale, bool withAudio,
             std::string& error);

  // Keeps the picture presented last; every tick's video frame is the last
  // picture presented up to its end (black before the first).
  void Present(const TSurface& frame);
  // Queues 16-bit stereo sound (ignored without a sound stream).
  void AddAudio(const int16_t* stereo, size_t frames);
  // Queues the tick's video frame and writes what ffmpeg takes. Returns
  // false (with error set) when ffmpeg has failed or the run was interrupted.
  bool EndTick(std::string& error);
  // Ends both streams, waits for ffmpeg and gives the file its name.
  bool Finish(std::string& error);

  uint64_t FramesQueued() const { return Frames; }

 private:
  struct TStream {
    int Fd = -1;
    bool Ended = false;  // all written and closed
    TByteQueue Queue;
  };
  bool Flow(bool finishing, std::string& error);
  bool OpenAudioPipe(std::string& error);
  bool Drain(TStream& s, std::string& error);
  // True when ffmpeg has read all the sound written to its pipe.
  bool SoundPipeEmpty() const;
  // True (with error set) once ffmpeg has exited; waiting, gives it a few
  // seconds to do so.
  bool FfmpegFailed(std::string& error, bool wait = false);
  void Abandon();

  std::string Ffmpeg;      // its full path
  std::string FinalPath;   // the requested name
  std::string TempPath;    // where ffmpeg writes
  std::string WorkDir;     // private folder for the sound pipe and ffmpeg's messages
  std::string AudioPipe, LogPath;
  pid_t Child = -1;
  bool Done = false;
  TStream Video, Audio;
  bool WithAudio = false;
  int32_t Width = 0, Height = 0;
  uint32_t Scale = 1;
  std::vector<uint32_t> Palette;  // 16-bit pixel -> B, G, R, 0 bytes
  std::vector<uint16_t> Last;     // the last picture presented, Width x Height
  uint64_t Frames = 0;
};

// The progress line on stderr: frames done, the scene, the time taken and an
// estimate of the time left, rewritten in place at most four times a second.
class TProgressLine {
 public:
  TProgressLine();
  // total is the expected number of frames (0 when unknown).
  void Update(uint64_t done, uint64_t total, unsigned scene);
  // Ends the line: with the summary when ok, else just a newline (if a line
  // was shown) for the error that follows.
  void End(uint64_t done, unsigned scene, bool ok);
  double ElapsedSeconds() const;

 private:
  void Print(uint64_t done, uint64_t total, unsigned scene);
  std::chrono::steady_clock::time_point Started, LastShown;
  bool Shown = false;
};

class TForm1;
// Ticks still to come until the show ends when every tick is one step (as in
// a video): the playing scene's clock up to its limit, the later scenes in
// full, and the tick that ends the show. 0 when the show never ends.
uint64_t ShowTicksLeft(const TForm1& form);
