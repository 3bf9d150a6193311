// Bad input: random command lines of options and near-misses against a model
// of the option table, in process and through the runner; music modules that
// are corrupted or huge; and the program opening no file for writing.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/fonts/i_fonts.h"
#include "platform/headless/headless_show.h"
#include "tests/test_hardening_strace.h"

namespace {

namespace fs = std::filesystem;

// What the option table makes of a command line (the program path first).
struct TOptionModel {
  unsigned Scene = 1;
  bool SoundOn = true;
  bool LoopShow = false;
  bool FullScreen = true;
};

TOptionModel ModelOf(const std::vector<std::string>& args) {
  TOptionModel m;
  const std::string scenes[8] = {"-scene0", "-scene1", "-scene2", "-scene3",
                                 "-scene4", "-scene5", "-scene6", "-scene7"};
  for (const std::string& a : args) {
    if (a == "-windowed") m.FullScreen = false;
    if (a == "-nosound") m.SoundOn = false;
    if (a == "-loop") m.LoopShow = true;
    for (unsigned s = 0; s < 8; ++s)
      if (a == scenes[s]) m.Scene = s == 0 ? 99 : s;
  }
  return m;
}

// The words command lines are made of: every option, and arguments that
// come close to one without being it.
std::vector<std::string> Words() {
  std::vector<std::string> w = {"-windowed", "-nosound", "-loop", "-scene0", "-scene1", "-scene2", "-scene3",
                                "-scene4", "-scene5", "-scene6", "-scene7"};
  const std::vector<std::string> nearMisses = {
      "-Windowed", "-WINDOWED", "--windowed", "/windowed", "windowed", "-windowed ", " -windowed",
      "-NoSound", "--nosound", "/nosound", "-nosound=1", "-no-sound",
      "-Loop", "--loop", "/loop", "-loop2", "-lo", "-loopp",
      "-scene8", "-scene9", "-scene10", "-scene", "-Scene1", "--scene1", "/scene3", "-scene01", "-scene-1",
      "-scene 5", "-scene5x", "-scene255", "-scene99", "-scene\xff", "",  " ", "-", "--", "-h", "--help",
      std::string(1000, 'x'), "-scene1" + std::string(20000, '1'), "-loop" + std::string(100000, ' '),
      std::string(50000, '-'), "\xc3\xa9-loop"};
  w.insert(w.end(), nearMisses.begin(), nearMisses.end());
  return w;
}

// Up to 12 words drawn at random.
std::vector<std::string> RandomLine(std::mt19937& gen, const std::vector<std::string>& words) {
  std::vector<std::string> line(std::uniform_int_distribution<size_t>(0, 12)(gen));
  for (std::string& a : line) a = words[std::uniform_int_distribution<size_t>(0, words.size() - 1)(gen)];
  return line;
}

IFontEngine* Fonts() {
  static std::unique_ptr<IFontEngine> fonts = CreateFontEngine();
  return fonts.get();
}

struct TRun {
  int Status = -1;
  std::string Out, Err;
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The environment of this process with the settings added (replacing any
// of the same name).
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& settings) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    bool replaced = false;
    for (const std::string& s : settings)
      replaced = replaced || entry.compare(0, s.find('=') + 1, s, 0, s.find('=') + 1) == 0;
    if (!replaced) env.push_back(entry);
  }
  env.insert(env.end(), settings.begin(), settings.end());
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> p;
  for (std::string& s : strings) p.push_back(s.data());
  p.push_back(nullptr);
  return p;
}

// Runs program with args (no shell) in dir, with environment settings
// added; stdout and stderr are kept. Everything is made ready before the
// fork: the child only changes folder, redirects and executes.
TRun RunIn(const fs::path& dir, const std::vector<std::string>& args,
           const std::vector<std::string>& settings = {}) {
  const fs::path out = dir.parent_path() / (dir.filename().string() + ".out");
  const fs::path err = dir.parent_path() / (dir.filename().string() + ".err");
  std::vector<std::string> all = args, env = EnvironmentWith(settings);
  std::vector<char*> argv = Pointers(all), envp = Pointers(env);
  const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    dup2(o, 1), dup2(e, 2), dup2(in, 0);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(o), close(e), close(in);
  TRun run;
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid) run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.Out = Slurp(out);
  run.Err = Slurp(err);
  fs::remove(out);
  fs::remove(err);
  return run;
}

