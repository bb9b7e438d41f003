// Writes the records of the results report to an I/O unit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace imm {

// Sends records to a unit. After the first failed write the remaining records are
// skipped and status() keeps that failure.
class ReportWriter {
public:
    explicit ReportWriter(std::int64_t unit) : unit_(unit) {}

    void record(std::string_view text);
    void empty() { record({}); }
    std::int64_t status() const { return status_; }

private:
    std::int64_t unit_;
    std::int64_t status_ = 0;
};

// n blanks.
std::string blanks(std::size_t n);

// One blank and 78 dashes, the report's separator line.
std::string separator_line();

}  // namespace imm
