// The audio output the music component plays through, supplied by the
// platform (the SDL build registers one); the core knows no audio library.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

// Fills frames of interleaved 16-bit stereo; runs on the output's thread.
using TAudioPull = void (*)(int16_t* stereo, size_t frames, void* context);

class IAudioOutput {
 public:
  virtual ~IAudioOutput() = default;
  // Opens the output at rate, stereo, paused. False when no output can be had.
  virtual bool Open(uint32_t rate, TAudioPull pull, void* context) = 0;
  // Starts (unpauses) the pulls.
  virtual void Start() = 0;
  // Stops the pulls and closes; after it returns no pull runs.
  virtual void Close() = 0;
  // How many of the pulled frames have been heard so far (never decreasing).
  virtual uint64_t PlayedFrames() = 0;
};

using TAudioOutputFactory = std::unique_ptr<IAudioOutput> (*)();

// The platform names its output; BASS_Init with device -1 opens it. Without
// a registered output that init fails.
void RegisterSystemAudioOutput(TAudioOutputFactory factory);
