// Names of the data file and its report. Only the last path component decides:
// a name without "." there gets ".in", and the report is the data name up to and
// including its last "." followed by "out". Case and inner blanks are kept.
#pragma once

#include <string>
#include <string_view>

namespace imm {

// The name left-adjusted, trimmed, and completed with ".in" when its last
// component has no ".".
std::string completed_data_name(std::string_view name);

// The report beside a completed data name: "run5.in" gives "run5.out".
std::string report_name(std::string_view data_name);

}  // namespace imm
