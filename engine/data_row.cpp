#include "engine/data_row.h"

#include <array>
#include <cmath>

#include "support/real_reading.h"

namespace imm {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_separator(char c) { return c == ' ' || c == '\t'; }

std::size_t skip_digits(std::string_view s, std::size_t i) {
    while (i < s.size() && is_digit(s[i])) ++i;
    return i;
}

}  // namespace

std::optional<double> parse_real_field(std::string_view field) {
    std::size_t i = 0;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) ++i;
    const std::size_t mantissa = i;
    i = skip_digits(field, i);
    std::size_t digits = i - mantissa;
    if (i < field.size() && field[i] == '.') {
        const std::size_t fraction = ++i;
        i = skip_digits(field, i);
        digits += i - fraction;
    }
    if (digits == 0) return std::nullopt;
    if (i < field.size()) {
        if (std::string_view("EeDd").find(field[i]) == std::string_view::npos) return std::nullopt;
        std::size_t j = i + 1;
        if (j < field.size() && (field[j] == '+' || field[j] == '-')) ++j;
        const std::size_t exponent_end = skip_digits(field, j);
        if (exponent_end == j || exponent_end != field.size()) return std::nullopt;
    }
    const auto value = parse_fortran_real(field);
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

std::optional<DataRowValues> parse_data_row(std::string_view line) {
    std::array<double, 3> values{};
    std::size_t i = 0;
    for (double& value : values) {
        while (i < line.size() && is_separator(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !is_separator(line[i])) ++i;
        if (start == i) return std::nullopt;
        const auto parsed = parse_real_field(line.substr(start, i - start));
        if (!parsed) return std::nullopt;
        value = *parsed;
    }
    return DataRowValues{values[0], values[1], values[2]};
}

}  // namespace imm
