#include "optimise/random_search.h"

#include <array>
#include <cmath>

#include "optimise/parameter_box.h"
#include "optimise/reflect_parameters.h"
#include "support/shared_blocks.h"

namespace imm {

namespace {

constexpr double kStartRange = 0.800000011920929;  // 80/100 in single precision
constexpr double kLastRange = 0.21;
constexpr double kRangeStep = 0.04;
constexpr double kRangeFloor = 1e-6;

// An exact fit counts as machine epsilon; a value that is not a number or one
// beyond the big bound counts as the big bound.
double capped(double f) {
    if (std::isnan(f) || f > limits.big_bound) return limits.big_bound;
    if (f < limits.machine_eps) return limits.machine_eps;
    return f;
}

}  // namespace

RandomSearchResult dorunrun(Objective& objective, std::span<double> p, double& seed, RandomContext& random,
                            const RandomSearchOptions& options) {
    const auto n = static_cast<std::int64_t>(p.size());
    const ParameterBox box = model_parameter_box(a1.nmdl, p, 100.0, global_types.idat, a1);
    RandomSearchResult result;
    result.pass_limit = options.passes <= 9 ? 100 : options.passes;
    const std::int64_t trials = 10 * n + 1;

    std::array<double, kMaxParams> x_store{};
    std::array<double, kMaxParams> lo{};
    std::array<double, kMaxParams> hi{};
    const std::span<double> x(x_store.data(), p.size());

    double f = objective.value(p);
    ++result.evaluations;
    for (std::int64_t i = 0; i < n; ++i) x[i] = p[i];
    rangen(random, seed);
    double range = kStartRange;
    std::int64_t successes = 0;

    while (range > kLastRange && result.passes < result.pass_limit) {
        ++result.passes;
        double best = capped(objective.value(x));
        ++result.evaluations;
        std::int64_t failures = 0;
        std::int64_t k = 0;
        for (std::int64_t i = 0; i < n; ++i) {
            lo[i] = (1.0 - range) * x[i];
            hi[i] = (1.0 + range) * x[i];
        }
        for (std::int64_t trial = 0; trial < trials; ++trial) {
            if (successes > 5 || failures > 2) {
                const double r = rangen(random, seed);
                k = static_cast<std::int64_t>(static_cast<double>(n) * r + 1.0) - 1;
                failures = 0;
            }
            const double kept = x[k];
            const double u1 = rangen(random, seed);
            const double y = lo[k] + std::fabs(u1 - 0.5) * (hi[k] - lo[k]);
            const double u2 = rangen(random, seed);
            x[k] = y + y * std::fabs(u2 - 0.5) * range;
            const double ft = capped(objective.value(x));
            ++result.evaluations;
            if (ft < best) {
                best = ft;
                failures = 0;
                ++successes;
            } else {
                x[k] = kept;
                ++failures;
                successes = 0;
            }
        }
        range = std::fabs(range - kRangeStep) + kRangeFloor;
        reflect_parameters(x, box);
        f = objective.value(x);
        ++result.evaluations;
    }
    for (std::int64_t i = 0; i < n; ++i) p[i] = x[i];
    result.f = f;
    return result;
}

}  // namespace imm
