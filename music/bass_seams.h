// Views into the music component for tests and tools, never used by the show.
#pragma once
#include <cstdint>

// How many times each call has reached the component since the last reset.
struct TMusicCalls {
  uint32_t GetVersion = 0, Init = 0, MusicLoad = 0, SetSync = 0, Start = 0, PlayEx = 0, Free = 0, Decode = 0;
};
TMusicCalls MusicCallCounts();
void ResetMusicCallCounts();

// Makes BASS_GetVersion report another version (0 restores the real one).
void OverrideReportedVersion(uint32_t version);

// Inside a sync callback: the output frame at which the row begins, counted
// from the BASS_Init that opened the output.
uint64_t CurrentSyncFrame();
