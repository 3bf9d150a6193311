#include "platform/sdl/i_system.h"

#include <time.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

#include "app/form.h"
#include "platform/sdl/i_msgbox.h"

bool InitVideo(std::string& error) {
  // The show writes no file: the GL driver that SDL's renderer loads would
  // otherwise keep a shader cache in the user's home folder.
  setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
  // A 512 x 384 frame needs no GL: SDL's software renderer, presenting
  // through the window's own framebuffer (not a GL texture), starts in half
  // the time and holds a sixth of the memory, with no GL driver loaded.
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    error = SDL_GetError();
    return false;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver != nullptr && std::strcmp(driver, "offscreen") == 0) {
    error = SDL_GetError();
    if (error.empty()) error = "No display could be opened (SDL video driver: offscreen).";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  return true;
}

uint64_t MonotonicNanoseconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint64_t(ts.tv_sec) * 1000000000u + uint64_t(ts.tv_nsec);
}

uint32_t TSdlHost::MillisecondsSinceMidnight() {
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  const int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
  const int64_t day = 86400000;
  return uint32_t(((ms % day) + day) % day);
}

void TSdlHost::ShowMessage(const char* caption, const std::string& text) {
  // While the box is up, the show's window still repaints when exposed.
  ShowMessageBox(caption, text, [this](const SDL_Event& e) { Display.HandleEvent(e); });
}

uint16_t VirtualKeyOf(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return uint16_t('A' + (key - SDLK_a));
  if (key >= SDLK_F1 && key <= SDLK_F12) return uint16_t(0x70 + (key - SDLK_F1));
  switch (key) {
    case SDLK_LEFT: return 37;
    case SDLK_UP: return 38;
    case SDLK_RIGHT: return 39;
    case SDLK_DOWN: return 40;
    case SDLK_PAGEUP: return 33;
    case SDLK_PAGEDOWN: return 34;
    case SDLK_END: return 35;
    case SDLK_HOME: return 36;
    case SDLK_INSERT: return 45;
    case SDLK_DELETE: return 46;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return 16;
    case SDLK_LCTRL: case SDLK_RCTRL: return 17;
    case SDLK_LALT: case SDLK_RALT: return 18;
    case SDLK_KP_ENTER: return 13;
    default: break;
  }
  // Escape (27), Return (13), space, Tab, Backspace and the digits carry
  // their virtual-key codes as SDL key codes already.
  if (key > 0 && key < 128) return uint16_t(key);
  return 0;
}

namespace {

class TMessageLoop {
 public:
  TMessageLoop(TForm1& form, TSdlHost& host, TSdlDisplay& display) : Form(form), Host(host), Display(display) {}

  void Run() {
    Form.FormShow();
    // Without a window manager SDL gives the window the keyboard focus only
    // after events have been pumped: the application counts as active until
    // it is told otherwise, so the first ticks are not lost.
    Active = true;
    LastTick = Host.timeGetTime();
    while (!Host.Terminated()) {
      PumpEvents();
      if (Host.Terminated()) break;
      if (!Form.DXTimer1.Enabled || !Active) {
        WaitForEvent(-1);
        continue;
      }
      const uint64_t nowNs = MonotonicNanoseconds();
      const uint32_t now = uint32_t(nowNs / 1000000u);
      if (Form.DXTimer1.Due(now)) {
        Tick(now);
        continue;
      }
      WaitUntilDue(nowNs, Form.DXTimer1.Remaining(now));
    }
  }

 private:
  void Tick(uint32_t now) {
    const uint32_t interval = Form.DXTimer1.Interval != 0 ? Form.DXTimer1.Interval : 1;
    const uint32_t lag = uint32_t(now - LastTick) / interval;
    Form.DXTimer1.Fired(now);
    LastTick = now;
    Form.DXTimer1Timer(int32_t(lag < 1 ? 1 : lag));
  }

  // Sleeps until the millisecond count reaches the due tick, waking early
  // for events. The long part waits on the event queue, whose timeout can
  // overshoot by a millisecond or two; the last few milliseconds sleep on
  // the clock (a kernel timer) and spin briefly, so the tick fires within a
  // millisecond of falling due.
  void WaitUntilDue(uint64_t nowNs, uint32_t remainingMs) {
    const uint64_t dueNs = (nowNs / 1000000u + remainingMs) * 1000000u;
    if (remainingMs > 4) {
      WaitForEvent(int(remainingMs - 4));
      return;
    }
    const uint64_t wakeNs = dueNs > 150000u ? dueNs - 150000u : 0;
    if (MonotonicNanoseconds() < wakeNs) {
      timespec ts{time_t(wakeNs / 1000000000u), long(wakeNs % 1000000000u)};
      clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
    }
    while (MonotonicNanoseconds() < dueNs) {
    }
  }

  void WaitForEvent(int timeoutMs) {
    SDL_Event e;
    const int got = timeoutMs < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, timeoutMs);
    if (got != 0) Dispatch(e);
  }

  void PumpEvents() {
    SDL_Event e;
    while (!Host.Terminated() && SDL_PollEvent(&e)) Dispatch(e);
  }

  void Dispatch(const SDL_Event& e) {
    Display.HandleEvent(e);
    const uint32_t mainId = Display.WindowId();
    switch (e.type) {
      case SDL_KEYDOWN:
        if (e.key.windowID == mainId || e.key.windowID == 0) {
          uint16_t key = VirtualKeyOf(e.key.keysym.sym);
          if (key != 0) Form.FormKeyDown(key);
        }
        break;
      case SDL_QUIT:
        Form.Close();
        break;
      case SDL_WINDOWEVENT:
        if (e.window.windowID != mainId) break;
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
          Form.Close();  // the close box: nothing frees the music first
        } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
          Active = false;
        } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED && !Active) {
          // Back from inactivity: the interval is counted afresh from now.
          Active = true;
          const uint32_t now = Host.timeGetTime();
          Form.DXTimer1.Restart(now);
          LastTick = now;
        }
        break;
      default:
        break;
    }
  }

  TForm1& Form;
  TSdlHost& Host;
  TSdlDisplay& Display;
  bool Active = true;
  uint32_t LastTick = 0;
};

}  // namespace

void RunMessageLoop(TForm1& form, TSdlHost& host, TSdlDisplay& display) {
  TMessageLoop(form, host, display).Run();
}
