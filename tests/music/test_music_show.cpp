// The show's side of the music: every failure of the start ends the program
// at once with exit code 0, silently, before a frame; "-nosound" keeps every
// call but Escape's free away; a restart under "-loop" plays one copy; the
// SDL output through its dummy and disk drivers.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "music/bass.h"
#include "music/bass_seams.h"
#include "music/beat.h"
#include "platform/headless/headless_show.h"
#include "tools/capture/audio.h"

namespace {

namespace fs = std::filesystem;

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

TRun RunIn(const fs::path& dir, const std::string& command) {
  const std::string full =
      "cd '" + dir.string() + "' && " + command + " >'" + (dir / "o.txt").string() + "' 2>'" + (dir / "e.txt").string() + "'";
  TRun run;
  const int raw = std::system(full.c_str());
  run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.Out = Slurp(dir / "o.txt");
  run.Err = Slurp(dir / "e.txt");
  return run;
}

fs::path FreshDir(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("dm-show-" + name + "-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::vector<char> TuneBytes() {
  std::ifstream in(DM_TUNE_FILE, std::ios::binary);
  return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// How "driftb.mo3" is spoiled in the show's folder.
enum class ESpoil { Missing, Empty, Garbage, Truncated, Directory };

void Spoil(const fs::path& dir, ESpoil how) {
  const fs::path file = dir / "driftb.mo3";
  const std::vector<char> tune = TuneBytes();
  auto write = [&](const char* data, size_t n) { std::ofstream(file, std::ios::binary).write(data, std::streamsize(n)); };
  switch (how) {
    case ESpoil::Missing: break;
    case ESpoil::Empty: write("", 0); break;
    case ESpoil::Garbage: write(std::string(5000, '?').c_str(), 5000); break;
    case ESpoil::Truncated: write(tune.data(), 100); break;  // cut inside the header
    case ESpoil::Directory: fs::create_directory(file); break;
  }
}

TEST(MusicStartFailure, UnusableModuleEndsTheRunnerSilentlyBeforeAnyFrame) {
  const struct {
    ESpoil How;
    const char* Name;
  } cases[] = {{ESpoil::Missing, "missing"}, {ESpoil::Empty, "empty"}, {ESpoil::Garbage, "garbage"},
               {ESpoil::Truncated, "truncated"}, {ESpoil::Directory, "directory"}};
  for (const auto& c : cases) {
    const fs::path dir = FreshDir(c.Name);
    Spoil(dir, c.How);
    const TRun run = RunIn(dir, std::string(DM_CAPTURE) + " --seed 1 --trace --frames 5 --png frames");
    EXPECT_EQ(run.Status, 0) << c.Name;
    EXPECT_EQ(run.Out, "") << c.Name;
    EXPECT_EQ(run.Err, "") << c.Name;
    EXPECT_TRUE(!fs::exists(dir / "frames") || fs::is_empty(dir / "frames")) << c.Name;
    fs::remove_all(dir);
  }
}

TEST(MusicStartFailure, GoodModuleRunsTheRunner) {
  const fs::path dir = FreshDir("good");
  fs::copy_file(DM_TUNE_FILE, dir / "driftb.mo3");
  const TRun run = RunIn(dir, std::string(DM_CAPTURE) + " --seed 1 --trace --frames 5");
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(std::count(run.Out.begin(), run.Out.end(), '\n'), 5);
  fs::remove_all(dir);
}

TEST(MusicStartFailure, WrongVersionAndFailedInitEndTheShowSilentlyBeforeAnyFrame) {
  const struct {
    const char* Env;
    const char* Args;
    const char* Name;
  } cases[] = {
      {"SDL_AUDIODRIVER=dummy", "--wrong-version", "version"},
      {"SDL_AUDIODRIVER=nonexistent", "", "no driver"},
  };
  for (const auto& c : cases) {
    const fs::path dir = FreshDir("probe");
    fs::copy_file(DM_TUNE_FILE, dir / "driftb.mo3");
    const TRun run = RunIn(dir, std::string(c.Env) + " " + DM_MUSIC_PROBE + " " + c.Args);
    EXPECT_EQ(run.Status, 0) << c.Name;
    EXPECT_EQ(run.Out, "") << c.Name;
    EXPECT_EQ(run.Err, "") << c.Name;
    fs::remove_all(dir);
  }
  // The same show with a working output draws its frames.
  const fs::path dir = FreshDir("probe-good");
  fs::copy_file(DM_TUNE_FILE, dir / "driftb.mo3");
  const TRun run = RunIn(dir, std::string("SDL_AUDIODRIVER=dummy ") + DM_MUSIC_PROBE + " --ticks 3");
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "frame 1\nframe 2\nframe 3\n");
  EXPECT_EQ(run.Err, "");
  fs::remove_all(dir);
}

// Runs the form in a folder holding the tune.
class ShowInFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    BASS_Free();
    Dir = FreshDir("inproc");
    fs::copy_file(DM_TUNE_FILE, Dir / "driftb.mo3");
    Old = fs::current_path();
    fs::current_path(Dir);
    ResetMusicCallCounts();
  }
  void TearDown() override {
    BASS_Free();
    fs::current_path(Old);
    fs::remove_all(Dir);
  }
  fs::path Dir, Old;
};

