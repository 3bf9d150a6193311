// Placeholder image list until the pictures land: item settings only.
#include "render/imagelist.h"

void TDXImageList::Load() {}
void TDXImageList::Prepare(TPixelLayout) { Prepared = false; }
