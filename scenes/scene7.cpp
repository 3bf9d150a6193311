// Scene 7 (frame routine to come; for now the clock runs and the frame is presented).
#include "app/form.h"

void TForm1::RunScene7() {
  Scene7Clock += TimeStep;
  if (Scene7Clock > 690.0) ++Scene;
  DXDraw1.PresentFrame();
}
