// Placeholder drawing until the font rasteriser and shapes land: the context
// is taken and given back, nothing is drawn.
#include "render/canvas.h"

void TCanvas::TextOut(int32_t, int32_t, const char*) { TakeContext(); }
void TCanvas::RoundRect(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) { TakeContext(); }
