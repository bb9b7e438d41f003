#include "engine/model_fit.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

#include "engine/models.h"
#include "engine/progress_title.h"
#include "optimise/bound_reflection.h"
#include "optimise/calcfg.h"
#include "optimise/coordinate_search.h"
#include "optimise/model_evolution.h"
#include "optimise/model_objective.h"
#include "optimise/quasi_newton.h"
#include "optimise/random_search.h"
#include "optimise/simplex.h"
#include "optimise/sqp_minimiser.h"

namespace imm {

namespace {

constexpr double kWideBound = 1e6;
constexpr double kSimplexTolerance = 1e-10;
constexpr double kStage2Change = 1e-8;
constexpr double kStage2Ceiling = 1e15;
constexpr std::int64_t kRandomSearchPasses = 10;
constexpr std::int64_t kSqpLineSearch = 5;
constexpr double kRandomSeed = 1024.0;

// The objective of the local optimisers, counting its evaluations.
class CountedCalcfg : public ConstrainedObjective {
public:
    double value(std::span<const double> x) override {
        ++count;
        return calcfg_.value(x);
    }
    double evaluate(std::span<const double> x, ObjectiveDerivatives& derivatives) override {
        ++count;
        return calcfg_.evaluate(x, derivatives);
    }
    std::int64_t count = 0;

private:
    Calcfg calcfg_;
};

// Twice the weighted sum of squares at the start values; only the robust mode
// weighs the rows.
double start_objective(std::span<const double> p) {
    ModelSumOfSquares sum_of_squares(a3.weight_mode == 2 ? 2 : 0);
    return 2.0 * sum_of_squares.value(p);
}

class StageClock {
public:
    explicit StageClock(StageTally& tally) : tally_(tally), start_(std::chrono::steady_clock::now()) {}
    ~StageClock() {
        tally_.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    StageTally& tally_;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace

void BestPoint::keep_better(double& f_new, ParameterVector& p_new) {
    if (std::isnan(f_new) || f < f_new) {
        f_new = f;
        p_new = p;
    } else {
        f = f_new;
        p = p_new;
    }
}

ParameterBox fit_bounds(std::int64_t model, std::int64_t nparam, std::span<const double> start, std::int64_t rows,
                        const DataBlock& data) {
    ParameterBox box;
    for (std::int64_t i = 0; i < nparam; ++i) {
        box.lower[static_cast<std::size_t>(i)] = -kWideBound;
        box.upper[static_cast<std::size_t>(i)] = kWideBound;
    }
    const auto set = [&](std::size_t i, double lo, double hi) {
        if (hi > lo) {
            box.lower[i] = lo;
            box.upper[i] = hi;
        }
    };
    for (std::size_t i = 0; i < 2; ++i) set(i, model == 5 ? -start[i] : 0.0, 100.0 * start[i]);
    const auto n = static_cast<std::size_t>(rows);
    if (model == 2 || model == 5) {
        const double ymax = *std::max_element(data.yobs.begin(), data.yobs.begin() + n);
        set(2, -0.5 * ymax, 0.5 * ymax);
    } else if (model == 3 || model == 6) {
        const double tmax = *std::max_element(data.t.begin(), data.t.begin() + n);
        set(2, -0.5 * tmax, 0.5 * tmax);
    }
    return box;
}

double simplex_step(double p1, double p2) {
    const double largest = std::max(p1, p2);
    if (!(largest > 0.0)) return 0.1;
    const double step = std::sqrt((p1 * p1 + p2 * p2) / 2.0) / largest * 0.1;
    return std::isfinite(step) ? step : 0.1;
}

ModelFitResult fit_model(std::span<const double> start, const ParameterBox& bounds, double stage3_tolerance,
                         ProgressTitle& title, RandomContext& random, const StageLimits& stage_limits) {
    const auto n = static_cast<std::size_t>(a3.nparam);
    const std::span lo(bounds.lower.data(), n);
    const std::span hi(bounds.upper.data(), n);
    ModelFitResult result;
    CountedCalcfg objective;

    ParameterVector var{};
    std::copy_n(start.begin(), n, var.begin());
    const std::span p(var.data(), n);
    double seed = kRandomSeed;
    rangen(random, seed);
    rangen(random, seed);
    double f = start_objective(p);
    BestPoint best{f, var};
    title.clear();

    {  // Stage 1: evolution, then simplex.
        StageClock clock(result.stages[0]);
        const EvolutionResult evolved =
            evolve(p, f, ModelEvolutionOptions{.max_generations = stage_limits.generations}, random);
        f = evolved.value;
        std::copy_n(evolved.parameters.begin(), n, var.begin());
        title.check();
        title.mark(evolved.progress_count);
        best.keep_better(f, var);

        const SimplexOptions options{.tolerance = kSimplexTolerance,
                                     .scale = simplex_step(var[0], var[1]),
                                     .max_iterations = stage_limits.simplex_iterations};
        title.mark(evolved.progress_count);
        const SimplexResult simplexed = simplex(objective, p, random, options);
        f = simplexed.f;
        title.check();
        title.mark(simplexed.icount);
        best.keep_better(f, var);
        result.ssq1 = f;
        result.stages[0].evaluations = evolved.evaluations + objective.count;
    }

    {  // Stage 2: coordinate and random searches until the value settles, then quasi-Newton.
        StageClock clock(result.stages[1]);
        objective.count = 0;
        std::int64_t searched = 0;
        double previous = 2.0 * f;
        for (std::int64_t pass = 1; std::abs((previous - f) / f) > kStage2Change; ++pass) {
            previous = f;
            const CoordinateSearchResult coordinate = asearch(p, lo, hi, f, random);
            f = coordinate.f;
            searched += coordinate.evaluations;
            best.keep_better(f, var);
            f = dorunrun(objective, p, seed, random, RandomSearchOptions{.passes = kRandomSearchPasses}).f;
            best.keep_better(f, var);
            title.check();
            title.mark(1);
            if (f > kStage2Ceiling || pass == stage_limits.stage2_passes) break;
        }
        title.mark(1);

        std::array<double, kMaxParams * (kMaxParams + 1) / 2> hes{};
        f = va10e(objective, p, lo, hi, std::span(hes).first(n * (n + 1) / 2), 1,
                  stage_limits.quasi_newton_evaluations).f;
        best.keep_better(f, var);
        result.ssq2 = f;

        for (std::size_t i = 0; i < n; ++i) abounds(static_cast<std::int64_t>(i), p, lo, hi);
        f = objective.value(p);
        best = {f, var};
        result.stages[1].evaluations = searched + objective.count;
    }

    {  // Stage 3: one pass of the bounded SQP minimiser.
        StageClock clock(result.stages[2]);
        objective.count = 0;
        const auto state = std::make_unique<VmconState>();
        resetw(*state);
        ObjectiveDerivatives derivatives;
        ParameterVector x{};
        std::copy_n(var.begin(), n, x.begin());
        const SqpOptions options{.parameter_count = a3.nparam,
                                 .iteration_limit = stage_limits.sqp_iterations,
                                 .tolerance = stage3_tolerance,
                                 .line_search_limit = kSqpLineSearch,
                                 .iterations = 0,
                                 .qp_mode = 1};
        const SqpResult sqp = vmcon(objective, options, x, derivatives, *state);
        f = sqp.f;
        var = x;
        best.keep_better(f, var);
        result.stage3_tolerance = stage3_tolerance;
        result.stage3_code = sqp.info;
        result.stage3_iterations = sqp.iterations;
        result.convergence_measure = sqp.convergence_measure;
        if (std::isnan(sqp.convergence_measure)) {
            result.convergence_measure = limits.big_bound;
            result.stage3_measure_finite = false;
            f = best.f;
            var = best.p;
        }
        result.stages[2].evaluations = objective.count;
    }
    // The value reported belongs to the parameters reported.
    result.params = var;
    result.ssq3 = objective.value(p);
    return result;
}

}  // namespace imm
