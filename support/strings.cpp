#include "support/strings.h"

#include <algorithm>

namespace imm {

namespace {

bool is_blank_or_tab(char c) { return c == ' ' || c == '\t'; }

// Leading blanks go, the text moves left and blanks fill the end (TABs stay).
void left_adjust_blanks(std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos || first == 0) return;
    std::move(s.begin() + static_cast<std::ptrdiff_t>(first), s.end(), s.begin());
    std::fill(s.end() - static_cast<std::ptrdiff_t>(first), s.end(), ' ');
}

}  // namespace

void assign_fixed(std::string& s, std::string_view text) {
    const auto n = std::min(s.size(), text.size());
    std::copy_n(text.begin(), n, s.begin());
    std::fill(s.begin() + static_cast<std::ptrdiff_t>(n), s.end(), ' ');
}

std::int64_t s_len_trim(std::string_view s) {
    const auto last = s.find_last_not_of(' ');
    return last == std::string_view::npos ? 0 : static_cast<std::int64_t>(last) + 1;
}

std::string_view trimmed(std::string_view text) {
    return text.substr(0, static_cast<std::size_t>(s_len_trim(text)));
}

std::string_view stripped(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : trimmed(text.substr(first));
}

void s_blank_delete(std::string& s) {
    const auto n = static_cast<std::size_t>(s_len_trim(s));
    std::size_t k = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!is_blank_or_tab(s[i])) s[k++] = s[i];
    }
    std::fill(s.begin() + static_cast<std::ptrdiff_t>(k), s.begin() + static_cast<std::ptrdiff_t>(n), ' ');
}

char ch_cap(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 32) : ch; }

void s_cap_string(const std::string& s1, std::string& s2) {
    auto m = static_cast<std::size_t>(s_len_trim(s1));
    if (m == 0) m = s1.size();
    const std::string source = s1.substr(0, m);
    assign_fixed(s2, source);
    const auto n = std::min(s1.size(), s2.size());
    for (std::size_t i = 0; i < n; ++i) s2[i] = ch_cap(s2[i]);
}

void compact(std::string& s) {
    left_adjust_blanks(s);
    const auto q = static_cast<std::size_t>(s_len_trim(s));
    std::string work;
    work.reserve(q);
    bool in_space = false;
    for (std::size_t i = 0; i < q; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 33) {
            work.push_back(s[i]);
            in_space = false;
        } else if (c == ' ' || c == '\t') {
            if (!in_space) work.push_back(' ');
            in_space = true;
        }
    }
    left_adjust_blanks(work);
    assign_fixed(s, work);
}

std::int64_t s_word_count(std::string& s) {
    compact(s);
    const auto n = static_cast<std::size_t>(s_len_trim(s));
    std::int64_t nword = 0;
    bool after_blank = true;
    for (std::size_t i = 0; i < n; ++i) {
        if (s[i] == ' ') {
            after_blank = true;
        } else if (after_blank) {
            ++nword;
            after_blank = false;
        }
    }
    return nword;
}

std::int64_t ch_index(std::string_view s, char ch) {
    const auto pos = s.substr(0, static_cast<std::size_t>(s_len_trim(s))).find(ch);
    return pos == std::string_view::npos ? 0 : static_cast<std::int64_t>(pos) + 1;
}

void s_adjustl(std::string& s) {
    const auto n = static_cast<std::size_t>(s_len_trim(s));
    if (n == 0) return;
    std::size_t j = 0;
    while (j < n && is_blank_or_tab(s[j])) ++j;
    if (j == n) {
        std::fill(s.begin(), s.end(), ' ');
        return;
    }
    if (j == 0) return;
    std::copy(s.begin() + static_cast<std::ptrdiff_t>(j), s.begin() + static_cast<std::ptrdiff_t>(n), s.begin());
    std::fill(s.begin() + static_cast<std::ptrdiff_t>(n - j), s.begin() + static_cast<std::ptrdiff_t>(n), ' ');
}

std::int64_t i4_length(std::int64_t i) {
    std::int64_t length = i < 0 ? 1 : 0;
    do {
        ++length;
        i /= 10;
    } while (i != 0);
    return length;
}

}  // namespace imm
