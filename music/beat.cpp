#include "music/beat.h"

std::atomic<int32_t> BeatLevel{0};
std::atomic<uint32_t> BeatSyncCount{0};

void BeatSync(uint32_t, uint32_t, uint32_t, void*) {
  StoreBeat(240);
  BeatSyncCount.fetch_add(1, std::memory_order_relaxed);
}
