#include "support/real_reading.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "support/unit_table.h"

namespace imm {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool equals_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '/'; }

}  // namespace

std::optional<double> parse_fortran_real(std::string_view text) {
    std::string s;
    for (const char c : text) {
        if (c != ' ') s.push_back(c);
    }
    std::size_t i = 0;
    const bool negative = i < s.size() && s[i] == '-';
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;

    const std::string_view rest = std::string_view(s).substr(i);
    if (equals_ignoring_case(rest, "inf") || equals_ignoring_case(rest, "infinity")) {
        return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    }
    if (equals_ignoring_case(rest, "nan")) return std::numeric_limits<double>::quiet_NaN();

    // Normalised text for std::from_chars: digits, point, "e", exponent.
    std::string normal = "0";
    bool point = false;
    for (; i < s.size(); ++i) {
        if (is_digit(s[i])) {
            normal.push_back(s[i]);
        } else if (s[i] == '.' && !point) {
            normal.push_back('.');
            point = true;
        } else {
            break;
        }
    }
    if (i < s.size()) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
        if (c == 'E' || c == 'D' || c == 'Q') ++i;
        else if (c != '+' && c != '-') return std::nullopt;
        std::string exponent;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) exponent.push_back(s[i++]);
        const std::size_t first_digit = i;
        while (i < s.size() && is_digit(s[i])) exponent.push_back(s[i++]);
        if (i == first_digit || i != s.size()) return std::nullopt;
        normal += "e" + exponent;
    }
    double value = 0.0;
    const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Exponent beyond the range of a double: overflow or underflow.
        const auto e = normal.find('e');
        value = (e != std::string::npos && normal[e + 1] == '-') ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (result.ec != std::errc() || result.ptr != normal.data() + normal.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::int64_t read_free_real(std::string_view text, double& value) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i == text.size()) return io_end;
    if (text[i] == ',' || text[i] == ';' || text[i] == '/') return io_ok;  // null value
    std::size_t end = i;
    while (end < text.size() && !is_separator(text[end])) ++end;
    std::string_view token = text.substr(i, end - i);
    if (const auto star = token.find('*'); star != std::string_view::npos) {
        const std::string_view count = token.substr(0, star);
        std::int64_t repeat = 0;
        const auto [ptr, ec] = std::from_chars(count.data(), count.data() + count.size(), repeat);
        if (ec != std::errc() || ptr != count.data() + count.size() || repeat < 1) return io_read_failed;
        token = token.substr(star + 1);
        if (token.empty()) return io_ok;  // "r*" is r null values
    }
    bool has_digit = false;
    for (const char c : token) has_digit = has_digit || is_digit(c);
    const auto parsed = parse_fortran_real(token);
    if (!parsed || (!has_digit && !std::isnan(*parsed) && !std::isinf(*parsed))) return io_read_failed;
    value = *parsed;
    return io_ok;
}

}  // namespace imm
