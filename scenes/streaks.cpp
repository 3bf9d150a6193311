// The band of 181 light streaks of the closing scene: each slides right at
// its own speed and jumps back to the left once it has gone its length.
#include "app/form.h"
#include "app/random.h"
#include "app/rounding.h"
#include "render/blend.h"

void TForm1::SetStreakStartValues() {
  StreakLength = 540;
  for (int i = 100; i <= 280; ++i) {
    Streaks[i].StreakX = RandomBelow(StreakLength) + 1;
    Streaks[i].Kind = uint8_t(RandomBelow(3) + 1);
  }
}

void TForm1::DrawStreaks() {
  for (int i = 100; i <= 280; ++i) {
    TStreak& streak = Streaks[i];
    streak.StreakX += streak.Kind * TimeStep;
    if (streak.StreakX > StreakLength) {
      // Back to the start without carrying the excess, with a new speed.
      streak.StreakX = 1.0;
      streak.Kind = uint8_t(RandomBelow(3) + 1);
    }
    const int32_t alpha = RandomBelow(55) + 100;
    const int32_t x = RoundEven(streak.StreakX);
    // The 100 x 100 light squeezed into 20 x 10, trailing its position.
    DrawImageAdd(DXDraw1.Surface, DXImageList1, streak.Kind + 7, SizedRect(x - 70, i, 20, 10), 0, alpha);
  }
}
