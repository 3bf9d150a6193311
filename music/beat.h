// The beat level that two scenes read, and the callback that raises it.
#pragma once
#include <atomic>
#include <cstdint>

// 240 after each reset and each sync point of the music. Shared with the
// music thread: whole-value loads and stores, no lock, no ordering.
extern std::atomic<int32_t> BeatLevel;
// How many times BeatSync has run since the program started (for the trace).
extern std::atomic<uint32_t> BeatSyncCount;

inline int32_t LoadBeat() { return BeatLevel.load(std::memory_order_relaxed); }
inline void StoreBeat(int32_t v) { BeatLevel.store(v, std::memory_order_relaxed); }

// Called by the music component at each sync point, on any thread.
void BeatSync(uint32_t handle, uint32_t channel, uint32_t data, void* user);
