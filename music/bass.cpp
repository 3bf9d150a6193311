// The music component: modules decoded by libopenmpt, mixed into the
// registered audio output (or pulled by MusicDecode), and the syncs found
// while rendering delivered when their frames are heard.
#include "music/bass.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "music/audio_output.h"
#include "music/bass_seams.h"
#include "music/player.h"

namespace {

constexpr uint32_t Version = 0x00080000;
constexpr size_t ChunkFrames = 256;
constexpr size_t QueueCapacity = 512;
constexpr size_t DeliverBatch = 32;
constexpr auto DeliverPoll = std::chrono::milliseconds(2);

// Events waiting for their frame to be heard, oldest first. Fixed storage:
// nothing is allocated while the music plays. A full queue drops new events.
class TSyncQueue {
 public:
  void Push(const TSyncEvent& e) {
    if (Count == QueueCapacity) return;
    Items[(First + Count) % QueueCapacity] = e;
    ++Count;
  }
  // Takes up to max events whose frame lies before heard.
  size_t TakeDue(uint64_t heard, TSyncEvent* out, size_t max) {
    size_t n = 0;
    while (n < max && Count > 0 && Items[First].Frame < heard) {
      out[n++] = Items[First];
      First = (First + 1) % QueueCapacity;
      --Count;
    }
    return n;
  }
  void Clear() { First = Count = 0; }

 private:
  TSyncEvent Items[QueueCapacity];
  size_t First = 0;
  size_t Count = 0;
};

struct TCallCounters {
  std::atomic<uint32_t> GetVersion{0}, Init{0}, MusicLoad{0}, SetSync{0}, Start{0}, PlayEx{0}, Free{0}, Decode{0};
};

class TComponent final : public ISyncSink {
 public:
  bool Init(int32_t device, uint32_t rate);
  bool Free();
  HMUSIC Load(std::vector<char> bytes, uint32_t flags);
  HSYNC SetSync(HMUSIC handle, const TSyncSpec& spec);
  bool Start();
  bool Play(HMUSIC handle, uint32_t pos, int32_t flags, bool reset);
  size_t Decode(int16_t* out, size_t frames);

  void Post(const TSyncEvent& e) override { Queue.Push(e); }

  TCallCounters Calls;
  std::atomic<uint32_t> ReportedVersion{Version};
  TAudioOutputFactory SystemOutput = nullptr;

 private:
  static void Pull(int16_t* out, size_t frames, void* context);
  void RenderLocked(int16_t* out, size_t frames);
  TModulePlayer* Find(HMUSIC handle);
  void DeliverDue(uint64_t heard);
  void RunDeliverer();
  bool OpenOutput(uint32_t rate);

  std::mutex Lock;  // everything below, against the output's thread
  bool Initialised = false;
  uint32_t Rate = 44100;
  std::unique_ptr<IAudioOutput> Output;
  std::vector<std::unique_ptr<TModulePlayer>> Players;
  uint64_t OutputFrame = 0;
  HMUSIC NextMusic = 1;
  HSYNC NextSync = 1;
  TSyncQueue Queue;
  int16_t Scratch[ChunkFrames * 2] = {};
  int32_t Mix[ChunkFrames * 2] = {};

