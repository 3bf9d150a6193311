// The music component against an output that behaves as SDL's does: its
// thread holds the output's own lock while it pulls, and starting or closing
// the output takes that lock too. Starting the music again while it plays
// (as every reset does, right after the music was started) must not wait on
// a pull that waits on the component.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <mutex>
#include <thread>

#include "music/audio_output.h"
#include "music/bass.h"

namespace {

class TLockingOutput final : public IAudioOutput {
 public:
  static std::atomic<long> Pulls;

  bool Open(uint32_t, TAudioPull pull, void* context) override {
    Pull = pull;
    Context = context;
    Thread = std::thread([this] { Run(); });
    return true;
  }
  void Start() override {
    std::lock_guard<std::mutex> lock(DeviceLock);
    Started = true;
  }
  void Close() override {
    Stop = true;
    if (Thread.joinable()) Thread.join();
  }
  uint64_t PlayedFrames() override { return 0; }
  ~TLockingOutput() override { Close(); }

 private:
  void Run() {
    int16_t buffer[2 * 64];
    while (!Stop) {
      std::lock_guard<std::mutex> lock(DeviceLock);
      Pull(buffer, 64, Context);
      ++Pulls;
    }
  }

  TAudioPull Pull = nullptr;
  void* Context = nullptr;
  std::mutex DeviceLock;
  std::thread Thread;
  std::atomic<bool> Stop{false};
  bool Started = false;
};
std::atomic<long> TLockingOutput::Pulls{0};

std::unique_ptr<IAudioOutput> MakeLockingOutput() { return std::make_unique<TLockingOutput>(); }

}  // namespace

TEST(HardenedMusic, StartingWhilePullsRunDoesNotDeadlock) {
  RegisterSystemAudioOutput(&MakeLockingOutput);
  ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
  for (int i = 0; i < 500 && TLockingOutput::Pulls.load() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const long pullsBefore = TLockingOutput::Pulls.load();
  ASSERT_GT(pullsBefore, 0);
  // Starts for 300 ms while the pulls go on.
  auto starts = std::async(std::launch::async, [] {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < end) BASS_Start();
  });
  if (starts.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    // The starting thread and the output's thread wait on each other's lock
    // for ever; nothing can end them, so the whole test program stops here.
    std::fprintf(stderr, "HardenedMusic: BASS_Start deadlocked against a running pull\n");
    std::abort();
  }
  EXPECT_GT(TLockingOutput::Pulls.load(), pullsBefore);
  EXPECT_TRUE(BASS_Free());
  RegisterSystemAudioOutput(nullptr);
}
