// A display and host without window, audio device or real clock: the
// runner, the tests and the benchmarks drive the real form through them.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/host.h"
#include "render/display.h"

class THeadlessDisplay final : public IDisplayDevice {
 public:
  // What Open reports; tests change it to imitate other displays.
  TDisplayMode Mode{512, 384, 16, 0x07E0, 0};
  bool OpenFails = false;
  bool Lost = false;  // set by a test to mark the surfaces lost
  int Presented = 0;
  std::function<void(const TSurface&)> OnPresent;

  bool Open(bool fullScreen, const TDisplayMode& requested, TDisplayMode& obtained) override;
  void Present(const TSurface& frame) override;
  bool TakeLost() override;
  void ClearVisible() override {}
  void Close() override {}
  bool FullScreen = false;
};

// The virtual millisecond clock: a tick starts at TickStart, and every read
// after the first within the tick reads TickStart + Work.
class THeadlessHost final : public TShowHost {
 public:
  uint32_t Now = 0;
  // The time of day the reset seeds from: TimeOfDay, or the real UTC time
  // of day when SystemTimeOfDay is set (the runner without --seed).
  uint32_t TimeOfDay = 0;
  bool SystemTimeOfDay = false;
  bool Terminated = false;
  int32_t Device = 0;
  std::vector<std::string> Messages;

  // Within a tick (InTick), the first read gives Now and every later read
  // Now + Work; outside ticks every read gives Now.
  bool InTick = false;
  uint32_t Work = 0;
  int Reads = 0;
  void BeginTick(uint32_t start, uint32_t work) {
    Now = start;
    Work = work;
    Reads = 0;
    InTick = true;
  }
  void EndTick() { InTick = false; }

  uint32_t timeGetTime() override {
    if (!InTick) return Now;
    return Reads++ == 0 ? Now : Now + Work;
  }
  uint32_t MillisecondsSinceMidnight() override;
  void ShowMessage(const char*, const std::string& text) override { Messages.push_back(text); }
  void Terminate() override { Terminated = true; }
  void HideCursor() override {}
  void* ForegroundWindow() override { return nullptr; }
  int32_t MusicDevice() override { return Device; }
};

// Milliseconds since midnight of the current UTC time.
uint32_t UtcMillisecondsSinceMidnight();

// FNV-1a 64-bit hash of the frame's pixels as little-endian 16-bit words,
// rows top to bottom, without row padding.
uint64_t HashSurface(const TSurface& surface);

// Writes the surface as an RGB PNG (channels expanded by bit replication).
bool WritePng(const TSurface& surface, const std::string& path);
