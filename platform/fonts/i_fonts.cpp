// Placeholder until the FreeType engine lands: no glyphs.
#include "platform/fonts/i_fonts.h"

namespace {
class TNoFonts final : public IFontEngine {
 public:
  TFontMetrics Metrics(const TFont&) override { return {}; }
  const TGlyph* Glyph(const TFont&, uint8_t) override { return nullptr; }
};
}  // namespace

std::unique_ptr<IFontEngine> CreateFontEngine() { return std::make_unique<TNoFonts>(); }
