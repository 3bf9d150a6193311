// The headless runner, end to end: the built driftmosaic-capture is run and
// its trace, exit codes and pictures are checked.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TRun {
  int Code = -1;
  std::string Out, Err;
  std::vector<std::string> Lines;
};

std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Runs the runner with the given arguments (shell-quoted by the caller).
TRun Capture(const std::string& args) {
  const std::filesystem::path err = std::filesystem::temp_directory_path() /
                                    ("dm-runner-err-" + std::to_string(::getpid()) + ".txt");
  const std::string cmd = std::string("'") + DM_CAPTURE + "' " + args + " 2>'" + err.string() + "'";
  TRun run;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return run;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) run.Out.append(buf, n);
  const int status = ::pclose(p);
  run.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.Err = Slurp(err);
  std::filesystem::remove(err);
  std::istringstream lines(run.Out);
  for (std::string line; std::getline(lines, line);) run.Lines.push_back(line);
  return run;
}

// FNV-1a 64 of a 512 x 384 surface whose every pixel is v, as little-endian words.
uint64_t UniformHash(uint16_t v) {
  uint64_t h = 1469598103934665603ull;
  for (int i = 0; i < 512 * 384; ++i) {
    h = (h ^ (v & 0xFF)) * 1099511628211ull;
    h = (h ^ (v >> 8)) * 1099511628211ull;
  }
  return h;
}

struct TTraceLine {
  uint64_t Frame;
  unsigned Scene;
  std::string Step, C1, C3, C5, C7, Flash;
  uint32_t Seed;
  int Beat;
  unsigned Syncs;
  uint64_t Hash;
};

const std::regex TraceLine(
    "frame=([0-9]+) scene=([0-9]+) step=(\\S+) seed=([0-9]+) beat=(-?[0-9]+) syncs=([0-9]+) c1=(\\S+) c3=(\\S+) "
    "c5=(\\S+) c7=(\\S+) flash=(\\S+) hash=([0-9a-f]{16})");

bool Parse(const std::string& line, TTraceLine& t) {
  std::smatch m;
  if (!std::regex_match(line, m, TraceLine)) return false;
  t.Frame = std::stoull(m[1]);
  t.Scene = unsigned(std::stoul(m[2]));
  t.Step = m[3];
  t.Seed = uint32_t(std::stoul(m[4]));
  t.Beat = std::stoi(m[5]);
  t.Syncs = unsigned(std::stoul(m[6]));
  t.C1 = m[7];
  t.C3 = m[8];
  t.C5 = m[9];
  t.C7 = m[10];
  t.Flash = m[11];
  t.Hash = std::stoull(m[12], nullptr, 16);
  return true;
}

// The generator, written out.
uint32_t Advance(uint32_t s) { return s * 134775813u + 1u; }

}  // namespace

