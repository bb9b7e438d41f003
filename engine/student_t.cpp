#include "engine/student_t.h"

#include <array>
#include <cmath>
#include <limits>

namespace imm {

double tvalue(std::int64_t df) {
    static constexpr std::array<float, 20> kTable{12.71f, 4.3f,  3.18f, 2.78f, 2.57f, 2.45f, 2.37f,
                                                  2.31f,  2.26f, 2.23f, 2.2f,  2.18f, 2.16f, 2.15f,
                                                  2.13f,  2.12f, 2.11f, 2.1f,  2.09f, 2.09f};
    if (df < 1) return std::numeric_limits<double>::quiet_NaN();
    if (df <= 20) return kTable[static_cast<std::size_t>(df - 1)];

    // Interpolated on a logarithmic scale towards 1.96 between anchors at 20, 30 and 60.
    const auto d = static_cast<double>(df);
    double anchor = 3.9;
    double exponent = (std::log(3.9) - std::log(2.0)) * (60.0 - d) / 60.0;
    if (df <= 30) {
        anchor = 12.3;
        exponent = (std::log(12.3) - std::log(8.2)) * (20.0 - d) / 10.0;
    } else if (df <= 60) {
        anchor = 8.2;
        exponent = (std::log(8.2) - std::log(4.0)) * (30.0 - d) / 30.0;
    }
    const double t = std::trunc(std::exp(exponent) * anchor + 196.5) / 100.0;
    return static_cast<float>(t);
}

}  // namespace imm
