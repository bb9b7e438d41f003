#include "app/check_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

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

// The rows of the file, controls included. False when the file cannot be read or a
// row is not three numbers.
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
        rows.t[rows.count] = values->t;
        rows.so[rows.count] = values->so;
        rows.y[rows.count] = values->y;
        ++rows.count;
    }
    return true;
}

// The power of two that brings the largest magnitude of the values to [1, 2).
int scale_exponent(std::span<const double> values) {
    double largest = 0.0;
    for (const double value : values) largest = std::max(largest, std::fabs(value));
    return largest > 0.0 ? std::ilogb(largest) : 0;
}

// The change of one curve over its time span, read off the straight line that fits
// its rows best (least squares, times taken as fractions of the span): every row
// counts, so that noise at either end cannot turn it, and the order of the rows in
// the file does not matter. 0 when all rows share one time. Values are divided by
// 2 to the power exponent, times by the power of two of their own largest, so that
// no span overflows.
double curve_change(const CheckRows& rows, std::size_t first, std::size_t count, int exponent) {
    const std::span<const double> t = std::span<const double>(rows.t).subspan(first, count);
    const std::span<const double> y = std::span<const double>(rows.y).subspan(first, count);
    const int time_exponent = scale_exponent(t);
    const auto [earliest_time, latest_time] = std::minmax_element(t.begin(), t.end());
    const double earliest = std::ldexp(*earliest_time, -time_exponent);
    const double span = std::ldexp(*latest_time, -time_exponent) - earliest;
    if (!(span > 0.0)) {
        return 0.0;
    }
    const auto fraction = [&](std::size_t i) { return (std::ldexp(t[i], -time_exponent) - earliest) / span; };
    const auto n = static_cast<double>(count);
    double mean_u = 0.0;
    double mean_y = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        mean_u += fraction(i) / n;
        mean_y += std::ldexp(y[i], -exponent) / n;
    }
    double suy = 0.0;
    double suu = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double du = fraction(i) - mean_u;
        suy += du * (std::ldexp(y[i], -exponent) - mean_y);
        suu += du * du;
    }
    return suy / suu;  // the slope per span: suu > 0, as the fractions hold 0 and 1
}

// The changes of the curves with substrate added up.
double total_change(const CheckRows& rows, std::span<const std::int64_t> counts, int exponent) {
    double total = 0.0;
    std::size_t first = 0;
    for (const std::int64_t rows_of_curve : counts) {
        const auto count = static_cast<std::size_t>(rows_of_curve);
        if (rows.so[first] != 0.0) {
            total += curve_change(rows, first, count, exponent);
        }
        first += count;
    }
    return total;
}

}  // namespace

DataDirection data_direction(const std::string& data_file_name) {
    CheckRows rows;
    if (!read_rows(data_file_name, rows) || rows.count == 0) {
        return DataDirection::unknown;
    }
    const std::span<const double> so = std::span<const double>(rows.so).first(rows.count);
    if (std::all_of(so.begin(), so.end(), [](double value) { return value == 0.0; })) {
        return DataDirection::unknown;
    }
    std::array<std::int64_t, kMaxCurves> counts{};
    std::int64_t stored = 0;
    if (split_curves(so, counts, stored) > kMaxCurves) {
        return DataDirection::unknown;
    }
    const auto curves = std::span<const std::int64_t>(counts).first(static_cast<std::size_t>(stored));
    // Every value scaled by one power of two: no sum overflows.
    const int exponent = scale_exponent(std::span<const double>(rows.y).first(rows.count));
    return total_change(rows, curves, exponent) < 0.0 ? DataDirection::falling : DataDirection::rising;
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
