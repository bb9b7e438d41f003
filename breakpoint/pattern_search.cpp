#include "breakpoint/pattern_search.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace imm {

namespace {

class PatternSearch {
public:
    PatternSearch(const BreakCurve& curve, std::size_t n, const PatternSearchOptions& options)
        : curve_(curve), n_(n), options_(options)
    {
    }

    PatternSearchResult run(std::span<double> p, std::span<double> xout);

private:
    bool searched(std::size_t i) const { return options_.flags[i] != 0; }
    double sum(const BreakVector& v) const { return funbreak(std::span<const double>(v).first(n_), curve_); }
    // One exploration around v, whose best sum so far is `best`: each searched
    // coordinate tries +step, then -step, and keeps a move that lowers the sum.
    double explore(BreakVector& v, double best);

    const BreakCurve& curve_;
    const std::size_t n_;
    const PatternSearchOptions& options_;
    BreakVector step_{};
};

double PatternSearch::explore(BreakVector& v, double best)
{
    for (std::size_t i = 0; i < n_; ++i) {
        if (!searched(i)) {
            continue;
        }
        const double base = v[i];
        v[i] = base + step_[i];
        double f = sum(v);
        if (f < best) {
            best = f;
            continue;
        }
        step_[i] = -step_[i];
        v[i] = base + step_[i];
        f = sum(v);
        if (f < best) {
            best = f;
        } else {
            v[i] = base;
        }
    }
    return best;
}

PatternSearchResult PatternSearch::run(std::span<double> p, std::span<double> xout)
{
    const ParameterBox box = break_box(static_cast<std::int64_t>(n_), curve_, kEvolutionBreakBox);
    bool outside = false;
    for (std::size_t i = 0; i < n_; ++i) {
        outside = outside || p[i] < box.lower[i] || p[i] > box.upper[i];
    }
    if (outside) {
        reflect_break_parameters(p, box);
    }
    BreakVector base{};  // U
    std::copy(p.begin(), p.end(), base.begin());
    BreakVector probe = base;  // V
    for (std::size_t i = 0; i < n_; ++i) {
        if (searched(i)) {
            step_[i] = p[i] == 0.0 ? options_.shrink : options_.shrink * std::abs(p[i]);
        }
    }
    double step_length = options_.shrink;
    double fbase = sum(probe);
    PatternSearchResult result;
    while (result.iterations < options_.max_iterations && step_length > options_.step_min) {
        ++result.iterations;
        probe = base;
        double fprobe = explore(probe, fbase);
        bool moving = true;
        for (std::int64_t moves = 0; fprobe < fbase && moving && moves < options_.max_iterations; ++moves) {
            for (std::size_t i = 0; i < n_; ++i) {
                if (searched(i)) {
                    step_[i] = probe[i] <= base[i] ? -std::abs(step_[i]) : std::abs(step_[i]);
                    const double previous = base[i];
                    base[i] = probe[i];
                    probe[i] = 2.0 * probe[i] - previous;
                }
            }
            fbase = fprobe;
            fprobe = explore(probe, fbase);
            if (!(fprobe < fbase)) {
                break;
            }
            moving = false;
            for (std::size_t i = 0; i < n_; ++i) {
                moving = moving || (searched(i) && std::abs(probe[i] - base[i]) > 0.5 * std::abs(step_[i]));
            }
        }
        if (step_length >= options_.step_min && !(fprobe < fbase)) {
            step_length *= options_.shrink;
            for (std::size_t i = 0; i < n_; ++i) {
                step_[i] *= options_.shrink;
            }
        }
    }
    std::copy_n(base.begin(), n_, xout.begin());
    result.f = fbase;
    return result;
}

}  // namespace

PatternSearchResult hooke_breakpt(const BreakCurve& curve, std::span<double> p, std::span<double> xout,
                                  const PatternSearchOptions& options)
{
    if ((p.size() != 4 && p.size() != 5) || xout.size() < p.size()) {
        throw std::invalid_argument("pattern search: the break model has 4 or 5 parameters");
    }
    PatternSearch search(curve, p.size(), options);
    return search.run(p, xout);
}

}  // namespace imm
