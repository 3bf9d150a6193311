// The music component: syncs by instrument and note in XM and IT, their
// frames against the sample clock, delivery when the output has played the
// row, and the life cycle of init, load, play and free.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "music/audio_output.h"
#include "music/bass.h"
#include "music/bass_seams.h"
#include "music/player.h"
#include "tests/music/modules.h"

namespace {

std::mutex SeenLock;
std::vector<std::pair<uintptr_t, uint64_t>> Seen;  // (user, frame)

void Record(uint32_t, uint32_t, uint32_t, void* user) {
  std::lock_guard<std::mutex> lock(SeenLock);
  Seen.emplace_back(uintptr_t(user), CurrentSyncFrame());
}

std::vector<uint64_t> SeenRows(uintptr_t user) {
  std::lock_guard<std::mutex> lock(SeenLock);
  std::vector<uint64_t> rows;
  for (auto [u, frame] : Seen)
    if (u == user) {
      EXPECT_EQ(frame % FramesPerRow, 0u) << "a sync off the row's first frame: " << frame;
      rows.push_back(frame / FramesPerRow);
    }
  return rows;
}

HMUSIC LoadMemory(const std::vector<char>& bytes, uint32_t flags) {
  return BASS_MusicLoad(true, bytes.data(), 0, uint32_t(bytes.size()), flags);
}

void DecodeFrames(uint64_t frames) {
  static int16_t buffer[2 * 1000];
  while (frames > 0) {
    const size_t n = size_t(std::min<uint64_t>(frames, 1000));
    ASSERT_EQ(MusicDecode(buffer, n), n);
    frames -= n;
  }
}

class MusicComponent : public ::testing::Test {
 protected:
  void SetUp() override {
    BASS_Free();
    Seen.clear();
  }
  void TearDown() override { BASS_Free(); }
};

// Notes in the format's naming: G-4 = 55, G-5 = 67, C-4 = 48.
const std::vector<TTestCell> NoteCells = {
    {0, 0, 55, 9},   // instrument 9 at G-4
    {1, 0, 67, 9},   // instrument 9 an octave up
    {2, 1, 55, 3},   // another instrument at G-4
    {3, 0, 55, 0},   // a bare note: channel 0 last played instrument 9
    {4, 0, 55, 9},   // two channels match in one row
    {4, 1, 55, 9},
    {5, 1, 48, 2},   // instrument 2 at C-4
    {6, 1, 55, 0},   // a bare G-4 on a channel whose last instrument is 2
    {7, 0, -2, 0},   // key off
    {8, 0, -1, 2},   // an instrument number alone changes the channel's instrument
    {9, 0, 55, 0},   // so this bare G-4 plays instrument 2
    {10, 2, 55, 9},  // and a last beat on a third channel
};

struct TSyncCase {
  uint32_t Param;
  std::vector<uint64_t> Rows;
};
const TSyncCase SyncCases[] = {
    {0x00370009, {0, 3, 4, 10}},
    {0xFFFF0009, {0, 1, 3, 4, 10}},
    {0x00300002, {5}},
    {0xFFFF0002, {5, 6, 9}},
    {0x00370003, {2}},
    {0x00370001, {}},
};

void CheckSyncs(const std::vector<char>& module) {
  ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr));
  const HMUSIC music = LoadMemory(module, 0);
  ASSERT_NE(music, 0u);
  for (uintptr_t i = 0; i < std::size(SyncCases); ++i)
    ASSERT_NE(BASS_ChannelSetSync(music, 1, SyncCases[i].Param, Record, reinterpret_cast<void*>(i)), 0u);
  ASSERT_TRUE(BASS_Start());
  ASSERT_TRUE(BASS_MusicPlayEx(music, 0, -1, 1));
  DecodeFrames(12 * FramesPerRow);
  for (uintptr_t i = 0; i < std::size(SyncCases); ++i)
    EXPECT_EQ(SeenRows(i), SyncCases[i].Rows) << std::hex << SyncCases[i].Param;
}

TEST_F(MusicComponent, XmSyncsMatchInstrumentAndFastTrackerNote) { CheckSyncs(MakeXm(NoteCells, 16)); }

TEST_F(MusicComponent, ItSyncsMatchInstrumentAndImpulseTrackerNote) { CheckSyncs(MakeIt(NoteCells, 16)); }

