#include "support/text_files.h"

#include <algorithm>

#include "support/in_place_file.h"
#include "support/link_end.h"
#include "support/strings.h"
#include "support/system_reason.h"
#include "support/temporary_file.h"
#include "support/unit_files.h"
#include "support/unit_table.h"

namespace imm {

namespace {

// Writes the text over a regular file in its place, for a folder that takes no
// new file (in_place_file.h).
std::string write_in_place(std::int64_t& u, const std::string& name, std::string_view text) {
    InPlaceFile file;
    std::string reason = file.reserve(name, static_cast<std::int64_t>(text.size() + 1));
    if (!reason.empty()) return reason;
    auto& table = UnitTable::instance();
    if (table.connect(u, file.descriptor(), name) != io_ok) {
        reason = system_reason(UnitTable::last_error());
        file.restore_size();
    } else if (table.write_record(u, text) != io_ok || table.flush(u) != io_ok) {
        reason = system_reason(UnitTable::last_error());
    } else {
        reason = file.sync();
    }
    table.close(u);
    return reason;
}

}  // namespace

std::string writelines(std::int64_t& u, std::string_view name, std::string_view text) {
    // A link that was chosen stays a link: the file it names gets the text.
    const LinkEnd target = link_end(std::string(trimmed(name)));
    if (!target.reason.empty()) return target.reason;
    const std::string_view record = trimmed(text);
    TemporaryFile file;
    std::string reason = file.create(target.path);
    if (reason.empty()) reason = file.connect(u);
    if (reason.empty() && UnitTable::instance().write_record(u, record) != io_ok) {
        reason = system_reason(UnitTable::last_error());
    }
    if (reason.empty()) reason = file.replace_target();
    return !reason.empty() && file.writable_in_place() ? write_in_place(u, target.path, record) : reason;
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
