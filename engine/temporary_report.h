// The report of a run is written to a temporary file beside it and put in its place
// only at the end of a run that wrote a model section. A run that writes none leaves
// the old report, or no file, as it was; an old report is never left half written.
#pragma once

#include <cstdint>
#include <string>

namespace imm {

class TemporaryReport {
public:
    TemporaryReport() = default;
    TemporaryReport(const TemporaryReport&) = delete;
    TemporaryReport& operator=(const TemporaryReport&) = delete;
    // Removes the temporary file unless it took the report's place.
    ~TemporaryReport();

    // Creates the temporary file beside the report (through a link, beside the file
    // it names) and connects it to the unit. An existing report must be a regular
    // file that may be written. Returns the reason of a failure, or "".
    std::string open(std::int64_t unit, const std::string& report);

    // Closes the unit and renames the temporary file over the report, keeping the
    // old report's permissions. Returns the reason of a failure, or "".
    std::string replace_report();

private:
    std::int64_t unit_ = -1;
    std::string target_;
    std::string temporary_;
    bool replaced_ = false;
};

}  // namespace imm