  std::thread Deliverer;
  std::mutex WakeLock;
  std::condition_variable Wake;
  bool StopDeliverer = false;
};

// Never destroyed: an output thread may still pull while the process exits.
TComponent& Component() {
  static TComponent* component = new TComponent();
  return *component;
}

thread_local uint64_t DeliveringFrame = 0;

bool ReadWholeFile(const char* name, std::vector<char>& bytes) {
  if (name == nullptr) return false;
  const int fd = ::open(name, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
  if (ok) {
    try {
      bytes.resize(size_t(st.st_size));
    } catch (...) {
      ok = false;
    }
  }
  size_t have = 0;
  while (ok && have < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
    if (n <= 0) ok = false;
    else have += size_t(n);
  }
  ::close(fd);
  return ok;
}

}  // namespace

bool TComponent::Init(int32_t device, uint32_t rate) {
  // A second init starts clean: one copy of the music plays afterwards.
  Free();
  if (rate == 0) return false;
  if (device == 0) {
    std::lock_guard<std::mutex> lock(Lock);
    Rate = rate;
    Initialised = true;
    return true;
  }
  if (device != -1 && device != 1) return false;
  return OpenOutput(rate);
}

bool TComponent::OpenOutput(uint32_t rate) {
  std::unique_ptr<IAudioOutput> output;
  try {
    if (SystemOutput != nullptr) output = SystemOutput();
  } catch (...) {
    output.reset();
  }
  if (!output) return false;
  {
    std::lock_guard<std::mutex> lock(Lock);
    Rate = rate;
    Initialised = true;
  }
  bool ok = output->Open(rate, &TComponent::Pull, this);
  if (ok) {
    Output = std::move(output);
    {
      std::lock_guard<std::mutex> wake(WakeLock);
      StopDeliverer = false;
    }
    try {
      Deliverer = std::thread([this] { RunDeliverer(); });
    } catch (...) {
      ok = false;
    }
  }
  if (!ok) Free();
  return ok;
}

bool TComponent::Free() {
  {
    std::lock_guard<std::mutex> wake(WakeLock);
    StopDeliverer = true;
  }
  Wake.notify_all();
  if (Deliverer.joinable()) Deliverer.join();
  // Closing waits for a running pull, which takes Lock: close unlocked.
  if (Output) Output->Close();
  std::unique_ptr<IAudioOutput> output;
  std::vector<std::unique_ptr<TModulePlayer>> players;
  bool was = false;
  {
    std::lock_guard<std::mutex> lock(Lock);
    output = std::move(Output);
    players.swap(Players);
    Queue.Clear();
    OutputFrame = 0;
    was = Initialised;
    Initialised = false;
  }
  return was;
}

HMUSIC TComponent::Load(std::vector<char> bytes, uint32_t flags) {
  uint32_t rate = 0;
  HMUSIC handle = 0;
  {
    std::lock_guard<std::mutex> lock(Lock);
    if (!Initialised) return 0;
    rate = Rate;
    handle = NextMusic++;
  }
  std::unique_ptr<TModulePlayer> player = TModulePlayer::Load(std::move(bytes), handle, flags, rate);
  if (!player) return 0;
  std::lock_guard<std::mutex> lock(Lock);
  if (!Initialised) return 0;
  try {
    Players.push_back(std::move(player));
  } catch (...) {
    return 0;
  }
  return handle;
}

TModulePlayer* TComponent::Find(HMUSIC handle) {
  for (auto& p : Players)
    if (p->Handle() == handle) return p.get();
  return nullptr;
}

HSYNC TComponent::SetSync(HMUSIC handle, const TSyncSpec& spec) {
  std::lock_guard<std::mutex> lock(Lock);
  TModulePlayer* player = Find(handle);
  if (player == nullptr) return 0;
  TSyncSpec s = spec;
  s.Handle = NextSync++;
  try {
    player->AddSync(s);
  } catch (...) {
    return 0;
  }
  return s.Handle;
}

bool TComponent::Start() {
  {
    std::lock_guard<std::mutex> lock(Lock);
    if (!Initialised) return false;
  }
  // Starting takes the output's own lock, which its thread holds while it
  // pulls, and a pull takes Lock: start unlocked, as Free closes unlocked.
  // Output changes only on this thread (Init and Free).
  if (Output) Output->Start();
  return true;
}

bool TComponent::Play(HMUSIC handle, uint32_t pos, int32_t flags, bool reset) {
  std::lock_guard<std::mutex> lock(Lock);
  TModulePlayer* player = Find(handle);
  if (player == nullptr) return false;
  if (flags != -1) player->SetFlags(uint32_t(flags));
  return player->Play(int32_t(pos & 0xFFFF), int32_t(pos >> 16), reset);
}

void TComponent::RenderLocked(int16_t* out, size_t frames) {
  while (frames > 0) {
    const size_t n = std::min(frames, ChunkFrames);
    std::fill(Mix, Mix + 2 * n, 0);
    for (auto& p : Players) {
      if (!p->Playing()) continue;
      p->Render(Scratch, n, OutputFrame, *this);
      for (size_t i = 0; i < 2 * n; ++i) Mix[i] += Scratch[i];
    }
    for (size_t i = 0; i < 2 * n; ++i) out[i] = int16_t(std::clamp(Mix[i], -32768, 32767));
    OutputFrame += n;
    out += 2 * n;
    frames -= n;
  }
}

void TComponent::Pull(int16_t* out, size_t frames, void* context) {
  auto* self = static_cast<TComponent*>(context);
  std::lock_guard<std::mutex> lock(self->Lock);
  self->RenderLocked(out, frames);
}

size_t TComponent::Decode(int16_t* out, size_t frames) {
  size_t done = 0;
  while (done < frames) {
    const size_t n = std::min(frames - done, ChunkFrames);
    uint64_t heard = 0;
    {
      std::lock_guard<std::mutex> lock(Lock);
      if (!Initialised || Output) return done;
      RenderLocked(out + 2 * done, n);
      heard = OutputFrame;
    }
    DeliverDue(heard);
    done += n;
  }
  return done;
}

void TComponent::DeliverDue(uint64_t heard) {
  TSyncEvent due[DeliverBatch];
  while (true) {
    size_t n = 0;
    {
      std::lock_guard<std::mutex> lock(Lock);
      n = Queue.TakeDue(heard, due, DeliverBatch);
    }
    if (n == 0) return;
    // Callbacks run unlocked: they may call back into the component.
    for (size_t i = 0; i < n; ++i) {
      DeliveringFrame = due[i].Frame;
      due[i].Sync.Proc(due[i].Sync.Handle, due[i].Music, 0, due[i].Sync.User);
    }
  }
}

void TComponent::RunDeliverer() {
  while (true) {
    {
      std::unique_lock<std::mutex> wake(WakeLock);
      if (Wake.wait_for(wake, DeliverPoll, [this] { return StopDeliverer; })) return;
    }
    DeliverDue(Output->PlayedFrames());
  }
}

uint32_t BASS_GetVersion() {
  ++Component().Calls.GetVersion;
  return Component().ReportedVersion.load();
}

bool BASS_Init(int32_t device, uint32_t freq, uint32_t, void*) {
  ++Component().Calls.Init;
  return Component().Init(device, freq);
}

HMUSIC BASS_MusicLoad(bool mem, const char* file, uint32_t offset, uint32_t length, uint32_t flags) {
  ++Component().Calls.MusicLoad;
  std::vector<char> bytes;
  if (mem) {
    if (file == nullptr || length == 0) return 0;
    try {
      bytes.assign(file + offset, file + offset + length);
    } catch (...) {
      return 0;
    }
  } else {
    if (!ReadWholeFile(file, bytes)) return 0;
    // offset and length select a part of the file (0: to its end).
    if (offset >= bytes.size()) return 0;
    const size_t end = length == 0 ? bytes.size() : std::min<size_t>(bytes.size(), size_t(offset) + length);
    if (offset > 0 || end < bytes.size()) bytes = std::vector<char>(bytes.begin() + offset, bytes.begin() + long(end));
  }
  return Component().Load(std::move(bytes), flags);
}

HSYNC BASS_ChannelSetSync(uint32_t handle, uint32_t type, uint32_t param, SYNCPROC proc, void* user) {
  ++Component().Calls.SetSync;
  if (type != BASS_SYNC_MUSICINST || proc == nullptr) return 0;
  return Component().SetSync(handle, TSyncSpec{0, param & 0xFFFF, param >> 16, proc, user});
}

bool BASS_Start() {
  ++Component().Calls.Start;
  return Component().Start();
}

bool BASS_MusicPlayEx(HMUSIC handle, uint32_t pos, int32_t flags, int32_t reset) {
  ++Component().Calls.PlayEx;
  return Component().Play(handle, pos, flags, reset != 0);
}

bool BASS_Free() {
  ++Component().Calls.Free;
  return Component().Free();
}

size_t MusicDecode(int16_t* stereo, size_t frames) {
  ++Component().Calls.Decode;
  return Component().Decode(stereo, frames);
}

void RegisterSystemAudioOutput(TAudioOutputFactory factory) { Component().SystemOutput = factory; }

TMusicCalls MusicCallCounts() {
  const TCallCounters& c = Component().Calls;
  return TMusicCalls{c.GetVersion, c.Init, c.MusicLoad, c.SetSync, c.Start, c.PlayEx, c.Free, c.Decode};
}

void ResetMusicCallCounts() {
  TCallCounters& c = Component().Calls;
  for (auto* counter : {&c.GetVersion, &c.Init, &c.MusicLoad, &c.SetSync, &c.Start, &c.PlayEx, &c.Free, &c.Decode})
    counter->store(0);
}

void OverrideReportedVersion(uint32_t version) { Component().ReportedVersion = version == 0 ? Version : version; }

uint64_t CurrentSyncFrame() { return DeliveringFrame; }
