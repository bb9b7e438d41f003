#include "engine/report_writer.h"

#include "support/strings.h"
#include "support/unit_table.h"

namespace imm {

void ReportWriter::record(std::string_view text) {
    if (status_ != io_ok) return;
    status_ = UnitTable::instance().write_record(unit_, text);
}

std::string blanks(std::size_t n) { return std::string(n, ' '); }

std::string separator_line() { return " " + std::string(78, '-'); }

std::string_view trimmed(std::string_view text) {
    return text.substr(0, static_cast<std::size_t>(s_len_trim(text)));
}

}  // namespace imm
