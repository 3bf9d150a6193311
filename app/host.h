// What the show needs of its surroundings, besides the display: the
// millisecond counter, the time of day, the message box, the request to
// terminate and the music output. The SDL build and the headless runner
// each supply one.
#pragma once
#include <cstdint>
#include <string>

class TShowHost {
 public:
  virtual ~TShowHost() = default;
  // The wrapping 32-bit millisecond count.
  virtual uint32_t timeGetTime() = 0;
  // Milliseconds since midnight of the current UTC time (the reset's seed).
  virtual uint32_t MillisecondsSinceMidnight() = 0;
  // A modal box with one OK button; returns when it has been closed.
  virtual void ShowMessage(const char* caption, const std::string& text) = 0;
  // Asks the message loop to end once the current handler has finished.
  virtual void Terminate() = 0;
  // The application-wide cursor: hidden over every window of the program.
  virtual void HideCursor() = 0;
  // The window handed to the music library (may be null).
  virtual void* ForegroundWindow() = 0;
  // The output device the music opens: -1 for the default output, 0 for none
  // (decoding only, the headless runner).
  virtual int32_t MusicDevice() = 0;
};
