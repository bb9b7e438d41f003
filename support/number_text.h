// Numbers written into fixed-length text, independent of the user's locale.
#pragma once

#include <cstdint>
#include <string>

namespace imm {

// Writes i into s with a one-field format such as "I3": the field at the start of s,
// blanks after it. Throws std::invalid_argument when the format cannot be used for the
// value or the field is longer than s.
void stringi(std::int64_t i, std::string& s, const std::string& fmt);

// The same for a real, with a format such as "ES12.5", "F8.3" or "G15.7".
void stringr(double r, std::string& s, const std::string& fmt);

// As stringi and stringr, then left-adjusted.
void write_di(std::int64_t i, std::string& s, const std::string& fmt);
void write_dr(double r, std::string& s, const std::string& fmt);

// i as digits with leading zeros ("-" in front when negative). The digit count is the
// smaller of ndigits and the trimmed length of s on entry; asterisks when i needs more.
// Throws std::invalid_argument for more than 30 digits.
void intstr(std::int64_t i, std::string& s, std::int64_t ndigits);

// Fixed-point text of r with ndec decimals: integer part, ".", truncated fraction.
// Throws std::out_of_range when the integer part or the decimals exceed 18 digits.
void real2strng(double r, std::int64_t ndec, std::string& s);

// Compact text of r from the G15.7 field: no leading blanks, no zero before the point,
// "E+0" and "E+" shortened to "E", "E-0" to "E-", no trailing zeros of the fraction.
void real2str(double r, std::string& s);

// Leading "0" characters become blanks, then blanks and control characters go.
void s_trim_prezeros(std::string& s);

// Trailing zeros of the fraction of a number text become blanks ("2.000" gives "2.0").
void s_trim_zeros(std::string& s);

// As s_trim_zeros for the mantissa of a text with an exponent part, which is kept.
void s_trim_zero(std::string& s);

}  // namespace imm
