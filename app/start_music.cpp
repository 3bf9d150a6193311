// Starts the show's music; any failure ends the program at once, silently.
#include <cstdlib>

#include "app/form.h"
#include "music/bass.h"
#include "music/beat.h"

namespace {
[[noreturn]] void Halt() { std::_Exit(0); }
}  // namespace

void TForm1::StartMusic() {
  if (BASS_GetVersion() != 0x00080000u) Halt();
  if (!BASS_Init(HostRef.MusicDevice(), 44100, 0, HostRef.ForegroundWindow())) Halt();
  MusicHandle = BASS_MusicLoad(false, "driftb.mo3", 0, 0, 5);
  if (MusicHandle == 0) Halt();
  BASS_ChannelSetSync(MusicHandle, 1, 0x00370009, BeatSync, nullptr);
  BASS_Start();
  BASS_MusicPlayEx(MusicHandle, 0, -1, -1);
}
