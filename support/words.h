// Taking words out of fixed-length text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace imm {

// Moves the first blank-delimited word of s into word; the rest is left-adjusted in s.
// A blank s gives a blank word.
void word_extract(std::string& s, std::string& word);

// On the compacted s, the text before the first character of delims goes into word; a
// backslash stays in the word and makes the next character ordinary; a blank followed by
// another delimiter counts as that one. The rest after the delimiter is left-adjusted in
// s, which becomes blank when no delimiter occurs. Returns the delimiter, or 0 when none.
char word_extract_delim(std::string& s, std::string_view delims, std::string& word);

// The last blank-delimited word within the trimmed length; blank for a blank s.
void word_last_read(std::string_view s, std::string& word);

// The last n characters up to the last non-blank (length rules), in a text of n characters.
std::string right(std::string_view s, std::int64_t n);

}  // namespace imm
