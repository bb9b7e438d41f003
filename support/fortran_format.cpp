#include "support/fortran_format.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>

namespace imm {

namespace {

void check_width(int w, int d) {
    if (w < 1 || d < 0) throw std::invalid_argument("bad field width or decimals");
}

std::string asterisks(int w) { return std::string(static_cast<std::size_t>(w), '*'); }

std::string right_justify(const std::string& text, int w) {
    if (static_cast<int>(text.size()) > w) return asterisks(w);
    return std::string(static_cast<std::size_t>(w) - text.size(), ' ') + text;
}

// NaN and infinities: the long word when it fits, else the short one, else asterisks.
std::string format_nonfinite(double v, int w) {
    if (std::isnan(v)) return right_justify("NaN", w);
    const std::string sign = v < 0 ? "-" : "";
    const std::string full = sign + "Infinity";
    if (static_cast<int>(full.size()) <= w) return right_justify(full, w);
    return right_justify(sign + "Inf", w);
}

// |v| through std::to_chars in the given form; the result never has a sign.
std::string magnitude_text(double v, std::chars_format form, int precision) {
    // Fixed form of the largest double needs 309 digits before the point.
    std::string buffer(static_cast<std::size_t>(precision) + 340, '\0');
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(v), form, precision);
    if (result.ec != std::errc()) throw std::invalid_argument("number too long to format");
    buffer.resize(static_cast<std::size_t>(result.ptr - buffer.data()));
    return buffer;
}

// Splits "d.dddde+xx" into its digits (point removed) and its exponent.
void split_scientific(const std::string& text, std::string& digits, int& exponent) {
    const auto e = text.find('e');
    digits.clear();
    for (std::size_t i = 0; i < e; ++i) {
        if (text[i] != '.') digits.push_back(text[i]);
    }
    const char* first = text.data() + e + 1;
    if (*first == '+') ++first;
    std::from_chars(first, text.data() + text.size(), exponent);
}

// "E+05", "E-12", or without the letter "+100", "-307" for three digits.
std::string exponent_text(int exponent) {
    const char sign = exponent < 0 ? '-' : '+';
    const int magnitude = std::abs(exponent);
    std::array<char, 8> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), magnitude).ptr;
    std::string number(digits.data(), end);
    if (magnitude <= 99) {
        if (number.size() < 2) number.insert(0, "0");
        return std::string("E") + sign + number;
    }
    return std::string(1, sign) + number;
}

std::string sign_text(double v) { return std::signbit(v) ? "-" : ""; }

// Drops the zero of a leading "0." when the field would not fit otherwise.
std::string fit_leading_zero(const std::string& sign, std::string body, int w, bool may_drop) {
    if (static_cast<int>(sign.size() + body.size()) > w && may_drop && body.rfind("0.", 0) == 0) {
        body.erase(0, 1);
    }
    return right_justify(sign + body, w);
}

}  // namespace

std::string format_i(std::int64_t v, int w) {
    check_width(w, 0);
    std::array<char, 24> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v).ptr;
    return right_justify(std::string(buffer.data(), end), w);
}

std::string format_f(double v, int w, int d) {
    check_width(w, d);
    if (!std::isfinite(v)) return format_nonfinite(v, w);
    std::string body = magnitude_text(v, std::chars_format::fixed, d);
    if (d == 0) body.push_back('.');
    return fit_leading_zero(sign_text(v), body, w, d > 0);
}

std::string format_f_or_exponent(double v, int w, int d) {
    const std::string fixed = format_f(v, w, d);
    if (!std::isfinite(v) || fixed != asterisks(w)) return fixed;
    return format_exponent_of_width(v, w);
}

std::string format_f_readable(double v, int w, int d) {
    return too_few_digits_in_fixed(v, d) ? format_exponent_of_width(v, w) : format_f_or_exponent(v, w, d);
}

bool too_few_digits_in_fixed(double v, int d) {
    if (d < 0) throw std::invalid_argument("negative decimals");
    if (v == 0.0 || !std::isfinite(v)) return false;
    const std::string fixed = magnitude_text(v, std::chars_format::fixed, d);
    const std::size_t first = fixed.find_first_not_of("0.");
    if (first == std::string::npos) return true;
    const std::size_t point = fixed.find('.');
    const bool point_after = point != std::string::npos && point > first;
    return fixed.size() - first - (point_after ? 1 : 0) < 3;
}

