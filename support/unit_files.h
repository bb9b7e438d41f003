// Questions about units and files, closing, and finding a free unit, on the program's
// unit table. File names may carry trailing blanks.
#pragma once

#include <cstdint>
#include <string_view>

namespace imm {

// True when the unit number exists.
bool file_unit_exists(std::int64_t unit);
// True when the file exists.
bool file_name_exists(std::string_view name);
// True when the unit is connected.
bool file_open_by_unit(std::int64_t unit);
// True when the file is connected to some unit.
bool file_open_by_name(std::string_view name);
// Closes the given unit when the named file is connected; returns false.
bool file_close_by_name(std::int64_t unit, std::string_view name);
// Closes the unit when it is connected; returns false.
bool file_close_by_unit(std::int64_t unit);
// The highest unit from 100 down to 10, other than u, that is not connected; -1 when none is free.
std::int64_t nuunit(std::int64_t u);

}  // namespace imm
