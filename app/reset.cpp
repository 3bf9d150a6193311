// Gives every piece of show state its start value, reads the options that
// count at every reset, and starts the music.
#include "app/form.h"
#include "app/options.h"
#include "app/random.h"
#include "music/bass.h"
#include "music/beat.h"

void TForm1::ResetShow() {
  // 1. Seed from the time of day (or the runner's fixed seed).
  RandSeed = FixedSeed ? Seed : HostRef.MillisecondsSinceMidnight();
  // 2.
  StoreBeat(240);
  // 3.
  LoopShow = false;
  SoundOn = true;
  Scene = 1;
  // 4. Each argument against each option, in table order.
  ApplyResetOptions(ParamStr, Scene, SoundOn, LoopShow);
  // 5. The music; a failure halts inside StartMusic.
  if (SoundOn) {
    StartMusic();
    BASS_Start();
    BASS_MusicPlayEx(MusicHandle, 0, -1, 0);
  }
  // 6.
  SetStreakStartValues();
  // 7.
  DXDraw1.Color = 0;
  // 8. Canvas settings that later frames rely on.
  TCanvas& canvas = DXDraw1.SurfaceCanvas();
  canvas.Font.Color = 0xFFFFFF;
  canvas.Brush.Style = TBrushStyle::bsClear;
  canvas.Font.Charset = DEFAULT_CHARSET;
  // 9.
  Scene5Position = 0.0;
  Scene5Speed = 1;
  // 10.
  SetScrollStartValues();
  // 11.
  FlashClock = 1.0;
  Scene3Clock = 1.0;
  Scene7Clock = 1.0;
  Scene1Clock = 1.0;
  // 12.
  SetSparkStartValues();
  // 13.
  SetGlowStartValues();
  // 14.
  GlowsRenewed = false;
}
