#include "support/string_search.h"

#include <algorithm>
#include <string>

#include "support/strings.h"

namespace imm {

namespace {

std::string_view trimmed_or_whole(std::string_view s) {
    const auto n = s_len_trim(s);
    return n == 0 ? s : s.substr(0, static_cast<std::size_t>(n));
}

template <typename Equal>
bool equal_padded(std::string_view s1, std::string_view s2, Equal equal) {
    const auto common = std::min(s1.size(), s2.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (!equal(s1[i], s2[i])) return false;
    }
    const std::string_view rest = s1.size() > s2.size() ? s1.substr(common) : s2.substr(common);
    return rest.find_first_not_of(' ') == std::string_view::npos;
}

bool equal_ignoring_case(char a, char b) { return ch_cap(a) == ch_cap(b); }
bool equal_with_case(char a, char b) { return a == b; }

template <typename Equal>
std::int64_t first_index(std::string_view s, std::string_view sub, Equal equal) {
    const std::string_view text = trimmed_or_whole(s);
    const std::string_view pattern = trimmed_or_whole(sub);
    if (pattern.empty() || pattern.size() > text.size()) return 0;
    for (std::size_t i = 0; i + pattern.size() <= text.size(); ++i) {
        if (std::equal(pattern.begin(), pattern.end(), text.begin() + static_cast<std::ptrdiff_t>(i), equal)) {
            return static_cast<std::int64_t>(i) + 1;
        }
    }
    return 0;
}

}  // namespace

std::int64_t s_chr_index(std::string_view s, char ch) {
    const auto position = ch_index(s, ch);
    return position == 0 ? -1 : position;
}

std::int64_t s_trim_len(std::string_view s) { return s_len_trim(s); }
std::int64_t lenstr(std::string_view s) { return s_len_trim(s); }

std::int64_t length(std::string_view s) {
    const auto n = s_len_trim(s);
    return n == 0 ? static_cast<std::int64_t>(s.size()) : n;
}
std::int64_t nlength(std::string_view s) { return length(s); }

bool s_eqi(std::string_view s1, std::string_view s2) { return equal_padded(s1, s2, equal_ignoring_case); }
bool s_case_eqi(std::string_view s1, std::string_view s2) { return equal_padded(s1, s2, equal_with_case); }

std::int64_t s_indexi(std::string_view s, std::string_view sub) { return first_index(s, sub, equal_ignoring_case); }
std::int64_t s_case_indexi(std::string_view s, std::string_view sub) { return first_index(s, sub, equal_with_case); }

std::int64_t s_index_last(std::string_view s, std::string_view sub) {
    const std::string_view text = trimmed_or_whole(s);
    const std::string_view pattern = trimmed_or_whole(sub);
    if (pattern.empty()) return 0;
    const auto position = text.rfind(pattern);
    return position == std::string_view::npos ? 0 : static_cast<std::int64_t>(position) + 1;
}

bool s_paren_check(std::string_view s) {
    std::string text(s.substr(0, std::min<std::size_t>(s.size(), 255)));
    s_blank_delete(text);
    if (text.find("()") != std::string::npos || text.find(")(") != std::string::npos) return false;
    std::int64_t depth = 0;
    for (const char c : text) {
        if (c == '(') ++depth;
        if (c == ')' && --depth < 0) return false;
    }
    return depth == 0;
}

bool parenthesescheck(std::string_view s) {
    const std::string_view text = s.substr(0, static_cast<std::size_t>(s_len_trim(s)));
    return std::count(text.begin(), text.end(), '(') == std::count(text.begin(), text.end(), ')');
}

}  // namespace imm
