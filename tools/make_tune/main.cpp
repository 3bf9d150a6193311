// make_tune: writes the show's tune as an XM module to the path given.
#include <cstdio>

#include "tools/make_tune/tune/tune.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_tune OUTPUT\n");
    return 2;
  }
  const std::vector<uint8_t> bytes = tune::WriteXm(tune::ComposeTune());
  std::FILE* f = std::fopen(argv[1], "wb");
  if (f == nullptr) {
    std::fprintf(stderr, "make_tune: cannot write %s\n", argv[1]);
    return 1;
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok) {
    std::fprintf(stderr, "make_tune: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
