// The music component: the calls the show makes to play its module, on
// libopenmpt for decoding and an audio output supplied by the platform.
//
// The component's own choices:
// - BASS_GetVersion reports 0x00080000.
// - BASS_Init: device -1 (or 1) opens the system output registered by the
//   platform (see music/audio_output.h); device 0 opens no output and the
//   music is pulled with MusicDecode. A second BASS_Init without BASS_Free
//   succeeds and starts clean: whatever was loaded and playing is stopped and
//   released first, so one copy of the music plays after a restart.
// - BASS_MusicLoad opens the file by the name given, adding no directory;
//   flag 4 loops the music at its end. It returns 0 for a file that is
//   missing, unreadable, a directory or not a module libopenmpt accepts.
// - BASS_ChannelSetSync type 1, "instrument played": the low word of param is
//   the instrument (1 = the first), the high word the note (0 = C-0, 12 per
//   octave, as the module's own format names its notes; 0xFFFF = any note).
//   The callback runs once per row that starts such a note, when the row's
//   first sample is heard, on the component's own thread (with an output)
//   or inside MusicDecode (without).
// - Failures are results: nothing is thrown and nothing is written to stderr.
#pragma once
#include <cstddef>
#include <cstdint>

using HMUSIC = uint32_t;
using HSYNC = uint32_t;
using SYNCPROC = void (*)(uint32_t handle, uint32_t channel, uint32_t data, void* user);

constexpr uint32_t BASS_SYNC_MUSICINST = 1;
constexpr uint32_t BASS_MUSIC_LOOP = 4;

uint32_t BASS_GetVersion();
bool BASS_Init(int32_t device, uint32_t freq, uint32_t flags, void* window);
HMUSIC BASS_MusicLoad(bool mem, const char* file, uint32_t offset, uint32_t length, uint32_t flags);
HSYNC BASS_ChannelSetSync(uint32_t handle, uint32_t type, uint32_t param, SYNCPROC proc, void* user);
bool BASS_Start();
// pos: low word the order, high word the row. flags -1 keeps the load flags.
bool BASS_MusicPlayEx(HMUSIC handle, uint32_t pos, int32_t flags, int32_t reset);
// False when nothing was initialised; harmless in every state.
bool BASS_Free();

// Without an output (device 0): renders the next frames of everything that
// plays (interleaved stereo, 16-bit) and runs the callbacks of the syncs whose
// rows begin in them, before it returns. Returns the frames written: frames,
// or 0 when the component is not initialised without an output.
size_t MusicDecode(int16_t* stereo, size_t frames);
