#include "tools/capture/runner.h"

#include <charconv>
#include <cstdio>
#include <filesystem>

#include "app/random.h"
#include "music/beat.h"
#include "tools/capture/audio.h"
#include "platform/headless/headless_show.h"

namespace {

std::string Shortest(double v) {
  char buf[64];
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, ptr);
}

void PrintTrace(uint64_t frame, unsigned scene, double step, const TForm1& f, uint64_t hash) {
  std::printf("frame=%llu scene=%u step=%s seed=%u beat=%d syncs=%u c1=%s c3=%s c5=%s c7=%s flash=%s hash=%016llx\n",
              static_cast<unsigned long long>(frame), scene, Shortest(step).c_str(), RandSeed, LoadBeat(),
              BeatSyncCount.load(), Shortest(f.Scene1Clock).c_str(), Shortest(f.Scene3Clock).c_str(),
              Shortest(f.Scene5Position).c_str(), Shortest(f.Scene7Clock).c_str(), Shortest(f.FlashClock).c_str(),
              static_cast<unsigned long long>(hash));
}

}  // namespace

int RunHeadless(const TRunnerOptions& o, const std::string&) {
  THeadlessShow show(o.ShowArgs, o.Seed, o.ClockStart,
                     o.Layout555 ? TPixelLayout::Layout555 : TPixelLayout::Layout565);
  // Without --seed every reset seeds from the real time of day, as the show does.
  show.Host.SystemTimeOfDay = !o.Seed.has_value();
  if (!o.PngDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(o.PngDir, ec);
    if (ec) {
      std::fprintf(stderr, "driftmosaic-capture: cannot create %s: %s\n", o.PngDir.c_str(), ec.message().c_str());
      return 2;
    }
  }
  uint64_t tick = 0;
  bool pngFailed = false;
  show.Display.OnPresent = [&](const TSurface& frame) {
    if (o.PngDir.empty() || tick % o.PngEvery != 0 || pngFailed) return;
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%05llu.png", static_cast<unsigned long long>(tick));
    if (!WritePng(frame, o.PngDir + name)) pngFailed = true;
  };
  if (!show.Start()) {
    for (const std::string& m : show.Host.Messages) std::fprintf(stderr, "%s\n", m.c_str());
    return 0;
  }
  // The music started with the show, at the clock's start.
  TRunnerAudio audio;
  std::string audioError;
  if (!audio.Begin(o.WavPath, o.ClockStart, audioError)) {
    std::fprintf(stderr, "driftmosaic-capture: %s\n", audioError.c_str());
    return 2;
  }
  while (!show.Ended() && (!o.Frames || tick < *o.Frames)) {
    ++tick;
    const uint32_t work = o.FrameMs[std::min<size_t>(tick - 1, o.FrameMs.size() - 1)];
    const unsigned scene = show.Form->Scene;
    const double step = show.Form->TimeStep;
    audio.DecodeUntil(show.TickStart(), show.Form->SoundOn);
    show.Tick(work);
    if (pngFailed) {
      std::fprintf(stderr, "driftmosaic-capture: cannot write a picture into %s\n", o.PngDir.c_str());
      return 2;
    }
    if (o.Trace) PrintTrace(tick, scene, step, *show.Form, HashSurface(show.Form->DXDraw1.Surface));
  }
  if (!audio.Finish(audioError)) {
    std::fprintf(stderr, "driftmosaic-capture: %s\n", audioError.c_str());
    return 2;
  }
  std::fflush(stdout);
  return 0;
}
