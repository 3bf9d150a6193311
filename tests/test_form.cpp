// The program shell: option matching, the display checks with their exact
// messages, Escape, the frame loop's dispatch, the end of the show and the
// TimeStep of each frame.
#include <gtest/gtest.h>

#include <deque>

#include "app/form.h"
#include "app/options.h"
#include "platform/fonts/i_fonts.h"
#include "platform/headless/i_headless.h"

namespace {

// A host whose millisecond count is a script: each read takes the next
// value (the last one repeats), so a test decides what each of the frame
// loop's reads returns.
class TScriptHost final : public TShowHost {
 public:
  std::deque<uint32_t> Reads;
  uint32_t Last = 0;
  int ReadCount = 0;
  std::vector<std::pair<std::string, std::string>> Boxes;  // caption, text
  bool Terminated = false;
  uint32_t TimeOfDay = 1234;

  uint32_t timeGetTime() override {
    ++ReadCount;
    if (!Reads.empty()) {
      Last = Reads.front();
      Reads.pop_front();
    }
    return Last;
  }
  uint32_t MillisecondsSinceMidnight() override { return TimeOfDay; }
  void ShowMessage(const char* caption, const std::string& text) override { Boxes.emplace_back(caption, text); }
  void Terminate() override { Terminated = true; }
  void HideCursor() override {}
  void* ForegroundWindow() override { return nullptr; }
  int32_t MusicDevice() override { return 0; }
};

// One font engine for all forms of this file: the scenes that draw text need one.
IFontEngine* SharedFonts() {
  static const std::unique_ptr<IFontEngine> fonts = CreateFontEngine();
  return fonts.get();
}

// A form on the headless display, shown (display set up, checks run).
struct TFormFixture {
  TScriptHost Host;
  THeadlessDisplay Display;
  TForm1 Form;
  explicit TFormFixture(std::vector<std::string> args, TDisplayMode mode = {512, 384, 16, 0x07E0, 0},
                        bool openFails = false)
      : Form(std::move(args), Host, Display, SharedFonts()) {
    Display.Mode = mode;
    Display.OpenFails = openFails;
    Form.FormCreate();
    Form.FormShow();
  }
};

const std::string MessageA =
    "fukkin' ERRORRRR... cannot draw! (reason 1: your gfx card REALLY sucks!  reason 2: my code sucks even more)";
const std::string MessageB640 =
    "fukkin' ERRORRR: cannot init 512x384 properly... next mode:640x480! please use windowed mode and/or read "
    "the info file provided with this thinggy!";
std::string MessageC(const char* bits) {
  return std::string("fukkin' ERRORRRR... if you like to run this thinggy in a window you HAVE to switch your "
                     "desktop color palette to 16bit. Your current color palette is: ") +
         bits + "bit!";
}

}  // namespace

TEST(Options, MatchWholeArgumentsExactlyInOrder) {
  const struct {
    std::vector<std::string> args;  // argument 0 first
    uint8_t scene;
    bool soundOn, loopShow;
  } cases[] = {
      {{"prog"}, 1, true, false},
      {{"prog", "-scene3", "-scene5"}, 5, true, false},
      {{"prog", "-scene5", "-scene3"}, 3, true, false},
      {{"prog", "-scene0"}, 99, true, false},
      {{"prog", "-scene7", "-loop", "-nosound"}, 7, false, true},
      {{"prog", "-nosound", "-nosound", "-loop", "-loop"}, 1, false, true},
      // Near misses match nothing.
      {{"prog", "-Scene3", "-NOSOUND", "-Loop", "/scene3", "--loop", "-nosound ", "-scene8", "-scene", "scene3",
        "-scene33", " -loop", "-scene-1"},
       1, true, false},
      // Argument 0 is compared like the others.
      {{"-nosound"}, 1, false, false},
      {{"-scene4", "-loop"}, 4, true, true},
  };
  for (const auto& c : cases) {
    uint8_t scene = 1;
    bool soundOn = true, loopShow = false;
    ApplyResetOptions(c.args, scene, soundOn, loopShow);
    std::string all;
    for (const auto& a : c.args) all += "[" + a + "]";
    EXPECT_EQ(scene, c.scene) << all;
    EXPECT_EQ(soundOn, c.soundOn) << all;
    EXPECT_EQ(loopShow, c.loopShow) << all;
  }
}

