#include "support/unit_files.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "support/strings.h"
#include "support/unit_table.h"

namespace imm {

bool file_unit_exists(std::int64_t unit) { return UnitTable::exists(unit); }

bool file_name_exists(std::string_view name) {
    const std::string file(trimmed(name));
    std::error_code ec;
    return !file.empty() && std::filesystem::exists(file, ec);
}

bool file_open_by_unit(std::int64_t unit) { return UnitTable::instance().opened(unit); }

bool file_open_by_name(std::string_view name) { return UnitTable::instance().unit_of(name) >= 0; }

bool file_close_by_name(std::int64_t unit, std::string_view name) {
    if (file_open_by_name(name)) UnitTable::instance().close(unit);
    return false;
}

bool file_close_by_unit(std::int64_t unit) {
    UnitTable::instance().close(unit);
    return false;
}

std::int64_t nuunit(std::int64_t u) {
    const UnitTable& table = UnitTable::instance();
    for (std::int64_t unit = 100; unit >= 10; --unit) {
        if (unit != u && !table.opened(unit)) return unit;
    }
    return -1;
}

}  // namespace imm
