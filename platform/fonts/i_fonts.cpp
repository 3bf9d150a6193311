// FreeType + fontconfig font engine. Each font name is looked up through
// fontconfig once; each (name, pixel size) becomes a strike with a slot per
// character byte, and each slot is rasterised at its first use and kept.
// Looking up a cached glyph compares fixed-size names and allocates nothing.
#include "platform/fonts/i_fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H
#include <fontconfig/fontconfig.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/fonts/font_names.h"

namespace {

std::atomic<uint64_t> FreeTypeAllocations{0};

void* FreeTypeAlloc(FT_Memory, long size) {
  FreeTypeAllocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size_t(size));
}
void FreeTypeFree(FT_Memory, void* block) { std::free(block); }
void* FreeTypeRealloc(FT_Memory, long, long size, void* block) {
  FreeTypeAllocations.fetch_add(1, std::memory_order_relaxed);
  return std::realloc(block, size_t(size));
}

struct TSlot {
  bool Loaded = false;
  TGlyph Glyph;
  std::vector<uint8_t> Bits;
};

// One font name as the show asked for it, with the face found for it.
struct TFace {
  char Name[sizeof(TFont::Name)] = {};
  const TFontFamily* Family = nullptr;
  FT_Face Face = nullptr;  // null when no font at all could be opened
  const void* SizedFor = nullptr;  // the strike whose size is set on Face
};

// A face at one pixel height.
struct TStrike {
  TFace* Face = nullptr;
  int32_t PixelHeight = 0;
  int32_t StrikeIndex = -1;  // bitmap strike of a non-scalable face
  int32_t Scale = 1;         // whole-number scale of that strike
  TFontMetrics Metrics;
  std::array<TSlot, 256> Slots;
};

// The file and face index fontconfig finds best for a pattern.
bool MatchFont(FcPattern* pattern, std::string& file, int& index) {
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  FcChar8* path = nullptr;
  const bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr;
  if (found) file = reinterpret_cast<const char*>(path);
  index = 0;
  FcPatternGetInteger(match, FC_INDEX, 0, &index);
  FcPatternDestroy(match);
  return found;
}

FcPattern* FamilyPattern(const char* family) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  return pattern;
}

// The byte's pixel in a FreeType bitmap row, whatever its pixel mode.
bool BitmapPixel(const FT_Bitmap& bitmap, const uint8_t* row, unsigned x) {
  switch (bitmap.pixel_mode) {
    case FT_PIXEL_MODE_MONO: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case FT_PIXEL_MODE_GRAY: return row[x] >= 128;
    case FT_PIXEL_MODE_BGRA: return row[4 * x + 3] >= 128;
    default: return false;
  }
}

// Copies a rendered glyph into the slot, each pixel scale x scale times.
void StoreGlyph(const FT_GlyphSlot glyph, int32_t scale, TSlot& slot) {
  const FT_Bitmap& bitmap = glyph->bitmap;
  const int32_t w = int32_t(bitmap.width), h = int32_t(bitmap.rows);
  slot.Bits.assign(size_t(w) * size_t(h) * size_t(scale) * size_t(scale), 0);
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = bitmap.buffer + ptrdiff_t(y) * bitmap.pitch;
    for (int32_t x = 0; x < w; ++x) {
      if (!BitmapPixel(bitmap, row, unsigned(x))) continue;
      for (int32_t dy = 0; dy < scale; ++dy)
        std::memset(&slot.Bits[size_t(y * scale + dy) * size_t(w * scale) + size_t(x * scale)], 1, size_t(scale));
    }
  }
  slot.Glyph.Left = glyph->bitmap_left * scale;
  slot.Glyph.Top = glyph->bitmap_top * scale;
  slot.Glyph.Width = w * scale;
  slot.Glyph.Height = h * scale;
  slot.Glyph.Advance = int32_t((glyph->advance.x + 32) >> 6) * scale;
  slot.Glyph.Bits = slot.Bits.data();
}

// The bitmap strike to use: the family's preferred cell height if the face
// has it, else the largest strike not above the pixel height, else the
// smallest.
int32_t ChooseStrike(FT_Face face, int32_t preferred, int32_t pixelHeight) {
  int32_t best = -1, smallest = 0;
  for (int32_t i = 0; i < face->num_fixed_sizes; ++i) {
    const int32_t h = face->available_sizes[i].height;
    if (preferred > 0 && h == preferred) return i;
    if (h < face->available_sizes[smallest].height) smallest = i;
    if (h <= pixelHeight && (best < 0 || h > face->available_sizes[best].height)) best = i;
  }
  return best >= 0 ? best : smallest;
}

class TFreeTypeFonts final : public IFontEngine {
 public:
  TFreeTypeFonts() {
    Memory.user = nullptr;
    Memory.alloc = FreeTypeAlloc;
    Memory.free = FreeTypeFree;
    Memory.realloc = FreeTypeRealloc;
    if (FT_New_Library(&Memory, &Library) == 0) FT_Add_Default_Modules(Library);
    else Library = nullptr;
    FcInit();
    // Room for the show's fonts and sizes, so that first uses rarely grow these.
    Faces.reserve(8);
    Strikes.reserve(16);
  }
  ~TFreeTypeFonts() override {
    for (auto& face : Faces)
      if (face->Face != nullptr) FT_Done_Face(face->Face);
    if (Library != nullptr) FT_Done_Library(Library);
  }

