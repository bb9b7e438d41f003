#include "engine/data_file_scan.h"

#include <algorithm>

#include "engine/data_row.h"
#include "support/strings.h"
#include "support/unit_table.h"

namespace imm {

namespace {

// The line as a fixed-length buffer of the given size, leading blanks removed.
std::string left_trimmed(const std::string& line, std::size_t size) {
    std::string buffer = line.substr(0, size);
    const std::size_t first = buffer.find_first_not_of(' ');
    buffer.erase(0, first == std::string::npos ? buffer.size() : first);
    buffer.resize(size, ' ');
    return buffer;
}

// A line whose first `width` characters are blanks and TABs only, as spreadsheets
// write their empty rows.
bool empty_line(const std::string& line, std::size_t width = 100) {
    return line.substr(0, width).find_first_not_of(" \t") == std::string::npos;
}

// An empty line, or one whose first character once its leading blanks are removed is
// a terminator, ends the data.
bool ends_data(const std::string& line, std::size_t width = 100) {
    const char c = left_trimmed(line, width)[0];
    return empty_line(line, width) || c == '#' || c == '\'' || c == '"';
}

// The number of rows before the first line that ends the data.
std::size_t data_rows(std::span<const std::string> lines) {
    const auto end = std::find_if(lines.begin(), lines.end(), [](const std::string& line) { return ends_data(line); });
    return static_cast<std::size_t>(end - lines.begin());
}

// The label level of a line: 1 to 4 for "#", "##", "###", "####" followed by
// blanks within its first four characters, 0 otherwise.
int label_level(const std::string& trimmed) {
    const std::string head = trimmed.substr(0, 4);
    for (int level = 1; level <= 4; ++level) {
        if (head == std::string(level, '#') + std::string(4 - level, ' ')) return level;
    }
    return 0;
}

}  // namespace

void data_row_count(std::span<const std::string> lines, std::int64_t& nrows) {
    nrows = static_cast<std::int64_t>(data_rows(lines));
}

void file_row_count(std::span<const std::string> lines, std::int64_t& nrows) {
    nrows = std::count_if(lines.begin(), lines.end(), [](const std::string& line) { return !ends_data(line); });
}

void file_column_count(std::span<const std::string> lines, std::int64_t& ncols) {
    std::string sample;
    for (const std::string& line : lines) {
        if (!ends_data(line, 256)) {
            sample = left_trimmed(line, 256);
            break;
        }
    }
    if (sample.empty()) {
        // A file of comments only is measured on its first line that is not empty.
        for (const std::string& line : lines) {
            if (!empty_line(line, 256)) {
                sample = line.substr(0, 256);
                sample.resize(256, ' ');
                break;
            }
        }
    }
    if (sample.empty()) {
        UnitTable& units = UnitTable::instance();
        units.write_record(console_out_unit, " ");
        units.write_record(console_out_unit, "FILE_COLUMN_COUNT - Warning.");
        units.write_record(console_out_unit, "  The file does not contain any data.");
        ncols = -1;
        return;
    }
    ncols = s_word_count(sample);
}

void data_lb_count(std::span<const std::string> lines, std::int64_t& count, std::int64_t& status) {
    std::int64_t singles = 0;
    std::int64_t pairs_and_triples = 0;
    std::int64_t last_level = 0;
    bool previous_is_comment = false;
    for (const std::string& line : lines) {
        const std::string trimmed = left_trimmed(line, 150);
        const int level = label_level(trimmed);
        if (level == 1) ++singles;
        if (level == 2 || level == 3) ++pairs_and_triples;
        if (level > 0) last_level = (level == 3 && previous_is_comment) ? 6 : level;
        if (level >= 3) break;
        previous_is_comment = trimmed[0] == '#';
    }
    count = pairs_and_triples;
    if (singles == 0) status = 5;
    else if (pairs_and_triples != singles) status = 7;
    else status = last_level;
}

RowsAfterData rows_after_empty_line(std::span<const std::string> lines) {
    const std::size_t end = data_rows(lines);
    if (end == lines.size() || !empty_line(lines[end])) return {};
    const auto later = lines.subspan(end + 1);
    return {static_cast<std::int64_t>(end + 1),
            std::count_if(later.begin(), later.end(),
                          [](const std::string& line) { return parse_data_row(line).has_value(); })};
}

void get_unit(std::int64_t& unit) {
    if (unit == 5 || unit == 6 || unit == 9) return;
    const std::int64_t start = unit <= 9 ? unit + 100 : unit;
    const UnitTable& units = UnitTable::instance();
    for (std::int64_t u = start; u <= start + 99; ++u) {
        if (u == 5 || u == 6 || u == 9) continue;
        if (UnitTable::exists(u) && !units.opened(u)) {
            unit = u;
            return;
        }
    }
    unit = start;
}

}  // namespace imm
