// The runner's sound: the music pulled in step with the virtual clock, and
// the run's audio written as a WAV file.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

class TRunnerAudio {
 public:
  static constexpr uint32_t Rate = 44100;

  ~TRunnerAudio();
  // Opens the WAV file when a path is given. origin is the virtual time at
  // which the music starts. False (with error set) when the file cannot be
  // created.
  bool Begin(const std::string& wavPath, uint32_t origin, std::string& error);
  // Decodes the music up to virtual time now (44.1 frames per millisecond,
  // counted exactly), which delivers the beats that fall before it. With
  // soundOn false nothing reaches the music component: the span is silence.
  void DecodeUntil(uint32_t now, bool soundOn);
  // Completes the WAV file; false when writing failed.
  bool Finish(std::string& error);

  uint64_t FramesDone() const { return Frames; }

  // Given every decoded block as well (the video's sound), also after Finish.
  std::function<void(const int16_t* stereo, size_t frames)> OnFrames;

 private:
  void Write(const int16_t* stereo, size_t frames);

  std::FILE* Wav = nullptr;
  bool WriteFailed = false;
  uint32_t Last = 0;
  uint64_t ElapsedMs = 0;
  uint64_t Frames = 0;
  static constexpr size_t BlockFrames = 4096;
  int16_t Block[BlockFrames * 2] = {};
};
