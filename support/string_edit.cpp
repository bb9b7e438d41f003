#include "support/string_edit.h"

#include <algorithm>

#include "support/characters.h"
#include "support/fortran_format.h"
#include "support/strings.h"

namespace imm {

namespace {

// Removes the characters that match within the trimmed length, left-aligning the rest.
template <typename Remove>
void delete_within_trimmed(std::string& s, Remove remove) {
    const auto n = static_cast<std::size_t>(s_len_trim(s));
    std::size_t k = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!remove(s[i])) s[k++] = s[i];
    }
    std::fill(s.begin() + static_cast<std::ptrdiff_t>(k), s.begin() + static_cast<std::ptrdiff_t>(n), ' ');
}

template <typename Match>
void blank_within_trimmed(std::string& s, Match match) {
    const auto n = static_cast<std::size_t>(s_len_trim(s));
    for (std::size_t i = 0; i < n; ++i) {
        if (match(s[i])) s[i] = ' ';
    }
}

// Changes letters from..to outside quoted text.
std::string change_case(std::string_view s, char from, char to) {
    std::string result(s);
    const auto n = static_cast<std::size_t>(s_len_trim(s));
    char quote = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = s[i];
        if (quote == 0 && (c == '"' || c == '\'')) {
            quote = c;
        } else if (quote != 0 && c == quote) {
            quote = 0;
        } else if (quote == 0 && c >= from && c <= static_cast<char>(from + 25)) {
            result[i] = static_cast<char>(c - from + to);
        }
    }
    return result;
}

}  // namespace

void shiftstr(std::string& s, std::int64_t n) {
    const auto size = static_cast<std::int64_t>(s.size());
    if (n >= size || n <= -size) {
        std::fill(s.begin(), s.end(), ' ');
    } else if (n > 0) {
        std::copy_backward(s.begin(), s.end() - n, s.end());
        std::fill(s.begin(), s.begin() + n, ' ');
    } else if (n < 0) {
        std::copy(s.begin() - n, s.end(), s.begin());
        std::fill(s.end() + n, s.end(), ' ');
    }
}

void insertstr(std::string& s, std::string_view s2, std::int64_t pos) {
    if (pos < 1 || pos > static_cast<std::int64_t>(s.size())) return;
    const auto n = s_len_trim(s2);
    std::string tail = s.substr(static_cast<std::size_t>(pos - 1));
    shiftstr(tail, n);
    std::copy_n(s2.begin(), std::min<std::size_t>(static_cast<std::size_t>(n), tail.size()), tail.begin());
    std::copy(tail.begin(), tail.end(), s.begin() + (pos - 1));
}

void removesp(std::string& s) {
    std::string kept;
    for (const char c : s) {
        if (static_cast<unsigned char>(c) >= 33) kept.push_back(c);
    }
    assign_fixed(s, kept);
}

void s_adjustr(std::string& s) {
    const auto n = s_len_trim(s);
    shiftstr(s, static_cast<std::int64_t>(s.size()) - n);
}

void s_left(std::string& s) { s_adjustl(s); }

void s_del_blank(std::string& s) { s_blank_delete(s); }

void s_del_abrackets(std::string& s) {
    delete_within_trimmed(s, [](char c) { return c == '<' || c == '>'; });
}

void s_del_braces(std::string& s) {
    delete_within_trimmed(s, [](char c) { return c == '{' || c == '}'; });
}

void s_blanks_delete(std::string& s) {
    char previous = ' ';
    std::size_t k = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i] == '\t' ? ' ' : s[i];
        s[i] = ' ';
        if (previous != ' ' || c != ' ') s[k++] = c;
        previous = c;
    }
}

void s_tab_blank(std::string& s) { std::replace(s.begin(), s.end(), '\t', ' '); }

void s_whitespace_blank(std::string& s) { blank_within_trimmed(s, ch_is_space); }

void s_control_blank(std::string& s) { blank_within_trimmed(s, ch_is_control); }

void s_replace_ch(std::string& s, char c1, char c2) {
    const auto n = s_len_trim(s);
    std::replace(s.begin(), s.begin() + n, c1, c2);
}

void s_replace_ch1(std::string& s, char c1, char c2) { s_replace_ch(s, c1, c2); }

void delsubstr(std::string& s, std::string_view sub) {
    const std::string_view pattern = sub.substr(0, static_cast<std::size_t>(s_len_trim(sub)));
    if (pattern.empty()) return;
    const auto position = s.find(pattern);
    if (position == std::string::npos) return;
    assign_fixed(s, s.substr(0, position) + s.substr(position + pattern.size()));
}

void delall(std::string& s, std::string_view sub) {
    const std::string_view pattern = sub.substr(0, static_cast<std::size_t>(s_len_trim(sub)));
    if (pattern.empty()) return;
    while (s.find(pattern) != std::string::npos) delsubstr(s, pattern);
}

std::string uppercase(std::string_view s) { return change_case(s, 'a', 'A'); }

std::string lowercase(std::string_view s) { return change_case(s, 'A', 'a'); }

std::string replacechr2crand(std::string_view s, char ch, const std::function<double()>& uniform) {
    std::string copy(255, ' ');
    assign_fixed(copy, s);
    for (char& c : copy) {
        if (c != ch) continue;
        const auto digit = static_cast<std::int64_t>(uniform() * 10.0);
        c = format_i(std::clamp<std::int64_t>(digit, 0, 9), 2).back();
    }
    return copy;
}

}  // namespace imm
