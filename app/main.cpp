// driftmosaic-b: the show on an SDL2 window or full screen.
#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/form.h"
#include "platform/fonts/i_fonts.h"
#include "platform/sdl/i_system.h"
#include "platform/sdl/i_video.h"

namespace {

void RunShow(std::vector<std::string> args) {
  auto fonts = CreateFontEngine();
  TSdlDisplay display;
  TSdlHost host(display);
  // The application title is the caption of the program's message boxes;
  // the form passes it with each message.
  TForm1 form(std::move(args), host, display, fonts.get());
  form.FormCreate();
  RunMessageLoop(form, host, display);
  form.DXDraw1.Finalize();
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  if (!InitVideo(error)) {
    std::fprintf(stderr, "%s: %s\n", ApplicationTitle, error.c_str());
    SDL_Quit();
    return 0;
  }
  RunShow(std::vector<std::string>(argv, argv + argc));
  SDL_Quit();
  return 0;
}