TEST(FormCreate, WindowedOnlyForTheExactOptionArgumentZeroIncluded) {
  const struct { std::vector<std::string> args; bool windowed; } cases[] = {
      {{"prog"}, false},
      {{"prog", "-windowed"}, true},
      {{"-windowed"}, true},
      {{"prog", "-Windowed"}, false},
      {{"prog", "--windowed"}, false},
      {{"prog", "-windowed2"}, false},
      {{"prog", "-windowed", "-windowed"}, true},
  };
  for (const auto& c : cases) {
    TScriptHost host;
    THeadlessDisplay display;
    std::vector<std::string> args = c.args;
    args.push_back("-nosound");  // the show is shown below: no music
    TForm1 form(args, host, display, SharedFonts());
    form.FormCreate();
    EXPECT_EQ(form.BorderStyle, c.windowed ? TBorderStyle::bsSingle : TBorderStyle::bsNone) << c.args.back();
    EXPECT_EQ((form.DXDraw1.Options & doFullScreen) != 0, !c.windowed) << c.args.back();
    EXPECT_EQ(form.DXDraw1.Options & ~uint32_t(doFullScreen),
              uint32_t(doSystemMemory | doFlip | do3D | doDirectX7Mode | doRetainedMode | doHardware |
                       doSelectDriver | doZBuffer));
    form.FormShow();
    EXPECT_EQ(display.FullScreen, !c.windowed) << c.args.back();
  }
}

TEST(DisplayChecks, EachFailureShowsOneExactMessageAndStartsNothing) {
  const struct {
    const char* name;
    bool windowed;
    TDisplayMode mode;
    bool openFails;
    std::string message;  // empty: all checks pass
  } cases[] = {
      {"full screen 512x384x16", false, {512, 384, 16, 0x07E0, 0}, false, ""},
      {"full screen 555", false, {512, 384, 16, 0x03E0, 0}, false, ""},
      {"full screen height not tested", false, {512, 400, 16, 0x07E0, 0}, false, ""},
      {"windowed any size", true, {640, 480, 16, 0x07E0, 0}, false, ""},
      {"full screen fallback 640x480", false, {640, 480, 16, 0x07E0, 0}, false, MessageB640},
      {"full screen fallback 640x480x32: B only", false, {640, 480, 32, 0x07E0, 0}, false, MessageB640},
      {"full screen 512x384x32", false, {512, 384, 32, 0x07E0, 0}, false, MessageC("32")},
      {"windowed on a 24-bit desktop", true, {512, 384, 24, 0x07E0, 0}, false, MessageC("24")},
      {"windowed on an 8-bit desktop", true, {512, 384, 8, 0x07E0, 0}, false, MessageC("8")},
      {"display that cannot be set up", false, {512, 384, 16, 0x07E0, 0}, true, MessageA},
      {"undrawable display, wrong width and depth too", false, {0, 0, 32, 0x07E0, 0}, false, MessageA},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"prog", "-nosound"};
    if (c.windowed) args.push_back("-windowed");
    TFormFixture f(args, c.mode, c.openFails);
    if (c.message.empty()) {
      EXPECT_TRUE(f.Host.Boxes.empty()) << c.name;
      EXPECT_FALSE(f.Host.Terminated) << c.name;
      EXPECT_TRUE(f.Form.DXTimer1.Enabled) << c.name;
      EXPECT_EQ(f.Form.Scene, 1) << c.name;  // the show was reset
      continue;
    }
    ASSERT_EQ(f.Host.Boxes.size(), 1u) << c.name;
    EXPECT_EQ(f.Host.Boxes[0].first, "driftmosaic-B") << c.name;
    EXPECT_EQ(f.Host.Boxes[0].second, c.message) << c.name;
    EXPECT_TRUE(f.Host.Terminated) << c.name;
    // No reset, no timer, no frame.
    EXPECT_FALSE(f.Form.DXTimer1.Enabled) << c.name;
    EXPECT_EQ(f.Form.Scene, 0) << c.name;
    EXPECT_EQ(f.Form.FlashClock, 0.0) << c.name;
    EXPECT_EQ(f.Form.StreakLength, 0) << c.name;
    EXPECT_EQ(f.Display.Presented, 0) << c.name;
  }
}

