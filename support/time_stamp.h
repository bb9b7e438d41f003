// The date-and-time text of the report head, in English whatever the locale.
#pragma once

#include <ctime>
#include <string>

namespace imm {

// "Tue Dec  8 19:32:44 2026" padded with blanks to 30 characters.
std::string time_stamp_text(const std::tm& local);

// The current local date and time as time_stamp_text.
std::string time();

}  // namespace imm
