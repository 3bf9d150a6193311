// The hidden scene, reached only by "-scene0"; it never ends by itself.
#include "app/form.h"

void TForm1::RunHiddenScene() { DXDraw1.PresentFrame(); }
