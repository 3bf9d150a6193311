// The font engine behind the canvas: FreeType glyphs for the show's fonts,
// found through fontconfig.
#pragma once
#include <cstdint>
#include <memory>

#include "render/canvas.h"

// An engine that finds each font name through fontconfig at its first use,
// rasterises each glyph once, monochrome, and draws it from its cache ever
// after. Unknown or missing fonts fall back to fontconfig's best match.
std::unique_ptr<IFontEngine> CreateFontEngine();

// How many times FreeType has asked for memory in this process, across all
// engines: a cached glyph must not add to it.
uint64_t FreeTypeAllocationCount();
