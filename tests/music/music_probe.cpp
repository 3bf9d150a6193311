// The real form on the headless display, with the music on the default
// output (SDL) or none, for the tests that need the process to end:
//   music_probe [--wrong-version] [--device N] [--ticks N] [-- show options]
// Prints one line per presented frame.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "music/bass_seams.h"
#include "platform/headless/headless_show.h"

int main(int argc, char** argv) {
  std::vector<std::string> showArgs;
  int32_t device = -1;
  int ticks = 10;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--wrong-version") OverrideReportedVersion(0x00020004);
    else if (a == "--device" && i + 1 < argc) device = std::atoi(argv[++i]);
    else if (a == "--ticks" && i + 1 < argc) ticks = std::atoi(argv[++i]);
    else if (a == "--") {
      showArgs.assign(argv + i + 1, argv + argc);
      break;
    }
  }
  THeadlessShow show(showArgs, 1u);
  show.Host.Device = device;
  int frames = 0;
  show.Display.OnPresent = [&](const TSurface&) { std::printf("frame %d\n", ++frames); };
  if (!show.Start()) return 0;
  for (int t = 0; t < ticks && !show.Ended(); ++t) show.Tick(0);
  return 0;
}
