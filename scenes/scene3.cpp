// Scene 3 (frame routine to come; for now the clock runs and the frame is presented).
#include "app/form.h"

void TForm1::RunScene3() {
  Scene3Clock += TimeStep;
  if (Scene3Clock > 400.0) ++Scene;
  DXDraw1.PresentFrame();
}
