// The show on the private X server, hardened: its message loop in this
// process while the keyboard focus goes away and comes back again and again
// (no tick while it is away, none closer than 40 ms, the first 40 ms after
// its return), and the show as a user runs it, under strace, opening no file
// for writing.
#include <gtest/gtest.h>
#include <SDL.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/form.h"
#include "platform/fonts/i_fonts.h"
#include "platform/sdl/i_system.h"
#include "platform/sdl/i_video.h"
#include "tests/test_hardening_strace.h"
#include "tests/x11/x11_helpers.h"

// Last: its macros would spoil the headers above.
#include <X11/Xlib.h>

namespace {

namespace fs = std::filesystem;

constexpr const char* Caption = "driftmosaic-b [zub]";
constexpr int Generous = 15000;

uint32_t NowMs() { return uint32_t(MonotonicNanoseconds() / 1000000u); }

// The SDL host, watched: the first read of the clock after a new FrameStart
// notes the time the tick fired, and the loop is ended once the focus
// changes are over.
class TWatchedHost final : public TSdlHost {
 public:
  using TSdlHost::TSdlHost;

  uint32_t timeGetTime() override {
    const uint32_t now = TSdlHost::timeGetTime();
    if (Form != nullptr && Form->FrameStart != LastFrameStart) {
      // Inside a tick, after its FrameStart was read: the timer's own count
      // of the tick, which the loop gave it when the tick fired, is less than
      // an interval ago, so Remaining tells it exactly.
      LastFrameStart = Form->FrameStart;
      const TDXTimer& timer = Form->DXTimer1;
      TickStarts.push_back(now - (timer.Interval - timer.Remaining(now)));
    }
    if (XWindow == 0 && Display.Window() != nullptr) XWindow = XWindowOf(Display.Window());
    if (Done && uint32_t(now - DoneAt) > 500u) Terminate();
    if (uint32_t(now - Begin) > 60000u) Terminate();  // a safety net
    return now;
  }

  TForm1* Form = nullptr;
  uint32_t LastFrameStart = 0;
  std::vector<uint32_t> TickStarts;
  std::atomic<unsigned long> XWindow{0};
  std::atomic<bool> Done{false};
  std::atomic<uint32_t> DoneAt{0};
  uint32_t Begin = NowMs();
};

struct TFocusEvent {
  uint32_t At;
  bool Gained;
};

int WatchFocus(void* data, SDL_Event* e) {
  if (e->type == SDL_WINDOWEVENT &&
      (e->window.event == SDL_WINDOWEVENT_FOCUS_LOST || e->window.event == SDL_WINDOWEVENT_FOCUS_GAINED))
    static_cast<std::vector<TFocusEvent>*>(data)->push_back({NowMs(), e->window.event == SDL_WINDOWEVENT_FOCUS_GAINED});
  return 1;
}

// On its own connection: gives the focus to the show, then alternately to a
// small window of its own and back, dwelling longer than SDL's 200 ms delay
// for focus changes, and ends with the focus on the show.
void FocusDance(const std::string& display, TWatchedHost& host, int changes) {
  const bool found = PollUntil(Generous, [&] { return host.XWindow != 0; });
  Display* dpy = found ? XOpenDisplay(display.c_str()) : nullptr;
  if (dpy != nullptr) {
    const Window show = Window(host.XWindow.load());
    const Window other = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 16, 16, 0, 0, 0);
    XMapWindow(dpy, other);
    XSync(dpy, False);
    SleepMs(300);
    std::mt19937 gen(5);
    for (int i = 0; i <= changes; ++i) {
      XSetInputFocus(dpy, i % 2 == 0 ? show : other, RevertToParent, CurrentTime);
      XSync(dpy, False);
      SleepMs(std::uniform_int_distribution<int>(300, 600)(gen));
    }
    XSetInputFocus(dpy, show, RevertToParent, CurrentTime);
    XSync(dpy, False);
    SleepMs(600);
    XDestroyWindow(dpy, other);
    XCloseDisplay(dpy);
  }
  host.DoneAt = NowMs();
  host.Done = true;
}

// The environment of this process with the settings added (replacing any
// of the same name).
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& settings) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    bool replaced = false;
    for (const std::string& s : settings)
      replaced = replaced || entry.compare(0, s.find('=') + 1, s, 0, s.find('=') + 1) == 0;
    if (!replaced) env.push_back(entry);
  }
  env.insert(env.end(), settings.begin(), settings.end());
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> p;
  for (std::string& s : strings) p.push_back(s.data());
  p.push_back(nullptr);
  return p;
}

