// The values of one data row: the first three fields of the line, separated by
// blanks or TABs; further fields are ignored.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace imm {

struct DataRowValues {
    double t = 0.0;   // time
    double so = 0.0;  // [So]
    double y = 0.0;   // product or substrate
};

// A finite real in integer, decimal or exponent notation (exponent letter E, e, D
// or d), with an optional sign and nothing else; a value too small for a double
// reads as 0. Independent of the locale.
std::optional<double> parse_real_field(std::string_view field);

// The row's values, or nothing when it has fewer than three fields or one of the
// first three is not a finite real.
std::optional<DataRowValues> parse_data_row(std::string_view line);

// For rows as some spreadsheets export them, further message lines on row `row`: how
// numbers are separated, where commas or semicolons separate them, and that decimals
// take a point, where commas stand inside the fields (parted by blanks, TABs or
// semicolons) of a row of three or more; else "". A header line above the first row
// that holds numbers takes that row's advice.
std::string number_format_advice(std::span<const std::string> rows, std::size_t row);

// The line as a message shows it: printable ASCII and printable UTF-8 characters as
// they are, a TAB as \t, every other byte (controls, invalid UTF-8, invisible
// characters such as a no-break space or a byte-order mark) as \xHH. A line of more
// than kShownRowBytes bytes is cut there and ends in "...".
inline constexpr std::size_t kShownRowBytes = 100;
std::string readable_row(std::string_view line);

}  // namespace imm
