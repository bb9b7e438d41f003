// Numbers written into and read from fixed-length text, independent of the user's locale.
#pragma once

#include <cstdint>
#include <string>

namespace imm {

// Writes i into s with a one-field format such as "I3": the field at the start of s,
// then left-adjusted and blank-padded. Throws std::invalid_argument when the format
// cannot be used for the value or the field is longer than s.
void write_di(std::int64_t i, std::string& s, const std::string& fmt);

// The same for a real, with a format such as "ES12.5" or "F8.3".
void write_dr(double r, std::string& s, const std::string& fmt);

}  // namespace imm