std::string format_exponent_of_width(double v, int w) {
    check_width(w, 0);
    if (!std::isfinite(v)) return format_nonfinite(v, w);
    // The most digits after the point that leave room for the sign, "d." and "E+xx".
    for (int digits = std::max(w - 7, 0); digits >= 0; --digits) {
        std::string text = sign_text(v) + magnitude_text(v, std::chars_format::scientific, digits);
        text[text.find('e')] = 'E';
        if (static_cast<int>(text.size()) <= w) return right_justify(text, w);
    }
    return asterisks(w);
}

std::string format_e(double v, int w, int d) {
    check_width(w, d);
    if (d == 0) throw std::invalid_argument("E field needs at least one digit");
    if (!std::isfinite(v)) return format_nonfinite(v, w);
    std::string digits;
    int exponent = 0;
    split_scientific(magnitude_text(v, std::chars_format::scientific, d - 1), digits, exponent);
    if (v != 0.0) ++exponent;
    return fit_leading_zero(sign_text(v), "0." + digits + exponent_text(exponent), w, true);
}

std::string format_es(double v, int w, int d) {
    check_width(w, d);
    if (!std::isfinite(v)) return format_nonfinite(v, w);
    std::string digits;
    int exponent = 0;
    split_scientific(magnitude_text(v, std::chars_format::scientific, d), digits, exponent);
    const std::string body = digits.substr(0, 1) + "." + digits.substr(1) + exponent_text(exponent);
    return right_justify(sign_text(v) + body, w);
}

std::string format_g(double v, int w, int d) {
    check_width(w, d);
    if (d == 0) throw std::invalid_argument("G field needs at least one digit");
    if (!std::isfinite(v)) return format_nonfinite(v, w);
    if (w <= 4) return asterisks(w);
    const std::string blanks(4, ' ');
    if (v == 0.0) return format_f(v, w - 4, d - 1) + blanks;
    std::string digits;
    int exponent = 0;
    split_scientific(magnitude_text(v, std::chars_format::scientific, d - 1), digits, exponent);
    const int k = exponent + 1;  // digits before the point once rounded
    if (k >= 0 && k <= d) return format_f(v, w - 4, d - k) + blanks;
    return format_e(v, w, d);
}

FieldFormat parse_field_format(std::string_view text) {
    const auto invalid = [&] { return std::invalid_argument("unusable format: " + std::string(text)); };
    std::string s;
    for (const char c : text) {
        if (c != ' ') s.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    while (s.size() >= 2 && s.front() == '(' && s.back() == ')') s = s.substr(1, s.size() - 2);

    FieldFormat format;
    std::size_t pos = 0;
    if (s.rfind("ES", 0) == 0) {
        format.kind = FieldFormat::Kind::scientific;
        pos = 2;
    } else if (!s.empty() && std::string_view("IFEG").find(s[0]) != std::string_view::npos) {
        format.kind = s[0] == 'I' ? FieldFormat::Kind::integer
                    : s[0] == 'F' ? FieldFormat::Kind::fixed
                    : s[0] == 'E' ? FieldFormat::Kind::exponent
                                  : FieldFormat::Kind::general;
        pos = 1;
    } else {
        throw invalid();
    }
    const char* const end = s.data() + s.size();
    auto [after_width, ec] = std::from_chars(s.data() + pos, end, format.width);
    if (ec != std::errc() || format.width < 1) throw invalid();
    if (format.kind == FieldFormat::Kind::integer) {
        if (after_width != end) throw invalid();
        return format;
    }
    if (after_width == end || *after_width != '.') throw invalid();
    auto [after_decimals, ec2] = std::from_chars(after_width + 1, end, format.decimals);
    if (ec2 != std::errc() || after_decimals != end || format.decimals < 0) throw invalid();
    const bool needs_digit = format.kind == FieldFormat::Kind::exponent || format.kind == FieldFormat::Kind::general;
    if (needs_digit && format.decimals == 0) throw invalid();
    return format;
}

std::string format_field(std::int64_t v, const FieldFormat& format) {
    if (format.kind != FieldFormat::Kind::integer) throw std::invalid_argument("integer value for a real field");
    return format_i(v, format.width);
}

std::string format_field(double v, const FieldFormat& format) {
    switch (format.kind) {
        case FieldFormat::Kind::fixed: return format_f(v, format.width, format.decimals);
        case FieldFormat::Kind::exponent: return format_e(v, format.width, format.decimals);
        case FieldFormat::Kind::scientific: return format_es(v, format.width, format.decimals);
        case FieldFormat::Kind::general: return format_g(v, format.width, format.decimals);
        case FieldFormat::Kind::integer: break;
    }
    throw std::invalid_argument("real value for an integer field");
}

}  // namespace imm
