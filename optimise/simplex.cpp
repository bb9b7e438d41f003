#include "optimise/simplex.h"

#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "optimise/golden_search.h"
#include "optimise/random_search.h"
#include "optimise/parameter_box.h"
#include "optimise/reflect_parameters.h"
#include "optimise/value_order.h"
#include "support/shared_blocks.h"

namespace imm {

namespace {

constexpr std::int64_t kKickIterations = 9;
constexpr double kKickSeed = 1024.0;
constexpr double kKickSeedStep = 64.0;

using Point = std::array<double, kSimplexMaxParams>;
using Values = std::array<double, kSimplexMaxParams + 1>;

// The lowest of the values of vertices 0..n.
double lowest_value(const Values& fv, std::int64_t n) {
    double lowest = fv[0];
    for (std::int64_t i = 1; i <= n; ++i)
        if (is_better(fv[i], lowest)) lowest = fv[i];
    return lowest;
}

}  // namespace

SimplexResult simplex(Objective& objective, std::span<double> p, RandomContext& random,
                      const SimplexOptions& options) {
    const auto n = static_cast<std::int64_t>(p.size());
    if (n < 1 || n > kSimplexMaxParams) throw std::length_error("simplex: parameter count outside 1..10");
    const ParameterBox box = model_parameter_box(a1.nmdl, p, 100.0, global_types.idat, a1);
    const bool three_parameter_model = n >= 3 && a1.nmdl != 1 && a1.nmdl != 4;

    std::array<Point, kSimplexMaxParams + 1> v{};
    Values fv{};
    Point xm{}, xr{}, xe{}, xc{};
    double f = 0.0;
    // The point evaluated last and its value: the kicks and the vertex
    // replacement start from it.
    auto evaluate = [&](Point& x) {
        for (std::int64_t j = 0; j < n; ++j) p[j] = x[j];
        f = objective.value(p);
        return f;
    };

    const double nd = static_cast<double>(n);
    const double d1 = ((nd + std::sqrt(nd + 1.0) - 1.0) * options.scale) / (nd * std::numbers::sqrt2);
    const double d2 = ((std::sqrt(nd + 1.0) - 1.0) * options.scale) / (nd * std::numbers::sqrt2);
    for (std::int64_t j = 0; j < n; ++j) v[0][j] = p[j];
    for (std::int64_t i = 1; i <= n; ++i)
        for (std::int64_t j = 0; j < n; ++j) v[i][j] = v[0][j] + (j == i - 1 ? d1 : d2);
    for (std::int64_t i = 0; i <= n; ++i) fv[i] = evaluate(v[i]);

    SimplexResult result;
    double seed = kKickSeed;
    for (std::int64_t itr = 1; itr <= options.max_iterations; ++itr) {
        result.iterations = itr;
        if (itr % 100 == 0) ++result.icount;

        std::int64_t h = 0, l = 0;
        for (std::int64_t i = 1; i <= n; ++i) {
            if (is_better(fv[h], fv[i])) h = i;
            if (is_better(fv[i], fv[l])) l = i;
        }
        std::int64_t s = l;
        for (std::int64_t i = 0; i <= n; ++i)
            if (is_better(fv[s], fv[i]) && is_better(fv[i], fv[h])) s = i;

        for (std::int64_t j = 0; j < n; ++j) {
            double sum = 0.0;
            for (std::int64_t i = 0; i <= n; ++i)
                if (i != h) sum += v[i][j];
            xm[j] = sum / nd;
            xr[j] = 2.0 * xm[j] - v[h][j];
        }
        const double fr = evaluate(xr);

        if (is_better(fv[l], fr) && !is_better(fv[s], fr)) {
            v[h] = xr;
            fv[h] = fr;
        } else if (!is_better(fv[l], fr)) {
            for (std::int64_t j = 0; j < n; ++j) xe[j] = 2.0 * xr[j] - xm[j];
            const double fe = evaluate(xe);
            if (!is_better(fe, fr)) {
                v[h] = xr;
                fv[h] = fr;
            } else {
                v[h] = xe;
                fv[h] = fe;
            }
        } else {
            for (std::int64_t j = 0; j < n; ++j) xc[j] = 0.5 * xm[j] + 0.5 * v[h][j];
            const double fc = evaluate(xc);
            if (!is_better(fc, fv[h])) {
                for (std::int64_t i = 0; i <= n; ++i) {
                    if (i == l) continue;
                    for (std::int64_t j = 0; j < n; ++j) v[i][j] = (v[i][j] - v[l][j]) / 2.0 + v[l][j];
                    fv[i] = evaluate(v[i]);
                }
            } else {
                v[h] = xc;
                fv[h] = fc;
            }
        }

        // Standard deviation of the values of all n + 1 vertices.
        double mean = 0.0;
        for (std::int64_t i = 0; i <= n; ++i) mean += fv[i];
        mean /= nd + 1.0;
        double spread = 0.0;
        for (std::int64_t i = 0; i <= n; ++i) spread += (fv[i] - mean) * (fv[i] - mean) / nd;
        spread = std::sqrt(spread);

        if (itr <= kKickIterations) {
            seed += kKickSeedStep;
            f = dorunrun(objective, p, seed, random, RandomSearchOptions{10}).f;
            if (spread > 0.0 && three_parameter_model) f = golden_p3_search(objective, p).f;
        }
        if (itr >= options.max_iterations) break;
        if (itr > kKickIterations && spread <= options.tolerance * std::fabs(lowest_value(fv, n)) &&
            itr > options.max_iterations / 100)
            break;

        // A kicked point joins the simplex only when it beats every vertex.
        if (itr <= kKickIterations) {
            if (reflect_parameters(p, box)) f = objective.value(p);
            if (is_better(f, lowest_value(fv, n))) {
                for (std::int64_t j = 0; j < n; ++j) v[l][j] = p[j];
                fv[l] = f;
            }
        }
    }

    std::int64_t l = 0;
    for (std::int64_t i = 1; i <= n; ++i)
        if (is_better(fv[i], fv[l])) l = i;
    for (std::int64_t j = 0; j < n; ++j) p[j] = v[l][j];
    result.f = objective.value(p);
    return result;
}

}  // namespace imm
