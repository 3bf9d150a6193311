// The show's audio output on SDL2: 16-bit stereo, pulled from SDL's audio
// thread. It registers itself with the music component when the program
// starts, so BASS_Init with the default device plays through it.
#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>

#include "music/audio_output.h"

namespace {

constexpr uint16_t BufferFrames = 1024;

// The sound libraries under SDL (alsa-lib) print their own complaints to
// stderr when no card is found; the show stays silent, so stderr points at
// /dev/null while the output is opened.
class TQuietStderr {
 public:
  TQuietStderr() {
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) return;
    Saved = ::dup(2);
    if (Saved >= 0) ::dup2(null, 2);
    ::close(null);
  }
  ~TQuietStderr() {
    if (Saved < 0) return;
    ::dup2(Saved, 2);
    ::close(Saved);
  }

 private:
  int Saved = -1;
};

class TSdlAudioOutput final : public IAudioOutput {
 public:
  ~TSdlAudioOutput() override { Close(); }

  bool Open(uint32_t rate, TAudioPull pull, void* context) override {
    TQuietStderr quiet;
    // Audio alone: a failing audio driver must not take video down with it.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SubsystemUp = true;
    Pull = pull;
    Context = context;
    Rate = rate;
    SDL_AudioSpec want{};
    want.freq = int(rate);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = BufferFrames;
    want.callback = &TSdlAudioOutput::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    Device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (Device == 0) {
      Close();
      return false;
    }
    DeviceFrames = have.samples;
    return true;
  }

  void Start() override {
    if (Device != 0) SDL_PauseAudioDevice(Device, 0);
  }

  void Close() override {
    if (Device != 0) SDL_CloseAudioDevice(Device);
    Device = 0;
    if (SubsystemUp) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    SubsystemUp = false;
  }

  // The frames handed out before the latest pull have been playing since
  // it, less the one buffer the device holds; between pulls the position
  // runs on with the clock.
  uint64_t PlayedFrames() override {
    std::lock_guard<std::mutex> lock(Clock);
    if (PulledBefore == 0 && Pulled == 0) return 0;
    const uint64_t now = SDL_GetPerformanceCounter();
    const uint64_t freq = SDL_GetPerformanceFrequency();
    const uint64_t since = freq == 0 ? 0 : (now - PullTime) * Rate / freq;
    const uint64_t base = PulledBefore > DeviceFrames ? PulledBefore - DeviceFrames : 0;
    const uint64_t played = std::min(base + since, PulledBefore);
    Reported = std::max(Reported, played);
    return Reported;
  }

 private:
  static void Callback(void* userdata, Uint8* stream, int len) {
    auto* self = static_cast<TSdlAudioOutput*>(userdata);
    const size_t frames = size_t(len) / (2 * sizeof(int16_t));
    self->Pull(reinterpret_cast<int16_t*>(stream), frames, self->Context);
    std::lock_guard<std::mutex> lock(self->Clock);
    self->PulledBefore = self->Pulled;
    self->Pulled += frames;
    self->PullTime = SDL_GetPerformanceCounter();
  }

  SDL_AudioDeviceID Device = 0;
  bool SubsystemUp = false;
  TAudioPull Pull = nullptr;
  void* Context = nullptr;
  uint32_t Rate = 44100;
  uint64_t DeviceFrames = BufferFrames;

  std::mutex Clock;  // the play position, against SDL's audio thread
  uint64_t Pulled = 0;
  uint64_t PulledBefore = 0;
  uint64_t PullTime = 0;
  uint64_t Reported = 0;
};

std::unique_ptr<IAudioOutput> CreateSdlAudioOutput() { return std::make_unique<TSdlAudioOutput>(); }

const bool Registered = (RegisterSystemAudioOutput(&CreateSdlAudioOutput), true);

}  // namespace

// Referenced by the show's link (an undefined-symbol option on the SDL
// library), so that this file, and with it the registration above, is
// linked into every program that links the SDL platform.
extern "C" void DmSdlAudioOutputAnchor() { (void)Registered; }
