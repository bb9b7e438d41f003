#include "support/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "support/fortran_format.h"
#include "support/string_edit.h"
#include "support/strings.h"

namespace imm {

namespace {

FieldFormat record_format(const std::string& fmt) {
    return parse_field_format(std::string_view(fmt).substr(0, static_cast<std::size_t>(s_len_trim(fmt))));
}

void store_field(const std::string& field, std::string& s) {
    if (field.size() > s.size()) throw std::invalid_argument("field longer than the record");
    assign_fixed(s, field);
}

void left_adjust(std::string& s) {
    const auto first = s.find_first_not_of(' ');
    assign_fixed(s, first == std::string::npos ? std::string() : s.substr(first));
}

std::string digits_of(std::uint64_t v) {
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    return std::string(buffer, end);
}

// Trailing zeros of a number text's fraction removed, a zero kept after the point.
std::string without_fraction_zeros(std::string text) {
    if (text.find('.') == std::string::npos) return text;
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.push_back('0');
    return text;
}

}  // namespace

void stringi(std::int64_t i, std::string& s, const std::string& fmt) {
    store_field(format_field(i, record_format(fmt)), s);
}

void stringr(double r, std::string& s, const std::string& fmt) {
    store_field(format_field(r, record_format(fmt)), s);
}

void write_di(std::int64_t i, std::string& s, const std::string& fmt) {
    stringi(i, s, fmt);
    left_adjust(s);
}

void write_dr(double r, std::string& s, const std::string& fmt) {
    stringr(r, s, fmt);
    left_adjust(s);
}

void intstr(std::int64_t i, std::string& s, std::int64_t ndigits) {
    const std::int64_t count = std::min(ndigits, s_len_trim(s));
    if (count > 30) throw std::invalid_argument("intstr: more than 30 digits");
    const auto n = static_cast<std::size_t>(std::max<std::int64_t>(count, 0));
    const std::uint64_t magnitude = i < 0 ? 0 - static_cast<std::uint64_t>(i) : static_cast<std::uint64_t>(i);
    std::string digits = digits_of(magnitude);
    if (digits.size() > n) {
        digits = std::string(n, '*');
    } else {
        digits.insert(0, n - digits.size(), '0');
    }
    assign_fixed(s, (i < 0 ? "-" : "") + digits);
}

void real2strng(double r, std::int64_t ndec, std::string& s) {
    const double magnitude = std::fabs(r);
    if (!(magnitude < 1e18) || ndec < 0 || ndec > 18) throw std::out_of_range("real2strng: value or decimals too large");
    const double whole = std::trunc(magnitude);
    const auto fraction = static_cast<std::uint64_t>((magnitude - whole) * std::pow(10.0, static_cast<double>(ndec)));
    std::string text = (std::signbit(r) && r != 0.0 ? "-" : "") + digits_of(static_cast<std::uint64_t>(whole)) + ".";
    std::string fraction_digits = digits_of(fraction);
    const auto n = static_cast<std::size_t>(ndec);
    if (fraction_digits.size() < n) fraction_digits.insert(0, n - fraction_digits.size(), '0');
    if (n > 0) text += fraction_digits.substr(0, n);
    assign_fixed(s, text);
}

void real2str(double r, std::string& s) {
    std::string text = format_g(r, 15, 7);
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    const std::size_t zero = text[0] == '-' ? 1 : 0;
    if (text.compare(zero, 2, "0.") == 0) text.erase(zero, 1);
    const auto e = text.find('E');
    std::string mantissa = text.substr(0, e);
    std::string exponent = e == std::string::npos ? std::string() : text.substr(e);
    if (exponent.rfind("E+0", 0) == 0) exponent.replace(0, 3, "E");
    else if (exponent.rfind("E+", 0) == 0) exponent.replace(0, 2, "E");
    else if (exponent.rfind("E-0", 0) == 0) exponent.replace(0, 3, "E-");
    if (mantissa.find('.') != std::string::npos) {
        while (mantissa.back() == '0') mantissa.pop_back();
    }
    assign_fixed(s, mantissa + exponent);
}

void s_trim_prezeros(std::string& s) {
    for (char& c : s) {
        if (c != '0') break;
        c = ' ';
    }
    removesp(s);
}

void s_trim_zeros(std::string& s) {
    assign_fixed(s, without_fraction_zeros(s.substr(0, static_cast<std::size_t>(s_len_trim(s)))));
}

void s_trim_zero(std::string& s) {
    const std::string text = s.substr(0, static_cast<std::size_t>(s_len_trim(s)));
    const auto e = text.find_first_of("Ee");
    if (e == std::string::npos) {
        s_trim_zeros(s);
        return;
    }
    assign_fixed(s, without_fraction_zeros(text.substr(0, e)) + text.substr(e, 10));
}

}  // namespace imm
