#include "engine/data_file_scan.h"

#include <string>

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

// An empty line, or one whose first character is a terminator, ends the data.
bool ends_data(const std::string& trimmed) {
    const char c = trimmed.empty() ? ' ' : trimmed[0];
    return c == ' ' || c == '#' || c == '\'' || c == '"';
}

// Counts the data rows of the file; with to_end, reads past terminator lines.
std::int64_t count_rows(std::int64_t unit, std::string_view file_name, bool to_end) {
    UnitTable& units = UnitTable::instance();
    if (units.open(unit, file_name, OpenMode::existing) != io_ok) return 0;
    std::int64_t nrows = 0;
    std::string line;
    while (units.read_line(unit, line) == io_ok) {
        if (!ends_data(left_trimmed(line, 100))) ++nrows;
        else if (!to_end) break;
    }
    units.close(unit);
    return nrows;
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

void data_row_count(std::int64_t unit, std::string_view file_name, std::int64_t& nrows) {
    nrows = count_rows(unit, file_name, false);
}

void file_row_count(std::int64_t unit, std::string_view file_name, std::int64_t& nrows) {
    nrows = count_rows(unit, file_name, true);
}

void file_column_count(std::int64_t unit, std::string_view file_name, std::int64_t& ncols) {
    UnitTable& units = UnitTable::instance();
    if (units.open(unit, file_name, OpenMode::existing) != io_ok) return;
    std::string sample;
    std::string line;
    while (sample.empty() && units.read_line(unit, line) == io_ok) {
        const std::string trimmed = left_trimmed(line, 256);
        if (!ends_data(trimmed)) sample = trimmed;
    }
    if (sample.empty() && units.rewind(unit) == io_ok) {
        // A file of comments only is measured on its first non-blank line.
        while (sample.empty() && units.read_line(unit, line) == io_ok) {
            std::string whole = line.substr(0, 256);
            whole.resize(256, ' ');
            if (s_len_trim(whole) > 0) sample = whole;
        }
    }
    units.close(unit);
    if (sample.empty()) {
        units.write_record(console_out_unit, " ");
        units.write_record(console_out_unit, "FILE_COLUMN_COUNT - Warning.");
        units.write_record(console_out_unit, "  The file does not contain any data.");
        ncols = -1;
        return;
    }
    ncols = s_word_count(sample);
}

void data_lb_count(std::int64_t unit, std::string_view file_name, std::int64_t& count, std::int64_t& status) {
    UnitTable& units = UnitTable::instance();
    std::int64_t singles = 0;
    std::int64_t pairs_and_triples = 0;
    std::int64_t last_level = 0;
    if (units.open(unit, file_name, OpenMode::existing) == io_ok) {
        bool previous_is_comment = false;
        std::string line;
        while (units.read_line(unit, line) == io_ok) {
            const std::string trimmed = left_trimmed(line, 150);
            const int level = label_level(trimmed);
            if (level == 1) ++singles;
            if (level == 2 || level == 3) ++pairs_and_triples;
            if (level > 0) last_level = (level == 3 && previous_is_comment) ? 6 : level;
            if (level >= 3) break;
            previous_is_comment = trimmed[0] == '#';
        }
        units.close(unit);
    }
    count = pairs_and_triples;
    if (singles == 0) status = 5;
    else if (pairs_and_triples != singles) status = 7;
    else status = last_level;
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
