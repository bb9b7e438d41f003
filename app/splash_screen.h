// The splash window shown at start-up: the program's name, a short description,
// a disclaimer and the version, for at most 10 seconds.
#pragma once

#include <cstdint>
#include <string>

namespace imm {

// The splash text, lines joined by CR LF.
std::string splash_text();

// Opens a window with the text and waits seconds x 2000 ms, or less when the
// window is woken (a menu choice or its frame's close button); then closes it
// and makes the calling thread's own window current.
void splashscreen(const std::string& title, const std::string& text, std::int64_t seconds);

// The start-up splash; the main window is current again afterwards.
void splash();

}  // namespace imm