// Starts the show under strace in dir, with environment settings added.
// Everything is made ready before the fork: the child only changes folder,
// redirects stderr and executes.
TProcess StartTraced(const fs::path& dir, const fs::path& log, const std::vector<std::string>& args,
                     const std::vector<std::string>& settings) {
  TProcess p;
  p.StderrPath = (dir.parent_path() / (dir.filename().string() + ".err")).string();
  std::vector<std::string> all{"/usr/bin/strace", "-f", "-qq", "-o", log.string(), "-e",
                               std::string("trace=") + StraceFileCalls(), DM_SHOW};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<std::string> env = EnvironmentWith(settings);
  std::vector<char*> argv = Pointers(all), envp = Pointers(env);
  const int err = open(p.StderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  p.Pid = fork();
  if (p.Pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    dup2(err, 2);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(err);
  return p;
}

bool AnyLit(const std::vector<uint32_t>& pixels) {
  for (uint32_t p : pixels)
    if (p != 0) return true;
  return false;
}

}  // namespace

TEST(HardenedLoopOnX11, FocusGoingAndComingBackPausesAndResumesFortyMsApart) {
  const std::string d = Display16();
  setenv("DISPLAY", d.c_str(), 1);
  std::string error;
  ASSERT_TRUE(InitVideo(error)) << error;
  std::vector<TFocusEvent> focus;
  SDL_AddEventWatch(WatchFocus, &focus);
  {
    auto fonts = CreateFontEngine();
    TSdlDisplay display;
    TWatchedHost host(display);
    TForm1 form({"driftmosaic-b", "-windowed", "-nosound", "-scene0"}, host, display, fonts.get());
    host.Form = &form;
    form.FormCreate();
    std::thread dancer(FocusDance, d, std::ref(host), 12);
    RunMessageLoop(form, host, display);
    dancer.join();
    form.DXDraw1.Finalize();
    SDL_DelEventWatch(WatchFocus, &focus);

    const std::vector<uint32_t>& ticks = host.TickStarts;
    ASSERT_GT(ticks.size(), 20u);
    for (size_t i = 1; i < ticks.size(); ++i) EXPECT_GE(uint32_t(ticks[i] - ticks[i - 1]), 40u) << "tick " << i;
    // Each time the focus went away and came back: no tick from the loss
    // until 40 ms after the return.
    int pauses = 0;
    for (size_t i = 0; i + 1 < focus.size(); ++i) {
      if (focus[i].Gained || !focus[i + 1].Gained) continue;
      ++pauses;
      const uint32_t lost = focus[i].At, back = focus[i + 1].At;
      for (uint32_t t : ticks)
        EXPECT_FALSE(uint32_t(t - lost) > 0u && uint32_t(t - lost) < uint32_t(back - lost) + 40u)
            << "tick at " << t << " between a loss at " << lost << " and " << back << " + 40";
      // The show went on after the return.
      EXPECT_TRUE(std::any_of(ticks.begin(), ticks.end(), [&](uint32_t t) { return int32_t(t - back) >= 40; }));
    }
    EXPECT_GE(pauses, 5) << focus.size() << " focus events";
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// The windowed show, without and with music (on SDL's dummy audio driver),
// in a folder of its own: strace sees no open for writing and no name made,
// renamed or removed, and the folder holds nothing new.
TEST(HardenedShowOnX11, WindowedShowWritesNoFile) {
  if (!HaveStrace()) GTEST_SKIP() << "strace is not installed";
  const std::string d = Display16();
  const fs::path tune = fs::path(DM_SHOW).parent_path() / "driftb.mo3";
  const struct {
    const char* Name;
    std::vector<std::string> Args;
    bool Music;
  } cases[] = {{"nosound", {"-windowed", "-nosound", "-scene0"}, false}, {"music", {"-windowed", "-scene3"}, true}};
  for (const auto& c : cases) {
    const fs::path dir = fs::temp_directory_path() / ("dm-x11-nofile-" + std::string(c.Name) + "-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    if (c.Music) {
      if (!fs::exists(tune)) GTEST_SKIP() << "no tune at " << tune;
      fs::copy_file(tune, dir / "driftb.mo3");
    }
    const fs::path log = dir.parent_path() / (dir.filename().string() + ".strace");
    Capture("DISPLAY='" + d + "' xdotool keyup Escape 2>/dev/null");
    TProcess show = StartTraced(dir, log, c.Args, {"DISPLAY=" + d, "SDL_AUDIODRIVER=dummy"});
    const auto win = WaitForWindow(d, Caption, Generous);
    ASSERT_TRUE(win.has_value()) << c.Name;
    EXPECT_TRUE(PollUntil(Generous, [&] {
      const auto w = WaitForWindow(d, Caption, 0);
      return w && AnyLit(ReadRawPixels(d, w->Id, 0, 0, 512, 384));
    })) << c.Name;
    SleepMs(1000);
    const auto now = WaitForWindow(d, Caption, Generous);
    ASSERT_TRUE(now.has_value()) << c.Name;
    Capture("DISPLAY='" + d + "' xdotool key --window " + std::to_string(now->Id) + " Escape");
    EXPECT_EQ(WaitForExit(show, Generous), std::optional<int>(0)) << c.Name << ": " << ReadStderr(show);
    EXPECT_GT(OpenCalls(log.string()), 10) << c.Name;
    for (const std::string& line : FileWrites(log.string())) ADD_FAILURE() << c.Name << ": " << line;
    size_t entries = 0;
    for (const auto& e : fs::directory_iterator(dir)) entries += e.path().filename() == "driftb.mo3" ? 0 : 1;
    EXPECT_EQ(entries, 0u) << c.Name;
    fs::remove(log);
    fs::remove(show.StderrPath);
    fs::remove_all(dir);
  }
}
