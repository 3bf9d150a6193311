// The flash interludes (scenes 2, 4 and 6) on the real form, tick by tick,
// and what the display does with lost surfaces and presented frames.
#include <gtest/gtest.h>

#include <cstring>

#include "app/random.h"
#include "platform/fonts/i_fonts.h"
#include "platform/headless/headless_show.h"

namespace {

IFontEngine* SharedFonts() {
  static const std::unique_ptr<IFontEngine> fonts = CreateFontEngine();
  return fonts.get();
}

std::unique_ptr<THeadlessShow> StartedShow(std::vector<std::string> args, TPixelLayout layout = TPixelLayout::Layout565,
                                           int32_t pitch = 0) {
  args.push_back("-nosound");
  auto show = std::make_unique<THeadlessShow>(args, 2024u, 0, layout, SharedFonts());
  show->Display.Mode.Pitch = pitch;
  EXPECT_TRUE(show->Start());
  return show;
}

// The next number RandomBelow(1000) gives from the generator state s.
uint32_t NextR(uint32_t s) { return uint32_t((uint64_t(s * 134775813u + 1u) * 1000u) >> 32); }

// True when every pixel of the surface holds v.
bool Uniform(const TSurface& s, uint16_t v) {
  for (int32_t y = 0; y < s.Height; ++y)
    for (int32_t x = 0; x < s.Width; ++x)
      if (s.Pixel(x, y) != v) return false;
  return true;
}

// Frames a flash lasts when every frame runs with TimeStep 1.0.
int FlashFrames(THeadlessShow& show) {
  TForm1& f = *show.Form;
  const uint8_t scene = f.Scene;
  f.TimeStep = 1.0;  // as after the first timed frame; ticks without work keep it
  int frames = 0;
  while (f.Scene == scene && frames < 100) {
    show.Tick(0);
    ++frames;
    EXPECT_EQ(f.TimeStep, 1.0);
  }
  return frames;
}

}  // namespace

TEST(RunFlash, LengthsAtTheFloorStep) {
  const struct { const char* name; std::vector<std::string> args; uint8_t scene; double clock; int frames; } cases[] = {
      {"scene 2 after a reset", {"-scene2"}, 2, 1.0, 14},
      {"scene 4 after scene 2", {"-scene2"}, 4, 0.0, 15},
      {"scene 6 after scene 4", {"-scene2"}, 6, 0.0, 15},
      {"-scene4 starts from 1.0", {"-scene4"}, 4, -1, 14},
      {"-scene6 starts from 1.0", {"-scene6"}, 6, -1, 14},
  };
  for (const auto& c : cases) {
    auto show = StartedShow(c.args);
    TForm1& f = *show->Form;
    f.Scene = c.scene;
    if (c.clock >= 0) f.FlashClock = c.clock;
    EXPECT_EQ(FlashFrames(*show), c.frames) << c.name;
    EXPECT_EQ(f.Scene, c.scene + 1) << c.name;
    EXPECT_EQ(f.FlashClock, 0.0) << c.name;
    EXPECT_EQ(show->Display.Presented, c.frames) << c.name;
  }
}

TEST(RunFlash, ClockReadsEachWholeStepAndOnlyAboveFourteenEnds) {
  auto show = StartedShow({"-scene2"});
  TForm1& f = *show->Form;
  f.TimeStep = 1.0;
  for (int k = 2; k <= 14; ++k) {
    show->Tick(0);
    EXPECT_EQ(f.FlashClock, double(k));
    EXPECT_EQ(f.Scene, 2) << "a clock of exactly " << k << " goes on";
  }
  show->Tick(0);
  EXPECT_EQ(f.FlashClock, 0.0);
  EXPECT_EQ(f.Scene, 3);
}

TEST(RunFlash, LargeStepEndsAtOnceAndTheFrameIsStillAFlash) {
  auto show = StartedShow({"-scene4"});
  TForm1& f = *show->Form;
  f.TimeStep = 20.0;
  const uint32_t seed = RandSeed;
  uint64_t presentedHash = 0;
  show->Display.OnPresent = [&](const TSurface& s) { presentedHash = HashSurface(s); };
  show->Tick(0);
  EXPECT_EQ(f.Scene, 5);
  EXPECT_EQ(f.FlashClock, 0.0);
  EXPECT_EQ(show->Display.Presented, 1);
  const uint16_t want = uint16_t(0xFFFF - NextR(seed));
  EXPECT_TRUE(Uniform(f.DXDraw1.Surface, want));
  EXPECT_EQ(presentedHash, HashSurface(f.DXDraw1.Surface));
}