TEST_F(MusicComponent, LoopedSongSyncsAgainOnEveryPass) {
  ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr));
  const HMUSIC music = LoadMemory(MakeXm({{0, 0, 55, 9}, {5, 0, 55, 9}}, 8), BASS_MUSIC_LOOP | 1);
  ASSERT_NE(BASS_ChannelSetSync(music, 1, 0x00370009, Record, nullptr), 0u);
  ASSERT_TRUE(BASS_MusicPlayEx(music, 0, -1, 1));
  DecodeFrames(3 * 8 * FramesPerRow);
  EXPECT_EQ(SeenRows(0), (std::vector<uint64_t>{0, 5, 8, 13, 16, 21}));
}

TEST_F(MusicComponent, SongPlayedOnceEndsInSilenceWithoutFalseRows) {
  ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr));
  const HMUSIC music = LoadMemory(MakeXm({{0, 0, 55, 9}, {5, 0, 55, 9}}, 8), 0);
  ASSERT_NE(BASS_ChannelSetSync(music, 1, 0x00370009, Record, nullptr), 0u);
  ASSERT_TRUE(BASS_MusicPlayEx(music, 0, -1, 1));
  DecodeFrames(3 * 8 * FramesPerRow);
  EXPECT_EQ(SeenRows(0), (std::vector<uint64_t>{0, 5}));
  int16_t tail[2 * 256];
  ASSERT_EQ(MusicDecode(tail, 256), 256u);
  for (int16_t s : tail) ASSERT_EQ(s, 0);
}

// An output that the test drives: it pulls when told and reports the played
// position it is given.
class TFakeOutput final : public IAudioOutput {
 public:
  static inline TFakeOutput* Last = nullptr;
  static inline bool FailOpen = false;
  TAudioPull PullFn = nullptr;
  void* Context = nullptr;
  std::atomic<uint64_t> Played{0};
  bool Started = false;
  bool Closed = false;

  // A test may still ask whether this output is the last one made after the
  // component has destroyed it.
  ~TFakeOutput() override {
    if (Last == this) Last = nullptr;
  }

  bool Open(uint32_t, TAudioPull pull, void* context) override {
    PullFn = pull;
    Context = context;
    return !FailOpen;
  }
  void Start() override { Started = true; }
  void Close() override { Closed = true; }
  uint64_t PlayedFrames() override { return Played.load(); }
  void Pull(size_t frames) {
    std::vector<int16_t> buffer(2 * frames);
    PullFn(buffer.data(), frames, Context);
  }
};

std::unique_ptr<IAudioOutput> MakeFake() {
  auto out = std::make_unique<TFakeOutput>();
  TFakeOutput::Last = out.get();
  return out;
}

size_t SeenCount() {
  std::lock_guard<std::mutex> lock(SeenLock);
  return Seen.size();
}

bool WaitForSeen(size_t n) {
  for (int i = 0; i < 500 && SeenCount() < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return SeenCount() >= n;
}

TEST_F(MusicComponent, SyncArrivesWhenThePlayedPositionReachesTheRow) {
  RegisterSystemAudioOutput(&MakeFake);
  ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
  TFakeOutput& out = *TFakeOutput::Last;
  const HMUSIC music = LoadMemory(MakeXm({{0, 0, 55, 9}, {2, 0, 55, 9}}, 8), 0);
  ASSERT_NE(BASS_ChannelSetSync(music, 1, 0x00370009, Record, nullptr), 0u);
  ASSERT_TRUE(BASS_Start());
  EXPECT_TRUE(out.Started);
  ASSERT_TRUE(BASS_MusicPlayEx(music, 0, -1, 1));
  // Decoded ahead, but nothing heard yet: no callback.
  out.Pull(4 * FramesPerRow);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(SeenCount(), 0u);
  out.Played = 1;  // row 0's first frame has been heard
  ASSERT_TRUE(WaitForSeen(1));
  out.Played = 2 * FramesPerRow;  // up to, not including, row 2's first frame
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(SeenCount(), 1u);
  out.Played = 2 * FramesPerRow + 1;
  ASSERT_TRUE(WaitForSeen(2));
  EXPECT_EQ(SeenRows(0), (std::vector<uint64_t>{0, 2}));
  EXPECT_TRUE(BASS_Free());
  EXPECT_TRUE(TFakeOutput::Last != &out || out.Closed);  // destroyed, or at least closed
}

TEST_F(MusicComponent, InitFailsWhenTheOutputCannotOpen) {
  RegisterSystemAudioOutput(&MakeFake);
  TFakeOutput::FailOpen = true;
  EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr));
  TFakeOutput::FailOpen = false;
  RegisterSystemAudioOutput(nullptr);
  EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr));
  EXPECT_FALSE(BASS_Init(5, 44100, 0, nullptr));  // no such device
  // Nothing was left initialised by the failures.
  EXPECT_EQ(BASS_MusicLoad(true, "x", 0, 1, 0), 0u);
  EXPECT_FALSE(BASS_Free());
}

