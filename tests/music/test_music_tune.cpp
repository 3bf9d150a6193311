// The show's tune: its beats, worked out from the generator's pattern data,
// against the syncs the component finds; and the runner's beats and audio.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "music/bass.h"
#include "music/bass_seams.h"
#include "tests/music/modules.h"
#include "tools/make_tune/tune/tune.h"

namespace {

// Song rows (counted from the start, orders in turn) where instrument 9
// plays G-4, by the tracker rule that a bare note plays the channel's last
// instrument. Also counts the decoys, so the tune keeps exercising them.
struct TBeats {
  std::vector<uint64_t> Rows;
  uint64_t SongRows = 0;
  int OtherNotesOfNine = 0, OtherInstrumentsAtG4 = 0, BareBeats = 0, DoubleRows = 0;
};

TBeats BeatsOf(const tune::TSong& song, int passes) {
  TBeats b;
  std::vector<uint8_t> last(size_t(song.Channels), 0);
  uint64_t row = 0;
  for (int pass = 0; pass < passes; ++pass)
    for (uint8_t order : song.Orders) {
      const tune::TPattern& p = song.Patterns[order];
      for (int r = 0; r < p.Rows; ++r, ++row) {
        int matches = 0;
        for (int ch = 0; ch < song.Channels; ++ch) {
          const tune::TCell& c = p.At(r, ch);
          if (c.Instrument != 0) last[size_t(ch)] = c.Instrument;
          if (c.Note == 0 || c.Note == tune::KeyOff) continue;
          const bool nine = last[size_t(ch)] == tune::BeatInstrument;
          if (nine && c.Note == tune::BeatNote) {
            ++matches;
            if (c.Instrument == 0) ++b.BareBeats;
          } else if (nine) {
            ++b.OtherNotesOfNine;
          } else if (c.Note == tune::BeatNote) {
            ++b.OtherInstrumentsAtG4;
          }
        }
        if (matches > 0) b.Rows.push_back(row);
        if (matches > 1) ++b.DoubleRows;
      }
    }
  b.SongRows = row / uint64_t(passes);
  return b;
}

std::vector<uint64_t> SyncFrames;
void Record(uint32_t, uint32_t, uint32_t, void*) { SyncFrames.push_back(CurrentSyncFrame()); }

TEST(ShowTune, IsAboutTwoMinutesOfTenInstrumentsWithDecoysAroundTheBeat) {
  const tune::TSong song = tune::ComposeTune();
  ASSERT_GE(song.Instruments.size(), 9u);
  const TBeats b = BeatsOf(song, 1);
  const double seconds = double(b.SongRows * FramesPerRow) / 44100.0;
  EXPECT_GT(seconds, 110.0);
  EXPECT_LT(seconds, 125.0);
  EXPECT_EQ(song.Speed, 6);
  EXPECT_EQ(song.Tempo, 125);
  EXPECT_GT(b.Rows.size(), 60u);
  EXPECT_GT(b.OtherNotesOfNine, 0);
  EXPECT_GT(b.OtherInstrumentsAtG4, 0);
  EXPECT_GT(b.BareBeats, 0);
  EXPECT_GT(b.DoubleRows, 0);
}

TEST(ShowTune, DecodedWithoutOutputSyncsExactlyOnItsBeatRowsAndLoops) {
  const tune::TSong song = tune::ComposeTune();
  const std::vector<uint8_t> bytes = tune::WriteXm(song);
  const TBeats b = BeatsOf(song, 2);
  ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr));
  const HMUSIC music = BASS_MusicLoad(true, reinterpret_cast<const char*>(bytes.data()), 0, uint32_t(bytes.size()), 5);
  ASSERT_NE(music, 0u);
  ASSERT_NE(BASS_ChannelSetSync(music, 1, 0x00370009, Record, nullptr), 0u);
  ASSERT_TRUE(BASS_Start());
  ASSERT_TRUE(BASS_MusicPlayEx(music, 0, -1, -1));
  SyncFrames.clear();
  // Two passes: the loop back to the start keeps the beat.
  static int16_t buffer[2 * 4410];
  const uint64_t total = 2 * b.SongRows * FramesPerRow;
  for (uint64_t done = 0; done < total; done += 4410) {
    const size_t n = size_t(std::min<uint64_t>(4410, total - done));
    ASSERT_EQ(MusicDecode(buffer, n), n);
  }
  std::vector<uint64_t> expected;
  for (uint64_t r : b.Rows) expected.push_back(r * FramesPerRow);
  for (size_t i = 0; i < std::min(SyncFrames.size(), expected.size()); ++i)
    if (SyncFrames[i] != expected[i]) {
      ADD_FAILURE() << "sync " << i << " at frame " << SyncFrames[i] << ", beat row at " << expected[i];
      break;
    }
  EXPECT_EQ(SyncFrames.size(), expected.size());
  BASS_Free();
}

