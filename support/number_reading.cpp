#include "support/number_reading.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "support/real_reading.h"
#include "support/strings.h"
#include "support/unit_table.h"

namespace imm {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// States of the s_to_r4 machine.
enum RealState : std::int64_t {
    start = 1, sign = 2, integer_digits = 3, point = 4, fraction_digits = 5,
    exponent_letter = 6, exponent_sign = 7, exponent_digits = 8, exponent_point = 9,
    exponent_fraction = 10, blank_after = 11, separator = 12,
};

void report_illegal_real(std::string_view s) {
    auto& table = UnitTable::instance();
    table.write_record(console_out_unit, " ");
    table.write_record(console_out_unit, "S_TO_R4 - Serious error!");
    table.write_record(console_out_unit, "  Illegal or nonnumeric input:");
    table.write_record(console_out_unit, "    " + std::string(s.substr(0, static_cast<std::size_t>(s_len_trim(s)))));
}

// The steps of str2real and valsub; false when the text fails.
bool read_real_text(std::string& s, double& value) {
    value = 0.0;
    const auto n = static_cast<std::size_t>(s_len_trim(s));
    if (n == 0) return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (s[i] == 'd' || s[i] == 'D') s[i] = 'e';
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (std::string_view("1234567890+-.eE").find(s[i]) == std::string_view::npos) return false;
    }
    std::string text = s.substr(0, n);
    if (text.find('.') == std::string::npos) {
        const auto e = text.find_first_of("eE");
        text.insert(e == std::string::npos ? text.size() : e, ".");
        assign_fixed(s, text);
    }
    const auto parsed = parse_fortran_real(text);
    if (!parsed) return false;
    value = *parsed;
    return true;
}

}  // namespace

IntegerReading s_to_i(std::string_view s) {
    IntegerReading result;
    const auto n = static_cast<std::size_t>(s_len_trim(s));
    std::size_t i = 0;
    while (i < n && s[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
        while (i < n && s[i] == ' ') ++i;
    }
    if (i == n || !is_digit(s[i])) return {0, 1, 0};
    // Accumulated as a negative number so that the most negative value fits.
    std::int64_t value = 0;
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    for (; i < n && is_digit(s[i]); ++i) {
        const int digit = s[i] - '0';
        if (value < (lowest + digit) / 10) return {0, 1, 0};
        value = value * 10 - digit;
    }
    if (!negative && value == lowest) return {0, 1, 0};
    result.value = negative ? value : -value;
    result.length = static_cast<std::int64_t>(i);
    return result;
}

RealReading s_to_r4(std::string_view s) {
    const auto nchar = static_cast<std::size_t>(s_len_trim(s));
    std::int64_t state = start;
    std::string mantissa;   // sign, digits and point
    std::string exponent;   // sign and digits
    bool exponent_fractional = false;
    std::string exponent_fraction_digits;
    std::size_t length = 0;
    bool terminated = false;
    for (; length < nchar && !terminated; ++length) {
        const char c = s[length];
        if (c == ' ') {
            if (state == exponent_letter || state == exponent_sign) terminated = true;
            else if (state > sign) state = blank_after;
        } else if (c == ',' || c == ';') {
            if (state != start) {
                terminated = true;
                state = separator;
            }
        } else if (c == '-' || c == '+') {
            if (state == start) {
                state = sign;
                if (c == '-') mantissa.push_back('-');
            } else if (state == exponent_letter) {
                state = exponent_sign;
                if (c == '-') exponent.push_back('-');
            } else {
                terminated = true;
            }
        } else if (c == '.') {
            if (state < point) {
                state = point;
                mantissa.push_back('.');
            } else if (state >= exponent_letter && state <= exponent_digits) {
                state = exponent_point;
                exponent_fractional = true;
            } else {
                terminated = true;
            }
        } else if (ch_cap(c) == 'E' || ch_cap(c) == 'D') {
            if (state < exponent_letter) state = exponent_letter;
            else terminated = true;
        } else if (state < blank_after && is_digit(c)) {
            if (state <= sign) state = integer_digits;
            else if (state == point) state = fraction_digits;
            else if (state == exponent_letter || state == exponent_sign) state = exponent_digits;
            else if (state == exponent_point) state = exponent_fraction;
            if (state == integer_digits || state == fraction_digits) mantissa.push_back(c);
            else if (state == exponent_digits) exponent.push_back(c);
            else exponent_fraction_digits.push_back(c);
        } else {
            terminated = true;
        }
        // A terminating character other than a comma or semicolon is not used.
        if (terminated && state != separator) break;
    }
    RealReading result;
    result.length = static_cast<std::int64_t>(length);
    if (state == start || state == sign || state == exponent_letter || state == exponent_sign) {
        result.ierror = state;
        report_illegal_real(s);
        return result;
    }
    // The mantissa read exactly, then scaled by the exponent.
    double value = parse_fortran_real(mantissa).value_or(0.0);
    const bool has_exponent = exponent.find_first_of("0123456789") != std::string::npos ||
                              !exponent_fraction_digits.empty();
    if (has_exponent && !exponent_fractional) {
        value = parse_fortran_real(mantissa + "e" + exponent).value_or(0.0);
    } else if (has_exponent) {
        double power = std::fabs(parse_fortran_real(exponent).value_or(0.0)) +
                       parse_fortran_real("." + exponent_fraction_digits).value_or(0.0);
        if (!exponent.empty() && exponent[0] == '-') power = -power;
        value *= std::pow(10.0, power);
    }
    result.value = value;
    return result;
}

std::int64_t s_to_r4vec(std::string_view s, std::span<double> values) {
    std::size_t begin = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const RealReading reading = s_to_r4(s.substr(std::min(begin, s.size())));
        if (reading.ierror != 0) return -static_cast<std::int64_t>(i + 1);
        values[i] = reading.value;
        begin += static_cast<std::size_t>(reading.length);
    }
    return 0;
}

double str2real(std::string& s) {
    double value = 0.0;
    read_real_text(s, value);
    return value;
}

void valsub(std::string& s, double& value, std::int64_t& ierr) {
    ierr = read_real_text(s, value) ? 0 : 1;
}

std::int64_t str2int(std::string& s) {
    const double value = std::round(str2real(s));
    if (value >= 9223372036854775808.0) return std::numeric_limits<std::int64_t>::max();
    if (value < -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

std::int64_t write_str_dr(std::string_view s, double& r) {
    const std::string_view text = s.substr(0, static_cast<std::size_t>(s_len_trim(s)));
    if (text.find_first_of("Ee") != std::string_view::npos && (text.empty() || !is_digit(text.back()))) return 3;
    return read_free_real(text, r);
}

std::int64_t write_str_di(std::string_view s, std::int64_t& i) {
    double r = static_cast<double>(i);
    const std::int64_t status = write_str_dr(s, r);
    if (status != io_ok) return status;
    if (!(std::fabs(r) < 9223372036854775808.0)) return 15;
    i = static_cast<std::int64_t>(std::round(r));
    return io_ok;
}

}  // namespace imm
