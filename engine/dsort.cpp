#include "engine/dsort.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace imm {

void dsort(std::span<double> x, std::span<double> y, std::int64_t n, std::int64_t kflag) {
    if (n < 1 || (kflag != 1 && kflag != 2 && kflag != -1 && kflag != -2)) return;
    const auto count = static_cast<std::size_t>(n);
    const bool descending = kflag < 0;
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const double xa = x[a];
        const double xb = x[b];
        if (std::isnan(xa) || std::isnan(xb)) return !std::isnan(xa) && std::isnan(xb);
        return descending ? xa > xb : xa < xb;
    });
    const auto permute = [&](std::span<double> v) {
        std::vector<double> sorted(count);
        for (std::size_t i = 0; i < count; ++i) sorted[i] = v[order[i]];
        std::copy(sorted.begin(), sorted.end(), v.begin());
    };
    permute(x);
    if (kflag == 2 || kflag == -2) permute(y);
}

}  // namespace imm
