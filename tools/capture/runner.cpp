#include "tools/capture/runner.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/random.h"
#include "music/beat.h"
#include "tools/capture/audio.h"
#include "tools/capture/video.h"
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

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "driftmosaic-capture: %s\n", message.c_str());
  return 2;
}

// Frames the video will have, as far as can be told: --frames, or the show's
// end if that comes first.
uint64_t ExpectedFrames(const TRunnerOptions& o, const TForm1& form, uint64_t done) {
  const uint64_t left = ShowTicksLeft(form);
  if (!o.Frames) return left == 0 ? 0 : done + left;
  return left == 0 ? *o.Frames : std::min(*o.Frames, done + left);
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
    if (ec) return Fail("cannot create " + o.PngDir + ": " + ec.message());
  }
  std::string error;
  std::unique_ptr<TVideoWriter> video;
  if (!o.VideoPath.empty()) {
    video = std::make_unique<TVideoWriter>();
    if (!video->Prepare(o.VideoPath, error)) return Fail(error);
  }
  uint64_t tick = 0;
  bool pngFailed = false;
  show.Display.OnPresent = [&](const TSurface& frame) {
    if (video) video->Present(frame);
    if (o.PngDir.empty() || tick % o.PngEvery != 0 || pngFailed) return;
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%05llu.png", static_cast<unsigned long long>(tick));
    if (!WritePng(frame, o.PngDir + name)) pngFailed = true;
  };
  if (!show.Start()) {
    for (const std::string& m : show.Host.Messages) std::fprintf(stderr, "%s\n", m.c_str());
    return video ? Fail("the show ended before its first tick; no video written") : 0;
  }
  // The music started with the show, at the clock's start.
  TRunnerAudio audio;
  if (!audio.Begin(o.WavPath, o.ClockStart, error)) return Fail(error);
  TProgressLine progress;
  if (video) {
    if (!o.Frames && ShowTicksLeft(*show.Form) == 0)
      return Fail("--video needs --frames here: under -loop or -scene0 the show never ends");
    const TSurface& surface = show.Form->DXDraw1.Surface;
    if (!video->Start(surface.Width, surface.Height, surface.Layout, o.Scale, show.Form->SoundOn, error))
      return Fail(error);
    audio.OnFrames = [&](const int16_t* stereo, size_t frames) { video->AddAudio(stereo, frames); };
  }
  auto failVideo = [&](const std::string& message) {
    progress.End(tick, show.Form->Scene, false);
    return Fail(message);
  };
  while (!show.Ended() && (!o.Frames || tick < *o.Frames)) {
    ++tick;
    const uint32_t work = o.FrameMs[std::min<size_t>(tick - 1, o.FrameMs.size() - 1)];
    const unsigned scene = show.Form->Scene;
    const double step = show.Form->TimeStep;
    audio.DecodeUntil(show.TickStart(), show.Form->SoundOn);
    show.Tick(work);
    if (pngFailed) return failVideo("cannot write a picture into " + o.PngDir);
    if (o.Trace) PrintTrace(tick, scene, step, *show.Form, HashSurface(show.Form->DXDraw1.Surface));
    if (video) {
      if (!video->EndTick(error)) return failVideo(error);
      progress.Update(tick, ExpectedFrames(o, *show.Form, tick), show.Form->Scene);
    }
  }
  if (!audio.Finish(error)) return failVideo(error);
  if (video) {
    // The last picture stays up for its 40 ms: its sound is decoded too
    // (after the WAV file is complete, which ends at the last tick's start).
    audio.DecodeUntil(show.TickStart(), show.Form->SoundOn);
    if (!video->Finish(error)) return failVideo(error);
    progress.End(tick, show.Form->Scene, true);
  }
  std::fflush(stdout);
  return 0;
}