TEST(ShowTune, BuildWritesTheModuleTheGeneratorMakes) {
  std::ifstream in(DM_TUNE_FILE, std::ios::binary);
  const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::vector<uint8_t> made = tune::WriteXm(tune::ComposeTune());
  EXPECT_TRUE(file.size() == made.size() && std::equal(made.begin(), made.end(), reinterpret_cast<const uint8_t*>(file.data())));
}

struct TRun {
  int Status = -1;
  std::string Out, Err;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs a command in dir, collecting its exit status, stdout and stderr.
TRun RunIn(const std::filesystem::path& dir, const std::string& command) {
  const std::string out = (dir / "stdout.txt").string(), err = (dir / "stderr.txt").string();
  const std::string full = "cd '" + dir.string() + "' && " + command + " >'" + out + "' 2>'" + err + "'";
  TRun run;
  const int raw = std::system(full.c_str());
  run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.Out = Slurp(out);
  run.Err = Slurp(err);
  return run;
}

std::filesystem::path FreshDir(const std::string& name) {
  const auto dir = std::filesystem::temp_directory_path() / ("dm-music-" + name + "-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// The syncs column of every trace line.
std::vector<uint32_t> SyncsColumn(const std::string& trace) {
  std::vector<uint32_t> syncs;
  std::istringstream in(trace);
  std::string line;
  while (std::getline(in, line)) {
    const size_t at = line.find(" syncs=");
    if (at != std::string::npos) syncs.push_back(uint32_t(std::stoul(line.substr(at + 7))));
  }
  return syncs;
}

TEST(RunnerAudio, BeatsArriveOnTheTicksTheirFramesPrecedeAndTheWavHoldsTheRun) {
  const auto dir = FreshDir("runner");
  std::filesystem::copy_file(DM_TUNE_FILE, dir / "driftb.mo3");
  const int ticks = 400;
  const std::string cmd = std::string(DM_CAPTURE) + " --seed 7 --trace --frames " + std::to_string(ticks);
  const TRun a = RunIn(dir, cmd + " --wav run.wav");
  ASSERT_EQ(a.Status, 0) << a.Err;
  EXPECT_EQ(a.Err, "");
  const std::string wav = Slurp((dir / "run.wav").string());
  const TRun b = RunIn(dir, cmd);
  EXPECT_EQ(a.Out, b.Out);  // the same on every run
  // Tick k starts 40 k ms after the music (no work per tick): before it the
  // runner has decoded 1,764 k frames, so a beat at frame F shows from the
  // first tick with 1,764 k > F on. BeatSyncCount counts from 0.
  const TBeats beats = BeatsOf(tune::ComposeTune(), 1);
  const std::vector<uint32_t> syncs = SyncsColumn(a.Out);
  ASSERT_EQ(syncs.size(), size_t(ticks));
  for (int k = 1; k <= ticks; ++k) {
    uint32_t want = 0;
    for (uint64_t r : beats.Rows) want += r * FramesPerRow < 1764u * uint64_t(k) ? 1 : 0;
    ASSERT_EQ(syncs[size_t(k - 1)], want) << "tick " << k;
  }
  // 44-byte header, then 16-bit stereo up to the last tick's start.
  ASSERT_EQ(wav.size(), 44u + 4u * 1764u * uint64_t(ticks));
  EXPECT_EQ(wav.compare(0, 4, "RIFF"), 0);
  int peak = 0;
  for (size_t i = 44; i + 1 < wav.size(); i += 2)
    peak = std::max(peak, std::abs(int(int16_t(uint8_t(wav[i]) | (uint8_t(wav[i + 1]) << 8)))));
  EXPECT_GT(peak, 3000);
  EXPECT_LT(peak, 32767);
  std::filesystem::remove_all(dir);
}

TEST(RunnerAudio, NoSoundWritesSilenceAndCountsNoBeats) {
  const auto dir = FreshDir("nosound");
  std::filesystem::copy_file(DM_TUNE_FILE, dir / "driftb.mo3");
  const TRun run = RunIn(dir, std::string(DM_CAPTURE) + " --seed 7 --trace --frames 100 --wav run.wav -- -nosound");
  ASSERT_EQ(run.Status, 0) << run.Err;
  for (uint32_t s : SyncsColumn(run.Out)) ASSERT_EQ(s, 0u);
  const std::string wav = Slurp((dir / "run.wav").string());
  ASSERT_EQ(wav.size(), 44u + 4u * 1764u * 100u);
  EXPECT_EQ(wav.find_first_not_of('\0', 44), std::string::npos);
  std::filesystem::remove_all(dir);
}

}  // namespace
