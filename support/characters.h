// Character classes and conversions of the string library.
#pragma once

#include <cstdint>

namespace imm {

bool ch_is_control(char ch);  // codes below 32 or above 126
bool ch_is_space(char ch);    // blank, form feed, line feed, carriage return, TAB, vertical tab
bool ch_is_digit(char ch);    // "0" to "9"

// Value of a digit; a blank gives 0, anything else -1.
std::int64_t ch_to_digit(char ch);
// Digit character of 0 to 9; "*" for any other value.
char dig_to_chr(std::int64_t digit);

// Upper case of a letter a-z, as a function result or in place.
char ch_capf(char ch);
void ch_caps(char& ch);

// Equal ignoring case.
bool ch_eqi(char a, char b);

}  // namespace imm