// Every flash frame is the raw value 0xFFFF - r, in both layouts, and no
// byte past the 512 pixels of a row is written even with a wide pitch.
TEST(RunFlash, FillsTheRawValueWithANewNumberEachFrame) {
  for (TPixelLayout layout : {TPixelLayout::Layout565, TPixelLayout::Layout555}) {
    auto show = StartedShow({"-scene2"}, layout, 1100);
    TSurface& s = show->Form->DXDraw1.Surface;
    ASSERT_EQ(s.Pitch, 1100);
    ASSERT_EQ(s.Layout, layout);
    for (int32_t y = 0; y < 384; ++y) std::memset(s.Storage.data() + size_t(y) * 1100 + 1024, 0xEE, 76);
    for (int frame = 1; frame <= 14; ++frame) {
      const uint32_t r = NextR(RandSeed);
      show->Tick(0);
      ASSERT_TRUE(Uniform(s, uint16_t(0xFFFF - r))) << "frame " << frame;
      EXPECT_GE(0xFFFF - r, 0xFC18u);
    }
    for (int32_t y = 0; y < 384; ++y)
      for (int32_t b = 1024; b < 1100; ++b) ASSERT_EQ(s.Storage[size_t(y) * 1100 + size_t(b)], 0xEE) << y << "," << b;
  }
}

TEST(Display, PresentCopiesTheFrameAndLeavesItAsItWas) {
  auto show = StartedShow({"-scene0"});
  TDXDraw& draw = show->Form->DXDraw1;
  FillSurface(draw.Surface, 0x1234);
  PutPixel(draw.Surface, 511, 383, 0x4321);
  const uint64_t before = HashSurface(draw.Surface);
  std::vector<uint64_t> seen;
  show->Display.OnPresent = [&](const TSurface& s) { seen.push_back(HashSurface(s)); };
  draw.PresentFrame();
  draw.PresentFrame();  // a frame that draws nothing shows the same picture
  EXPECT_EQ(seen, (std::vector<uint64_t>{before, before}));
  EXPECT_EQ(HashSurface(draw.Surface), before);
}

TEST(Display, LostSurfacesAreRestoredBlackBeforeUse) {
  TSurface black;
  black.Allocate(512, 384, TPixelLayout::Layout565);
  const uint64_t blackHash = HashSurface(black);
  // Through DisplayReady, and through PresentFrame (which presents black).
  for (bool throughPresent : {false, true}) {
    auto show = StartedShow({"-scene0"});
    TDXDraw& draw = show->Form->DXDraw1;
    std::vector<uint64_t> seen;
    show->Display.OnPresent = [&](const TSurface& s) { seen.push_back(HashSurface(s)); };
    FillSurface(draw.Surface, 0xFFFF);
    show->Display.Lost = true;
    if (throughPresent) {
      draw.PresentFrame();
      EXPECT_EQ(seen, std::vector<uint64_t>{blackHash});
    } else {
      EXPECT_TRUE(draw.DisplayReady());
      EXPECT_TRUE(seen.empty());
    }
    EXPECT_EQ(HashSurface(draw.Surface), blackHash);
    // Restored once: the next frame's drawing stays.
    FillSurface(draw.Surface, 0x00FF);
    EXPECT_TRUE(draw.DisplayReady());
    EXPECT_TRUE(Uniform(draw.Surface, 0x00FF));
  }
  // A lost frame surface is restored the same way.
  auto show = StartedShow({"-scene0"});
  TDXDraw& draw = show->Form->DXDraw1;
  FillSurface(draw.Surface, 0xFFFF);
  draw.Surface.Lost = true;
  EXPECT_TRUE(draw.DisplayReady());
  EXPECT_FALSE(draw.Surface.Lost);
  EXPECT_EQ(HashSurface(draw.Surface), blackHash);
}

TEST(Display, NotReadyBeforeSetUpOrWithoutUsableSurface) {
  TDXDraw draw;
  EXPECT_FALSE(draw.DisplayReady());
  draw.PresentFrame();  // no device: nothing happens
  THeadlessDisplay device;
  device.OpenFails = true;
  draw.Attach(&device, nullptr);
  EXPECT_FALSE(draw.Initialize());
  EXPECT_FALSE(draw.DisplayReady());
  draw.PresentFrame();
  EXPECT_EQ(device.Presented, 0);
  device.OpenFails = false;
  device.Mode = {0, 384, 16, 0x07E0, 0};
  draw.Initialize();
  EXPECT_FALSE(draw.DisplayReady());
  draw.PresentFrame();
  EXPECT_EQ(device.Presented, 0);
}

TEST(Display, RestoreRemakesTheImagesToo) {
  auto show = StartedShow({"-scene0"});
  for (int index : {0, 8, 13}) {
    TPictureCollectionItem& item = show->Form->DXImageList1[index];
    ASSERT_TRUE(item.Surface.Exists()) << index;
    const uint64_t before = HashSurface(item.Surface);
    FillSurface(item.Surface, 0x1234);
    ASSERT_NE(HashSurface(item.Surface), before) << index;
    show->Display.Lost = true;
    EXPECT_TRUE(show->Form->DXDraw1.DisplayReady());
    EXPECT_EQ(HashSurface(item.Surface), before) << index;
  }
}