fs::path FreshDir(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("dm-hard-" + name + "-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::vector<std::string> RunnerLine(const std::vector<std::string>& runnerArgs, const std::vector<std::string>& show) {
  std::vector<std::string> argv{DM_CAPTURE};
  argv.insert(argv.end(), runnerArgs.begin(), runnerArgs.end());
  argv.push_back("--");
  argv.insert(argv.end(), show.begin(), show.end());
  return argv;
}

// The show's tune, which the build writes beside the runner.
fs::path TuneFile() { return fs::path(DM_CAPTURE).parent_path() / "driftb.mo3"; }

void WriteNoise(const fs::path& file, size_t bytes, uint64_t seed) {
  std::ofstream out(file, std::ios::binary);
  std::vector<uint64_t> block(1 << 16);
  uint64_t x = seed | 1;
  for (size_t done = 0; done < bytes;) {
    for (uint64_t& v : block) {  // xorshift64
      x ^= x << 13, x ^= x >> 7, x ^= x << 17;
      v = x;
    }
    const size_t n = std::min(bytes - done, block.size() * 8);
    out.write(reinterpret_cast<const char*>(block.data()), std::streamsize(n));
    done += n;
  }
}

}  // namespace

// In process: each line gets "-nosound" added at its end, so that no music
// starts (a failed start would end this process); the rest of the table is
// checked against the model, and the show runs a few frames.
TEST(HardenedOptions, RandomCommandLinesFollowTheOptionTable) {
  const std::vector<std::string> words = Words();
  std::mt19937 gen(20240531);
  for (int c = 0; c < 300; ++c) {
    std::vector<std::string> line = RandomLine(gen, words);
    line.push_back("-nosound");
    std::vector<std::string> full{"driftmosaic-b"};
    full.insert(full.end(), line.begin(), line.end());
    const TOptionModel want = ModelOf(full);
    THeadlessShow show(line, uint32_t(c), 0, TPixelLayout::Layout565, Fonts());
    ASSERT_TRUE(show.Start()) << "case " << c;
    TForm1& f = *show.Form;
    ASSERT_EQ(f.Scene, want.Scene) << "case " << c;
    ASSERT_EQ(f.SoundOn, want.SoundOn) << "case " << c;
    ASSERT_EQ(f.LoopShow, want.LoopShow) << "case " << c;
    ASSERT_EQ(show.Display.FullScreen, want.FullScreen) << "case " << c;
    ASSERT_EQ(f.BorderStyle, want.FullScreen ? TBorderStyle::bsNone : TBorderStyle::bsSingle) << "case " << c;
    for (int t = 0; t < 3; ++t) show.Tick(t == 1 ? 100 : 0);
    // Three frames end no scene: the shortest, a flash, lasts 14.
    ASSERT_EQ(f.Scene, want.Scene) << "case " << c;
    ASSERT_FALSE(show.Ended()) << "case " << c;
  }
}

