// Scene 1: the opening scene.
#include "app/form.h"
#include "app/random.h"

void TForm1::SetSparkStartValues() {
  for (int i = 1; i <= 79; ++i) {
    Sparks[i].TargetX = RandomBelow(320) + 1;
    Sparks[i].TargetY = RandomBelow(240) + 1;
    Sparks[i].Countdown = i;
  }
}

void TForm1::RunScene1() {
  Scene1Clock += TimeStep;
  if (Scene1Clock > 630.0) ++Scene;
  DXDraw1.PresentFrame();
}