TEST(FormKeyDown, EscapeTerminatesAndOtherKeysDoNothing) {
  const struct { uint16_t key; bool ends; } cases[] = {{27, true}, {13, false}, {0, false}, {27 + 256, false}, {32, false}};
  for (const auto& c : cases) {
    TFormFixture f({"prog", "-nosound"});
    uint16_t key = c.key;
    f.Form.FormKeyDown(key);
    EXPECT_EQ(f.Host.Terminated, c.ends) << c.key;
    EXPECT_EQ(key, c.key);
  }
}

// One tick with a scripted clock: the reads give FrameStart, then t1, then t2.
struct TTimeStepCase {
  const char* name;
  std::vector<uint32_t> reads;
  uint32_t interval;
  double before;
  double after;
  int readsTaken;
};

TEST(FrameLoop, TimeStepFromThreeReadsOfTheWrappingCount) {
  const uint32_t top = 0xFFFFFFFFu;
  const TTimeStepCase cases[] = {
      {"no work: the count has not moved", {1000, 1000}, 40, 0.0, 1.0, 2},
      {"no work keeps the last step", {1000, 1000}, 40, 2.5, 2.5, 2},
      {"a step below the floor is raised", {1000, 1000}, 40, 0.5, 1.0, 2},
      {"100 ms", {1000, 1100, 1100}, 40, 1.0, 2.5, 3},
      {"under 40 ms", {1000, 1039, 1039}, 40, 3.0, 1.0, 3},
      {"41 ms", {1000, 1041, 1041}, 40, 1.0, 41.0 / 40.0, 3},
      {"a stall of two seconds", {1000, 3000, 3000}, 40, 1.0, 50.0, 3},
      {"the third read counts", {1000, 1001, 1200}, 40, 1.0, 5.0, 3},
      {"wrapped before t1: unchanged", {top - 15, 0x10}, 40, 3.0, 3.0, 2},
      {"near the top, not wrapped", {top - 255, top - 155, top - 155}, 40, 1.0, 2.5, 3},
      {"wrapped between t1 and t2", {top - 15, top - 7, 0x50}, 40, 1.0, 96.0 / 40.0, 3},
      {"Interval read afresh", {1000, 1100, 1100}, 20, 1.0, 5.0, 3},
      {"not a number becomes 1.0", {1000, 1001, 1000}, 0, 3.0, 1.0, 3},
  };
  for (const auto& c : cases) {
    TFormFixture f({"prog", "-nosound", "-scene2"});
    f.Form.FlashClock = 0.0;  // the flash keeps running through the tick
    f.Form.TimeStep = c.before;
    f.Form.DXTimer1.Interval = c.interval;
    f.Host.Reads.assign(c.reads.begin(), c.reads.end());
    f.Host.ReadCount = 0;
    f.Form.DXTimer1Timer(1);
    EXPECT_EQ(f.Form.FrameStart, c.reads[0]) << c.name;
    EXPECT_EQ(f.Form.TimeStep, c.after) << c.name;
    EXPECT_EQ(f.Host.ReadCount, c.readsTaken) << c.name;
  }
}

