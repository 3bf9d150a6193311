// Placeholder component until the module player lands: every call succeeds
// and plays nothing.
#include "music/bass.h"

uint32_t BASS_GetVersion() { return 0x00080000; }
bool BASS_Init(int32_t, uint32_t, uint32_t, void*) { return true; }
HMUSIC BASS_MusicLoad(bool, const char*, uint32_t, uint32_t, uint32_t) { return 1; }
HSYNC BASS_ChannelSetSync(uint32_t, uint32_t, uint64_t, SYNCPROC, void*) { return 1; }
bool BASS_Start() { return true; }
bool BASS_MusicPlayEx(HMUSIC, uint32_t, int32_t, int32_t) { return true; }
bool BASS_Free() { return true; }
