// The program's own modal message box: an SDL window with the text wrapped
// at word boundaries and one OK button, centred on the screen. SDL's simple
// box runs in a child process where the pointer cannot be hidden, so the
// box is drawn here, on a 16-bit surface, with its own sans-serif text.
#pragma once
#include <SDL.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <cstdint>

// Splits text into display lines no wider than maxWidth pixels, breaking at
// blanks; a word wider than a line is broken between characters. The text
// itself is not changed: the lines, joined with the blanks that were broken
// at, give it back.
std::vector<std::string> WrapText(std::string_view text, int32_t maxWidth,
                                  const std::function<int32_t(std::string_view)>& width);

// Shows the box and returns once it has been closed (Enter, Escape, space,
// a click on OK, or its close box). Events for other windows go to others.
void ShowMessageBox(const char* caption, const std::string& text,
                    const std::function<void(const SDL_Event&)>& others);
