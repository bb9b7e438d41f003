// Fills the report text area from a file.
#pragma once

#include <cstdint>
#include <string_view>

namespace imm {

// Enables, focuses and shows the text area, then inserts at its cursor every line
// of the file after the first, whole, trimmed of trailing blanks and ended by CR LF,
// in a few large insertions of whole lines. A file that cannot be opened gets an error box; the program goes on. Returns
// io_ok or the status of the failed open.
std::int64_t write2textbox(std::int64_t area, std::string_view name);

}  // namespace imm
