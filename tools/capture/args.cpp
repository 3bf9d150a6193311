#include <charconv>

#include "tools/capture/runner.h"
#include "tools/capture/video.h"

const char* const RunnerUsage =
    "usage: driftmosaic-capture [options] [-- show options]\n"
    "  --frames N        stop after N ticks (default: run to the end of the show)\n"
    "  --seed N          seed every reset with N instead of the time of day\n"
    "  --frame-ms LIST   comma-separated virtual work per tick in ms; the last repeats (default 0)\n"
    "  --clock-start MS  virtual millisecond count when the timer starts (default 0)\n"
    "  --layout 565|555  pixel layout of the headless display (default 565)\n"
    "  --png DIR         write presented frames as DIR/frame-NNNNN.png\n"
    "  --png-every K     only every K-th tick (default 1)\n"
    "  --trace           one line of state per tick on stdout\n"
    "  --wav FILE        write the run's audio (16-bit stereo, 44100 Hz)\n"
    "  --video FILE      make a video with ffmpeg: 25 pictures a second, one a tick,\n"
    "                    and the music; Matroska with FFV1 pictures and FLAC sound\n"
    "                    (lossless; no sound stream under -nosound)\n"
    "  --scale K         video pictures K times as wide and high, 1 to 8 (default 1)\n"
    "  --help            this text\n";

namespace {

template <typename T>
bool ParseNumber(const std::string& text, T& value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

// A video has one picture per 40 ms tick, so the ticks keep the default work.
bool CheckVideoOptions(const TRunnerOptions& o, std::string& error) {
  if (o.VideoPath.empty() && o.ScaleGiven) return error = "--scale applies to --video only", false;
  if (!o.VideoPath.empty() && o.FrameMsGiven)
    return error = "--video takes one tick per 40 ms; --frame-ms cannot be combined with it", false;
  return true;
}

}  // namespace

bool ParseRunnerArgs(const std::vector<std::string>& args, TRunnerOptions& options, std::string& error,
                     bool& help) {
  help = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      options.ShowArgs.assign(args.begin() + long(i) + 1, args.end());
      break;
    }
    if (a == "--help" || a == "-h") {
      help = true;
      return true;
    }
    if (a == "--trace") {
      options.Trace = true;
      continue;
    }
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string v;
    if (a == "--frames") {
      uint64_t n;
      if (!value(v) || !ParseNumber(v, n)) return error = error.empty() ? "--frames needs a whole number" : error, false;
      options.Frames = n;
    } else if (a == "--seed") {
      uint32_t n;
      if (!value(v) || !ParseNumber(v, n)) return error = error.empty() ? "--seed needs a number from 0 to 4294967295" : error, false;
      options.Seed = n;
    } else if (a == "--frame-ms") {
      if (!value(v)) return false;
      options.FrameMs.clear();
      options.FrameMsGiven = true;
      size_t start = 0;
      while (true) {
        const size_t comma = v.find(',', start);
        uint32_t n;
        if (!ParseNumber(v.substr(start, comma - start), n)) {
          error = "--frame-ms needs comma-separated whole numbers of milliseconds";
          return false;
        }
        options.FrameMs.push_back(n);
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
    } else if (a == "--clock-start") {
      uint32_t n;
      if (!value(v) || !ParseNumber(v, n)) return error = error.empty() ? "--clock-start needs a number from 0 to 4294967295" : error, false;
      options.ClockStart = n;
    } else if (a == "--layout") {
      if (!value(v)) return false;
      if (v == "565") options.Layout555 = false;
      else if (v == "555") options.Layout555 = true;
      else return error = "--layout takes 565 or 555", false;
    } else if (a == "--png") {
      if (!value(v)) return false;
      options.PngDir = v;
    } else if (a == "--png-every") {
      uint32_t n;
      if (!value(v) || !ParseNumber(v, n) || n == 0) return error = error.empty() ? "--png-every needs a whole number of at least 1" : error, false;
      options.PngEvery = n;
    } else if (a == "--wav") {
      if (!value(v)) return false;
      options.WavPath = v;
    } else if (a == "--video") {
      if (!value(v)) return false;
      if (v.empty()) return error = "--video needs a file name", false;
      options.VideoPath = v;
    } else if (a == "--scale") {
      uint32_t n;
      if (!value(v) || !ParseNumber(v, n) || n < 1 || n > MaxVideoScale)
        return error = error.empty() ? "--scale needs a whole number from 1 to " + std::to_string(MaxVideoScale) : error,
               false;
      options.Scale = n;
      options.ScaleGiven = true;
    } else {
      error = "unknown option " + a + " (see --help)";
      return false;
    }
  }
  return CheckVideoOptions(options, error);
}
