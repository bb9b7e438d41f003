#include "engine/temporary_report.h"

#include "support/system_reason.h"
#include "support/unit_table.h"

namespace imm {

TemporaryReport::~TemporaryReport() {
    if (unit_ >= 0) UnitTable::instance().close(unit_);
}

std::string TemporaryReport::open(std::int64_t unit, const std::string& report) {
    if (std::string reason = file_.create(report); !reason.empty()) return reason;
    if (UnitTable::instance().connect(unit, file_.descriptor(), file_.name()) != io_ok) {
        return system_reason(UnitTable::last_error());
    }
    unit_ = unit;
    return "";
}

std::string TemporaryReport::replace_report() {
    UnitTable& units = UnitTable::instance();
    const bool flushed = units.flush(unit_) == io_ok;
    const int flush_error = UnitTable::last_error();
    units.close(unit_);
    unit_ = -1;
    if (!flushed) return system_reason(flush_error);
    return file_.replace_target();
}

}  // namespace imm
