#include "support/characters.h"

#include "support/strings.h"

namespace imm {

bool ch_is_control(char ch) {
    const auto code = static_cast<unsigned char>(ch);
    return code < 32 || code > 126;
}

bool ch_is_space(char ch) {
    return ch == ' ' || ch == '\f' || ch == '\n' || ch == '\r' || ch == '\t' || ch == '\v';
}

bool ch_is_digit(char ch) { return ch >= '0' && ch <= '9'; }

std::int64_t ch_to_digit(char ch) {
    if (ch_is_digit(ch)) return ch - '0';
    return ch == ' ' ? 0 : -1;
}

char dig_to_chr(std::int64_t digit) {
    return digit >= 0 && digit <= 9 ? static_cast<char>('0' + digit) : '*';
}

char ch_capf(char ch) { return ch_cap(ch); }

void ch_caps(char& ch) { ch = ch_cap(ch); }

bool ch_eqi(char a, char b) { return ch_cap(a) == ch_cap(b); }

}  // namespace imm
