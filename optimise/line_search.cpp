#include "optimise/line_search.h"

#include <array>
#include <cmath>
#include <utility>

#include "optimise/value_order.h"
#include "support/shared_blocks.h"

namespace imm {

namespace {

constexpr double kGrow = 1.618033988749895;
constexpr double kGolden = 0.6180339887498949;
constexpr double kStepFraction = 1.0 / 20.0;
constexpr std::int64_t kDefaultIterations = 30;

}  // namespace

LineSearchResult qsearch(Objective& objective, std::span<double> p, double f, std::int64_t max_iterations) {
    const std::size_t n = p.size();
    const std::int64_t limit = max_iterations <= 0 ? kDefaultIterations : max_iterations;
    std::array<double, kMaxParams> origin{}, x{};
    for (std::size_t i = 0; i < n; ++i) origin[i] = p[i];
    LineSearchResult result;
    auto value_at = [&](double s) {
        for (std::size_t i = 0; i < n; ++i) x[i] = origin[i] + s * origin[i] * kStepFraction;
        ++result.evaluations;
        return objective.value(std::span<const double>(x.data(), n));
    };

    // Bracket: a, b, c with f(b) not above f(a) and f(c).
    double a = 0.0, fa = f;
    double b = 1.0, fb = value_at(b);
    if (is_better(fa, fb)) {
        std::swap(a, b);
        std::swap(fa, fb);
    }
    double c = b + kGrow * (b - a), fc = value_at(c);
    std::int64_t iteration = 0;
    while (is_better(fc, fb) && ++iteration < limit) {
        a = b, fa = fb;
        b = c, fb = fc;
        c = b + kGrow * (b - a);
        fc = value_at(c);
    }

    // Parabolic steps inside the bracket, golden steps where the parabola fails.
    for (; iteration < limit; ++iteration) {
        const double r = (b - a) * (fb - fc);
        const double q = (b - c) * (fb - fa);
        double u = b - ((b - a) * r - (b - c) * q) / (2.0 * (r - q));
        const double lo = std::fmin(a, c), hi = std::fmax(a, c);
        if (!(u > lo && u < hi) || u == b) u = b + kGolden * ((std::fabs(c - b) > std::fabs(b - a) ? c : a) - b);
        if (std::fabs(u - b) <= 1e-12 * (std::fabs(b) + 1e-12)) break;
        const double fu = value_at(u);
        if (is_better(fu, fb)) {
            if ((u - b) * (c - b) > 0.0) a = b, fa = fb;
            else c = b, fc = fb;
            b = u, fb = fu;
        } else if ((u - b) * (c - b) > 0.0) {
            c = u, fc = fu;
        } else {
            a = u, fa = fu;
        }
    }

    if (is_better(fb, f)) {
        for (std::size_t i = 0; i < n; ++i) p[i] = origin[i] + b * origin[i] * kStepFraction;
        result.f = fb;
    } else {
        result.f = f;
    }
    return result;
}

}  // namespace imm
