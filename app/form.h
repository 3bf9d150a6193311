// The one form of the show: it owns the display, the timer, the image list
// and all show state, and runs the event handlers and scene routines.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/host.h"
#include "app/timer.h"
#include "render/display.h"
#include "render/imagelist.h"

constexpr const char* ApplicationTitle = "driftmosaic-B";
constexpr const char* FormCaption = "driftmosaic-b [zub]";

enum class TBorderStyle : uint8_t { bsNone, bsSingle };

// One light streak of the closing scene.
struct TStreak {
  double StreakX = 0.0;
  uint8_t Kind = 0;
};

// One glow of the swarm.
struct TGlow {
  int32_t X = 0;
  int32_t Y = 0;
  double Angle = 0.0;
};

// One row of the text scroller; Text points into ScrollLines.
struct TScrollRow {
  double Y = 0.0;
  const char* Text = "";
};

// One spark of the opening scene.
struct TSpark {
  int32_t TargetX = 0;
  int32_t TargetY = 0;
  double Countdown = 0.0;
};

class TForm1 {
 public:
  // args are the command-line arguments, the program's own path first.
  TForm1(std::vector<std::string> args, TShowHost& host, IDisplayDevice& display, IFontEngine* fonts);

  // Components.
  TDXDraw DXDraw1;
  TDXTimer DXTimer1;
  TDXImageList DXImageList1;
  TBorderStyle BorderStyle = TBorderStyle::bsSingle;

  // Event handlers.
  void FormCreate();
  void FormShow();  // the message loop shows the form: the display set-up
  void FormKeyDown(uint16_t& Key);
  void DXDraw1Initialize();
  void DXTimer1Timer(int32_t LagCount);
  void Close();  // closes the main form, which terminates the application

  // Show routines.
  void ResetShow();
  void StartMusic();
  void RunScene1();
  void RunFlash();
  void RunScene3();
  void RunScene5();
  void RunScene7();
  void RunHiddenScene();
  void DrawStreaks();
  void DrawGlows(int32_t Phase);
  void DrawScroller();
  void SetGlowStartValues();
  void SetStreakStartValues();
  void SetScrollStartValues();
  void SetSparkStartValues();

  // True when Scene names a scene routine.
  static bool HasSceneRoutine(uint8_t scene);

  // Shared show state.
  uint8_t Scene = 0;
  bool SoundOn = false;
  bool LoopShow = false;
  uint32_t MusicHandle = 0;
  double TimeStep = 0.0;
  uint32_t FrameStart = 0;

  // Light streaks: indices 100 to 280.
  TStreak Streaks[281];
  int32_t StreakLength = 0;
  // Glow swarm: indices 1 to 40.
  TGlow Glows[41];
  // Scroller: indices 1 to 80.
  TScrollRow ScrollRows[81];
  // Scene 5.
  double Scene5Position = 0.0;
  int32_t Scene5Speed = 0;
  bool GlowsRenewed = false;
  // Flash interludes.
  double FlashClock = 0.0;
  // Scene 1: sparks 1 to 79.
  double Scene1Clock = 0.0;
  TSpark Sparks[80];
  // Scene 3 and scene 7.
  double Scene3Clock = 0.0;
  double Scene7Clock = 0.0;

  // The runner's fixed seed replaces the time of day when set.
  bool FixedSeed = false;
  uint32_t Seed = 0;

  const std::vector<std::string>& Args() const { return ParamStr; }
  TShowHost& Host() { return HostRef; }

 private:
  std::vector<std::string> ParamStr;
  TShowHost& HostRef;
};

// The scroll text: 80 rows, indices 1 to 80 (index 0 unused).
extern const char* const ScrollLines[81];
