// The runner's video, end to end: the built driftmosaic-capture makes short
// videos through ffmpeg, which ffprobe and ffmpeg read back, picture by
// picture and sample by sample; and its failures leave nothing behind.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

fs::path FreshDir(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("dm-video-" + name + "-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// The show's tune beside the runner's working folder, as the show opens it.
void AddTune(const fs::path& dir) { fs::create_symlink(fs::path(DM_CAPTURE).parent_path() / "driftb.mo3", dir / "driftb.mo3"); }

struct TRun {
  int Code = -1;
  std::string Out, Err;
};

// Runs a shell command in dir; stdout is collected, stderr kept in a file.
TRun RunIn(const fs::path& dir, const std::string& command) {
  const fs::path err = fs::temp_directory_path() / ("dm-video-err-" + std::to_string(::getpid()) + ".txt");
  const std::string cmd = "cd '" + dir.string() + "' && " + command + " 2>'" + err.string() + "'";
  TRun run;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return run;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) run.Out.append(buf, n);
  const int status = ::pclose(p);
  run.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.Err = Slurp(err);
  fs::remove(err);
  return run;
}

std::string Capture(const std::string& args) { return std::string("'") + DM_CAPTURE + "' " + args; }

std::set<std::string> Names(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

// ffprobe's view of every stream: key=value pairs, frames counted by decoding.
std::vector<std::map<std::string, std::string>> Streams(const fs::path& file) {
  const TRun run = RunIn(file.parent_path(),
                         "ffprobe -v error -count_frames -show_entries "
                         "stream=codec_type,codec_name,width,height,nb_read_frames,r_frame_rate,start_time,"
                         "sample_rate,channels,sample_fmt '" +
                             file.string() + "'");
  std::vector<std::map<std::string, std::string>> streams;
  std::istringstream lines(run.Out);
  for (std::string line; std::getline(lines, line);) {
    if (line == "[STREAM]") streams.emplace_back();
    const size_t eq = line.find('=');
    if (eq != std::string::npos && !streams.empty()) streams.back()[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return streams;
}

// The trace's hash of each tick's surface, in tick order.
std::vector<uint64_t> TraceHashes(const std::string& out) {
  std::vector<uint64_t> hashes;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    const size_t at = line.find(" hash=");
    if (at != std::string::npos) hashes.push_back(std::stoull(line.substr(at + 6), nullptr, 16));
  }
  return hashes;
}

// A decoded B, G, R, 0 picture taken back to the 5-6-5 pixels it was made
// from: every scale x scale block one colour, every channel its top bits
// repeated below them. Returns the FNV-1a 64 of the pixels as the trace
// hashes them, or 0 when the picture is not such an enlargement.
uint64_t HashOfEnlarged565(const uint8_t* bgr0, int width, int height, int scale) {
  uint64_t h = 1469598103934665603ull;
  const size_t stride = size_t(width) * size_t(scale) * 4;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = bgr0 + size_t(y) * size_t(scale) * stride + size_t(x) * size_t(scale) * 4;
      for (int dy = 0; dy < scale; ++dy)
        for (int dx = 0; dx < scale; ++dx)
          if (!std::equal(p, p + 4, p + size_t(dy) * stride + size_t(dx) * 4)) return 0;
      const uint32_t b = p[0] >> 3, g = p[1] >> 2, r = p[2] >> 3;
      if (p[0] != ((b << 3) | (b >> 2)) || p[1] != ((g << 2) | (g >> 4)) || p[2] != ((r << 3) | (r >> 2)) ||
          p[3] != 0)
        return 0;
      const uint32_t v = (r << 11) | (g << 5) | b;
      h = (h ^ (v & 0xFF)) * 1099511628211ull;
      h = (h ^ (v >> 8)) * 1099511628211ull;
    }
  return h;
}

// Decodes the video's pictures one at a time and hashes each as above, as
// they are stored (without filling the 40 ms before the first one).
std::vector<uint64_t> DecodedHashes(const fs::path& file, int width, int height, int scale) {
  const std::string cmd = "ffmpeg -v error -nostdin -i '" + file.string() + "' -map 0:v -fps_mode passthrough -f rawvideo -pix_fmt bgr0 -";
  std::vector<uint64_t> hashes;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return hashes;
  std::vector<uint8_t> picture(size_t(width) * size_t(height) * size_t(scale * scale) * 4);
  while (std::fread(picture.data(), 1, picture.size(), p) == picture.size())
    hashes.push_back(HashOfEnlarged565(picture.data(), width, height, scale));
  ::pclose(p);
  return hashes;
}

std::string DecodedSound(const fs::path& file) {
  return RunIn(file.parent_path(), "ffmpeg -v error -nostdin -i '" + file.string() + "' -map 0:a -f s16le -").Out;
}

// The error is the last line of stderr, and one line.
std::string ErrorLine(const std::string& err) {
  const size_t at = err.rfind("driftmosaic-capture: ");
  return at == std::string::npos ? "" : err.substr(at);
}

// Processes whose command line contains text.
int ProcessesNaming(const std::string& text) {
  int found = 0;
  for (const auto& e : fs::directory_iterator("/proc")) {
    const std::string name = e.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string cmdline = Slurp(e.path() / "cmdline");
    std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
    if (cmdline.find(text) != std::string::npos) ++found;
  }
  return found;
}

}  // namespace

// 50 ticks of scene 1 at scale 2 with the music: 50 pictures of 1024 x 768,
// each the tick's surface exactly, and the run's sound, losslessly, plus the
// 40 ms during which the last picture shows.
TEST(Video, ShortRunWithSoundHoldsEveryTickAndTheMusicLosslessly) {
  const fs::path dir = FreshDir("sound");
  AddTune(dir);
  const TRun run = RunIn(dir, Capture("--seed 7 --trace --frames 50 --scale 2 --wav run.wav --video show.mkv"));
  ASSERT_EQ(run.Code, 0) << run.Err;
  EXPECT_EQ(Names(dir), (std::set<std::string>{"driftb.mo3", "run.wav", "show.mkv"}));
  EXPECT_NE(run.Err.find("video: 50 frames"), std::string::npos) << run.Err;

  const auto streams = Streams(dir / "show.mkv");
  ASSERT_EQ(streams.size(), 2u);
  const std::map<std::string, std::string> video = streams[0], sound = streams[1];
  EXPECT_EQ(video.at("codec_type"), "video");
  EXPECT_EQ(video.at("codec_name"), "ffv1");
  EXPECT_EQ(video.at("width"), "1024");
  EXPECT_EQ(video.at("height"), "768");
  EXPECT_EQ(video.at("nb_read_frames"), "50");
  EXPECT_EQ(video.at("r_frame_rate"), "25/1");
  // Tick 1 comes 40 ms after the music starts.
  EXPECT_EQ(video.at("start_time"), "0.040000");
  EXPECT_EQ(sound.at("codec_type"), "audio");
  EXPECT_EQ(sound.at("codec_name"), "flac");
  EXPECT_EQ(sound.at("sample_rate"), "44100");
  EXPECT_EQ(sound.at("channels"), "2");
  EXPECT_EQ(sound.at("start_time"), "0.000000");

  const std::vector<uint64_t> traced = TraceHashes(run.Out);
  ASSERT_EQ(traced.size(), 50u);
  EXPECT_EQ(DecodedHashes(dir / "show.mkv", 512, 384, 2), traced);

  // The WAV holds the 50 ticks' 1,764 frames each up to the last tick's
  // start; the video one tick more.
  const std::string wav = Slurp(dir / "run.wav");
  const std::string pcm = DecodedSound(dir / "show.mkv");
  ASSERT_EQ(wav.size(), 44u + 4u * 1764u * 50u);
  ASSERT_EQ(pcm.size(), 4u * 1764u * 51u);
  EXPECT_EQ(pcm.compare(0, wav.size() - 44, wav, 44), 0);
  EXPECT_NE(pcm.find_first_not_of('\0'), std::string::npos);
  fs::remove_all(dir);
}

TEST(Video, NoSoundMakesPicturesOnly) {
  const fs::path dir = FreshDir("nosound");
  const TRun run = RunIn(dir, Capture("--seed 3 --trace --frames 50 --video show.mkv -- -nosound"));
  ASSERT_EQ(run.Code, 0) << run.Err;
  const auto streams = Streams(dir / "show.mkv");
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].at("codec_type"), "video");
  EXPECT_EQ(streams[0].at("width"), "512");
  EXPECT_EQ(streams[0].at("height"), "384");
  EXPECT_EQ(streams[0].at("nb_read_frames"), "50");
  EXPECT_EQ(DecodedHashes(dir / "show.mkv", 512, 384, 1), TraceHashes(run.Out));
  fs::remove_all(dir);
}

