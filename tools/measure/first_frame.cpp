// Starts a program and times, on the X display of DISPLAY, how long after
// the start its window "driftmosaic-b [zub]" is mapped and first shows a
// pixel that is not black (the first presented frame: the window is black
// until then). Prints both in milliseconds, then ends the program.
//   first_frame TIMEOUT_MS PROGRAM [ARGS...]
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

double NowMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

int IgnoreError(Display*, XErrorEvent*) { return 0; }

// The top-level window of that name (0 when there is none).
Window FindWindow(Display* dpy, const char* name) {
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count)) return 0;
  for (unsigned i = 0; i < count && found == 0; ++i) {
    char* title = nullptr;
    if (XFetchName(dpy, children[i], &title) && title != nullptr) {
      if (std::strcmp(title, name) == 0) found = children[i];
      XFree(title);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

bool Viewable(Display* dpy, Window w) {
  XWindowAttributes a{};
  return XGetWindowAttributes(dpy, w, &a) && a.map_state == IsViewable;
}

bool AnyLit(Display* dpy, Window w) {
  XImage* image = XGetImage(dpy, w, 0, 0, 512, 384, AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  bool lit = false;
  for (int y = 0; y < 384 && !lit; ++y)
    for (int x = 0; x < 512 && !lit; ++x) lit = XGetPixel(image, x, y) != 0;
  XDestroyImage(image);
  return lit;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: first_frame TIMEOUT_MS PROGRAM [ARGS...]\n");
    return 2;
  }
  const double timeout = std::atof(argv[1]);
  Display* dpy = XOpenDisplay(nullptr);
  if (dpy == nullptr) {
    std::fprintf(stderr, "first_frame: no X display\n");
    return 2;
  }
  XSetErrorHandler(IgnoreError);
  const double start = NowMs();
  const pid_t pid = fork();
  if (pid == 0) {
    execv(argv[2], argv + 2);
    _exit(127);
  }
  double mapped = -1, frame = -1;
  Window w = 0;
  while (NowMs() - start < timeout && frame < 0) {
    if (w == 0) w = FindWindow(dpy, "driftmosaic-b [zub]");
    if (w != 0 && mapped < 0 && Viewable(dpy, w)) mapped = NowMs() - start;
    if (w != 0 && mapped >= 0 && AnyLit(dpy, w)) frame = NowMs() - start;
    if (w != 0 && frame < 0 && !Viewable(dpy, w)) w = 0;  // re-created: look again
    if (waitpid(pid, nullptr, WNOHANG) == pid) break;
  }
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  XCloseDisplay(dpy);
  if (frame < 0) {
    std::printf("mapped_ms=%.1f first_frame_ms=none\n", mapped);
    return 1;
  }
  std::printf("mapped_ms=%.1f first_frame_ms=%.1f\n", mapped, frame);
  return 0;
}
