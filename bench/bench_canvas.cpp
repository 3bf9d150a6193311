// The cost of the canvas: a scroll row and the captions drawn from the glyph
// cache, and the XOR rounded rectangle of scene 5.
#include <benchmark/benchmark.h>

#include <memory>

#include "platform/fonts/i_fonts.h"
#include "render/canvas.h"

namespace {

struct TBenchCanvas {
  std::unique_ptr<IFontEngine> Fonts = CreateFontEngine();
  TSurface Surface;
  TCanvas Canvas;
  TBenchCanvas() {
    Surface.Allocate(512, 384, TPixelLayout::Layout565);
    FillSurface(Surface, 0xFFFF);
    Canvas.Attach(&Surface, Fonts.get());
    Canvas.Brush.Style = TBrushStyle::bsClear;
  }
  void Font(const char* name, int32_t size, TColor color) {
    Canvas.Font.SetName(name);
    Canvas.Font.Size = size;
    Canvas.Font.Color = color;
  }
};

// One scroll row of 21 characters, its glyphs cached by a first draw.
void BM_ScrollRowFromCache(benchmark::State& state) {
  TBenchCanvas b;
  const char* row = "with flatshaded cubes";
  b.Font("verdana", 20, 0);
  b.Canvas.TextOut(160, 100, row);
  for (auto _ : state) {
    b.Canvas.Font.SetName("verdana");  // as the scroller sets it before each row
    b.Canvas.TextOut(160, 100, row);
    b.Canvas.Release();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 21);
}
BENCHMARK(BM_ScrollRowFromCache);

// The four texts of the closing title, as one frame of scene 7 draws them.
void BM_TitleTextsFromCache(benchmark::State& state) {
  TBenchCanvas b;
  auto draw = [&] {
    b.Font("wingdings", 50, 0xFFFFFF);
    b.Canvas.TextOut(10, 150, ":");
    b.Canvas.Font.Size = 40;
    b.Canvas.Font.SetName("fixedsys");
    b.Canvas.TextOut(80, 151, "DRIFTMOSAIC-B");
    b.Canvas.Font.Size = 14;
    b.Canvas.TextOut(95, 210, "512k intro by ZUB");
    b.Canvas.TextOut(85, 230, "code, music: Vardek  support: jelko");
    b.Canvas.Release();
  };
  draw();
  for (auto _ : state) {
    draw();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TitleTextsFromCache);

// Scene 5's shape: 250 x 70, corners 50 x 60, XOR with a solid brush.
void BM_RoundRectXor(benchmark::State& state) {
  TBenchCanvas b;
  b.Canvas.Pen.Mode = TPenMode::pmXor;
  b.Canvas.Pen.Color = 0xFFFFFF;
  b.Canvas.Brush.SetColor(0xFF0000 + 7);
  for (auto _ : state) {
    b.Canvas.RoundRect(180, 150, 430, 220, 50, 60);
    b.Canvas.Release();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_RoundRectXor);

}  // namespace
