#include "breakpoint/break_cascade.h"

#include <cmath>

#include "breakpoint/break_evolution.h"
#include "breakpoint/break_quasi_newton.h"
#include "breakpoint/break_simplex.h"
#include "breakpoint/hit_and_run.h"
#include "breakpoint/profile_search.h"

namespace imm {

namespace {

constexpr double kStartSum = 1e15;
constexpr std::size_t kHessianEntries = kBreakParams * (kBreakParams + 1) / 2;

// The best fit the stages have offered so far.
class BestBreak {
public:
    BestBreak(const BreakCurve& curve, const BreakVector& start)
        : curve_(curve), box_(break_box(kBreakParams, curve, kEvolutionBreakBox))
    {
        fit_.parameters = start;
    }

    // Keeps p when it lies inside the box and its sum is finite and smaller than the best's.
    void offer(const BreakVector& p)
    {
        for (std::size_t i = 0; i < p.size(); ++i) {
            if (!(p[i] >= box_.lower[i] && p[i] <= box_.upper[i])) {
                return;
            }
        }
        const double f = funbreak(p, curve_);
        if (std::isfinite(f) && (!fit_.found || f < fit_.f)) {
            fit_ = {p, f, true};
        }
    }

    // The best fit; the start until a stage has found one.
    const CascadeFit& fit() const { return fit_; }
    const ParameterBox& box() const { return box_; }

private:
    const BreakCurve& curve_;
    const ParameterBox box_;
    CascadeFit fit_;
};

QuasiNewtonResult refine(const BreakCurve& curve, BreakVector& p, const BreakFlags& flags, const BreakLimits& limits)
{
    std::array<double, kHessianEntries> hessian{};
    hessian.fill(1.0);
    BreakQuasiNewtonOptions options;
    options.flags = flags;
    options.mode = 1;
    options.max_evaluations = limits.quasi_newton_evaluations;
    return va10d(curve, p, hessian, options);
}

// The hit-and-run search from p, told p's real sum.
void hit_and_run(const BreakCurve& curve, BreakVector& p, const BreakFlags& flags, RandomContext& random,
                 const BreakLimits& limits)
{
    HitAndRunOptions options;
    options.flags = flags;
    options.max_iterations = limits.hit_and_run_moves;
    hitnrun_breakpt(curve, p, funbreak(p, curve), options, random.minimal_standard);
}

// A crossing time below 0 or beyond ten turning times goes back to `low` or `high`.
void limit_crossing(BreakVector& p, double low, double high, double tq)
{
    if (p[kBreakCrossing] < 0.0) {
        p[kBreakCrossing] = low;
    }
    if (p[kBreakCrossing] > 10.0 * tq) {
        p[kBreakCrossing] = high;
    }
}

// From the quasi-Newton stage's point, with the crossing back at the turning time.
void retry(const CascadeCurve& curve, BreakVector p, BestBreak& best, RandomContext& random, const BreakLimits& limits)
{
    const double tq = curve.turning_time;
    p[kBreakCrossing] = tq;
    p[kBreakBend] = 1.5;
    hit_and_run(curve.shifted, p, kAllBreakFlags, random, limits);
    best.offer(p);
    limit_crossing(p, tq, tq, tq);
    BreakSimplexOptions simplex;
    simplex.max_iterations = limits.simplex_iterations;
    smplx_break(curve.shifted, p, simplex);
    best.offer(p);
    limit_crossing(p, 0.10000000149011612 * tq, 5.0 * tq, tq);
    p[kBreakBend] = 2.0;
    refine(curve.data, p, {1, 1, 1, 0, 0}, limits);
    best.offer(p);
}

}  // namespace

CascadeFit fit_break_cascade(const CascadeCurve& curve, const BreakVector& start, RandomContext& random,
                             const BreakLimits& limits)
{
    BestBreak best(curve.data, start);
    BreakVector p = start;

    BreakEvolutionOptions evolution;
    evolution.flags = {1, 1, 1, 1, 0};
    evolution.max_generations = limits.generations;
    evol(curve.data, p, kStartSum, evolution, random);
    best.offer(p);

    p = best.fit().parameters;
    hit_and_run(curve.shifted, p, {1, 1, 1, 0, 1}, random, limits);
    best.offer(p);

    p = best.fit().parameters;
    const QuasiNewtonResult refined = refine(curve.data, p, kAllBreakFlags, limits);
    best.offer(p);
    if (refined.iexit == 4) {
        retry(curve, p, best, random, limits);
    }

    if (best.fit().found) {
        p = best.fit().parameters;
        ProfileSearchOptions profile;
        profile.max_evaluations = limits.profile_evaluations;
        profile_search(curve.data, p, best.box(), profile);
        best.offer(p);
    }
    return best.fit();
}

}  // namespace imm
