// Numbers read from fixed-length text.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace imm {

struct IntegerReading {
    std::int64_t value = 0;
    std::int64_t ierror = 0;  // 1 when no digit follows the sign and blanks, or on overflow
    std::int64_t length = 0;  // characters used
};

// An optionally signed integer after leading blanks, up to the first non-digit.
IntegerReading s_to_i(std::string_view s);

struct RealReading {
    double value = 0.0;
    std::int64_t ierror = 0;  // non-zero when the text stops in an incomplete state
    std::int64_t length = 0;  // characters used; an ending comma or semicolon counts
};

// A real read character by character; on an error it writes four lines to standard output.
RealReading s_to_r4(std::string_view s);

// Reads values.size() reals in a row; ierror is -i when the i-th fails.
std::int64_t s_to_r4vec(std::string_view s, std::span<double> values);

// 0 for a blank text or one holding a character outside "1234567890+-.eE" (after "d" and
// "D" became "e" in s); otherwise a point is inserted into s before the exponent letter or
// at the end when it has none, and the value read. A text that still is not a number reads as 0.
double str2real(std::string& s);

// The same steps: ierr is 1 (value 0) when s fails, 0 after the read.
void valsub(std::string& s, double& value, std::int64_t& ierr);

// The nearest integer of str2real, held within the 64-bit range.
std::int64_t str2int(std::string& s);

// Free-format read of a real: 3 when s holds "E" or "e" but does not end in a digit,
// else the read's status (io_ok, io_end, io_read_failed). r is changed only by a good read.
std::int64_t write_str_dr(std::string_view s, double& r);

// As write_str_dr, then the nearest integer; 15 when the magnitude reaches 2 to the power 63.
std::int64_t write_str_di(std::string_view s, std::int64_t& i);

}  // namespace imm
