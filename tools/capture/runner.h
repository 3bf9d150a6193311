// The headless runner: the real form and scenes over a headless display and
// a virtual millisecond clock.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TRunnerOptions {
  std::optional<uint64_t> Frames;  // stop after this many ticks
  std::optional<uint32_t> Seed;
  std::vector<uint32_t> FrameMs{0};
  uint32_t ClockStart = 0;
  bool Layout555 = false;
  std::string PngDir;
  uint32_t PngEvery = 1;
  bool Trace = false;
  std::string WavPath;
  std::string VideoPath;  // Matroska file made by ffmpeg
  uint32_t Scale = 1;     // whole-number scale of the video's pictures
  bool FrameMsGiven = false;
  bool ScaleGiven = false;
  std::vector<std::string> ShowArgs;  // after "--"
};

// Parses the runner's arguments (argv[0] excluded). On error returns false
// and sets error to a one-line message.
bool ParseRunnerArgs(const std::vector<std::string>& args, TRunnerOptions& options, std::string& error,
                     bool& help);

extern const char* const RunnerUsage;

// Runs the show; returns the exit code.
int RunHeadless(const TRunnerOptions& options, const std::string& programPath);