// Scene 2 from seed 12345: the reset draws 181 x 2 + 79 x 2 + 40 x 3 = 640
// numbers; then each flash frame draws one r and fills 0xFFFF - r.
TEST(Runner, FlashTraceFollowsTheGeneratorAndRepeats) {
  const std::string args = "--seed 12345 --trace --frames 18 -- -nosound -scene2";
  const TRun run = Capture(args);
  ASSERT_EQ(run.Code, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  ASSERT_EQ(run.Lines.size(), 18u);
  uint32_t s = 12345;
  for (int i = 0; i < 640; ++i) s = Advance(s);
  for (size_t k = 0; k < 15; ++k) {
    TTraceLine t;
    ASSERT_TRUE(Parse(run.Lines[k], t)) << run.Lines[k];
    s = Advance(s);
    const uint32_t r = uint32_t((uint64_t(s) * 1000u) >> 32);
    EXPECT_EQ(t.Frame, k + 1);
    EXPECT_EQ(t.Scene, 2u);
    // The first tick runs with 0 (nothing timed yet), then the floor.
    EXPECT_EQ(t.Step, k == 0 ? "0" : "1");
    EXPECT_EQ(t.Seed, s);
    EXPECT_EQ(t.Beat, 240);
    EXPECT_EQ(t.Syncs, 0u);
    EXPECT_EQ(t.C1, "1");
    EXPECT_EQ(t.C3, "1");
    EXPECT_EQ(t.C5, "0");
    EXPECT_EQ(t.C7, "1");
    // 1 (step 0), 2, ... 14, then 15 > 14 ends the flash.
    EXPECT_EQ(t.Flash, k < 14 ? std::to_string(k + 1) : "0");
    EXPECT_EQ(t.Hash, UniformHash(uint16_t(0xFFFF - r))) << "frame " << k + 1;
  }
  for (size_t k = 15; k < 18; ++k) {
    TTraceLine t;
    ASSERT_TRUE(Parse(run.Lines[k], t)) << run.Lines[k];
    EXPECT_EQ(t.Frame, k + 1);
    EXPECT_EQ(t.Scene, 3u);
  }
  const TRun again = Capture(args);
  EXPECT_EQ(again.Out, run.Out);
}

// The virtual clock near the wrap: the first tick starts 40 ms after
// --clock-start, the next max(40, work) later; reads after the first in a
// tick are start + work, modulo 2^32.
TEST(Runner, VirtualClockWrapsAndTimesEachTick) {
  // Start 4294967206: tick 1 at 2^32 - 50, its 60 ms end at 10 (wrapped, so
  // TimeStep keeps its value and takes the floor 1). Tick 2 at 10, 80 ms: 2.
  // Tick 3 without work keeps 2. Tick 4 of 50 ms: 1.25.
  const TRun run = Capture("--seed 1 --trace --frames 5 --clock-start 4294967206 --frame-ms 60,80,0,50 -- -nosound -scene0");
  ASSERT_EQ(run.Code, 0) << run.Err;
  ASSERT_EQ(run.Lines.size(), 5u);
  const char* steps[] = {"0", "1", "2", "2", "1.25"};
  for (size_t k = 0; k < 5; ++k) {
    TTraceLine t;
    ASSERT_TRUE(Parse(run.Lines[k], t)) << run.Lines[k];
    EXPECT_EQ(t.Step, steps[k]) << "frame " << k + 1;
    EXPECT_EQ(t.Scene, 99u);
  }
}

TEST(Runner, EndTickPrintsItsLineThenTheRunnerExits) {
  // From the last flash: tick 1 (step 0) takes 600 ms, so tick 2 runs with
  // 15 and ends the flash; its 28 s make the next step 700, which ends scene
  // 7 in one frame. Tick 4 finds scene 8: the end of the show, still traced.
  const char* const args = "--seed 3 --trace --frame-ms 600,28000 -- -nosound -scene6";
  const TRun run = Capture(args);
  ASSERT_EQ(run.Code, 0) << run.Err;
  ASSERT_EQ(run.Lines.size(), 4u) << run.Out;
  const struct { unsigned scene; const char* step; } want[] = {{6, "0"}, {6, "15"}, {7, "700"}, {8, "700"}};
  for (size_t k = 0; k < 4; ++k) {
    TTraceLine t;
    ASSERT_TRUE(Parse(run.Lines[k], t)) << run.Lines[k];
    EXPECT_EQ(t.Scene, want[k].scene) << "frame " << k + 1;
    EXPECT_EQ(t.Step, want[k].step) << "frame " << k + 1;
  }
  // Under -loop the same tick restarts the show at scene 1 with fresh clocks.
  const TRun loop = Capture("--seed 3 --trace --frames 5 --frame-ms 600,28000 -- -nosound -loop -scene6");
  ASSERT_EQ(loop.Code, 0) << loop.Err;
  ASSERT_EQ(loop.Lines.size(), 5u);
  TTraceLine t;
  ASSERT_TRUE(Parse(loop.Lines[3], t));
  EXPECT_EQ(t.Scene, 8u);
  EXPECT_EQ(t.C7, "1");
  EXPECT_EQ(t.Flash, "1");
  ASSERT_TRUE(Parse(loop.Lines[4], t));
  EXPECT_EQ(t.Scene, 1u);
}

TEST(Runner, WritesEveryKthPresentedFrameAsPng) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("dm-runner-png-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  const TRun run = Capture("--seed 5 --frames 5 --png-every 2 --png '" + dir.string() + "' -- -nosound -scene2");
  ASSERT_EQ(run.Code, 0) << run.Err;
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"frame-00002.png", "frame-00004.png"}));
  const std::string png = Slurp(dir / "frame-00002.png");
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  std::filesystem::remove_all(dir);
}

TEST(Runner, BadArgumentsGiveOneLineAndExitTwo) {
  const char* cases[] = {
      "--frames",         "--frames x",       "--frames -1",     "--seed 4294967296", "--seed -1",
      "--frame-ms 1,,2",  "--frame-ms ''",    "--layout 666",    "--png-every 0",     "--bogus",
      "-scene2",          "--clock-start 1e3",
  };
  for (const char* args : cases) {
    const TRun run = Capture(args);
    EXPECT_EQ(run.Code, 2) << args;
    EXPECT_EQ(run.Out, "") << args;
    ASSERT_FALSE(run.Err.empty()) << args;
    EXPECT_EQ(run.Err.find('\n'), run.Err.size() - 1) << args << ": " << run.Err;
  }
  const TRun help = Capture("--help");
  EXPECT_EQ(help.Code, 0);
  EXPECT_EQ(help.Out.rfind("usage: driftmosaic-capture", 0), 0u) << help.Out;
  for (const char* option : {"--frames", "--seed", "--frame-ms", "--clock-start", "--layout", "--png", "--png-every", "--trace"})
    EXPECT_NE(help.Out.find(option), std::string::npos) << option;
}

TEST(Runner, LayoutChangesTheWhiteOfTheFlashOnlyThroughTheRawValue) {
  // The flash value is raw: the same pixel in 565 and 555, so the same trace.
  const TRun a = Capture("--seed 9 --trace --frames 3 --layout 565 -- -nosound -scene2");
  const TRun b = Capture("--seed 9 --trace --frames 3 --layout 555 -- -nosound -scene2");
  ASSERT_EQ(a.Code, 0);
  ASSERT_EQ(b.Code, 0);
  EXPECT_EQ(a.Out, b.Out);
  EXPECT_EQ(a.Lines.size(), 3u);
}
