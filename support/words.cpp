#include "support/words.h"

#include <algorithm>

#include "support/string_search.h"
#include "support/strings.h"

namespace imm {

namespace {

std::string left_adjusted(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

}  // namespace

void word_extract(std::string& s, std::string& word) {
    const auto n = static_cast<std::size_t>(s_len_trim(s));
    assign_fixed(word, "");
    if (n == 0) return;
    const auto begin = s.find_first_not_of(' ');
    auto end = s.find(' ', begin);
    if (end == std::string::npos || end > n) end = n;
    assign_fixed(word, std::string_view(s).substr(begin, end - begin));
    assign_fixed(s, left_adjusted(std::string_view(s).substr(end, n - end)));
}

char word_extract_delim(std::string& s, std::string_view delims, std::string& word) {
    compact(s);
    const auto n = static_cast<std::size_t>(s_len_trim(s));
    std::string before;
    char separator = 0;
    std::size_t rest = n;
    bool escaped = false;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = s[i];
        if (escaped || c == '\\' || delims.find(c) == std::string_view::npos) {
            before.push_back(c);
            escaped = !escaped && c == '\\';
            continue;
        }
        separator = c;
        rest = i + 1;
        if (c == ' ' && i + 1 < n && delims.find(s[i + 1]) != std::string_view::npos) {
            separator = s[i + 1];
            rest = i + 2;
        }
        break;
    }
    assign_fixed(word, before);
    assign_fixed(s, separator == 0 ? std::string() : left_adjusted(std::string_view(s).substr(rest, n - rest)));
    return separator;
}

void word_last_read(std::string_view s, std::string& word) {
    const auto n = static_cast<std::size_t>(s_len_trim(s));
    if (n == 0) {
        assign_fixed(word, "");
        return;
    }
    const auto blank = s.substr(0, n).rfind(' ');
    const auto begin = blank == std::string_view::npos ? 0 : blank + 1;
    assign_fixed(word, s.substr(begin, n - begin));
}

std::string right(std::string_view s, std::int64_t n) {
    std::string result(static_cast<std::size_t>(std::max<std::int64_t>(n, 0)), ' ');
    const auto last = static_cast<std::size_t>(length(s));
    const auto count = std::min(last, result.size());
    assign_fixed(result, s.substr(last - count, count));
    return result;
}

}  // namespace imm
