// Scanning a data file before it is read: its data rows, its columns, label lines,
// and a free unit to read it on.
//
// Data rows begin at the first line. The data end at the end of the file or at the
// first line that, once its leading blanks are removed, is empty or begins with
// '#', an apostrophe or a double quote. Only the first 100 characters of a line
// decide that; a line of TABs is a row. CR LF line ends read like LF.
#pragma once

#include <cstdint>
#include <string_view>

namespace imm {

// Opens the file on the unit, counts its data rows into nrows, closes the unit.
// A file that cannot be opened has 0 rows; a read error ends the count.
void data_row_count(std::int64_t unit, std::string_view file_name, std::int64_t& nrows);

// Like data_row_count, but reads to the end of the file, counting every line that
// is not empty and does not begin with one of the terminator characters.
void file_row_count(std::int64_t unit, std::string_view file_name, std::int64_t& nrows);

// Opens the file on the unit and sets ncols to the number of blank- or TAB-separated
// words on its first data line (or, in a file of comments only, its first non-blank
// line); closes the unit. Without any non-blank line it writes a warning to the
// console and sets ncols to -1. A file that cannot be opened leaves ncols unchanged.
void file_column_count(std::int64_t unit, std::string_view file_name, std::int64_t& ncols);

// Reads label lines ("#", "##", "###", "####" followed by blanks) up to the first
// "###" or "####" line. count: the number of "##" and "###" lines. status: the level
// of the last label line (6 for a "###" line that follows a line beginning with '#'),
// 5 when there was no "#" line, 7 when the "##" and "###" lines do not match the "#"
// lines in number. A file that cannot be opened gives count 0 and status 5.
void data_lb_count(std::int64_t unit, std::string_view file_name, std::int64_t& count, std::int64_t& status);

// Replaces the start number by the first unit from it (raised by 100 when 9 or less)
// up to 99 above that is not connected and is not 5, 6 or 9. 5, 6 and 9 are returned
// unchanged; when no unit is free the start number stays.
void get_unit(std::int64_t& unit);

}  // namespace imm
