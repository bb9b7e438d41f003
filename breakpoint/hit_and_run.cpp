#include "breakpoint/hit_and_run.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace imm {

namespace {

constexpr std::int64_t kUniforms = 60;
constexpr std::int64_t kCycles = 5;
constexpr std::int64_t kLevels = 10;
constexpr std::int64_t kMoveLimit = 999;
constexpr std::int64_t kChoiceDraws = 60;
constexpr double kAdaptation = 5.0;

class HitAndRun {
public:
    HitAndRun(const BreakCurve& curve, std::int64_t np, const HitAndRunOptions& options,
              MinimalStandardGenerator& generator)
        : curve_(curve), np_(np), options_(options), generator_(generator),
          box_(break_box(np, curve, kHitAndRunBreakBox))
    {
        for (double& r : uniforms_) {
            r = generator_.next_real();
        }
    }

    HitAndRunResult run(std::span<double> p, double f);

private:
    std::span<double> first(BreakVector& v) { return std::span<double>(v).first(static_cast<std::size_t>(np_)); }
    double sum(BreakVector& v) { return funbreak(first(v), curve_); }
    double uniform(std::int64_t a) const { return uniforms_[static_cast<std::size_t>(a - 1)]; }
    // A parameter (0-based) and the uniform index a that chose it; -1 when only held ones came up.
    std::int64_t choose(std::int64_t moves, std::int64_t& a);
    // Sets trial[k] = current[k] + delta, brought back into the box, and gives its sum.
    double try_step(std::size_t k, double delta, std::int64_t a);

    const BreakCurve& curve_;
    const std::int64_t np_;
    const HitAndRunOptions& options_;
    MinimalStandardGenerator& generator_;
    const ParameterBox box_;
    std::array<double, kUniforms> uniforms_{};
    BreakVector current_{};  // xx
    BreakVector trial_{};    // xt
};

std::int64_t HitAndRun::choose(std::int64_t moves, std::int64_t& a)
{
    std::int64_t idx = 0;
    for (std::int64_t draws = 0; draws < kChoiceDraws; ++draws) {
        a = std::abs(generator_.next_integer());
        while (a > kUniforms - 1) {
            a /= 20;
        }
        if (a == 0) {
            a = 1;
        }
        const double s = std::abs(uniform(a) + 1e-6);
        idx = static_cast<std::int64_t>(static_cast<double>(np_) * s + 1.2 + 1e-6);
        if (idx > np_) {
            idx = moves % 2 == 1 ? 1 : np_;
        }
        if (options_.flags[static_cast<std::size_t>(idx - 1)] != 0) {
            return idx - 1;
        }
    }
    return -1;
}

double HitAndRun::try_step(std::size_t k, double delta, std::int64_t a)
{
    double& x = trial_[k];
    x = current_[k] + delta;
    const double lo = box_.lower[k];
    const double hi = box_.upper[k];
    if (x > hi || x < lo) {
        x = (hi + lo) / 2.0 + (hi - lo) * std::abs(uniform(a + 1)) / 2.0;
    }
    reflect_break_parameters(first(trial_), box_);
    return sum(trial_);
}

HitAndRunResult HitAndRun::run(std::span<double> p, double f)
{
    HitAndRunResult result;
    std::copy(p.begin(), p.end(), current_.begin());
    trial_ = current_;
    BreakVector best = current_;
    BreakVector step_size{};
    std::array<std::int64_t, kBreakParams> accepted{};
    for (std::int64_t i = 0; i < np_; ++i) {
        step_size[static_cast<std::size_t>(i)] = 0.5 * p[static_cast<std::size_t>(i)];
    }
    double w = 0.1;
    double fc = sum(trial_);
    double fbest = fc;
    double rejected = 0.0;  // sum of the latest trial rejected both ways
    bool any_rejected = false;
    const auto close_to_rejected = [&](double tolerance) {
        return any_rejected && std::abs(rejected - fc) / (rejected + fc) < tolerance;
    };

    for (std::int64_t cycle = 1; cycle <= kCycles; ++cycle) {
        double b = 2.0;
        w = w / 5.0;
        for (std::int64_t level = 1; level <= kLevels; ++level) {
            b = b / 2.0;
            std::int64_t moves = 0;
            while (moves < options_.max_iterations && result.moves <= kMoveLimit) {
                ++moves;
                for (std::int64_t m = 0; m < np_; ++m) {
                    std::int64_t a = 0;
                    const std::int64_t idx = choose(moves, a);
                    if (idx < 0) {
                        continue;
                    }
                    const auto k = static_cast<std::size_t>(idx);
                    double delta = 0.0;
                    if (idx != m) {
                        const double rr = -2.0 + (2.0 - -2.0) * uniform(a);
                        delta = current_[k] * rr * w * b;
                    } else {
                        delta = (2.0 * std::abs(uniform(a + 1)) - 1.0) * step_size[k];
                    }
                    double fn = try_step(k, delta, a);
                    if (!(fn < fc)) {
                        fn = try_step(k, -delta, a);
                    }
                    if (!(fn < fc)) {
                        trial_[k] = current_[k];
                        rejected = fn;
                        any_rejected = true;
                        ++result.failures;
                        continue;
                    }
                    // The whole trial: its other entries may have been reflected.
                    current_ = trial_;
                    ++accepted[k];
                    fc = fn;
                    ++result.moves;
                }
            }
            if (fbest > fc) {
                best = current_;
                fbest = fc;
            } else {
                fc = fbest;
                current_ = best;
            }
            if (cycle > 2 && close_to_rejected(1e-6)) {
                break;
            }
        }
        if (cycle > 3 && close_to_rejected(1e-7)) {
            break;
        }
        for (std::size_t i = 0; i < static_cast<std::size_t>(np_); ++i) {
            const double ratio = static_cast<double>(accepted[i]) /
                                 static_cast<double>(result.moves + result.failures + 1);
            if (ratio > 0.6) {
                step_size[i] = step_size[i] * (1.0 + kAdaptation * (ratio - 0.6) / 0.4);
            } else if (ratio < 0.4) {
                step_size[i] = step_size[i] / (1.0 + kAdaptation * (0.4 - ratio) / 0.4);
            }
            step_size[i] = std::min(step_size[i], box_.upper[i] - box_.lower[i]);
            accepted[i] = 0;
        }
    }

    if (f > fbest) {
        std::copy_n(best.begin(), p.size(), p.begin());
        result.f = fbest;
    } else {
        result.f = f;
    }
    return result;
}

}  // namespace

HitAndRunResult hitnrun_breakpt(const BreakCurve& curve, std::span<double> p, double f,
                                const HitAndRunOptions& options, MinimalStandardGenerator& generator)
{
    if (p.size() != 4 && p.size() != 5) {
        throw std::invalid_argument("hit-and-run: the break model has 4 or 5 parameters");
    }
    HitAndRun search(curve, static_cast<std::int64_t>(p.size()), options, generator);
    return search.run(p, f);
}

}  // namespace imm
