// The SDL display device and its helpers, in process, on the private X
// servers: what the window and full screen report and show, lost surfaces,
// the replaceable mode negotiation, and the pure helpers behind them.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/form.h"
#include "platform/sdl/i_msgbox.h"
#include "platform/sdl/i_system.h"
#include "platform/sdl/i_video.h"
#include "tests/x11/x11_helpers.h"

namespace {

constexpr int Generous = 10000;

// Every 16-bit value appears in the frame: pixel (x, y) holds (y * 512 + x) mod 65536.
TSurface PatternFrame() {
  TSurface frame;
  frame.Allocate(512, 384, TPixelLayout::Layout565);
  for (int32_t y = 0; y < 384; ++y)
    for (int32_t x = 0; x < 512; ++x) frame.Row(y)[x] = uint16_t(y * 512 + x);
  return frame;
}

// 5-6-5 to 0xRRGGBB, each channel widened by repeating its top bits.
uint32_t Widened565(uint16_t p) {
  const uint32_t r = p >> 11, g = (p >> 5) & 63, b = p & 31;
  return (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
}

class SdlDisplayTest : public ::testing::Test {
 protected:
  void Open(const std::string& display) {
    XDisplay = display;
    setenv("DISPLAY", display.c_str(), 1);
    std::string error;
    ASSERT_TRUE(InitVideo(error)) << error;
    VideoUp = true;
  }
  void TearDown() override {
    Device.Close();
    if (VideoUp) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    setenv("DISPLAY", Display16().c_str(), 1);
  }
  // Presents the frame until the X window shows what matches expects.
  template <class F>
  bool PresentUntilShown(const TSurface& frame, F matches) {
    return PollUntil(Generous, [&] {
      Device.Present(frame);
      return matches();
    });
  }

  std::string XDisplay;
  bool VideoUp = false;
  TSdlDisplay Device;
  const TDisplayMode Requested{512, 384, 16, 0x07E0, 0};
};

TEST_F(SdlDisplayTest, WindowOnA16BitDesktopShowsTheFrameUnchanged) {
  Open(Display16());
  TDisplayMode got;
  ASSERT_TRUE(Device.Open(false, Requested, got));
  EXPECT_EQ(got.Width, 512);
  EXPECT_EQ(got.Height, 384);
  EXPECT_EQ(got.BitCount, 16);
  EXPECT_EQ(got.GreenMask, 0x07E0u);
  int w = 0, h = 0;
  SDL_GetWindowSize(Device.Window(), &w, &h);
  EXPECT_EQ(w, 512);
  EXPECT_EQ(h, 384);
  EXPECT_STREQ(SDL_GetWindowTitle(Device.Window()), "driftmosaic-b [zub]");
  EXPECT_EQ(SDL_GetWindowFlags(Device.Window()) & SDL_WINDOW_RESIZABLE, 0u);

  const TSurface frame = PatternFrame();
  const unsigned long id = XWindowOf(Device.Window());
  std::vector<uint32_t> shown;
  EXPECT_TRUE(PresentUntilShown(frame, [&] {
    shown = ReadRawPixels(XDisplay, id, 0, 0, 512, 384);
    return shown.size() == size_t(512 * 384) && shown[512 * 384 - 1] == frame.Pixel(511, 383);
  }));
  ASSERT_EQ(shown.size(), size_t(512 * 384));
  int wrong = 0;
  for (int32_t y = 0; y < 384; ++y)
    for (int32_t x = 0; x < 512; ++x) wrong += shown[size_t(y) * 512 + size_t(x)] != frame.Pixel(x, y);
  EXPECT_EQ(wrong, 0);
}

TEST_F(SdlDisplayTest, WindowOnA24BitDesktopReportsItsDepthAndWidensChannels) {
  Open(Display24());
  TDisplayMode got;
  ASSERT_TRUE(Device.Open(false, Requested, got));
  EXPECT_EQ(got.Width, 512);
  EXPECT_EQ(got.BitCount, 24);

  const TSurface frame = PatternFrame();
  const unsigned long id = XWindowOf(Device.Window());
  std::vector<uint32_t> shown;
  EXPECT_TRUE(PresentUntilShown(frame, [&] {
    shown = ReadWindow(XDisplay, id, 0, 0, 512, 384);
    return shown.size() == size_t(512 * 384) && shown.back() == Widened565(frame.Pixel(511, 383));
  }));
  ASSERT_EQ(shown.size(), size_t(512 * 384));
  // White stays white and full channels reach 255.
  EXPECT_EQ(shown[65535], 0xFFFFFFu);       // pixel 0xFFFF at (511, 127)
  EXPECT_EQ(shown[0xF800], 0xFF0000u);      // red 31 only
  EXPECT_EQ(shown[0x07E0], 0x00FF00u);      // green 63 only
  EXPECT_EQ(shown[0x0841], 0x080808u);      // 1, 2, 1: 8, 8, 8
  int wrong = 0;
  for (int32_t y = 0; y < 384; ++y)
    for (int32_t x = 0; x < 512; ++x)
      wrong += shown[size_t(y) * 512 + size_t(x)] != Widened565(frame.Pixel(x, y));
  EXPECT_EQ(wrong, 0);
}

TEST_F(SdlDisplayTest, FullScreenIsAVirtual16BitModeScaledToTheMonitor) {
  for (const std::string& display : {Display16(), Display24()}) {
    SCOPED_TRACE(display);
    Open(display);
    TDisplayMode got;
    ASSERT_TRUE(Device.Open(true, Requested, got));
    EXPECT_EQ(got.Width, 512);
    EXPECT_EQ(got.Height, 384);
    EXPECT_EQ(got.BitCount, 16);
    EXPECT_EQ(got.GreenMask, 0x07E0u);
    int w = 0, h = 0;
    SDL_GetWindowSize(Device.Window(), &w, &h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    Device.Close();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    VideoUp = false;
  }
}

TEST_F(SdlDisplayTest, FullScreenShowsEachFramePixelAsATwoByTwoBlock) {
  Open(Display16());
  TDisplayMode got;
  ASSERT_TRUE(Device.Open(true, Requested, got));
  const TSurface frame = PatternFrame();
  std::vector<uint32_t> screen;
  EXPECT_TRUE(PresentUntilShown(frame, [&] {
    screen = ReadRawPixels(XDisplay, 0, 0, 0, 1024, 768);
    return screen.size() == size_t(1024 * 768) && screen.back() == frame.Pixel(511, 383);
  }));
  ASSERT_EQ(screen.size(), size_t(1024 * 768));
  int wrong = 0;
  for (int32_t y = 0; y < 768; ++y)
    for (int32_t x = 0; x < 1024; ++x) wrong += screen[size_t(y) * 1024 + size_t(x)] != frame.Pixel(x / 2, y / 2);
  EXPECT_EQ(wrong, 0);
}

TEST_F(SdlDisplayTest, RenderResetsMarkTheSurfacesLostOnce) {
  Open(Display16());
  TDXDraw draw;
  draw.Attach(&Device, nullptr);
  draw.Options &= ~uint32_t(doFullScreen);
  ASSERT_TRUE(draw.Initialize());
  for (Uint32 type : {Uint32(SDL_RENDER_TARGETS_RESET), Uint32(SDL_RENDER_DEVICE_RESET)}) {
    SCOPED_TRACE(type);
    FillSurface(draw.Surface, 0x1234);
    SDL_Event e{};
    e.type = type;
    Device.HandleEvent(e);
    EXPECT_TRUE(draw.DisplayReady());
    EXPECT_EQ(draw.Surface.Pixel(0, 0), 0);  // restored to black
    EXPECT_EQ(draw.Surface.Pixel(511, 383), 0);
    EXPECT_FALSE(Device.TakeLost());         // only once
  }
  draw.Finalize();
}

// A host that records the messages instead of showing the box.
class TRecordingHost final : public TSdlHost {
 public:
  using TSdlHost::TSdlHost;
  std::vector<std::string> Messages;
  void ShowMessage(const char*, const std::string& text) override { Messages.push_back(text); }
};

const std::string MessageA =
    "fukkin' ERRORRRR... cannot draw! (reason 1: your gfx card REALLY sucks!  reason 2: my code sucks even more)";
const std::string MessageB640 =
    "fukkin' ERRORRR: cannot init 512x384 properly... next mode:640x480! please use windowed mode and/or read the "
    "info file provided with this thinggy!";
std::string MessageC(const char* bits) {
  return std::string("fukkin' ERRORRRR... if you like to run this thinggy in a window you HAVE to switch your "
                     "desktop color palette to 16bit. Your current color palette is: ") +
         bits + "bit!";
}

TEST_F(SdlDisplayTest, TheFormSeesTheModeThatWasObtained) {
  struct Case {
    const char* Name;
    bool Windowed;
    bool Injected;
    TDisplayMode Mode;
    std::vector<std::string> Messages;
  };
  const std::vector<Case> cases = {
      {"fallback to 640x480", false, true, {640, 480, 16, 0x07E0, 0}, {MessageB640}},
      {"512x384 at 32 bits", false, true, {512, 384, 32, 0x07E0, 0}, {MessageC("32")}},
      {"undrawable", false, true, {0, 0, 16, 0x07E0, 0}, {MessageA}},
      {"undrawable window", true, true, {0, 0, 32, 0x07E0, 0}, {MessageA}},
      {"the desktop, windowed", true, false, {}, {}},
      {"the virtual full-screen mode", false, false, {}, {}},
  };
  Open(Display16());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TSdlDisplay device;
    if (c.Injected) device.Negotiate = [&c](bool, const TDisplayMode&) { return c.Mode; };
    TRecordingHost host(device);
    std::vector<std::string> args{"driftmosaic-b", "-nosound"};
    if (c.Windowed) args.push_back("-windowed");
    TForm1 form(args, host, device, nullptr);
    form.FormCreate();
    form.FormShow();
    EXPECT_EQ(host.Messages, c.Messages);
    EXPECT_EQ(host.Terminated(), !c.Messages.empty());
    EXPECT_EQ(form.DXTimer1.Enabled, c.Messages.empty());
    form.DXDraw1.Finalize();
  }
}

TEST(FitPicture, LargestFourByThreePictureCentred) {
  struct Case {
    int OutW, OutH;
    SDL_Rect Expected;
  };
  const Case cases[] = {
      {512, 384, {0, 0, 512, 384}},      {1024, 768, {0, 0, 1024, 768}},  {1920, 1080, {240, 0, 1440, 1080}},
      {1280, 1024, {0, 32, 1280, 960}}, {800, 600, {0, 0, 800, 600}},     {1366, 768, {171, 0, 1024, 768}},
      {3840, 2160, {480, 0, 2880, 2160}},
  };
  for (const Case& c : cases) {
    const SDL_Rect r = FitPicture(c.OutW, c.OutH, 512, 384);
    EXPECT_EQ(r.x, c.Expected.x) << c.OutW << "x" << c.OutH;
    EXPECT_EQ(r.y, c.Expected.y) << c.OutW << "x" << c.OutH;
    EXPECT_EQ(r.w, c.Expected.w) << c.OutW << "x" << c.OutH;
    EXPECT_EQ(r.h, c.Expected.h) << c.OutW << "x" << c.OutH;
  }
}

TEST(ExpandPixel, ReplicatesTheTopBitsOfEachChannel) {
  struct Case {
    TPixelLayout Layout;
    uint16_t Pixel;
    uint32_t Argb;
  };
  const Case cases[] = {
      {TPixelLayout::Layout565, 0xFFFF, 0xFFFFFFFF}, {TPixelLayout::Layout565, 0x0000, 0xFF000000},
      {TPixelLayout::Layout565, 0xF800, 0xFFFF0000}, {TPixelLayout::Layout565, 0x07E0, 0xFF00FF00},
      {TPixelLayout::Layout565, 0x001F, 0xFF0000FF}, {TPixelLayout::Layout565, 0x0841, 0xFF080808},
      // 16, 32, 16: 128|4, 128|2, 128|4.
      {TPixelLayout::Layout565, 0x8410, 0xFF848284}, {TPixelLayout::Layout555, 0x7FFF, 0xFFFFFFFF},
      {TPixelLayout::Layout555, 0x03E0, 0xFF00FF00}, {TPixelLayout::Layout555, 0x8000, 0xFF000000},
      // 555 1, 1, 1: 8, 8, 8.
      {TPixelLayout::Layout555, 0x0421, 0xFF080808},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandPixel(c.Layout, c.Pixel), c.Argb) << std::hex << c.Pixel;
}

TEST(WrapText, BreaksAtBlanksWithoutChangingTheText) {
  const auto oneEach = [](std::string_view s) { return int32_t(s.size()); };
  struct Case {
    const char* Text;
    int32_t Max;
    std::vector<std::string> Lines;
  };
  const std::vector<Case> cases = {
      {"short", 20, {"short"}},
      {"aaa bbb ccc", 7, {"aaa bbb", "ccc"}},
      {"aaa bbb ccc", 6, {"aaa", "bbb", "ccc"}},
      // Two blanks inside a line stay; at a break they go.
      {"aa  bb cc", 6, {"aa  bb", "cc"}},
      {"aaaa  bb", 5, {"aaaa", "bb"}},
      // A word longer than a line is cut between characters.
      {"abcdefghij k", 4, {"abcd", "efgh", "ij k"}},
      {"", 10, {""}},
  };
  for (const Case& c : cases) EXPECT_EQ(WrapText(c.Text, c.Max, oneEach), c.Lines) << c.Text;

  // The real messages: every line fits and nothing but blanks is lost.
  for (const std::string& text : {MessageA, MessageB640, MessageC("24")}) {
    const auto lines = WrapText(text, 40, oneEach);
    std::string letters, joined;
    for (char ch : text)
      if (ch != ' ') letters += ch;
    for (const std::string& line : lines) {
      EXPECT_LE(line.size(), 40u) << line;
      for (char ch : line)
        if (ch != ' ') joined += ch;
    }
    EXPECT_EQ(joined, letters);
    EXPECT_GT(lines.size(), 1u);
  }
}

TEST(VirtualKeyOf, GivesTheFormsKeyCodes) {
  struct Case {
    SDL_Keycode Key;
    uint16_t Code;
  };
  const Case cases[] = {{SDLK_ESCAPE, 27}, {SDLK_RETURN, 13}, {SDLK_SPACE, 32}, {SDLK_a, 'A'},  {SDLK_z, 'Z'},
                        {SDLK_0, '0'},     {SDLK_F1, 0x70},   {SDLK_F12, 0x7B}, {SDLK_LEFT, 37}, {SDLK_DOWN, 40}};
  for (const Case& c : cases) EXPECT_EQ(VirtualKeyOf(c.Key), c.Code) << c.Key;
}

}  // namespace
