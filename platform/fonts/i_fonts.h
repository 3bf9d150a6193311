// The font engine behind the canvas: FreeType glyphs for the show's fonts,
// found through fontconfig.
#pragma once
#include <memory>

#include "render/canvas.h"

std::unique_ptr<IFontEngine> CreateFontEngine();
