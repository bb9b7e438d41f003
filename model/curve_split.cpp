#include "model/curve_split.h"

#include <algorithm>
#include <cmath>

namespace imm {

namespace {

constexpr double kCurveTolerance = 1e-7;  // part of the larger [So]

bool starts_new_curve(double so, double reference) {
    return std::fabs(so - reference) > kCurveTolerance * std::max(std::fabs(so), std::fabs(reference));
}

}  // namespace

std::int64_t split_curves(std::span<const double> so, std::array<std::int64_t, kMaxCurves>& counts,
                          std::int64_t& ncurves) {
    counts.fill(0);
    ncurves = 0;
    const auto rows = static_cast<std::int64_t>(so.size());
    if (rows <= 0) return 0;
    std::int64_t curves = 0;  // curves closed so far, stored or not
    std::int64_t current = 0;
    double reference = so[0];
    const auto close_curve = [&] {
        if (curves < kMaxCurves) {
            counts[curves] = current;
            ncurves = curves + 1;
        }
        ++curves;
    };
    for (std::int64_t k = 1; k < rows; ++k) {
        ++current;
        if (starts_new_curve(so[k], reference)) {
            close_curve();
            reference = so[k];
            current = 0;
        }
    }
    ++current;
    close_curve();
    return curves;
}

std::int64_t ycurves(std::array<std::int64_t, kMaxCurves>& counts, std::int64_t& ncurves) {
    const std::int64_t rows = std::clamp<std::int64_t>(global_types.idat, 0, kMaxRows);
    return split_curves(std::span<const double>(a1.so).first(static_cast<std::size_t>(rows)), counts, ncurves);
}

}  // namespace imm
