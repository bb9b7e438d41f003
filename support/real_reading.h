// Reading reals as the formatted and free-format (list-directed) input of the runtime
// does, independent of the user's locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace imm {

// A real in input form: optional sign, digits with an optional point, and an optional
// exponent (E, D or Q with an optional sign, or a sign alone) with at least one digit;
// "Inf", "Infinity" and "NaN" in any case. Blanks are ignored. A text without digits
// (blank, ".", "-") reads as 0.
std::optional<double> parse_fortran_real(std::string_view text);

// Free-format read of the first value of a text: values end at a blank, TAB, comma,
// semicolon or slash, and "r*value" repeats a value. Returns io_ok (value stored, or left
// as it was for a null value), io_end for a text without any value, io_read_failed for a
// value that is not a real.
std::int64_t read_free_real(std::string_view text, double& value);

}  // namespace imm