// Without --frames the video runs to the show's end: from scene 6, the
// untimed first tick and 14 more flash ticks (clock 1 to 15), scene 7's 690
// (clock 1 to 691) and the tick that ends the show. That last tick presents
// nothing, so it repeats the picture before it.
TEST(Video, RunsToTheEndOfTheShowWithOneFramePerTick) {
  const fs::path dir = FreshDir("end");
  const TRun run = RunIn(dir, Capture("--seed 3 --trace --video show.mkv -- -nosound -scene6"));
  ASSERT_EQ(run.Code, 0) << run.Err;
  const std::vector<uint64_t> traced = TraceHashes(run.Out);
  ASSERT_EQ(traced.size(), 15u + 690u + 1u);
  EXPECT_NE(run.Out.rfind("scene=8 "), std::string::npos);
  const std::vector<uint64_t> decoded = DecodedHashes(dir / "show.mkv", 512, 384, 1);
  ASSERT_EQ(decoded.size(), traced.size());
  EXPECT_EQ(decoded, traced);
  EXPECT_EQ(decoded[705], decoded[704]);
  EXPECT_NE(decoded[705], 0u);
  fs::remove_all(dir);
}

// Each failure: exit 2, one line naming the cause, and no file under the
// requested name, no temporary file beside it and no private folder left.
TEST(Video, FailuresExitTwoWithOneLineAndLeaveNothing) {
  struct TCase {
    const char* Name;
    const char* FakeFfmpeg;  // script standing in for ffmpeg, or null
    bool NoPath;             // PATH names an empty folder
    const char* Output;
    const char* Message;
  };
  const TCase cases[] = {
      {"ffmpeg missing", nullptr, true, "show.mkv", "ffmpeg is not on PATH"},
      {"folder missing", nullptr, false, "nowhere/show.mkv", "cannot write nowhere/show.mkv: No such file or directory"},
      {"a folder", nullptr, false, "sub", "cannot write sub: it names a folder"},
      {"ffmpeg fails at once", "echo 'encoder exploded' >&2; exit 1", false, "show.mkv",
       "ffmpeg failed (exit status 1): encoder exploded"},
      {"ffmpeg fails at the end", "cat >/dev/null; echo 'muxer broke' >&2; exit 3", false, "show.mkv",
       "ffmpeg failed (exit status 3): muxer broke"},
      {"ffmpeg killed", "head -c 100000 >/dev/null; kill -9 $$", false, "show.mkv", "ffmpeg was killed by signal 9"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const fs::path dir = FreshDir("fail");
    AddTune(dir);
    fs::create_directories(dir / "sub");
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "tmp");
    std::string path = "PATH=/usr/bin:/bin";
    if (c.FakeFfmpeg != nullptr) {
      std::ofstream(dir / "bin" / "ffmpeg") << "#!/bin/sh\n" << c.FakeFfmpeg << "\n";
      fs::permissions(dir / "bin" / "ffmpeg", fs::perms::owner_all);
      path = "PATH='" + (dir / "bin").string() + "':/usr/bin:/bin";
    }
    if (c.NoPath) path = "PATH='" + (dir / "bin").string() + "'";
    const std::set<std::string> before = Names(dir);
    const TRun run = RunIn(dir, path + " TMPDIR='" + (dir / "tmp").string() + "' " +
                                    Capture(std::string("--seed 1 --frames 30 --video ") + c.Output));
    EXPECT_EQ(run.Code, 2);
    const std::string line = ErrorLine(run.Err);
    EXPECT_NE(line.find(c.Message), std::string::npos) << run.Err;
    EXPECT_EQ(line.find('\n'), line.size() - 1) << run.Err;
    EXPECT_EQ(Names(dir), before);
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
    fs::remove_all(dir);
  }
}

