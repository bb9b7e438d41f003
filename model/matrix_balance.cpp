#include "model/matrix_balance.h"

#include <cmath>

namespace imm {

void balance(double* a, std::int64_t n, std::int64_t lda) {
    constexpr double kThreshold = 0.949999988079071;  // 0.95 in single precision
    auto at = [&](std::int64_t i, std::int64_t j) -> double& { return a[i + j * lda]; };
    bool changed = true;
    while (changed) {
        changed = false;
        for (std::int64_t i = 0; i < n; ++i) {
            double row = 0.0;
            double column = 0.0;
            for (std::int64_t k = 0; k < n; ++k) {
                if (k == i) continue;
                row += std::abs(at(i, k));
                column += std::abs(at(k, i));
            }
            if (row == 0.0 || column == 0.0) continue;
            double f = 1.0;
            double g = column;
            while (g < row / 2.0) {
                f *= 2.0;
                g *= 4.0;
            }
            while (g > 2.0 * row) {
                f /= 2.0;
                g /= 4.0;
            }
            if ((row + column) * kThreshold > (row + g) / f) {
                const double shrink = 1.0 / f;
                for (std::int64_t k = 0; k < n; ++k) at(i, k) *= shrink;
                for (std::int64_t k = 0; k < n; ++k) at(k, i) *= f;
                changed = true;
            }
        }
    }
}

}  // namespace imm