  TFontMetrics Metrics(const TFont& font) override {
    const TStrike* strike = Find(font);
    return strike != nullptr ? strike->Metrics : TFontMetrics{};
  }

  const TGlyph* Glyph(const TFont& font, uint8_t ch) override {
    TStrike* strike = Find(font);
    if (strike == nullptr) return nullptr;
    TSlot& slot = strike->Slots[ch];
    if (!slot.Loaded) Rasterise(*strike, ch, slot);
    return &slot.Glyph;
  }

 private:
  // The strike for the font's name and size: the one used last, or one of
  // those made before, or a new one. Null when no face can be opened.
  TStrike* Find(const TFont& font) {
    const int32_t px = FontPixelHeight(font.Size);
    if (Last != nullptr && Last->PixelHeight == px && SameFontName(Last->Face->Name, font.Name)) return Last;
    TFace* face = FindFace(font.Name);
    if (face->Face == nullptr) return nullptr;
    for (auto& strike : Strikes)
      if (strike->Face == face && strike->PixelHeight == px) return Last = strike.get();
    return Last = MakeStrike(*face, px);
  }

  TFace* FindFace(const char* name) {
    for (auto& face : Faces)
      if (SameFontName(face->Name, name)) return face.get();
    auto face = std::make_unique<TFace>();
    for (size_t i = 0; i + 1 < sizeof face->Name && name[i] != 0; ++i) face->Name[i] = name[i];
    face->Family = FindFontFamily(name);
    face->Face = OpenFace(face->Family, face->Name);
    Faces.push_back(std::move(face));
    return Faces.back().get();
  }

  // The family's stand-in first, then the best match for the name itself,
  // then any sans-serif: the first of these that FreeType can open.
  FT_Face OpenFace(const TFontFamily* family, const char* name) {
    if (Library == nullptr) return nullptr;
    FcPattern* candidates[3] = {
        family != nullptr ? FcNameParse(reinterpret_cast<const FcChar8*>(family->Pattern)) : nullptr,
        FamilyPattern(name), FamilyPattern("sans-serif")};
    FT_Face opened = nullptr;
    for (FcPattern* pattern : candidates) {
      if (pattern == nullptr) continue;
      std::string file;
      int index = 0;
      if (opened == nullptr && MatchFont(pattern, file, index)) {
        if (FT_New_Face(Library, file.c_str(), index, &opened) != 0) opened = nullptr;
      } else if (opened != nullptr) {
        FcPatternDestroy(pattern);
      }
    }
    return opened;
  }

  TStrike* MakeStrike(TFace& face, int32_t px) {
    auto strike = std::make_unique<TStrike>();
    strike->Face = &face;
    strike->PixelHeight = px;
    FT_Face ft = face.Face;
    if (!FT_IS_SCALABLE(ft) && ft->num_fixed_sizes > 0) {
      strike->StrikeIndex = ChooseStrike(ft, face.Family != nullptr ? face.Family->StrikeHeight : 0, px);
      strike->Scale = BitmapScale(ft->available_sizes[strike->StrikeIndex].height, px);
    }
    SizeFace(*strike);
    const int32_t ascent = int32_t((ft->size->metrics.ascender + 63) >> 6);
    const int32_t descent = int32_t((-ft->size->metrics.descender + 63) >> 6);
    strike->Metrics.Ascent = ascent * strike->Scale;
    strike->Metrics.Height = (ascent + descent) * strike->Scale;
    Strikes.push_back(std::move(strike));
    return Strikes.back().get();
  }

  // Sets the strike's size on its face, unless it is set already.
  void SizeFace(TStrike& strike) {
    TFace& face = *strike.Face;
    if (face.SizedFor == &strike) return;
    if (strike.StrikeIndex >= 0) FT_Select_Size(face.Face, strike.StrikeIndex);
    else FT_Set_Pixel_Sizes(face.Face, 0, FT_UInt(strike.PixelHeight));
    face.SizedFor = &strike;
  }

  // Renders the character without smoothing and keeps it; a character the
  // face cannot render keeps an empty glyph.
  void Rasterise(TStrike& strike, uint8_t ch, TSlot& slot) {
    slot.Loaded = true;
    SizeFace(strike);
    const TFontFamily* family = strike.Face->Family;
    const uint32_t code = family != nullptr ? family->CodePoint(ch) : Latin1CodePoint(ch);
    FT_Face ft = strike.Face->Face;
    if (FT_Load_Char(ft, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return;
    StoreGlyph(ft->glyph, strike.Scale, slot);
  }

  FT_MemoryRec_ Memory{};
  FT_Library Library = nullptr;
  std::vector<std::unique_ptr<TFace>> Faces;
  std::vector<std::unique_ptr<TStrike>> Strikes;
  TStrike* Last = nullptr;
};

}  // namespace

std::unique_ptr<IFontEngine> CreateFontEngine() { return std::make_unique<TFreeTypeFonts>(); }

uint64_t FreeTypeAllocationCount() { return FreeTypeAllocations.load(std::memory_order_relaxed); }
