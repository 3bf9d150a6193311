// The show on the headless display and the virtual clock, one tick at a
// time: shared by the runner, the tests and the benchmarks.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/form.h"
#include "platform/headless/i_headless.h"

class THeadlessShow {
 public:
  // args are the show's options (the program path is added in front).
  // clockStart is the virtual count when the timer is enabled.
  THeadlessShow(const std::vector<std::string>& args, std::optional<uint32_t> seed, uint32_t clockStart = 0,
                TPixelLayout layout = TPixelLayout::Layout565, IFontEngine* fonts = nullptr);

  // Program start up to the enabled timer; false if the program ended there.
  bool Start();
  // One tick whose work takes workMs virtual milliseconds. The tick begins
  // max(40, work of the tick before) after the one before.
  void Tick(uint32_t workMs);
  bool Ended() const { return Host.Terminated; }
  uint32_t TickStart() const { return NextStart; }

  THeadlessHost Host;
  THeadlessDisplay Display;
  std::unique_ptr<TForm1> Form;

 private:
  std::unique_ptr<IFontEngine> OwnFonts;
  uint32_t NextStart = 0;
};
