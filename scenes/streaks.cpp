// The band of 181 light streaks of the closing scene.
#include "app/form.h"
#include "app/random.h"

void TForm1::SetStreakStartValues() {
  StreakLength = 540;
  for (int i = 100; i <= 280; ++i) {
    Streaks[i].StreakX = RandomBelow(StreakLength) + 1;
    Streaks[i].Kind = uint8_t(RandomBelow(3) + 1);
  }
}

void TForm1::DrawStreaks() {}
