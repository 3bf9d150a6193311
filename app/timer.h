// The frame timer: ticks no closer than Interval ms apart, only while the
// application is active, counted afresh when it becomes active again.
#pragma once
#include <cstdint>

class TDXTimer {
 public:
  uint32_t Interval = 40;
  bool ActiveOnly = true;
  bool Enabled = false;

  // The application became active (or the timer was enabled) at now.
  void Restart(uint32_t now) {
    LastTick = now;
    Started = true;
  }
  // True when a tick is due at now: at least Interval ms since the previous
  // tick began, as the unsigned difference of two counts.
  bool Due(uint32_t now) const { return Enabled && Started && uint32_t(now - LastTick) >= Interval; }
  // Milliseconds until the next tick is due (0 when due).
  uint32_t Remaining(uint32_t now) const {
    const uint32_t elapsed = now - LastTick;
    return elapsed >= Interval ? 0 : Interval - elapsed;
  }
  void Fired(uint32_t now) { LastTick = now; }

 private:
  uint32_t LastTick = 0;
  bool Started = false;
};
