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
#include "optimise/quasi_newton.h"
#include "optimise/random_search.h"
#include "support/shared_blocks.h"

namespace imm {

namespace {

constexpr double kSlopeGuard = 1e-6;
constexpr double kSmallest = 1e-6;
constexpr int kPolishRounds = 10;
constexpr std::int64_t kRandomSearchPasses = 30;
constexpr double kSeed = 1024.0;
constexpr std::int64_t kLocalEvaluations = 250;

// Sum of the slopes |dy/dt| of three rows of the curve of `rows` rows from row
// `first` (0-based), its rows 3 to 6 when it is that long, else the last rows
// it has. Each row is paired with the next row of another time in the curve,
// so that replicate rows give the curve's rate, not their scatter over the
// guard; or, with `neighbours`, with the row after it, whatever its time.
double curve_start_slope(std::int64_t first, std::int64_t rows, bool neighbours) {
    const std::int64_t last = std::min<std::int64_t>(6, rows);
    const std::int64_t from = std::max<std::int64_t>(1, last - 3);
    const auto end = static_cast<std::size_t>(first + rows);
    double slope = 0.0;
    for (std::int64_t k = from; k < last; ++k) {
        const auto i = static_cast<std::size_t>(first + k - 1);
        std::size_t j = i + 1;
        while (!neighbours && j < end && a1.t[j] == a1.t[i]) ++j;
        if (j == end) continue;
        slope += std::fabs(a1.yobs[i] - a1.yobs[j]) / (std::fabs(a1.t[i] - a1.t[j]) + kSlopeGuard);
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
    const double divisor = model <= 3 ? 20.0 : 10.0;
    guess.vm = std::fabs(curve_start_slope(first_row, m1, false) / divisor);
    guess.neighbours_vm = std::fabs(curve_start_slope(first_row, m1, true) / divisor);
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

namespace {

using Estimate = std::array<double, kMaxParams>;

// The guess polished by ten rounds of golden-section and coordinate searches,
// then a random and a coordinate search in the box around it.
Estimate polish(const StartGuess& guess, RandomContext& random) {
    const std::int64_t n = a3.nparam;
    const bool time_offset = global_types.imdlno == 3 || global_types.imdlno == 6;
    Estimate lo{}, hi{}, estimate{};
    std::fill_n(lo.begin(), n, -kWideBound);
    std::fill_n(hi.begin(), n, kWideBound);
    const std::span<double> e(estimate.data(), static_cast<std::size_t>(n));
    e[0] = guess.km;
    if (n > 1) e[1] = guess.vm;
    if (n > 2) e[2] = guess.third;

    Calcfg objective;
    double f = 0.0;
    const std::span<const double> wide_lo(lo.data(), e.size()), wide_hi(hi.data(), e.size());
    for (int round = 0; round < kPolishRounds; ++round) {
        f = golden_search(objective, e).f;
        f = asearch(e, wide_lo, wide_hi, f, random).f;
    }
    if (time_offset && n > 2) e[2] = std::fabs(guess.third);

    const ParameterBox box = model_parameter_box(a1.nmdl, e, 100.0, a3.ndata, a1);
    double seed = kSeed;
    random.start_values.next(seed);
    random.start_values.next(seed);
    f = dorunrun(objective, e, seed, random, RandomSearchOptions{kRandomSearchPasses}).f;
    asearch(e, box.lower, box.upper, f, random);
    if (time_offset && n > 2) e[2] = guess.third;
    return estimate;
}

// Entries nearer zero than kSmallest become +-kSmallest; true for each that did.
std::array<bool, kMaxParams> floor_at_smallest(Estimate& e) {
    std::array<bool, kMaxParams> floored{};
    for (std::int64_t i = 0; i < a3.nparam; ++i) {
        floored[i] = std::fabs(e[i]) < kSmallest;
        if (floored[i]) e[i] = e[i] < 0.0 ? -kSmallest : kSmallest;
    }
    return floored;
}

// The quasi-Newton minimiser from e within the box around `reference`; the
// objective at the point it returns.
double minimise_locally(Estimate& e, const Estimate& reference) {
    const auto n = static_cast<std::size_t>(a3.nparam);
    const ParameterBox box = model_parameter_box(a1.nmdl, reference, 100.0, a3.ndata, a1);
    std::array<double, kMaxParams * (kMaxParams + 1) / 2> hessian{};
    Calcfg objective;
    const double f = va10e(objective, std::span(e).first(n), std::span(box.lower).first(n),
                           std::span(box.upper).first(n), std::span(hessian).first(n * (n + 1) / 2), 1,
                           kLocalEvaluations).f;
    const std::array<bool, kMaxParams> floored = floor_at_smallest(e);
    const bool moved = std::any_of(floored.begin(), floored.begin() + a3.nparam, [](bool b) { return b; });
    return moved ? objective.value(std::span(e).first(n)) : f;
}

}  // namespace

std::array<double, kMaxParams> init_estimates(std::span<double> p, RandomContext& random) {
    std::array<std::int64_t, kMaxCurves> counts{};
    std::int64_t curves = 0;
    ycurves(counts, curves);
    const CurveRows first = first_substrate_curve(std::span(counts).first(static_cast<std::size_t>(curves)));
    const StartGuess guess = guess_start_values(global_types.imdlno, curves, first.count, first.first);
    Estimate e = polish(guess, random);
    const std::array<bool, kMaxParams> floored = floor_at_smallest(e);

    // The boxes are built around the start values, each at least as far out as
    // the guess when the searches drove it to the floor, so that the box still
    // holds the rate the data show.
    Estimate reference = e;
    const std::array<double, 2> guessed{guess.km, guess.vm};
    for (std::size_t i = 0; i < guessed.size(); ++i) {
        if (floored[i]) reference[i] = std::max(reference[i], std::fabs(guessed[i]));
    }
    // Replicate rows among the first: the boxes also reach as far as the start
    // values polished from the rates of neighbouring rows, which the guard
    // makes large, so that a nearly straight curve whose Km runs off stops no
    // nearer than it would from there. Such a box also holds flat curves that
    // fit better than the start, so the start is taken on to a local minimum:
    // the one from the polished values, or the one from there with Km at the
    // floor and the guessed rate (a zero-order fit, which the polish, starting
    // from a large Km, does not reach), whichever is lower.
    if (guess.neighbours_vm != guess.vm) {
        StartGuess neighbours = guess;
        neighbours.vm = guess.neighbours_vm;
        Estimate wide = polish(neighbours, random);
        floor_at_smallest(wide);
        for (std::size_t i = 0; i < guessed.size(); ++i) reference[i] = std::max(reference[i], wide[i]);
        const double polished = minimise_locally(e, reference);
        Estimate zero_order = e;
        zero_order[0] = kSmallest;
        zero_order[1] = guess.vm;
        if (minimise_locally(zero_order, reference) < polished) e = zero_order;
    }
    std::copy_n(e.begin(), a3.nparam, p.begin());
    return reference;
}

}  // namespace imm
