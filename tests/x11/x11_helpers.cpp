#include "tests/x11/x11_helpers.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

std::string Display16() {
  const char* d = std::getenv("DM_X16_DISPLAY");
  return d != nullptr ? d : "";
}

std::string Display24() {
  const char* d = std::getenv("DM_X24_DISPLAY");
  return d != nullptr ? d : "";
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string Capture(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

TProcess StartShow(const std::vector<std::string>& args, const std::string& display) {
  TProcess process;
  char path[] = "/tmp/dm-show-stderr.XXXXXX";
  const int fd = mkstemp(path);
  process.StderrPath = path;

  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e)
    if (std::strncmp(*e, "DISPLAY=", 8) != 0) env.emplace_back(*e);
  if (!display.empty()) env.push_back("DISPLAY=" + display);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  std::vector<std::string> all{DM_SHOW};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fd, 2);
  posix_spawn(&process.Pid, DM_SHOW, &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(fd);
  return process;
}

std::optional<int> WaitForExit(TProcess& process, int timeoutMs) {
  if (process.Pid <= 0) return std::nullopt;
  int status = 0;
  const bool ended = PollUntil(timeoutMs, [&] { return waitpid(process.Pid, &status, WNOHANG) == process.Pid; });
  if (!ended) {
    kill(process.Pid, SIGKILL);
    waitpid(process.Pid, &status, 0);
    process.Pid = -1;
    return std::nullopt;
  }
  process.Pid = -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + WTERMSIG(status);
}

bool Running(TProcess& process) {
  if (process.Pid <= 0) return false;
  int status = 0;
  if (waitpid(process.Pid, &status, WNOHANG) != process.Pid) return true;
  process.Pid = -1;
  return false;
}

std::string ReadStderr(const TProcess& process) {
  std::ifstream in(process.StderrPath);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::optional<TWindowInfo> WaitForWindow(const std::string& display, const std::string& name, int timeoutMs) {
  TWindowInfo info;
  const std::string command = "xwininfo -display '" + display + "' -name '" + name + "' 2>/dev/null";
  const bool found = PollUntil(timeoutMs, [&] {
    const std::string out = Capture(command);
    const size_t id = out.find("Window id: ");
    if (id == std::string::npos) return false;
    info.Id = std::strtoul(out.c_str() + id + 11, nullptr, 16);
    auto field = [&](const char* key) {
      const size_t at = out.find(key);
      return at == std::string::npos ? -1 : std::atoi(out.c_str() + at + std::strlen(key));
    };
    info.X = field("Absolute upper-left X:");
    info.Y = field("Absolute upper-left Y:");
    info.Width = field("Width:");
    info.Height = field("Height:");
    return info.Width > 0;
  });
  if (!found) return std::nullopt;
  return info;
}

namespace {

// A window can vanish between finding and reading it (the renderer
// re-creates it); such errors make the read come back empty.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

std::vector<uint32_t> Read(const std::string& display, unsigned long id, int x, int y, int w, int h, bool raw) {
  std::vector<uint32_t> pixels;
  Display* dpy = XOpenDisplay(display.c_str());
  if (dpy == nullptr) return pixels;
  XSetErrorHandler(IgnoreXError);
  const Window win = id != 0 ? Window(id) : DefaultRootWindow(dpy);
  XImage* image = XGetImage(dpy, win, x, y, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
  if (image != nullptr) {
    pixels.reserve(size_t(w) * size_t(h));
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) {
        const unsigned long p = XGetPixel(image, i, j);
        if (raw) {
          pixels.push_back(uint32_t(p));
          continue;
        }
        // Scale each channel of the visual's masks to 8 bits by replication.
        auto channel = [&](unsigned long mask) {
          int shift = 0, bits = 0;
          while (mask != 0 && (mask & 1) == 0) mask >>= 1, ++shift;
          while (mask & 1) mask >>= 1, ++bits;
          const uint32_t v = uint32_t((p >> shift) & ((1ul << bits) - 1));
          // 5 and 6 bits are widened by replication, 8 bits taken as they are.
          return bits >= 8 ? v >> (bits - 8) : (v << (8 - bits)) | (v >> (2 * bits - 8));
        };
        pixels.push_back((channel(image->red_mask) << 16) | (channel(image->green_mask) << 8) |
                         channel(image->blue_mask));
      }
    XDestroyImage(image);
  }
  XCloseDisplay(dpy);
  return pixels;
}

}  // namespace

std::vector<uint32_t> ReadWindow(const std::string& display, unsigned long id, int x, int y, int w, int h) {
  return Read(display, id, x, y, w, h, false);
}

std::vector<uint32_t> ReadRawPixels(const std::string& display, unsigned long id, int x, int y, int w, int h) {
  return Read(display, id, x, y, w, h, true);
}

void SendCloseRequest(const std::string& display, unsigned long id) {
  Display* dpy = XOpenDisplay(display.c_str());
  if (dpy == nullptr) return;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = Window(id);
  event.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = long(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(dpy, Window(id), False, NoEventMask, &event);
  XFlush(dpy);
  XCloseDisplay(dpy);
}

unsigned long XWindowOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
  return info.info.x11.window;
}
