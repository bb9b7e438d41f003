#include "app/plots/msort.h"

#include <algorithm>
#include <cmath>

namespace imm {

namespace {

// -123456789 in single precision, widened: marks a value already taken.
constexpr double kTaken = -123456792.0;

}  // namespace

std::vector<double> msort(std::span<const double> values, std::int32_t ascending) {
    if (values.size() == 1) {
        return {values.begin(), values.end()};
    }
    std::vector<double> sorted;
    sorted.reserve(values.size());
    std::vector<double> unsorted(values.begin(), values.end());
    for (;;) {
        auto largest = unsorted.end();
        for (auto it = unsorted.begin(); it != unsorted.end(); ++it) {
            if (*it > kTaken && (largest == unsorted.end() || *it > *largest)) {
                largest = it;
            }
        }
        if (largest == unsorted.end()) {
            break;
        }
        sorted.push_back(*largest);
        *largest = kTaken;
    }
    sorted.resize(values.size(), 0.0);
    if (ascending != 0) {
        std::reverse(sorted.begin(), sorted.end());
    }
    return sorted;
}

}  // namespace imm
