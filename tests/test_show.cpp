// The whole show, scene 1 to the tick that ends it, and its restart under
// "-loop"; the headless runner gives the same trace on every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/headless/headless_show.h"

namespace {

// Frames per scene with every frame under 40 ms: the first frame of the
// program has TimeStep 0, so scene 1 takes 631 frames (clock 1 to 631) and
// the tick on which Scene is 8 ends the show.
const std::map<unsigned, int> SceneTicks = {{1, 631}, {2, 14}, {3, 400}, {4, 15},
                                            {5, 1201}, {6, 15}, {7, 690}, {8, 1}};
constexpr int ShowTicks = 631 + 14 + 400 + 15 + 1201 + 15 + 690 + 1;

std::string Output(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

}  // namespace

TEST(WholeShow, PlaysEverySceneInOrderAndEnds) {
  static_assert(ShowTicks == 2967);
  THeadlessShow show({"-nosound"}, 1u);
  ASSERT_TRUE(show.Start());
  std::map<unsigned, int> ticks;
  std::vector<unsigned> order;
  int total = 0;
  while (!show.Ended() && total < 10000) {
    const unsigned scene = show.Form->Scene;
    if (order.empty() || order.back() != scene) order.push_back(scene);
    ++ticks[scene];
    show.Tick(0);
    ++total;
  }
  EXPECT_TRUE(show.Ended());
  EXPECT_EQ(total, ShowTicks);
  EXPECT_EQ(order, (std::vector<unsigned>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(ticks, SceneTicks);
}

TEST(WholeShow, LoopStartsOverAtSceneOneWithFreshState) {
  THeadlessShow show({"-nosound", "-loop"}, 1u);
  ASSERT_TRUE(show.Start());
  // The swarm and band of the first reset.
  TGlow glows[41];
  TStreak streaks[281];
  std::copy(std::begin(show.Form->Glows), std::end(show.Form->Glows), glows);
  std::copy(std::begin(show.Form->Streaks), std::end(show.Form->Streaks), streaks);
  for (int t = 0; t < ShowTicks; ++t) show.Tick(0);
  const TForm1& f = *show.Form;
  ASSERT_FALSE(show.Ended());
  EXPECT_EQ(f.Scene, 1);
  EXPECT_EQ(f.Scene1Clock, 1.0);
  EXPECT_EQ(f.Scene5Position, 0.0);
  EXPECT_EQ(f.Scene7Clock, 1.0);
  EXPECT_FALSE(f.GlowsRenewed);
  // The same seed gives the same swarm and band again: nothing carries over.
  for (int i = 1; i <= 40; ++i) {
    EXPECT_EQ(f.Glows[i].X, glows[i].X);
    EXPECT_EQ(f.Glows[i].Y, glows[i].Y);
    EXPECT_EQ(f.Glows[i].Angle, glows[i].Angle);
  }
  for (int i = 100; i <= 280; ++i) {
    EXPECT_EQ(f.Streaks[i].StreakX, streaks[i].StreakX);
    EXPECT_EQ(f.Streaks[i].Kind, streaks[i].Kind);
  }
  // The restart frame was timed at 1.0, so scene 1 now runs 630 frames.
  int frames = 0;
  while (show.Form->Scene == 1 && frames < 1000) {
    show.Tick(0);
    ++frames;
  }
  EXPECT_EQ(frames, 630);
  EXPECT_EQ(show.Form->Scene, 2);
}

TEST(WholeShow, RunnerTraceIsTheSameOnEveryRun) {
  const std::string command = std::string(DM_CAPTURE) + " --seed 1 --trace -- -nosound";
  const std::string a = Output(command), b = Output(command);
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(a, b);
  int lines = 0;
  for (char ch : a) lines += ch == '\n';
  EXPECT_EQ(lines, ShowTicks);
  const size_t last = a.rfind("frame=");
  ASSERT_NE(last, std::string::npos);
  EXPECT_EQ(a.compare(last, 24, "frame=2967 scene=8 step="), 0) << a.substr(last);
}
