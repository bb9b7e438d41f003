#include "engine/model_fit.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "engine/progress_title.h"
#include "model/gauss_newton_hessian.h"
#include "model/robust_weights.h"
#include "optimise/calcfg.h"
#include "optimise/coordinate_search.h"
#include "optimise/model_evolution.h"
#include "optimise/model_objective.h"
#include "optimise/parameter_box.h"
#include "optimise/quasi_newton.h"
#include "optimise/random_search.h"
#include "optimise/simplex.h"
#include "optimise/sqp_minimiser.h"

namespace imm {

namespace {

constexpr double kSimplexTolerance = 1e-10;
constexpr double kStage2Change = 1e-8;
constexpr double kStage2Ceiling = 1e15;
constexpr std::int64_t kRandomSearchPasses = 10;
constexpr std::int64_t kSqpLineSearch = 5;
constexpr double kSqpPassGain = 1e-10;  // relative decrease that calls for another pass
constexpr double kWeightChange = 1e-6;  // a robust weight that moves more calls for another round
constexpr double kRandomSeed = 1024.0;

// The objective of the local optimisers, counting its evaluations.
class CountedCalcfg : public ConstrainedObjective {
public:
    explicit CountedCalcfg(HeldWeights held) : calcfg_(held) {}
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
double start_objective(std::span<const double> p, HeldWeights held) {
    ModelSumOfSquares sum_of_squares(a3.weight_mode == 2 ? 2 : 0, held);
    return 2.0 * sum_of_squares.value(p);
}

class StageClock {
public:
    explicit StageClock(StageTally& tally) : tally_(tally), start_(std::chrono::steady_clock::now()) {}
    ~StageClock() {
        tally_.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    StageTally& tally_;
    std::chrono::steady_clock::time_point start_;
};

// Moves the first n parameters onto the box's bounds they crossed; true when one moved.
bool clamp_into(ParameterVector& p, const ParameterBox& box, std::size_t n) {
    bool moved = false;
    for (std::size_t i = 0; i < n; ++i) {
        const double inside = std::clamp(p[i], box.lower[i], box.upper[i]);
        moved = moved || inside != p[i];
        p[i] = inside;
    }
    return moved;
}

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

ParameterBox fit_bounds(std::int64_t model, std::int64_t nparam, std::span<const double> reference, std::int64_t rows,
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
    for (std::size_t i = 0; i < 2; ++i) set(i, 0.0, 100.0 * reference[i]);
    if (model == 2 || model == 5) {
        const ParameterRange range = background_range(rows, data);
        set(2, range.lower, range.upper);
    } else if (model == 3 || model == 6) {
        const ParameterRange range = time_offset_range(rows, data);
        set(2, range.lower, range.upper);
    }
    return box;
}

double simplex_step(double p1, double p2) {
    const double largest = std::max(p1, p2);
    if (!(largest > 0.0)) return 0.1;
    const double step = std::sqrt((p1 * p1 + p2 * p2) / 2.0) / largest * 0.1;
    return std::isfinite(step) ? step : 0.1;
}

namespace {

// One model's fit: the stages share the current point, the best point and,
// with robust weighting, the weights held while a stage runs.
class ModelFit {
public:
    ModelFit(std::span<const double> start, std::span<const double> box_reference, const ParameterBox& bounds,
             double stage3_tolerance, ProgressTitle& title, RandomContext& random, const StageLimits& limits)
        : n_(static_cast<std::size_t>(a3.nparam)), rows_(static_cast<std::size_t>(a3.ndata)),
          robust_(a3.weight_mode == 2), bounds_(bounds), stage3_tolerance_(stage3_tolerance), title_(title),
          random_(random), limits_(limits), weights_(robust_ ? HeldWeights(held_.data(), rows_) : HeldWeights{}),
          objective_(weights_), p_(var_.data(), n_), box_reference_(box_reference.first(n_)) {
        std::copy_n(start.begin(), n_, result_.start.begin());
        std::copy_n(start.begin(), n_, var_.begin());
        result_.bounds = bounds;
    }

    ModelFitResult run();

private:
    void stage1();
    void stage2();
    void stage3();
    void keep_best();
    // Robust weights of the residuals at the current point become the held
    // weights, and the best point's value is taken with them. True when a
    // weight moved by more than kWeightChange.
    bool hold_weights();

    std::span<const double> lo() const { return std::span(bounds_.lower.data(), n_); }
    std::span<const double> hi() const { return std::span(bounds_.upper.data(), n_); }

