#include "optimise/start_values.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "model/curve_split.h"
#include "optimise/calcfg.h"
#include "optimise/coordinate_search.h"
#include "optimise/golden_search.h"
#include "optimise/parameter_box.h"
#include "optimise/random_search.h"
#include "support/shared_blocks.h"

namespace imm {

namespace {

constexpr double kSlopeGuard = 1e-6;
constexpr double kSmallest = 1e-6;
constexpr int kPolishRounds = 10;
constexpr std::int64_t kRandomSearchPasses = 30;
constexpr double kSeed = 1024.0;

// Sum of the slopes |dy/dt| of three neighbouring pairs of the curve of `rows`
// rows from row `first` (0-based): its rows 3 to 6 when it is that long, else
// the last rows it has.
double curve_start_slope(std::int64_t first, std::int64_t rows) {
    const std::int64_t last = std::min<std::int64_t>(6, rows);
    const std::int64_t from = std::max<std::int64_t>(1, last - 3);
    double slope = 0.0;
    for (std::int64_t k = from; k < last; ++k) {
        const auto i = static_cast<std::size_t>(first + k - 1);
        slope += std::fabs(a1.yobs[i] - a1.yobs[i + 1]) / (std::fabs(a1.t[i] - a1.t[i + 1]) + kSlopeGuard);
    }
    return slope;
}

// The first curve with substrate: a control at [So] 0 before it has no slope to
// tell Vm.
struct CurveRows {
    std::int64_t first = 0;
    std::int64_t count = 0;
};
CurveRows first_substrate_curve(std::span<const std::int64_t> counts) {
    std::int64_t first = 0;
    for (const std::int64_t count : counts) {
        if (a1.so[static_cast<std::size_t>(first)] > 0.0) return {first, count};
        first += count;
    }
    return {0, counts.empty() ? 0 : counts[0]};
}

}  // namespace

StartGuess guess_start_values(std::int64_t model, std::int64_t curves, std::int64_t rows_in_first_curve,
                              std::int64_t first_row) {
    const std::int64_t rows = a3.ndata;
    const std::int64_t m1 = rows_in_first_curve;
    const auto r0 = static_cast<std::size_t>(first_row);
    StartGuess guess;
    double so_sum = 0.0;
    for (std::int64_t i = 0; i < rows; ++i) so_sum += a1.so[i];
    guess.km = 2.0 * static_cast<double>(curves) * so_sum / static_cast<double>(rows);
    const double slope = curve_start_slope(first_row, m1);
    guess.vm = model <= 3 ? std::fabs(slope / 20.0) : std::fabs(slope / 10.0);
    if (model == 2) {
        guess.third = std::fabs((a1.yobs[r0] + a1.yobs[r0 + 1]) / 2.0);
    } else if (model == 5) {
        const auto end = r0 + static_cast<std::size_t>(m1);
        guess.third = std::fabs((a1.yobs[end - 1] + a1.yobs[end - 2]) / 2.0);
    } else if (model == 3 || model == 6) {
        guess.third = std::fabs((a1.t[r0] + a1.t[r0 + 1]) / 2.0);
        if (a1.t[r0] > 0.0) guess.third = -guess.third;
    }
    return guess;
}

void init_estimates(std::span<double> p, RandomContext& random) {
    const std::int64_t n = a3.nparam;
    const std::int64_t rows = a3.ndata;
    const std::int64_t model = global_types.imdlno;
    std::array<double, kMaxParams> lo{}, hi{}, e_store{};
    std::fill_n(lo.begin(), n, -kWideBound);
    std::fill_n(hi.begin(), n, kWideBound);
    const std::span<double> e(e_store.data(), static_cast<std::size_t>(n));

    std::array<std::int64_t, kMaxCurves> counts{};
    std::int64_t curves = 0;
    ycurves(counts, curves);
    const CurveRows first = first_substrate_curve(std::span(counts).first(static_cast<std::size_t>(curves)));
    const StartGuess guess = guess_start_values(model, curves, first.count, first.first);
    const double third = guess.third;
    const bool time_offset = model == 3 || model == 6;
    e[0] = guess.km;
    if (n > 1) e[1] = guess.vm;
    if (n > 2) e[2] = third;

    Calcfg objective;
    double f = 0.0;
    const std::span<const double> wide_lo(lo.data(), e.size()), wide_hi(hi.data(), e.size());
    for (int round = 0; round < kPolishRounds; ++round) {
        f = golden_search(objective, e).f;
        f = asearch(e, wide_lo, wide_hi, f, random).f;
    }
    if (time_offset && n > 2) e[2] = std::fabs(third);

    const ParameterBox box = model_parameter_box(a1.nmdl, e, 100.0, rows, a1);
    double seed = kSeed;
    random.start_values.next(seed);
    random.start_values.next(seed);
    f = dorunrun(objective, e, seed, random, RandomSearchOptions{kRandomSearchPasses}).f;
    asearch(e, box.lower, box.upper, f, random);
    if (time_offset && n > 2) e[2] = third;

    for (std::int64_t i = 0; i < n; ++i) {
        if (std::fabs(e[i]) < kSmallest) e[i] = e[i] < 0.0 ? -kSmallest : kSmallest;
        p[i] = e[i];
    }
}

}  // namespace imm