TEST_F(MusicComponent, FreeIsHarmlessBeforeInitAndTwice) {
  EXPECT_FALSE(BASS_Free());
  EXPECT_FALSE(BASS_Free());
  int16_t buffer[8];
  EXPECT_EQ(MusicDecode(buffer, 4), 0u);
  EXPECT_FALSE(BASS_Start());
  EXPECT_FALSE(BASS_MusicPlayEx(1, 0, -1, 1));
  ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr));
  EXPECT_TRUE(BASS_Free());
  EXPECT_FALSE(BASS_Free());
}

TEST_F(MusicComponent, SecondInitStartsCleanSoOneCopyPlays) {
  std::ifstream in(DM_TUNE_FILE, std::ios::binary);
  const std::vector<char> module((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto playFromStart = [&](std::vector<int16_t>& audio) {
    EXPECT_TRUE(BASS_Init(0, 44100, 0, nullptr));
    const HMUSIC music = LoadMemory(module, 5);
    EXPECT_NE(BASS_ChannelSetSync(music, 1, 0x00370009, Record, nullptr), 0u);
    EXPECT_TRUE(BASS_MusicPlayEx(music, 0, -1, 1));
    audio.assign(2 * 4 * FramesPerRow, 0);
    EXPECT_EQ(MusicDecode(audio.data(), 4 * FramesPerRow), 4 * FramesPerRow);
    return music;
  };
  // The first module a process renders starts differently inside
  // libopenmpt; the restarts after it are compared.
  std::vector<int16_t> warm, first, second;
  playFromStart(warm);
  const HMUSIC old = playFromStart(first);
  const HMUSIC again = playFromStart(second);  // no free between
  EXPECT_NE(old, again);
  EXPECT_FALSE(BASS_MusicPlayEx(old, 0, -1, 1));  // the first copy is gone
  EXPECT_EQ(first, second);
  EXPECT_TRUE(std::any_of(first.begin(), first.end(), [](int16_t s) { return s != 0; }));
  EXPECT_EQ(SeenRows(0), (std::vector<uint64_t>{0, 0, 0}));  // the intro's first beat, once per copy
}

TEST_F(MusicComponent, LoadRefusesFilesThatAreNoModule) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("dm-music-load-" + std::to_string(::getpid()));
  fs::create_directories(dir / "adir");
  const std::vector<char> good = MakeXm({{0, 0, 55, 9}}, 8);
  auto write = [&](const char* name, const std::vector<char>& bytes) {
    std::ofstream(dir / name, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
  };
  write("empty", {});
  write("garbage", std::vector<char>(4000, 'x'));
  write("truncated", std::vector<char>(good.begin(), good.begin() + 60));
  write("good", good);
  ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr));
  for (const char* name : {"missing", "empty", "garbage", "truncated", "adir"})
    EXPECT_EQ(BASS_MusicLoad(false, (dir / name).c_str(), 0, 0, 5), 0u) << name;
  EXPECT_NE(BASS_MusicLoad(false, (dir / "good").c_str(), 0, 0, 5), 0u);
  fs::remove_all(dir);
}

TEST(NoteOffsets, FollowEachFormatsNaming) {
  const struct {
    const char* Type;
    const char* Original;
    int32_t Offset;
  } cases[] = {{"xm", "", 12}, {"s3m", "", 12}, {"it", "", 0}, {"mptm", "", 0},
               {"mo3", "xm", 12}, {"mo3", "it", 0}, {"mo3", "", 12}, {"mod", "", 36}};
  for (const auto& c : cases) EXPECT_EQ(NoteOffsetForFormat(c.Type, c.Original), c.Offset) << c.Type << c.Original;
}

}  // namespace
