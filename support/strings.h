// Operations on fixed-length, blank-padded text. The size of the std::string is
// its fixed length; routines that change a string keep that length. Blank means
// the space character only; positions are 1-based.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace imm {

// Assigns text to a fixed-length string: blank-padded or cut on the right.
void assign_fixed(std::string& s, std::string_view text);

// Position of the last character that is not a blank; 0 when there is none.
std::int64_t s_len_trim(std::string_view s);

// Text without its trailing blanks.
std::string_view trimmed(std::string_view text);

// Text without its leading and trailing blanks.
std::string_view stripped(std::string_view text);

// Removes blanks and TABs up to the trimmed length, left-aligning the rest.
void s_blank_delete(std::string& s);

// Upper case of a letter a-z; any other character unchanged.
char ch_cap(char ch);

// Copies s1 (trimmed, or whole when all blank) into s2 in upper case; s2 may be s1.
void s_cap_string(const std::string& s1, std::string& s2);

// Words separated by single blanks, no leading white space, control characters dropped.
void compact(std::string& s);

// Compacts s in place and returns its number of words.
std::int64_t s_word_count(std::string& s);

// First position of ch within the trimmed length; 0 when absent.
std::int64_t ch_index(std::string_view s, char ch);

// Moves the text after leading blanks and TABs to the left end.
void s_adjustl(std::string& s);

// Number of characters the integer needs when printed.
std::int64_t i4_length(std::int64_t i);

}  // namespace imm
