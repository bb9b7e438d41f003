#include "optimise/golden_search.h"

#include <algorithm>

#include "optimise/parameter_box.h"
#include "optimise/reflect_parameters.h"
#include "optimise/value_order.h"
#include "support/shared_blocks.h"

namespace imm {

namespace {

constexpr double kRho = 0.6180339887498949;
constexpr double kSigma = 0.3819660112501051;
constexpr int kSweeps = 10;
constexpr int kGoldenSteps = 10;

GoldenSearchResult golden_sweeps(Objective& objective, std::span<double> p, std::int64_t first,
                                 std::int64_t last) {
    const ParameterBox box = model_parameter_box(a1.nmdl, p, 10.0, global_types.idat, a1);
    GoldenSearchResult result;
    for (int sweep = 0; sweep < kSweeps; ++sweep) {
        for (std::int64_t j = first; j <= last; ++j) result.evaluations += golden_pass(objective, p, j);
        reflect_parameters(p, box);
        result.f = objective.value(p);
        ++result.evaluations;
    }
    return result;
}

}  // namespace

std::int64_t golden_pass(Objective& objective, std::span<double> p, std::int64_t j) {
    std::int64_t evaluations = 0;
    auto value_at = [&](double x) {
        p[j] = x;
        ++evaluations;
        return objective.value(p);
    };
    const double start = p[j];
    double a = start + start * kRho;
    double fa = value_at(a);
    double b = start - start * kRho;
    double fb = value_at(b);
    if (is_better(fa, fb)) {
        b = a * 0.5;
        fb = value_at(b);
    }
    const double d = b - a;
    double x1 = a + kSigma * d;
    double f1 = value_at(x1);
    double x2 = a + kRho * d;
    double f2 = value_at(x2);
    for (int step = 0; step < kGoldenSteps; ++step) {
        if (!is_better(f1, f2)) {
            a = x1;
            fa = f1;
            x1 = x2;
            f1 = f2;
            x2 = a + kRho * (b - a);
            f2 = value_at(x2);
        } else {
            b = x2;
            fb = f2;
            x2 = x1;
            f2 = f1;
            x1 = a + kSigma * (b - a);
            f1 = value_at(x1);
        }
    }
    p[j] = is_better(fb, fa) ? b : a;
    return evaluations;
}

GoldenSearchResult golden_search(Objective& objective, std::span<double> p) {
    return golden_sweeps(objective, p, 0, static_cast<std::int64_t>(p.size()) - 1);
}

GoldenSearchResult golden_p3_search(Objective& objective, std::span<double> p) {
    return golden_sweeps(objective, p, 2, std::min<std::int64_t>(2, static_cast<std::int64_t>(p.size()) - 1));
}

}  // namespace imm