// Through the runner, with the lines as they are: where sound stays on, the
// music start fails in a folder without the module, and the program ends at
// once with exit code 0, silently; under "-nosound" it plays from the scene
// the table gives.
TEST(HardenedOptions, RandomCommandLinesThroughTheRunner) {
  std::vector<std::string> words = Words();
  // Arguments of a real command line cannot carry a NUL; these have none.
  std::mt19937 gen(777);
  const fs::path dir = FreshDir("options");
  const std::regex first("frame=1 scene=([0-9]+) .*");
  for (int c = 0; c < 24; ++c) {
    std::vector<std::string> line = RandomLine(gen, words);
    if (c % 2 == 0) line.insert(line.begin() + long(line.size() / 2), "-nosound");
    std::vector<std::string> full{"driftmosaic-b"};
    full.insert(full.end(), line.begin(), line.end());
    const TOptionModel want = ModelOf(full);
    const TRun run = RunIn(dir, RunnerLine({"--seed", "3", "--trace", "--frames", "2"}, line));
    ASSERT_EQ(run.Status, 0) << "case " << c << " " << run.Err;
    ASSERT_EQ(run.Err, "") << "case " << c;
    if (want.SoundOn) {
      ASSERT_EQ(run.Out, "") << "case " << c;
      continue;
    }
    std::smatch m;
    const std::string firstLine = run.Out.substr(0, run.Out.find('\n'));
    ASSERT_TRUE(std::regex_match(firstLine, m, first)) << "case " << c << ": " << firstLine;
    EXPECT_EQ(std::stoul(m[1]), want.Scene) << "case " << c;
    EXPECT_EQ(std::count(run.Out.begin(), run.Out.end(), '\n'), 2) << "case " << c;
  }
  fs::remove_all(dir);
}

// A module that is 100 MB of noise, or the show's tune with its header
// spoiled, ends the program silently with exit code 0 before any frame.
TEST(HardenedMusicFile, HugeNoiseAndSpoiledHeaderEndSilently) {
  const fs::path dir = FreshDir("huge");
  WriteNoise(dir / "driftb.mo3", 100u << 20, 99);
  TRun run = RunIn(dir, RunnerLine({"--seed", "1", "--trace", "--frames", "5"}, {}));
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "");
  EXPECT_EQ(run.Err, "");
  fs::remove(dir / "driftb.mo3");
  if (!fs::exists(TuneFile())) {
    fs::remove_all(dir);
    GTEST_SKIP() << "no tune at " << TuneFile();
  }
  std::string tune = Slurp(TuneFile());
  ASSERT_GT(tune.size(), 1000u);
  for (size_t i = 0; i < 64; ++i) tune[i] = char(0x5A ^ i);
  std::ofstream(dir / "driftb.mo3", std::ios::binary).write(tune.data(), std::streamsize(tune.size()));
  run = RunIn(dir, RunnerLine({"--seed", "1", "--trace", "--frames", "5"}, {}));
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "");
  EXPECT_EQ(run.Err, "");
  fs::remove_all(dir);
}

// The tune with bytes spoiled after its header may still load; whether it
// plays or not, the program ends with exit code 0 and says nothing.
TEST(HardenedMusicFile, SpoiledBodyPlaysOrEndsSilently) {
  if (!fs::exists(TuneFile())) GTEST_SKIP() << "no tune at " << TuneFile();
  const std::string good = Slurp(TuneFile());
  const fs::path dir = FreshDir("body");
  for (size_t stride : {7u, 97u, 1009u}) {
    std::string tune = good;
    for (size_t i = 64; i < tune.size(); i += stride) tune[i] = char(~tune[i]);
    std::ofstream(dir / "driftb.mo3", std::ios::binary).write(tune.data(), std::streamsize(tune.size()));
    const TRun run = RunIn(dir, RunnerLine({"--seed", "1", "--trace", "--frames", "20"}, {"-scene3"}));
    EXPECT_EQ(run.Status, 0) << stride;
    EXPECT_EQ(run.Err, "") << stride;
    const auto lines = std::count(run.Out.begin(), run.Out.end(), '\n');
    EXPECT_TRUE(lines == 0 || lines == 20) << stride << ": " << lines;
  }
  fs::remove_all(dir);
}

