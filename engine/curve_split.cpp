#include "engine/curve_split.h"

#include <algorithm>
#include <cmath>

namespace imm {

std::int64_t ycurves(std::array<std::int64_t, kMaxCurves>& counts, std::int64_t& ncurves) {
    counts.fill(0);
    ncurves = 0;
    const std::int64_t rows = std::min(global_types.idat, kMaxRows);
    if (rows <= 0) return 0;
    std::int64_t curves = 0;  // curves closed so far, stored or not
    std::int64_t current = 0;
    double reference = a1.so[0];
    const auto close_curve = [&] {
        if (curves < kMaxCurves) {
            counts[curves] = current;
            ncurves = curves + 1;
        }
        ++curves;
    };
    for (std::int64_t k = 1; k < rows; ++k) {
        ++current;
        if (std::fabs(a1.so[k] - reference) > 1e-7) {
            close_curve();
            reference = a1.so[k];
            current = 0;
        }
    }
    ++current;
    close_curve();
    return curves;
}

}  // namespace imm