// Stopped by a signal in the middle, the runner stops ffmpeg and deletes
// what it had written.
TEST(Video, InterruptedCaptureStopsFfmpegAndLeavesNothing) {
  const fs::path dir = FreshDir("interrupt");
  fs::create_directories(dir / "tmp");
  const TRun run = RunIn(dir, "TMPDIR='" + (dir / "tmp").string() + "' " +
                                  Capture("--seed 1 --video show.mkv -- -nosound") +
                                  " 2>/dev/null & p=$!; sleep 1; kill -TERM $p; wait $p; echo $?");
  EXPECT_EQ(run.Out, "2\n");
  EXPECT_EQ(Names(dir), std::set<std::string>{"tmp"});
  EXPECT_TRUE(fs::is_empty(dir / "tmp"));
  // No ffmpeg still writing beside the requested name.
  EXPECT_EQ(ProcessesNaming(dir.string() + "/.show.mkv.partial-"), 0);
  fs::remove_all(dir);
}

TEST(Video, BadOptionsExitTwoBeforeAnythingIsWritten) {
  const char* cases[] = {
      "--video show.mkv --scale 0",      "--video show.mkv --scale 9",   "--video show.mkv --scale x",
      "--video show.mkv --scale",        "--scale 2",                     "--video show.mkv --frame-ms 40",
      "--frame-ms 0 --video show.mkv",   "--video",                       "--video ''",
      "--frames 5 --scale -1 --video show.mkv",
      // Shows that never end need --frames.
      "--video show.mkv -- -nosound -loop", "--video show.mkv -- -nosound -scene0",
  };
  const fs::path dir = FreshDir("options");
  for (const char* args : cases) {
    const TRun run = RunIn(dir, Capture(args));
    EXPECT_EQ(run.Code, 2) << args;
    EXPECT_EQ(run.Out, "") << args;
    const std::string line = ErrorLine(run.Err);
    ASSERT_FALSE(line.empty()) << args;
    EXPECT_EQ(run.Err, line) << args;
    EXPECT_EQ(line.find('\n'), line.size() - 1) << args << ": " << line;
    EXPECT_TRUE(fs::is_empty(dir)) << args;
  }
  const TRun help = RunIn(dir, Capture("--help"));
  EXPECT_EQ(help.Code, 0);
  for (const char* option : {"--video", "--scale"}) EXPECT_NE(help.Out.find(option), std::string::npos) << option;
  // A video of a show that never ends, cut by --frames.
  const TRun loop = RunIn(dir, Capture("--seed 2 --frames 3 --video show.mkv -- -nosound -scene0"));
  EXPECT_EQ(loop.Code, 0) << loop.Err;
  EXPECT_EQ(Names(dir), std::set<std::string>{"show.mkv"});
  fs::remove_all(dir);
}
