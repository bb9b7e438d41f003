#include "breakpoint/breakpoint.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "breakpoint/break_evolution.h"
#include "breakpoint/break_quasi_newton.h"
#include "breakpoint/break_simplex.h"
#include "breakpoint/hit_and_run.h"

namespace imm {

namespace {

constexpr double kStartSum = 1e15;
constexpr double kWorseFactor = 10.0;
constexpr std::int64_t kGenerations = 300;
constexpr std::int64_t kHitAndRunMoves = 100;
constexpr std::int64_t kSimplexIterations = 250;
constexpr std::int64_t kQuasiNewtonEvaluations = 200;
constexpr std::size_t kHessianEntries = kBreakParams * (kBreakParams + 1) / 2;

struct BreakFit {
    BreakVector parameters{};
    double f = 0.0;
};

bool all_finite(std::span<const double> values)
{
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// A stage's result stands unless its sum is not a number or more than ten
// times the previous accepted sum; otherwise the accepted vector comes back.
void accept_or_undo(BreakVector& p, double& f, BreakVector& accepted, double previous)
{
    if (std::isnan(f) || f > kWorseFactor * previous) {
        p = accepted;
        f = previous;
    } else {
        accepted = p;
    }
}

QuasiNewtonResult refine(const BreakCurve& curve, BreakVector& p, const BreakFlags& flags)
{
    std::array<double, kHessianEntries> hessian{};
    hessian.fill(1.0);
    BreakQuasiNewtonOptions options;
    options.flags = flags;
    options.mode = 1;
    options.max_evaluations = kQuasiNewtonEvaluations;
    return va10d(curve, p, hessian, options);
}

// The cascade of minimisers on one curve. `data` holds the unshifted times,
// `shifted` the times the hit-and-run and simplex stages see.
BreakFit fit_bent_hyperbola(const BreakCurve& data, const BreakCurve& shifted, BreakVector p, double tq,
                            RandomContext& random)
{
    BreakVector accepted = p;

    BreakEvolutionOptions evolution;
    evolution.flags = {1, 1, 1, 1, 0};
    evolution.max_generations = kGenerations;
    double f = evol(data, p, kStartSum, evolution, random).value;
    accept_or_undo(p, f, accepted, kStartSum);
    const double evolution_sum = f;

    HitAndRunOptions hit_and_run;
    hit_and_run.flags = {1, 1, 1, 0, 1};
    hit_and_run.max_iterations = kHitAndRunMoves;
    f = hitnrun_breakpt(shifted, p, evolution_sum, hit_and_run, random.minimal_standard).f;
    accept_or_undo(p, f, accepted, evolution_sum);
    const double hit_and_run_sum = f;

    const QuasiNewtonResult refined = refine(data, p, kAllBreakFlags);
    f = refined.f;
    if (refined.iexit == 4) {
        p[3] = tq;
        p[4] = 1.5;
        hit_and_run.flags = kAllBreakFlags;
        f = hitnrun_breakpt(shifted, p, f, hit_and_run, random.minimal_standard).f;
        if (p[3] < 0.0) {
            p[3] = tq;
        }
        if (p[3] > 10.0 * tq) {
            p[3] = tq;
        }
        BreakSimplexOptions simplex;
        simplex.max_iterations = kSimplexIterations;
        f = smplx_break(shifted, p, simplex).f;
        if (p[3] < 0.0) {
            p[3] = 0.10000000149011612 * tq;
        }
        if (p[3] > 10.0 * tq) {
            p[3] = 5.0 * tq;
        }
        p[4] = 2.0;
        f = refine(data, p, {1, 1, 1, 0, 0}).f;
    }
    accept_or_undo(p, f, accepted, hit_and_run_sum);
    return {p, f};
}

}  // namespace

double turning_time(double km, double vm, double so)
{
    return (km * 27.0 * so) / ((vm * 4.0) * (km + so));
}

BreakpointResult breakpoint(const BreakpointInput& input, RandomContext& random)
{
    const auto curves = input.points.size();
    if (curves > static_cast<std::size_t>(kMaxCurves) || input.so.size() < curves) {
        throw std::invalid_argument("breakpoint: more than 10 curves, or fewer [So] than curves");
    }
    std::int64_t rows = 0;
    for (const std::int64_t n : input.points) {
        if (n < 0) {
            throw std::invalid_argument("breakpoint: negative row count");
        }
        rows += n;
    }
    if (rows > kMaxRows || static_cast<std::size_t>(rows) > std::min(input.t.size(), input.ycalc.size())) {
        throw std::invalid_argument("breakpoint: curve rows beyond the data");
    }

    BreakpointResult result;
    result.inflection_texts.fill(std::string(kBreakTextLength, ' '));
    result.range_texts.fill(std::string(kBreakTextLength, ' '));
    const bool offset_model = input.model == 3 || input.model == 6;
    const double s = offset_model ? input.third : 0.0;
    std::vector<double> shifted_times;
    std::size_t first = 0;
    for (std::size_t j = 0; j < curves; ++j) {
        const auto n = static_cast<std::size_t>(input.points[j]);
        const auto times = input.t.subspan(first, n);
        const auto values = input.ycalc.subspan(first, n);
        first += n;
        shifted_times.assign(times.begin(), times.end());
        for (double& x : shifted_times) {
            x += s;
        }
        const BreakCurve data{times, values, input.curve_sign};
        const BreakCurve shifted{shifted_times, values, input.curve_sign};
        const double tq = turning_time(input.km, input.vm, input.so[j]);

        CurveTexts texts = unavailable_break_texts();
        const bool usable = n > 0 && all_finite(times) && all_finite(values) && std::isfinite(s) &&
                            std::isfinite(input.vm) && input.vm > 0.0 && std::isfinite(tq) && tq > 0.0;
        if (usable) {
            BreakVector start{};
            start[0] = (largest_value(values) - smallest_value(values)) / 2.0;
            start[1] = 0.5;
            start[2] = 0.5;
            start[3] = offset_model ? std::abs(tq) - s : tq;
            start[4] = 2.0;
            const BreakFit fit = fit_bent_hyperbola(data, shifted, start, tq, random);
            if (all_finite(fit.parameters) && std::isfinite(fit.f)) {
                BreakJudgement judgement;
                judgement.model = input.model;
                judgement.sign = input.curve_sign;
                judgement.turning_time = tq;
                judgement.shift = s;
                judgement.largest_x = largest_value(shifted.x);
                judgement.largest_y = largest_value(values);
                texts = break_texts(fit.parameters, judgement);
            }
        }
        result.inflection_texts[j] = texts.inflection;
        result.range_texts[j] = texts.range;
        result.parameters[j] = texts.parameters;
    }
    return result;
}

}  // namespace imm
