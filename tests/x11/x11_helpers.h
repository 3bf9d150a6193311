// Helpers for the tests that run under the private X servers: starting the
// show, waiting for it with a deadline, finding windows and reading pixels.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The 16-bit and 24-bit displays that the wrapper script started.
std::string Display16();
std::string Display24();

// Runs a command through the shell and returns what it printed on stdout.
std::string Capture(const std::string& command);

struct TProcess {
  pid_t Pid = -1;
  std::string StderrPath;
};

// Starts the show with the given arguments on the given display (an empty
// display unsets DISPLAY). Its stderr goes to a temporary file.
TProcess StartShow(const std::vector<std::string>& args, const std::string& display);
// The exit code once the process has ended, or nothing after timeoutMs
// (the process is then killed).
std::optional<int> WaitForExit(TProcess& process, int timeoutMs);
// True while the process has not ended.
bool Running(TProcess& process);
std::string ReadStderr(const TProcess& process);

struct TWindowInfo {
  unsigned long Id = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
};

// Polls xwininfo until a window of that exact name exists (or timeoutMs).
std::optional<TWindowInfo> WaitForWindow(const std::string& display, const std::string& name, int timeoutMs);

// Reads a rectangle of the window (or the root with id 0) as 0xRRGGBB
// values, rows top to bottom.
std::vector<uint32_t> ReadWindow(const std::string& display, unsigned long id, int x, int y, int w, int h);
// The raw X pixel values of the same (for a 16-bit screen: 5-6-5 words).
std::vector<uint32_t> ReadRawPixels(const std::string& display, unsigned long id, int x, int y, int w, int h);

// The X window behind an SDL window (0 when it has none).
struct SDL_Window;
unsigned long XWindowOf(SDL_Window* window);

// Sends the window the close request a window manager sends for its
// close box (WM_DELETE_WINDOW).
void SendCloseRequest(const std::string& display, unsigned long id);

// Polls until check() holds or timeoutMs passes; returns the last result.
template <class F>
bool PollUntil(int timeoutMs, F check);

void SleepMs(int ms);

template <class F>
bool PollUntil(int timeoutMs, F check) {
  for (int waited = 0;; waited += 20) {
    if (check()) return true;
    if (waited >= timeoutMs) return false;
    SleepMs(20);
  }
}
