#include "platform/headless/headless_show.h"

#include <algorithm>
#include <optional>

#include "platform/fonts/i_fonts.h"

THeadlessShow::THeadlessShow(const std::vector<std::string>& args, std::optional<uint32_t> seed,
                             uint32_t clockStart, TPixelLayout layout, IFontEngine* fonts) {
  Display.Mode.GreenMask = GreenMaskOf(layout);
  Host.Now = clockStart;
  if (fonts == nullptr) {
    OwnFonts = CreateFontEngine();
    fonts = OwnFonts.get();
  }
  std::vector<std::string> all{"driftmosaic-b"};
  all.insert(all.end(), args.begin(), args.end());
  Form = std::make_unique<TForm1>(all, Host, Display, fonts);
  if (seed) {
    Form->FixedSeed = true;
    Form->Seed = *seed;
  }
  NextStart = clockStart + 40;
}

bool THeadlessShow::Start() {
  Form->FormCreate();
  Form->FormShow();
  return !Host.Terminated && Form->DXTimer1.Enabled;
}

void THeadlessShow::Tick(uint32_t workMs) {
  const uint32_t start = NextStart;
  Host.BeginTick(start, workMs);
  Form->DXTimer1.Fired(start);
  Form->DXTimer1Timer(1);
  Host.EndTick();
  Host.Now = start + workMs;
  NextStart = start + std::max<uint32_t>(40, workMs);
}