// The runner without --png or --wav writes nothing, as the show writes
// nothing: under strace, the whole show under "-nosound" (frames of 0 and
// 100 ms, so it passes every scene quickly) and a run with the music decoded
// open no file for writing and make, rename or remove no name.
TEST(HardenedNoFiles, HeadlessShowOpensNothingForWriting) {
  if (!HaveStrace()) GTEST_SKIP() << "strace is not installed";
  const struct {
    const char* Name;
    std::vector<std::string> Runner, Show;
    bool Tune;
  } cases[] = {
      {"nosound", {"--seed", "1", "--frame-ms", "0,100"}, {"-nosound"}, false},
      {"music", {"--seed", "1", "--frames", "300"}, {"-scene3"}, true},
  };
  for (const auto& c : cases) {
    const fs::path dir = FreshDir(std::string("nofile-") + c.Name);
    if (c.Tune) {
      if (!fs::exists(TuneFile())) {
        fs::remove_all(dir);
        GTEST_SKIP() << "no tune at " << TuneFile();
      }
      fs::copy_file(TuneFile(), dir / "driftb.mo3");
    }
    const fs::path log = dir.parent_path() / (dir.filename().string() + ".strace");
    std::vector<std::string> argv{"/usr/bin/strace", "-f", "-qq", "-o", log.string(), "-e",
                                  std::string("trace=") + StraceFileCalls()};
    const std::vector<std::string> runner = RunnerLine(c.Runner, c.Show);
    argv.insert(argv.end(), runner.begin(), runner.end());
    // The leak checker of the sanitizer build cannot run under ptrace; the
    // other runs of the runner check for leaks.
    const TRun run = RunIn(dir, argv, {"ASAN_OPTIONS=detect_leaks=0"});
    EXPECT_EQ(run.Status, 0) << c.Name << ": " << run.Err;
    EXPECT_EQ(run.Err, "") << c.Name;
    EXPECT_GT(OpenCalls(log.string()), 10) << c.Name;
    for (const std::string& line : FileWrites(log.string())) ADD_FAILURE() << c.Name << ": " << line;
    // Nothing new in the folder either.
    size_t entries = 0;
    for (const auto& e : fs::directory_iterator(dir)) entries += e.path().filename() == "driftb.mo3" ? 0 : 1;
    EXPECT_EQ(entries, 0u) << c.Name;
    fs::remove(log);
    fs::remove_all(dir);
  }
}

// The runner with the extreme frame durations in turn and the clock starting
// 5 ms before the wrap, looping: every tick prints its line, and the step of
// each follows from the work of the tick before (the work counts when the
// count moved past the tick's start without wrapping; the floor is 1).
TEST(HardenedRunner, ExtremeFrameDurationsAcrossTheWrapUnderLoop) {
  const fs::path dir = FreshDir("extreme");
  const uint32_t work[] = {0, 1, 39, 40, 41, 100, 2000, 10000000};
  const TRun run = RunIn(dir, RunnerLine({"--seed", "5", "--trace", "--frames", "400", "--clock-start", "4294967291",
                                          "--frame-ms", "0,1,39,40,41,100,2000,10000000"},
                                         {"-nosound", "-loop"}));
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  const std::regex line("frame=([0-9]+) scene=([0-9]+) step=(\\S+) .*");
  std::istringstream lines(run.Out);
  uint32_t start = 4294967291u + 40u;
  double step = 0.0;
  int n = 0;
  std::vector<unsigned> scenesSeen(9, 0);
  for (std::string text; std::getline(lines, text); ++n) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, line)) << text;
    ASSERT_EQ(std::stoi(m[1]), n + 1);
    ASSERT_EQ(std::stod(m[3]), step) << text;
    const unsigned scene = unsigned(std::stoul(m[2]));
    ASSERT_TRUE(scene >= 1 && scene <= 8) << text;
    ++scenesSeen[scene];
    const uint32_t w = work[std::min<size_t>(size_t(n), 7)];
    const double measured = uint32_t(start + w) > start ? double(w) / 40.0 : step;
    step = measured >= 1.0 ? measured : 1.0;
    start += std::max<uint32_t>(40u, w);
  }
  EXPECT_EQ(n, 400);
  // After the first eight ticks every frame takes 10,000,000 ms: each scene
  // passes in one frame, and the show starts over again and again.
  for (unsigned s = 1; s <= 8; ++s) EXPECT_GT(scenesSeen[s], 40u) << s;
  fs::remove_all(dir);
}
