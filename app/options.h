// Command-line options: whole arguments, matched exactly and case-sensitively.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr const char* OptWindowed = "-windowed";
constexpr const char* OptNoSound = "-nosound";
constexpr const char* OptLoop = "-loop";
// "-scene0" to "-scene7", in table order.
extern const char* const OptScenes[8];

// The options every reset reads again. Each argument, the program's own
// path included, is compared with "-nosound", "-loop", "-scene0" ...
// "-scene7" in that order, and each match takes effect at once: the last
// scene option wins, "-scene0" gives the hidden scene 99.
void ApplyResetOptions(const std::vector<std::string>& args, uint8_t& scene, bool& soundOn, bool& loopShow);
