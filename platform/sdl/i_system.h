// The show's surroundings on SDL2: the millisecond clock, the time of day,
// the message box, the request to terminate, and the message loop that
// delivers keys, focus changes and timer ticks to the form.
#pragma once
#include <SDL.h>

#include <cstdint>
#include <string>

#include "app/host.h"
#include "platform/sdl/i_video.h"

class TForm1;

// Initialises SDL's video on its own (the music opens audio separately).
// False, with SDL's error text in error, when there is no real display:
// SDL falls back silently to its offscreen driver when no X server answers.
bool InitVideo(std::string& error);

// Nanoseconds of the monotonic clock; the millisecond count is this / 10^6.
uint64_t MonotonicNanoseconds();

class TSdlHost : public TShowHost {
 public:
  explicit TSdlHost(TSdlDisplay& display) : Display(display) {}

  uint32_t timeGetTime() override { return uint32_t(MonotonicNanoseconds() / 1000000u); }
  uint32_t MillisecondsSinceMidnight() override;
  void ShowMessage(const char* caption, const std::string& text) override;
  void Terminate() override { TerminateRequested = true; }
  void HideCursor() override { SDL_ShowCursor(SDL_DISABLE); }
  void* ForegroundWindow() override { return Display.Window(); }
  int32_t MusicDevice() override { return -1; }

  bool Terminated() const { return TerminateRequested; }

 protected:
  TSdlDisplay& Display;
  bool TerminateRequested = false;
};

// The 16-bit virtual-key code the form receives for an SDL key.
uint16_t VirtualKeyOf(SDL_Keycode key);

// Shows the form (the display set-up), then delivers events and timer ticks
// until the application is asked to terminate.
void RunMessageLoop(TForm1& form, TSdlHost& host, TSdlDisplay& display);
