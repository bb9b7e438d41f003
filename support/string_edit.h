// Editing fixed-length text in place: shifting, inserting, deleting and replacing characters.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace imm {

// Shifts right for n > 0, left for n < 0, blanks entering; |n| of the length or more blanks s.
void shiftstr(std::string& s, std::int64_t n);
// Inserts s2 without its trailing blanks at position pos; text pushed past the end is lost.
void insertstr(std::string& s, std::string_view s2, std::int64_t pos);
// Keeps only codes 33-255, left-aligned.
void removesp(std::string& s);

// Moves the trimmed text to the right end.
void s_adjustr(std::string& s);
// As s_adjustl.
void s_left(std::string& s);
// As s_blank_delete.
void s_del_blank(std::string& s);
// As s_blank_delete, removing "<" and ">", or "{" and "}".
void s_del_abrackets(std::string& s);
void s_del_braces(std::string& s);

// Over the whole length: TABs become blanks, leading blanks go, runs of blanks become one.
void s_blanks_delete(std::string& s);
// Every TAB becomes a blank.
void s_tab_blank(std::string& s);
// Within the trimmed length, white space (ch_is_space) or control characters become blanks.
void s_whitespace_blank(std::string& s);
void s_control_blank(std::string& s);
// Within the trimmed length every c1 becomes c2.
void s_replace_ch(std::string& s, char c1, char c2);
void s_replace_ch1(std::string& s, char c1, char c2);

// Deletes the first occurrence of sub (without its trailing blanks) and closes up.
// A blank sub deletes nothing.
void delsubstr(std::string& s, std::string_view sub);
// Deletes every occurrence.
void delall(std::string& s, std::string_view sub);

// Copies with the letters changed, except inside text quoted with ' or ".
std::string uppercase(std::string_view s);
std::string lowercase(std::string_view s);

// A 255-character copy of s in which every ch becomes a random digit 0-9 (written as an
// I2 field, whose last character is taken). uniform returns deviates in [0, 1).
std::string replacechr2crand(std::string_view s, char ch, const std::function<double()>& uniform);

}  // namespace imm
