// The music component: the calls the show makes to play its module, on
// libopenmpt for decoding and an audio output supplied by the platform.
#pragma once
#include <cstdint>

using HMUSIC = uint32_t;
using HSYNC = uint32_t;
using SYNCPROC = void (*)(uint32_t handle, uint32_t channel, uint32_t data, void* user);

uint32_t BASS_GetVersion();
bool BASS_Init(int32_t device, uint32_t freq, uint32_t flags, void* window);
HMUSIC BASS_MusicLoad(bool mem, const char* file, uint32_t offset, uint32_t length, uint32_t flags);
HSYNC BASS_ChannelSetSync(uint32_t handle, uint32_t type, uint64_t param, SYNCPROC proc, void* user);
bool BASS_Start();
bool BASS_MusicPlayEx(HMUSIC handle, uint32_t pos, int32_t flags, int32_t reset);
bool BASS_Free();
