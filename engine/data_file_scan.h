// Scanning the lines of a data file (as read_data_file gives them) before its rows
// are read: its data rows, its columns, label lines, rows of numbers left after the
// data, and a free unit.
//
// Data rows begin at the first line. The data end at the end of the file or at the
// first line that, once its leading blanks are removed, is empty or begins with
// '#', an apostrophe or a double quote. Only the first 100 characters of a line
// decide that; a line of blanks and TABs only is empty.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace imm {

// The number of data rows.
void data_row_count(std::span<const std::string> lines, std::int64_t& nrows);

// Like data_row_count, but reads to the end, counting every line that is not empty
// and does not begin with one of the terminator characters.
void file_row_count(std::span<const std::string> lines, std::int64_t& nrows);

// Sets ncols to the number of blank- or TAB-separated words on the first data line
// (or, in a file of comments only, its first line that is not empty). Without any
// such line it writes a warning to the console and sets ncols to -1.
void file_column_count(std::span<const std::string> lines, std::int64_t& ncols);

// Reads label lines ("#", "##", "###", "####" followed by blanks) up to the first
// "###" or "####" line. count: the number of "##" and "###" lines. status: the level
// of the last label line (6 for a "###" line that follows a line beginning with '#'),
// 5 when there was no "#" line, 7 when the "##" and "###" lines do not match the "#"
// lines in number.
void data_lb_count(std::span<const std::string> lines, std::int64_t& count, std::int64_t& status);

// Rows of numbers that an empty line cuts off from the data: the line number of the
// empty line that ends the data (0 when they end otherwise) and how many later lines
// read as three numbers.
struct RowsAfterData {
    std::int64_t empty_line = 0;
    std::int64_t number_rows = 0;
};
RowsAfterData rows_after_empty_line(std::span<const std::string> lines);

// Replaces the start number by the first unit from it (raised by 100 when 9 or less)
// up to 99 above that is not connected and is not 5, 6 or 9. 5, 6 and 9 are returned
// unchanged; when no unit is free the start number stays.
void get_unit(std::int64_t& unit);

}  // namespace imm
