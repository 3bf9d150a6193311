#include "app/form.h"

#include <utility>

#include "app/options.h"
#include "music/bass.h"

const char* const OptScenes[8] = {"-scene0", "-scene1", "-scene2", "-scene3",
                                  "-scene4", "-scene5", "-scene6", "-scene7"};

namespace {

const char* const MessageA =
    "fukkin' ERRORRRR... cannot draw! (reason 1: your gfx card REALLY sucks!  reason 2: my code sucks even "
    "more)";

std::string MessageB(int32_t width, int32_t height) {
  return "fukkin' ERRORRR: cannot init 512x384 properly... next mode:" + std::to_string(width) + "x" +
         std::to_string(height) +
         "! please use windowed mode and/or read the info file provided with this thinggy!";
}

std::string MessageC(int32_t bits) {
  return "fukkin' ERRORRRR... if you like to run this thinggy in a window you HAVE to switch your desktop "
         "color palette to 16bit. Your current color palette is: " +
         std::to_string(bits) + "bit!";
}

}  // namespace

void ApplyResetOptions(const std::vector<std::string>& args, uint8_t& scene, bool& soundOn, bool& loopShow) {
  for (const std::string& arg : args) {
    if (arg == OptNoSound) soundOn = false;
    if (arg == OptLoop) loopShow = true;
    for (int s = 0; s < 8; ++s)
      if (arg == OptScenes[s]) scene = s == 0 ? 99 : uint8_t(s);
  }
}

TForm1::TForm1(std::vector<std::string> args, TShowHost& host, IDisplayDevice& display, IFontEngine* fonts)
    : ParamStr(std::move(args)), HostRef(host) {
  DXDraw1.Attach(&display, fonts);
  DXDraw1.ImageList = &DXImageList1;
  DXImageList1.Load();
}

void TForm1::FormCreate() {
  for (const std::string& arg : ParamStr)
    if (arg == OptWindowed) DXDraw1.Options &= ~uint32_t(doFullScreen);
  BorderStyle = (DXDraw1.Options & doFullScreen) ? TBorderStyle::bsNone : TBorderStyle::bsSingle;
  HostRef.HideCursor();
}

void TForm1::FormShow() {
  // A display that could not be set up at all is one that cannot be drawn
  // to: the checks report it with the first message, and nothing else.
  DXDraw1.Initialize();
  DXDraw1Initialize();
}

void TForm1::FormKeyDown(uint16_t& Key) {
  if (Key != 27) return;
  BASS_Free();
  HostRef.Terminate();
}

void TForm1::DXDraw1Initialize() {
  auto fail = [this](const std::string& text) {
    HostRef.ShowMessage(ApplicationTitle, text);
    HostRef.Terminate();
  };
  if (!DXDraw1.DisplayReady()) return fail(MessageA);
  if (BorderStyle == TBorderStyle::bsNone && DXDraw1.Surface.Width != 512)
    return fail(MessageB(DXDraw1.Surface.Width, DXDraw1.Surface.Height));
  if (DXDraw1.BitCount() != 16) return fail(MessageC(DXDraw1.BitCount()));
  ResetShow();
  DXTimer1.Enabled = true;
  DXTimer1.Restart(HostRef.timeGetTime());
}

void TForm1::Close() { HostRef.Terminate(); }

bool TForm1::HasSceneRoutine(uint8_t scene) { return (scene >= 1 && scene <= 7) || scene == 99; }

void TForm1::DXTimer1Timer(int32_t) {
  FrameStart = HostRef.timeGetTime();
  switch (Scene) {
    case 1: RunScene1(); break;
    case 2: case 4: case 6: RunFlash(); break;
    case 3: RunScene3(); break;
    case 5: RunScene5(); break;
    case 7: RunScene7(); break;
    case 99: RunHiddenScene(); break;
    default:
      // No routine: the end of the show.
      if (LoopShow) {
        ResetShow();
        Scene = 1;
      } else {
        if (SoundOn) BASS_Free();
        Close();
      }
      break;
  }
  // TimeStep measures the frame's own work, not the wait between ticks.
  const uint32_t t1 = HostRef.timeGetTime();
  if (t1 > FrameStart) {
    const uint32_t t2 = HostRef.timeGetTime();
    TimeStep = double(uint32_t(t2 - FrameStart)) / double(DXTimer1.Interval);
  }
  if (!(TimeStep >= 1.0)) TimeStep = 1.0;  // also catches NaN
}