    const std::size_t n_;
    const std::size_t rows_;
    const bool robust_;
    const ParameterBox& bounds_;
    const double stage3_tolerance_;
    ProgressTitle& title_;
    RandomContext& random_;
    const StageLimits& limits_;
    std::array<double, kMaxRows> held_{};
    const HeldWeights weights_;
    CountedCalcfg objective_;
    ModelSumOfSquares fresh_weights_{2};  // robust weights taken afresh at a point
    ParameterVector var_{};
    const std::span<double> p_;
    const std::span<const double> box_reference_;  // the caller's, for the run
    double f_ = 0.0;
    double seed_ = kRandomSeed;
    BestPoint best_{};
    ModelFitResult result_{};
};

// Each optimiser's result is brought into the box before it is compared with
// the best point, so the point kept always lies inside the box.
void ModelFit::keep_best() {
    if (clamp_into(var_, bounds_, n_)) f_ = objective_.value(p_);
    best_.keep_better(f_, var_);
}

bool ModelFit::hold_weights() {
    fresh_weights_.value(p_);
    const std::span<const double> fresh = fresh_weights_.robust_weights();
    double change = 0.0;
    for (std::size_t k = 0; k < rows_; ++k) change = std::max(change, std::fabs(fresh[k] - held_[k]));
    std::copy_n(fresh.begin(), rows_, held_.begin());
    f_ = objective_.value(p_);
    best_ = {f_, var_};
    return change > kWeightChange;
}

void ModelFit::stage1() {
    StageClock clock(result_.stages[0]);
    objective_.count = 0;
    const EvolutionResult evolved = evolve(p_, f_,
                                           ModelEvolutionOptions{.max_generations = limits_.generations,
                                                                 .held_weights = weights_,
                                                                 .box_reference = box_reference_},
                                           random_);
    f_ = evolved.value;
    std::copy_n(evolved.parameters.begin(), n_, var_.begin());
    title_.check();
    title_.mark(evolved.progress_count);
    keep_best();

    const SimplexOptions options{.tolerance = kSimplexTolerance,
                                 .scale = simplex_step(var_[0], var_[1]),
                                 .max_iterations = limits_.simplex_iterations};
    title_.mark(evolved.progress_count);
    const SimplexResult simplexed = simplex(objective_, p_, random_, options);
    f_ = simplexed.f;
    title_.check();
    title_.mark(simplexed.icount);
    keep_best();
    result_.ssq1 = f_;
    result_.stages[0].evaluations += evolved.evaluations + objective_.count;
}

// Coordinate and random searches until the value settles, then quasi-Newton.
void ModelFit::stage2() {
    StageClock clock(result_.stages[1]);
    objective_.count = 0;
    std::int64_t searched = 0;
    double previous = 2.0 * f_;
    for (std::int64_t pass = 1; std::abs((previous - f_) / f_) > kStage2Change; ++pass) {
        previous = f_;
        const CoordinateSearchResult coordinate = asearch(p_, lo(), hi(), f_, random_, weights_);
        f_ = coordinate.f;
        searched += coordinate.evaluations;
        keep_best();
        f_ = dorunrun(objective_, p_, seed_, random_, RandomSearchOptions{.passes = kRandomSearchPasses}).f;
        keep_best();
        title_.check();
        title_.mark(1);
        if (f_ > kStage2Ceiling || pass == limits_.stage2_passes) break;
    }
    title_.mark(1);

    std::array<double, kMaxParams * (kMaxParams + 1) / 2> hes{};
    f_ = va10e(objective_, p_, lo(), hi(), std::span(hes).first(n_ * (n_ + 1) / 2), 1, limits_.quasi_newton_evaluations).f;
    keep_best();
    result_.ssq2 = f_;
    result_.stages[1].evaluations += searched + objective_.count;
}

// The bounded SQP minimiser, run again from its own result with a fresh
// Hessian while that still lowers the sum noticeably.
void ModelFit::stage3() {
    StageClock clock(result_.stages[2]);
    objective_.count = 0;
    const auto state = std::make_unique<VmconState>();
    ObjectiveDerivatives derivatives;
    result_.stage3_tolerance = stage3_tolerance_;
    result_.stage3_iterations = 0;
    for (std::int64_t pass = 1; pass <= limits_.sqp_passes; ++pass) {
        const double before = f_;
        resetw(*state);
        ParameterVector x{};
        std::copy_n(var_.begin(), n_, x.begin());
        const std::vector<double> hessian = gauss_newton_hessian(p_, weights_);
        const SqpOptions options{.parameter_count = a3.nparam,
                                 .iteration_limit = limits_.sqp_iterations,
                                 .tolerance = stage3_tolerance_,
                                 .objective_scale = f_,
                                 .line_search_limit = kSqpLineSearch,
                                 .iterations = 0,
                                 .qp_mode = 1,
                                 .initial_hessian = hessian,
                                 .box = bounds_};
        const SqpResult sqp = vmcon(objective_, options, x, derivatives, *state);
        f_ = sqp.f;
        var_ = x;
        keep_best();
        result_.stage3_code = sqp.info;
        result_.stage3_iterations += sqp.iterations;
        result_.convergence_measure = sqp.convergence_measure;
        if (std::isnan(sqp.convergence_measure)) {
            result_.convergence_measure = limits.big_bound;
            result_.stage3_measure_finite = false;
            f_ = best_.f;
            var_ = best_.p;
            break;
        }
        if (!(before - f_ > kSqpPassGain * before)) break;
    }
    result_.stages[2].evaluations += objective_.count;
}

ModelFitResult ModelFit::run() {
    rangen(random_, seed_);
    rangen(random_, seed_);
    if (robust_) hold_weights();
    f_ = start_objective(p_, weights_);
    best_ = {f_, var_};
    title_.clear();

    stage1();
    // With robust weighting the weights are held within each stage and taken
    // afresh before the next, and stages 2 and 3 repeat until they settle.
    for (std::int64_t round = 1;; ++round) {
        if (robust_) hold_weights();
        stage2();
        if (robust_) hold_weights();
        stage3();
        if (!robust_ || round == limits_.robust_rounds || !hold_weights()) break;
    }
    // The value reported belongs to the parameters reported.
    result_.params = var_;
    result_.ssq3 = objective_.value(p_);
    return result_;
}

}  // namespace

ModelFitResult fit_model(std::span<const double> start, std::span<const double> box_reference,
                         const ParameterBox& bounds, double stage3_tolerance,
                         ProgressTitle& title, RandomContext& random, const StageLimits& stage_limits) {
    return ModelFit(start, box_reference, bounds, stage3_tolerance, title, random, stage_limits).run();
}

}  // namespace imm
