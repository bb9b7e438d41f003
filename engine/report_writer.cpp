#include "engine/report_writer.h"

#include "support/unit_table.h"

namespace imm {

void ReportWriter::record(std::string_view text) {
    if (status_ != io_ok) return;
    status_ = UnitTable::instance().write_record(unit_, text);
}

std::string blanks(std::size_t n) { return std::string(n, ' '); }

std::string separator_line() { return " " + std::string(78, '-'); }

}  // namespace imm
