// make_pictures OUTDIR: draws the fourteen pictures and writes them as
// OUTDIR/<name>.bmp. The output depends on nothing but this program, so
// running it again reproduces the committed files byte for byte.
#include <cstdio>
#include <exception>
#include <string>

#include "tools/make_pictures/bmp_writer.h"
#include "tools/make_pictures/pictures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_pictures OUTDIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  try {
    for (const pics::Picture& p : pics::DrawAllPictures()) {
      const auto bytes = p.Bits == 24 ? pics::EncodeBmp24(p.Img)
                         : p.Bits == 8 ? pics::EncodeBmp8(p.Img)
                                       : pics::EncodeBmp1(p.Img);
      const std::string path = dir + "/" + p.Name + ".bmp";
      if (!pics::WriteFile(path, bytes)) {
        std::fprintf(stderr, "make_pictures: cannot write %s\n", path.c_str());
        return 1;
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_pictures: %s\n", e.what());
    return 1;
  }
  return 0;
}
