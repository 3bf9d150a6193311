// Command-line options: whole arguments, matched exactly and case-sensitively.
#pragma once
#include <string>
#include <vector>

constexpr const char* OptWindowed = "-windowed";
constexpr const char* OptNoSound = "-nosound";
constexpr const char* OptLoop = "-loop";
// "-scene0" to "-scene7", in table order.
extern const char* const OptScenes[8];