TEST_F(ShowInFolder, NoSoundMakesNoCallButEscapesFree) {
  THeadlessShow show({"-nosound"}, 1u);
  ASSERT_TRUE(show.Start());
  TRunnerAudio audio;
  std::string error;
  ASSERT_TRUE(audio.Begin("", 0, error));
  for (int t = 0; t < 50; ++t) {
    audio.DecodeUntil(show.TickStart(), show.Form->SoundOn);
    show.Tick(0);
  }
  const TMusicCalls before = MusicCallCounts();
  EXPECT_EQ(before.GetVersion + before.Init + before.MusicLoad + before.SetSync + before.Start + before.PlayEx +
                before.Free + before.Decode,
            0u);
  uint16_t key = 27;
  show.Form->FormKeyDown(key);
  const TMusicCalls after = MusicCallCounts();
  EXPECT_EQ(after.Free, 1u);
  EXPECT_EQ(after.GetVersion + after.Init + after.MusicLoad + after.SetSync + after.Start + after.PlayEx + after.Decode, 0u);
}

TEST_F(ShowInFolder, StartMakesTheCallsInOrderAndARestartPlaysOneCopyFromTheStart) {
  THeadlessShow show({"-loop"}, 1u);
  ASSERT_TRUE(show.Start());
  const TMusicCalls calls = MusicCallCounts();
  EXPECT_EQ(calls.GetVersion, 1u);
  EXPECT_EQ(calls.Init, 1u);
  EXPECT_EQ(calls.MusicLoad, 1u);
  EXPECT_EQ(calls.SetSync, 1u);
  EXPECT_EQ(calls.Start, 2u);   // StartMusic's and ResetShow's
  EXPECT_EQ(calls.PlayEx, 2u);
  EXPECT_EQ(calls.Free, 0u);
  const HMUSIC first = show.Form->MusicHandle;
  std::vector<int16_t> a(2 * 100000), b(2 * 100000);
  ASSERT_EQ(MusicDecode(a.data(), 100000), 100000u);
  // The restart under "-loop": a full reset, no free before it. (The first
  // module a process renders starts differently inside libopenmpt: the
  // audio of two restarts is compared.)
  show.Form->ResetShow();
  const uint32_t s0 = BeatSyncCount.load();
  ASSERT_EQ(MusicDecode(a.data(), 100000), 100000u);
  const uint32_t s1 = BeatSyncCount.load();
  show.Form->ResetShow();
  EXPECT_EQ(MusicCallCounts().Free, 0u);
  EXPECT_NE(show.Form->MusicHandle, first);
  ASSERT_EQ(MusicDecode(b.data(), 100000), 100000u);
  EXPECT_EQ(a, b);  // one copy, from its start: two would sum
  // The intro strikes the beat once a bar: rows 0 and 16 of 100,000 frames.
  EXPECT_EQ(s1 - s0, 2u);
  EXPECT_EQ(BeatSyncCount.load() - s1, 2u);
}

TEST(SdlAudioOutput, DummyDriverPlaysAndDeliversBeats) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  const std::vector<char> tune = TuneBytes();
  ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
  const HMUSIC music = BASS_MusicLoad(true, tune.data(), 0, uint32_t(tune.size()), 5);
  ASSERT_NE(music, 0u);
  const uint32_t before = BeatSyncCount.load();
  ASSERT_NE(BASS_ChannelSetSync(music, 1, 0x00370009, BeatSync, nullptr), 0u);
  ASSERT_TRUE(BASS_Start());
  ASSERT_TRUE(BASS_MusicPlayEx(music, 0, -1, -1));
  // The intro strikes the beat at every bar (1.92 s); the first at once.
  for (int i = 0; i < 300 && BeatSyncCount.load() == before; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_GT(BeatSyncCount.load(), before);
  EXPECT_TRUE(BASS_Free());
  EXPECT_FALSE(BASS_Free());
}

TEST(SdlAudioOutput, NonexistentDriverFailsTheInit) {
  ::setenv("SDL_AUDIODRIVER", "nonexistent", 1);
  EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr));
  EXPECT_FALSE(BASS_Free());
}

TEST(SdlAudioOutput, DiskDriverWritesTheMusic) {
  const fs::path dir = FreshDir("disk");
  const std::string file = (dir / "out.raw").string();
  ::setenv("SDL_AUDIODRIVER", "disk", 1);
  ::setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  const std::vector<char> tune = TuneBytes();
  ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
  const HMUSIC music = BASS_MusicLoad(true, tune.data(), 0, uint32_t(tune.size()), 5);
  ASSERT_TRUE(BASS_Start());
  ASSERT_TRUE(BASS_MusicPlayEx(music, 0, -1, -1));
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  BASS_Free();
  const std::string raw = Slurp(file);
  ASSERT_GT(raw.size(), 10000u);
  EXPECT_NE(raw.find_first_not_of('\0'), std::string::npos);
  fs::remove_all(dir);
}

}  // namespace
