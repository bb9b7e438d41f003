#include "app/check_model.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "app/model_selection.h"
#include "engine/data_file_scan.h"
#include "engine/data_file_text.h"
#include "engine/data_row.h"
#include "model/curve_split.h"
#include "support/shared_blocks.h"
#include "window/window.h"

namespace imm {

namespace {

struct CheckRows {
    std::array<double, kMaxRows> t{};
    std::array<double, kMaxRows> so{};
    std::array<double, kMaxRows> y{};
    std::size_t count = 0;
};

// The rows of the curves with substrate: a control shows no direction. False when the
// file cannot be read or a row is not three numbers.
bool read_rows(const std::string& name, CheckRows& rows) {
    const DataFileText text = read_data_file(name);
    if (text.fault != DataFileFault::none) {
        return false;
    }
    std::int64_t idat = 0;
    data_row_count(text.lines, idat);
    const auto wanted = static_cast<std::size_t>(std::clamp<std::int64_t>(idat, 0, kMaxRows));
    for (std::size_t line = 0; line < wanted; ++line) {
        const auto values = parse_data_row(text.lines[line]);
        if (!values) {
            return false;
        }
        if (values->so == 0.0) {
            continue;
        }
        rows.t[rows.count] = values->t;
        rows.so[rows.count] = values->so;
        rows.y[rows.count] = values->y;
        ++rows.count;
    }
    return true;
}

// Rows of the last curve, or 0 when there are more curves than a run takes.
std::size_t last_curve_rows(const CheckRows& rows) {
    std::array<std::int64_t, kMaxCurves> counts{};
    std::int64_t stored = 0;
    const std::int64_t curves = split_curves(std::span<const double>(rows.so).first(rows.count), counts, stored);
    return curves > kMaxCurves ? 0 : static_cast<std::size_t>(counts[static_cast<std::size_t>(stored - 1)]);
}

}  // namespace

DataDirection data_direction(const std::string& data_file_name) {
    CheckRows rows;
    if (!read_rows(data_file_name, rows) || rows.count == 0) {
        return DataDirection::unknown;
    }
    const std::size_t m = last_curve_rows(rows);
    if (m == 0) {
        return DataDirection::unknown;
    }
    // The first m rows in time order, whatever their order in the file.
    const std::span<const double> times = std::span<const double>(rows.t).first(m);
    const auto earliest = static_cast<std::size_t>(std::min_element(times.begin(), times.end()) - times.begin());
    const auto latest = m - 1 - static_cast<std::size_t>(std::max_element(times.rbegin(), times.rend()) - times.rbegin());
    const double d = rows.y[latest] - rows.y[earliest];
    return std::signbit(d) ? DataDirection::falling : DataDirection::rising;
}

std::int64_t check_model(ProgramState& program) {
    const DataDirection direction = data_direction(program.data_file_name);
    const std::int64_t model = global_types.imdlno;
    std::string suggestion;
    if (direction == DataDirection::falling && model <= 3) {
        suggestion = "THE DATA SUGGESTS A SUBSTRATE vs TIME MODEL INSTEAD.";
    } else if (direction == DataDirection::rising && model >= 4) {
        suggestion = "THE DATA SUGGESTS A PRODUCT vs TIME MODEL INSTEAD.";
    } else {
        return kRunGo;
    }
    dlgmessage(1, "THE WRONG MODEL TYPE WAS SELECTED!\r\n" + suggestion);
    model_lib();
    return kRunStop;
}

}  // namespace imm