TEST(FrameLoop, DispatchRunsTheRoutineOfTheScene) {
  // Which clock each scene advances by TimeStep (1.0 here); 99 advances none.
  enum Clock { None, Flash, C1, C3, C5, C7 };
  const struct { uint8_t scene; Clock clock; } cases[] = {
      {1, C1}, {2, Flash}, {3, C3}, {4, Flash}, {5, C5}, {6, Flash}, {7, C7}, {99, None},
  };
  for (const auto& c : cases) {
    TFormFixture f({"prog", "-nosound"});
    TForm1& form = f.Form;
    form.Scene = c.scene;
    form.TimeStep = 1.0;
    form.Scene3Clock = form.Scene7Clock = form.Scene1Clock = 10.0;  // away from first-frame actions
    form.FlashClock = 5.0;
    form.Scene5Position = 10.0;
    f.Host.Reads = {5000, 5000};
    form.DXTimer1Timer(1);
    EXPECT_EQ(form.FlashClock, c.clock == Flash ? 6.0 : 5.0) << int(c.scene);
    EXPECT_EQ(form.Scene1Clock, c.clock == C1 ? 11.0 : 10.0) << int(c.scene);
    EXPECT_EQ(form.Scene3Clock, c.clock == C3 ? 11.0 : 10.0) << int(c.scene);
    EXPECT_EQ(form.Scene5Position, c.clock == C5 ? 11.0 : 10.0) << int(c.scene);
    EXPECT_EQ(form.Scene7Clock, c.clock == C7 ? 11.0 : 10.0) << int(c.scene);
    EXPECT_EQ(form.Scene, c.scene);
    EXPECT_EQ(f.Display.Presented, 1) << int(c.scene);
    EXPECT_FALSE(f.Host.Terminated);
  }
}

TEST(FrameLoop, SceneWithoutRoutineEndsTheShowWithoutDrawing) {
  for (int scene : {0, 8, 9, 50, 98, 100, 255}) {
    TFormFixture f({"prog", "-nosound"});
    f.Form.Scene = uint8_t(scene);
    f.Host.Reads = {100, 200, 200};
    const uint64_t hash = HashSurface(f.Form.DXDraw1.Surface);
    f.Form.DXTimer1Timer(1);
    EXPECT_TRUE(f.Host.Terminated) << scene;
    EXPECT_EQ(f.Display.Presented, 0) << scene;
    EXPECT_EQ(HashSurface(f.Form.DXDraw1.Surface), hash) << scene;
    EXPECT_EQ(f.Form.TimeStep, 2.5) << scene;  // the rest of the tick still runs
    EXPECT_FALSE(TForm1::HasSceneRoutine(uint8_t(scene)));
  }
  for (int scene : {1, 2, 3, 4, 5, 6, 7, 99}) EXPECT_TRUE(TForm1::HasSceneRoutine(uint8_t(scene)));
}

TEST(FrameLoop, RestartUnderLoopResetsReadsOptionsAgainAndBeginsAtSceneOne) {
  TFormFixture f({"prog", "-nosound", "-loop", "-scene4"});
  TForm1& form = f.Form;
  ASSERT_EQ(form.Scene, 4);
  // A pass of the show has run: state everywhere away from its start values.
  form.Scene = 8;
  form.SoundOn = true;  // the reset reads "-nosound" again before any music
  form.FlashClock = 0.0;
  form.Scene1Clock = form.Scene3Clock = form.Scene7Clock = 77.0;
  form.Scene5Position = 900.0;
  form.Scene5Speed = 4;
  form.GlowsRenewed = true;
  form.TimeStep = 1.0;
  f.Host.Reads = {1000, 1100, 1100};  // the reset's own time enters the next step
  form.DXTimer1Timer(1);
  EXPECT_FALSE(f.Host.Terminated);
  EXPECT_EQ(f.Display.Presented, 0);
  EXPECT_EQ(form.Scene, 1);  // not 4: the restart overrides the option
  EXPECT_FALSE(form.SoundOn);
  EXPECT_TRUE(form.LoopShow);
  EXPECT_EQ(form.FlashClock, 1.0);
  EXPECT_EQ(form.Scene1Clock, 1.0);
  EXPECT_EQ(form.Scene3Clock, 1.0);
  EXPECT_EQ(form.Scene7Clock, 1.0);
  EXPECT_EQ(form.Scene5Position, 0.0);
  EXPECT_EQ(form.Scene5Speed, 1);
  EXPECT_FALSE(form.GlowsRenewed);
  EXPECT_EQ(form.TimeStep, 2.5);
}

TEST(FrameLoop, HiddenSceneIgnoresLoop) {
  TFormFixture f({"prog", "-nosound", "-loop", "-scene0"});
  ASSERT_EQ(f.Form.Scene, 99);
  for (int i = 0; i < 30; ++i) f.Form.DXTimer1Timer(1);
  EXPECT_EQ(f.Form.Scene, 99);
  EXPECT_EQ(f.Display.Presented, 30);
  EXPECT_FALSE(f.Host.Terminated);
}
