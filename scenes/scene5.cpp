// Scene 5 (frame routine to come; for now the clock runs and the frame is presented).
#include "app/form.h"

void TForm1::RunScene5() {
  Scene5Position += TimeStep;
  if (Scene5Position > 1200.0) ++Scene;
  DXDraw1.PresentFrame();
}
