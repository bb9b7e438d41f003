// The report of a run is written to a temporary file beside it and put in its place
// only at the end of a run that wrote a model section. A run that writes none leaves
// the old report, or no file, as it was; an old report is never left half written.
// Whatever stands at the report's name is replaced, a link too; the file a link
// names is never written.
#pragma once

#include <cstdint>
#include <string>

#include "support/temporary_file.h"

namespace imm {

class TemporaryReport {
public:
    TemporaryReport() = default;
    TemporaryReport(const TemporaryReport&) = delete;
    TemporaryReport& operator=(const TemporaryReport&) = delete;
    // Disconnects the unit; the temporary file goes unless it took the report's place.
    ~TemporaryReport();

    // Creates the temporary file in the report's folder and connects it to the unit.
    // An existing report must be a regular file that may be written, or a link.
    // Returns the reason of a failure, or "".
    std::string open(std::int64_t unit, const std::string& report);

    // Closes the unit and renames the temporary file over the report, keeping the
    // old report's permissions. Returns the reason of a failure, or "".
    std::string replace_report();

private:
    std::int64_t unit_ = -1;
    TemporaryFile file_;
};

}  // namespace imm
