#include "support/text_files.h"

#include <algorithm>

#include "support/strings.h"
#include "support/system_reason.h"
#include "support/temporary_file.h"
#include "support/unit_files.h"
#include "support/unit_table.h"

namespace imm {

std::string writelines(std::int64_t& u, std::string_view name, std::string_view text) {
    auto& table = UnitTable::instance();
    TemporaryFile file;
    if (std::string reason = file.create(std::string(trimmed(name))); !reason.empty()) return reason;
    const bool written = table.connect(u, file.descriptor(), file.name()) == io_ok &&
                         table.write_record(u, trimmed(text)) == io_ok && table.flush(u) == io_ok;
    const int error = UnitTable::last_error();
    table.close(u);
    return written ? file.replace_target() : system_reason(error);
}

std::int64_t readlines(std::int64_t& u, std::string_view input_name, std::string_view output_name) {
    auto& table = UnitTable::instance();
    const std::int64_t out = nuunit(u);
    std::int64_t status = table.open(out, output_name, OpenMode::create);
    if (status != io_ok) return status;
    status = table.open(u, input_name, OpenMode::existing);
    if (status != io_ok) {
        table.close(out);
        return status;
    }
    std::string line;
    std::int64_t line_status = 0;
    std::int64_t length = 0;
    for (;;) {
        readline_utility::readline(u, line, line_status, length);
        if (line_status == 0) break;
        status = table.write_record(out, " " + line);
        if (status != io_ok) break;
        table.flush(out);
        table.flush(u);
    }
    table.close(u);
    table.close(out);
    u = out;
    return status;
}

std::int64_t readline(std::int64_t unit, std::string& line) {
    auto& table = UnitTable::instance();
    std::string record;
    for (;;) {
        const std::int64_t status = table.read_line(unit, record);
        if (status != io_ok) return status;
        assign_fixed(line, record);
        const auto first = line.find_first_not_of(' ');
        if (first == std::string::npos || line[first] == '!') continue;
        assign_fixed(line, std::string_view(line).substr(first));
        if (const auto comment = line.find('!'); comment != std::string::npos) {
            std::fill(line.begin() + static_cast<std::ptrdiff_t>(comment), line.end(), ' ');
        }
        if (s_len_trim(line) > 0) return io_ok;
    }
}

namespace readline_utility {

void readline(std::int64_t unit, std::string& line, std::int64_t& status, std::int64_t& length) {
    status = UnitTable::instance().read_line(unit, line) == io_ok ? 1 : 0;
    if (status == 0) line.clear();
    length = static_cast<std::int64_t>(line.size());
}

}  // namespace readline_utility

TextboxLines textbox_lines_from_file(std::string_view name) {
    auto& table = UnitTable::instance();
    TextboxLines result;
    const std::int64_t unit = nuunit(100);
    result.status = table.open(unit, name, OpenMode::create);
    if (result.status != io_ok) return result;
    std::string line;
    for (std::int64_t number = 1; table.read_line(unit, line) == io_ok; ++number) {
        if (number > 1) result.texts.push_back(std::string(trimmed(line)) + "\r\n");
    }
    table.close(unit);
    return result;
}

}  // namespace imm
