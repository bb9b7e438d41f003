// Comparing and searching fixed-length text.
#pragma once

#include <cstdint>
#include <string_view>

namespace imm {

// First position of ch within the trimmed length; -1 when absent.
std::int64_t s_chr_index(std::string_view s, char ch);

// The trimmed length, as s_len_trim.
std::int64_t s_trim_len(std::string_view s);
std::int64_t lenstr(std::string_view s);

// Position of the last non-blank; the full length for an all-blank string.
std::int64_t length(std::string_view s);
std::int64_t nlength(std::string_view s);

// Equal over the common length (ignoring case, or respecting it); the rest of the
// longer string must be blanks.
bool s_eqi(std::string_view s1, std::string_view s2);
bool s_case_eqi(std::string_view s1, std::string_view s2);

// First position of sub in s, both trimmed (an all-blank side taken whole), ignoring or
// respecting case; 0 when absent.
std::int64_t s_indexi(std::string_view s, std::string_view sub);
std::int64_t s_case_indexi(std::string_view s, std::string_view sub);
// Last position of sub in s, same trimming, respecting case; 0 when absent.
std::int64_t s_index_last(std::string_view s, std::string_view sub);

// Parentheses nest on the first 255 characters without blanks and TABs, and neither
// "()" nor ")(" occurs.
bool s_paren_check(std::string_view s);
// As many "(" as ")" within the trimmed length.
bool parenthesescheck(std::string_view s);

}  // namespace imm
