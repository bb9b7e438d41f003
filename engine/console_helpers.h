// Small console helpers: a prompt with an answer, and a number text from the time of day.
#pragma once

#include <string>
#include <string_view>

namespace imm {

// Writes " prompt " (prompt trimmed) without a line end, reads a line of up to 70
// characters from the console and stores it in answer (fixed length, blank-padded);
// a blank answer leaves answer as it was.
void getstr(std::string_view prompt, std::string& answer);

// A six-character number text from the local time of day, right-aligned, stored in
// text (fixed length).
void fileno(std::string& text);

// fileno for a given time of day hhmmss.
std::string fileno_text(int hhmmss);

}  // namespace imm
