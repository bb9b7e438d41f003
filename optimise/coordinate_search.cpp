#include "optimise/coordinate_search.h"

#include <array>
#include <bit>
#include <cstdint>

#include "optimise/bound_reflection.h"
#include "optimise/model_objective.h"
#include "optimise/value_order.h"
#include "support/shared_blocks.h"

namespace imm {

namespace {

constexpr int kPasses = 11;
constexpr int kSteps = 11;
constexpr int kBatch = 30;           // uniforms drawn per probe
constexpr int kBatchPick = 15;       // the one used
constexpr double kProbe = 9.999999747378752e-05;

double draw_batch(UniformSource& uniform) {
    double picked = 0.0;
    for (int k = 1; k <= kBatch; ++k) {
        const double u = uniform.next();
        if (k == kBatchPick) picked = u;
    }
    return picked;
}

}  // namespace

CoordinateSearchResult coordinate_search(Objective& objective, std::span<double> p, std::span<const double> lo,
                                         std::span<const double> hi, double f, RandomContext& random) {
    const auto n = static_cast<std::int64_t>(p.size());
    CoordinateSearchResult result;
    double best = f;
    bool kept_one = false;
    std::array<double, kMaxParams> x_store{};
    const std::span<double> x(x_store.data(), p.size());
    for (std::int64_t i = 0; i < n; ++i) x[i] = p[i];

    random.uniform.seed(UniformSource::SeedWords{});
    draw_batch(random.uniform);
    for (int pass = 0; pass < kPasses; ++pass) {
        for (int s = 1; s <= kSteps; ++s) {
            for (std::int64_t k = 0; k < n; ++k) {
                const double u = draw_batch(random.uniform);
                x[k] = (static_cast<double>(s - 6) * u * kProbe + 1.0) * p[k];
                abounds(k, x, lo, hi);
                // Once a probe has been kept, best is the value at p itself: a
                // probe that lands on p (the middle step) cannot beat it.
                const bool at_p = std::bit_cast<std::uint64_t>(x[k]) == std::bit_cast<std::uint64_t>(p[k]);
                const bool known = kept_one && at_p;
                const double v = known ? best : objective.value(x);
                result.evaluations += known ? 0 : 1;
                if (is_better(v, best)) {
                    kept_one = true;
                    best = v;
                    p[k] = x[k];
                } else {
                    x[k] = p[k];
                }
            }
        }
    }
    result.f = best;
    return result;
}

CoordinateSearchResult asearch(std::span<double> p, std::span<const double> lo, std::span<const double> hi,
                               double f, RandomContext& random, HeldWeights held) {
    ModelSumOfSquares objective(a3.weight_mode == 2 ? 2 : 0, held);
    return coordinate_search(objective, p, lo, hi, f, random);
}

}  // namespace imm
