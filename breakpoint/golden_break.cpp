#include "breakpoint/golden_break.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace imm {

namespace {

constexpr int kGoldenCycles = 20;

void require_break_size(std::span<const double> p)
{
    if (p.size() != 4 && p.size() != 5) {
        throw std::invalid_argument("break search: the break model has 4 or 5 parameters");
    }
}

// Golden passes on the five-parameter model, `after` run after each cycle's passes.
template <class After>
GoldenSearchResult golden_cycles(const BreakCurve& curve, BreakVector& p, std::span<const std::int64_t> order,
                                 After&& after)
{
    BreakObjective objective(curve);
    GoldenSearchResult result;
    for (int cycle = 1; cycle <= kGoldenCycles; ++cycle) {
        for (const std::int64_t m : order) {
            result.evaluations += golden_pass(objective, p, m);
            after(cycle, m);
        }
        result.f = funbreak(p, curve);
        ++result.evaluations;
    }
    return result;
}

}  // namespace

GoldenSearchResult golden_break(const BreakCurve& curve, std::span<double> p, const BreakFlags& flags)
{
    require_break_size(p);
    const ParameterBox box = break_box(static_cast<std::int64_t>(p.size()), curve, kGoldenBreakBox);
    BreakObjective objective(curve);
    GoldenSearchResult result;
    for (int sweep = 0; sweep < kGoldenCycles; ++sweep) {
        std::int64_t flagged = 0;
        for (std::size_t m = 0; m < p.size(); ++m) {
            if (flags[m] != 0) {
                result.evaluations += golden_pass(objective, p, static_cast<std::int64_t>(m));
                ++flagged;
            }
        }
        for (std::int64_t k = 0; k < flagged; ++k) {
            reflect_break_parameters(p, box);
        }
        result.f = funbreak(p, curve);
        ++result.evaluations;
    }
    return result;
}

GoldenSearchResult golden_cd_search(const BreakCurve& curve, BreakVector& p)
{
    const std::int64_t order[] = {kBreakBend, kBreakCrossing};
    return golden_cycles(curve, p, order, [&p](int cycle, std::int64_t m) {
        if (m == kBreakBend && cycle <= 4 && p[kBreakBend] < 1.0) {
            p[kBreakBend] = 1.0;
        }
    });
}

GoldenSearchResult golden_c_search(const BreakCurve& curve, BreakVector& p)
{
    const std::int64_t order[] = {kBreakCrossing};
    return golden_cycles(curve, p, order, [](int, std::int64_t) {});
}

GoldenSearchResult golden_d_search(const BreakCurve& curve, BreakVector& p)
{
    const std::int64_t order[] = {kBreakBend};
    return golden_cycles(curve, p, order, [&p](int, std::int64_t) {
        if (p[kBreakBend] < 0.0 || p[kBreakBend] > 5.0) {
            p[kBreakBend] = 1.0;
        }
    });
}

OneDimensionalResult min1d(const BreakCurve& curve, std::span<double> p, const OneDimensionalOptions& options)
{
    require_break_size(p);
    const auto k = static_cast<std::size_t>(options.index);
    if (k >= p.size()) {
        throw std::invalid_argument("min1d: no such parameter");
    }
    const bool free = options.flags[k] != 0;
    const ParameterBox box = break_box(static_cast<std::int64_t>(p.size()), curve, kGoldenBreakBox);
    BreakVector work{};
    const std::span<double> q = std::span<double>(work).first(p.size());
    std::copy(p.begin(), p.end(), q.begin());
    OneDimensionalResult result;
    const auto sum_at = [&](double x) {
        if (free) {
            q[k] = x;
        }
        ++result.evaluations;
        return funbreak(q, curve);
    };

    double step = options.step;
    double b = q[k];
    double fb = funbreak(q, curve);
    ++result.evaluations;
    std::int64_t parabolic = 1;
    for (;;) {
        if (parabolic > 99) {
            break;
        }
        const double cycle_start = b;
        double xa = 0.0;
        double fa = 0.0;
        double fc = 0.0;
        // Steps on from b, growing the step by 1.5, while the sum falls; the
        // first sum that does not fall goes to fc.
        const auto walk_downhill = [&] {
            for (;;) {
                const double x2 = b + step;
                const double f2 = sum_at(x2);
                if (!(f2 < fb)) {
                    fc = f2;
                    return;
                }
                xa = b;
                fa = fb;
                b = x2;
                fb = f2;
                step *= 1.5;
            }
        };
        const double x1 = b + step;
        const double f1 = sum_at(x1);
        if (f1 < fb) {
            xa = b;
            fa = fb;
            b = x1;
            fb = f1;
            step *= 1.5;
        } else {
            step *= -0.25;
            xa = x1;
            fa = f1;
        }
        walk_downhill();
        if (free) {
            q[k] = b;
            reflect_break_parameters(q, box);
            b = q[k];
        }
        const double d = xa - b;
        const double e = step * (fa - fb);
        const double h = d * (fc - fb);
        if (h != e) {
            step = (h * d - step * e) * 0.5 / ((h - e) + 1e-12);
            const double x = b + step;
            if (b + 1e-8 != x + 1e-8) {
                const double f = sum_at(x);
                ++parabolic;
                if (f < fb) {
                    b = x;
                    fb = f;
                }
            }
        }
        if (!(std::abs(cycle_start - b) >= 1e-12)) {
            break;
        }
    }
    // The point the best sum belongs to.
    if (free) {
        q[k] = b;
    }
    std::copy(q.begin(), q.end(), p.begin());
    result.f = funbreak(p, curve);
    ++result.evaluations;
    result.step = step;
    return result;
}

}  // namespace imm
