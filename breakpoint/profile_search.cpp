#include "breakpoint/profile_search.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace imm {

namespace {

constexpr std::size_t kLinear = 3;  // level and the two slopes
constexpr int kPatterns = 27;       // each linear parameter free, at its lower or at its upper bound

using Square = std::array<std::array<double, kLinear>, kLinear>;
using Column = std::array<double, kLinear>;

// Solves the leading m x m system a x = b in place (b receives x) by
// elimination with partial pivoting; false when it is singular.
bool solve_leading(Square& a, Column& b, std::size_t m)
{
    for (std::size_t k = 0; k < m; ++k) {
        std::size_t pivot = k;
        for (std::size_t i = k + 1; i < m; ++i) {
            if (std::abs(a[i][k]) > std::abs(a[pivot][k])) {
                pivot = i;
            }
        }
        if (!(std::abs(a[pivot][k]) > 0.0)) {
            return false;
        }
        std::swap(a[k], a[pivot]);
        std::swap(b[k], b[pivot]);
        for (std::size_t i = k + 1; i < m; ++i) {
            const double factor = a[i][k] / a[k][k];
            for (std::size_t j = k; j < m; ++j) {
                a[i][j] -= factor * a[k][j];
            }
            b[i] -= factor * b[k];
        }
    }
    for (std::size_t k = m; k-- > 0;) {
        double s = b[k];
        for (std::size_t j = k + 1; j < m; ++j) {
            s -= a[k][j] * b[j];
        }
        b[k] = s / a[k][k];
    }
    return std::all_of(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(m), [](double v) { return std::isfinite(v); });
}

// The c with lo <= c <= hi that minimises c'Gc - 2c'h. The minimum of this
// convex problem is the unconstrained minimum over some face of the box, so
// the best feasible face minimum, over every way of holding parameters at
// their bounds, is the solution.
Column bounded_least_squares(const Square& g, const Column& h, const Column& lo, const Column& hi)
{
    Column best = lo;
    double best_value = std::numeric_limits<double>::infinity();
    for (int pattern = 0; pattern < kPatterns; ++pattern) {
        Column c{};
        std::array<bool, kLinear> held{};
        std::array<std::size_t, kLinear> free{};
        std::size_t m = 0;
        int code = pattern;
        for (std::size_t i = 0; i < kLinear; ++i, code /= 3) {
            held[i] = code % 3 != 0;
            if (!held[i]) {
                free[m++] = i;
            } else {
                c[i] = code % 3 == 1 ? lo[i] : hi[i];
            }
        }
        // The free parameters' normal equations with the held ones moved to the right.
        Square a{};
        Column b{};
        for (std::size_t r = 0; r < m; ++r) {
            const std::size_t i = free[r];
            b[r] = h[i];
            for (std::size_t j = 0; j < kLinear; ++j) {
                if (held[j]) {
                    b[r] -= g[i][j] * c[j];
                }
            }
            for (std::size_t s = 0; s < m; ++s) {
                a[r][s] = g[i][free[s]];
            }
        }
        if (!solve_leading(a, b, m)) {
            continue;
        }
        bool inside = true;
        for (std::size_t r = 0; r < m; ++r) {
            const std::size_t i = free[r];
            c[i] = b[r];
            inside = inside && c[i] >= lo[i] && c[i] <= hi[i];
        }
        if (!inside) {
            continue;
        }
        double value = 0.0;
        for (std::size_t i = 0; i < kLinear; ++i) {
            double gc = 0.0;
            for (std::size_t j = 0; j < kLinear; ++j) {
                gc += g[i][j] * c[j];
            }
            value += c[i] * (gc - 2.0 * h[i]);
        }
        if (value < best_value) {
            best_value = value;
            best = c;
        }
    }
    return best;
}

}  // namespace

double fit_level_and_slopes(const BreakCurve& curve, BreakVector& p, const ParameterBox& box)
{
    Square g{};
    Column h{};
    for (std::size_t i = 0; i < curve.x.size(); ++i) {
        const double dx = curve.x[i] - p[kBreakCrossing];
        const Column column{1.0, dx, -curve.sign * std::sqrt(p[kBreakBend] + dx * dx)};
        for (std::size_t r = 0; r < kLinear; ++r) {
            h[r] += column[r] * curve.y[i];
            for (std::size_t s = 0; s <= r; ++s) {
                g[r][s] += column[r] * column[s];
            }
        }
    }
    for (std::size_t r = 0; r < kLinear; ++r) {
        for (std::size_t s = r + 1; s < kLinear; ++s) {
            g[r][s] = g[s][r];
        }
    }
    const Column lo{box.lower[0], box.lower[1], box.lower[2]};
    const Column hi{box.upper[0], box.upper[1], box.upper[2]};
    const Column c = bounded_least_squares(g, h, lo, hi);
    std::copy(c.begin(), c.end(), p.begin());
    return funbreak(p, curve);
}

ProfileSearchResult profile_search(const BreakCurve& curve, BreakVector& p, const ParameterBox& box,
                                   const ProfileSearchOptions& options)
{
    ProfileSearchResult result;
    result.f = fit_level_and_slopes(curve, p, box);
    result.evaluations = 1;
    const std::array<std::size_t, 2> moved{kBreakCrossing, kBreakBend};
    std::array<double, 2> width{};
    std::array<double, 2> step{};  // signed: the direction that last lowered the sum
    for (std::size_t k = 0; k < moved.size(); ++k) {
        width[k] = box.upper[moved[k]] - box.lower[moved[k]];
        step[k] = options.first_step * width[k];
    }
    // A coordinate whose range is not wider than zero (or not a number) stays
    // where it is: its step could never fall below a part of that width.
    const auto movable = [&](std::size_t k) { return width[k] > 0.0; };
    const auto small = [&] {
        for (std::size_t k = 0; k < moved.size(); ++k) {
            if (movable(k) && std::abs(step[k]) >= options.smallest_step * width[k]) {
                return false;
            }
        }
        return true;
    };
    while (result.evaluations < options.max_evaluations && !small()) {
        for (std::size_t k = 0; k < moved.size(); ++k) {
            if (!movable(k)) {
                continue;
            }
            const std::size_t i = moved[k];
            bool lowered = false;
            for (const double direction : {1.0, -1.0}) {
                BreakVector trial = p;
                trial[i] = std::clamp(p[i] + direction * step[k], box.lower[i], box.upper[i]);
                if (trial[i] == p[i] || result.evaluations >= options.max_evaluations) {
                    continue;
                }
                const double f = fit_level_and_slopes(curve, trial, box);
                ++result.evaluations;
                if (f < result.f) {
                    p = trial;
                    result.f = f;
                    step[k] *= direction;
                    lowered = true;
                    break;
                }
            }
            step[k] *= lowered ? 2.0 : 0.5;
        }
    }
    return result;
}

}  // namespace imm
