#include "engine/data_row.h"

#include <algorithm>
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

// Characters that show as nothing or as a plain blank.
bool invisible(char32_t c) {
    return (c >= 0x80 && c <= 0xA0) || c == 0xAD || c == 0x34F || c == 0x61C || c == 0x115F || c == 0x1160 ||
           c == 0x1680 || c == 0x180E || (c >= 0x2000 && c <= 0x200F) || (c >= 0x2028 && c <= 0x202F) ||
           (c >= 0x205F && c <= 0x206F) || c == 0x3000 || c == 0x3164 || (c >= 0xFE00 && c <= 0xFE0F) ||
           c == 0xFEFF || c == 0xFFA0 || (c >= 0xFFF0 && c <= 0xFFFB);
}

// The length of the well-formed UTF-8 character at s[i] and its code point; 0 when
// the bytes there are not one.
std::size_t utf8_character(std::string_view s, std::size_t i, char32_t& c) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, smallest = 0x10000;
    } else {
        return 0;
    }
    if (i + length > s.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return length;
}

void append_escaped(std::string& out, unsigned char byte) {
    constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
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

namespace {

// The line's fields, parted by any of the characters of `parts`, in turn to `visit`,
// until it returns true; true when it did.
template <typename Visit>
bool any_field(std::string_view line, std::string_view parts, Visit visit) {
    for (std::size_t at = line.find_first_not_of(parts); at != std::string_view::npos;) {
        const std::size_t end = std::min(line.find_first_of(parts, at), line.size());
        if (visit(line.substr(at, end - at))) return true;
        at = line.find_first_not_of(parts, end);
    }
    return false;
}

// Whether one of the line's fields, parted by blanks, TABs, commas or semicolons, is
// a number: a header line of names holds none.
bool holds_numbers(std::string_view line) {
    return any_field(line, " \t,;", [](std::string_view field) { return parse_real_field(field).has_value(); });
}

// The advice of number_format_advice on one line.
std::string line_advice(std::string_view line) {
    constexpr std::string_view blanks = " \t";
    constexpr auto npos = std::string_view::npos;
    std::int64_t fields = 0;
    any_field(line, " \t;", [&](std::string_view) {
        ++fields;
        return false;
    });
    bool separators = false;
    bool decimal_commas = false;
    for (std::size_t at = line.find_first_of(",;"); at != npos; at = line.find_first_of(",;", at + 1)) {
        const std::size_t before = at == 0 ? npos : line.find_last_not_of(blanks, at - 1);
        const std::size_t after = line.find_first_not_of(blanks, at + 1);
        const bool ends_number = before != npos && (is_digit(line[before]) || line[before] == '.');
        const bool starts_number = after != npos && (is_digit(line[after]) || line[after] == '.' ||
                                                     line[after] == '+' || line[after] == '-');
        if (!ends_number || !starts_number) continue;
        // A comma between two digits of one of three or more fields stands for a
        // decimal point; one before a sign starts the next number.
        const bool between_digits =
            before + 1 == at && after == at + 1 && is_digit(line[before]) && is_digit(line[after]);
        if (line[at] == ',' && between_digits && fields >= 3) {
            decimal_commas = true;
        } else {
            separators = true;
        }
    }
    std::string advice;
    if (separators) advice += "\r\nNumbers in a row are separated by blanks or TABs, not by commas or semicolons.";
    if (decimal_commas) advice += "\r\nNumbers are written with a decimal point, not a comma.";
    return advice;
}

}  // namespace

std::string number_format_advice(std::span<const std::string> rows, std::size_t row) {
    const auto numbers = std::find_if(rows.begin(), rows.end(), holds_numbers);
    const auto first_numbers = static_cast<std::size_t>(numbers - rows.begin());
    return line_advice(rows[numbers == rows.end() ? row : std::max(row, first_numbers)]);
}

std::string readable_row(std::string_view line) {
    const std::string_view shown = line.substr(0, kShownRowBytes);
    std::string out;
    std::size_t i = 0;
    while (i < shown.size()) {
        const auto byte = static_cast<unsigned char>(shown[i]);
        char32_t c = 0;
        std::size_t length = 0;
        if (byte >= 0x20 && byte < 0x7F) {
            out += shown[i++];
        } else if (byte == '\t') {
            out += "\\t";
            ++i;
        } else if ((length = utf8_character(line, i, c)) != 0 && !invisible(c)) {
            out += line.substr(i, length);
            i += length;
        } else {
            const std::size_t end = i + std::max<std::size_t>(length, 1);
            for (; i < end; ++i) append_escaped(out, static_cast<unsigned char>(line[i]));
        }
    }
    if (i < line.size()) out += "...";
    return out;
}

}  // namespace imm
