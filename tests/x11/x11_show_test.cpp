// The show as a user starts it, on X servers without a window manager: the
// window, full screen, Escape, the close box, the message box on a 24-bit
// desktop, and a machine with no display at all.
#include <gtest/gtest.h>

#include "tests/x11/x11_helpers.h"

namespace {

constexpr const char* Caption = "driftmosaic-b [zub]";
constexpr const char* BoxCaption = "driftmosaic-B";
constexpr int Generous = 15000;  // ms; the machine may be busy

// A key left pressed by an earlier test would reach the next show as a
// key-down when its window takes the focus.
void ReleaseKeys(const std::string& display) {
  Capture("DISPLAY='" + display + "' xdotool keyup Escape Return 2>/dev/null");
}

void SendKey(const std::string& display, unsigned long id, const char* key) {
  Capture("DISPLAY='" + display + "' xdotool key --window " + std::to_string(id) + " " + key);
}

bool AnyLit(const std::vector<uint32_t>& pixels) {
  for (uint32_t p : pixels)
    if (p != 0) return true;
  return false;
}

TEST(ShowOnX11, WindowedRunsFramesAndEndsOnEscape) {
  const std::string d = Display16();
  ReleaseKeys(d);
  TProcess show = StartShow({"-windowed", "-nosound", "-loop", "-scene4"}, d);
  const auto win = WaitForWindow(d, Caption, Generous);
  ASSERT_TRUE(win.has_value());
  EXPECT_EQ(win->Width, 512);
  EXPECT_EQ(win->Height, 384);
  // Centred on the 1024 x 768 screen.
  EXPECT_EQ(win->X, (1024 - 512) / 2);
  EXPECT_EQ(win->Y, (768 - 384) / 2);
  // Frames run without a window manager: the flash lights the window.
  EXPECT_TRUE(PollUntil(Generous, [&] {
    const auto w = WaitForWindow(d, Caption, 0);
    return w && AnyLit(ReadRawPixels(d, w->Id, 0, 0, 512, 384));
  }));
  const auto now = WaitForWindow(d, Caption, Generous);
  ASSERT_TRUE(now.has_value());
  SendKey(d, now->Id, "Escape");
  EXPECT_EQ(WaitForExit(show, Generous), std::optional<int>(0));
}

TEST(ShowOnX11, FullScreenCoversTheScreenAndEndsOnEscape) {
  const std::string d = Display16();
  ReleaseKeys(d);
  TProcess show = StartShow({"-nosound", "-scene0"}, d);
  const auto win = WaitForWindow(d, Caption, Generous);
  ASSERT_TRUE(win.has_value());
  EXPECT_EQ(win->X, 0);
  EXPECT_EQ(win->Y, 0);
  EXPECT_EQ(win->Width, 1024);
  EXPECT_EQ(win->Height, 768);
  // The id changes when the renderer re-creates the window; look again.
  const auto now = WaitForWindow(d, Caption, Generous);
  ASSERT_TRUE(now.has_value());
  SendKey(d, now->Id, "Escape");
  EXPECT_EQ(WaitForExit(show, Generous), std::optional<int>(0));
}

TEST(ShowOnX11, CloseBoxEndsTheShow) {
  const std::string d = Display16();
  ReleaseKeys(d);
  TProcess show = StartShow({"-windowed", "-nosound", "-scene0"}, d);
  const auto win = WaitForWindow(d, Caption, Generous);
  ASSERT_TRUE(win.has_value());
  SendCloseRequest(d, win->Id);
  EXPECT_EQ(WaitForExit(show, Generous), std::optional<int>(0));
}

TEST(ShowOnX11, WindowOnA24BitDesktopShowsTheDepthMessageAndEndsAfterOk) {
  const std::string d = Display24();
  ReleaseKeys(d);
  TProcess show = StartShow({"-windowed", "-nosound"}, d);
  const auto box = WaitForWindow(d, BoxCaption, Generous);
  ASSERT_TRUE(box.has_value());
  // Wrapped, so it fits the screen; centred on it.
  EXPECT_LT(box->Width, 1024);
  EXPECT_LE(std::abs(box->X - (1024 - box->Width) / 2), 1);
  EXPECT_LE(std::abs(box->Y - (768 - box->Height) / 2), 1);
  // Modal: the show waits for the box.
  SleepMs(300);
  EXPECT_TRUE(Running(show)) << "the show ended before OK";
  SendKey(d, box->Id, "Return");
  EXPECT_EQ(WaitForExit(show, Generous), std::optional<int>(0));
}

TEST(ShowOnX11, NoDisplayPrintsTheReasonAndExitsZero) {
  TProcess show = StartShow({"-windowed", "-nosound"}, "");
  EXPECT_EQ(WaitForExit(show, Generous), std::optional<int>(0));
  EXPECT_FALSE(ReadStderr(show).empty());
}

}  // namespace
