// driftmosaic-capture: runs the show without a window, on a virtual clock.
#include <cstdio>

#include "tools/capture/runner.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  TRunnerOptions options;
  std::string error;
  bool help = false;
  if (!ParseRunnerArgs(args, options, error, help)) {
    std::fprintf(stderr, "driftmosaic-capture: %s\n", error.c_str());
    return 2;
  }
  if (help) {
    std::fputs(RunnerUsage, stdout);
    return 0;
  }
  return RunHeadless(options, argv[0]);
}
