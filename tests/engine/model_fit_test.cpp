#include "engine/model_fit.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "engine/progress_title.h"
#include "model/models.h"
#include "optimise/calcfg.h"
#include "optimise/start_values.h"
#include "support/shared_blocks.h"

namespace imm {
namespace {

constexpr std::array<double, 3> kSubstrate{1.0, 4.0, 10.0};
constexpr std::int64_t kRowsPerCurve = 12;

std::array<double, 3> truth_of(std::int64_t model) {
    const double third = model == 2 || model == 5 ? 0.3 : (model == 3 || model == 6 ? 0.5 : 0.0);
    return {2.0, 1.0, third};
}

// Three curves of twelve rows made from the model itself.
void load_model_data(std::int64_t model) {
    const auto truth = truth_of(model);
    a1.nmdl = model;
    global_types.imdlno = model;
    std::size_t row = 0;
    for (const double so : kSubstrate) {
        for (std::int64_t i = 1; i <= kRowsPerCurve; ++i, ++row) {
            a1.t[row] = 1.0 * static_cast<double>(i);
            a1.so[row] = so;
            a1.yobs[row] = func(a1.t[row], so, 0.0, truth);
        }
    }
    a2.model_limit = 6;
    a3.ndata = static_cast<std::int64_t>(row);
    a3.nparam = model == 1 || model == 4 ? 2 : 3;
    a3.weight_mode = 0;
    global_types.idat = a3.ndata;
    limits = Limits{};
}

TEST(FitBounds, ModelTable) {
    load_model_data(2);
    const std::array<double, 3> start{3.0, 2.0, 0.1};
    const ParameterBox two = fit_bounds(2, 3, start, a3.ndata, a1);
    double ymax = 0.0;
    for (std::int64_t i = 0; i < a3.ndata; ++i) ymax = std::max(ymax, a1.yobs[static_cast<std::size_t>(i)]);
    EXPECT_EQ(two.lower[0], 0.0);
    EXPECT_EQ(two.upper[0], 300.0);
    EXPECT_EQ(two.upper[1], 200.0);
    EXPECT_EQ(two.lower[2], -0.5 * ymax);
    EXPECT_EQ(two.upper[2], 0.5 * ymax);

    // Km and Vm are positive for every model, model 5 too.
    const ParameterBox five = fit_bounds(5, 3, start, a3.ndata, a1);
    EXPECT_EQ(five.lower[0], 0.0);
    EXPECT_EQ(five.lower[1], 0.0);

    const ParameterBox six = fit_bounds(6, 3, start, a3.ndata, a1);
    EXPECT_EQ(six.lower[2], -0.5 * 12.0);
    EXPECT_EQ(six.upper[2], 6.0);

    // A start value that is not positive never inverts a pair: the wide default stays.
    const std::array<double, 2> bad{-1.0, 0.0};
    const ParameterBox one = fit_bounds(1, 2, bad, a3.ndata, a1);
    EXPECT_EQ(one.lower[0], -1e6);
    EXPECT_EQ(one.upper[0], 1e6);
    EXPECT_EQ(one.lower[1], -1e6);
    EXPECT_EQ(one.upper[1], 1e6);
}

TEST(SimplexStep, RuleAndFallback) {
    EXPECT_DOUBLE_EQ(simplex_step(3.0, 4.0), std::sqrt(12.5) / 4.0 * 0.1);
    EXPECT_DOUBLE_EQ(simplex_step(2.0, 2.0), 0.1);
    EXPECT_EQ(simplex_step(0.0, 0.0), 0.1);
    EXPECT_EQ(simplex_step(-1.0, -2.0), 0.1);
    EXPECT_EQ(simplex_step(std::nan(""), 1.0), 0.1);
}

TEST(KeepBest, WorseAndNotANumberGiveWay) {
    const ParameterVector best_p{1.0, 2.0};
    const ParameterVector other{3.0, 4.0};
    BestPoint best{5.0, best_p};

    double f = 6.0;
    ParameterVector p = other;
    best.keep_better(f, p);
    EXPECT_EQ(f, 5.0);
    EXPECT_EQ(p, best_p);

    f = std::nan("");
    p = other;
    best.keep_better(f, p);
    EXPECT_EQ(f, 5.0);
    EXPECT_EQ(p, best_p);

    f = 5.0;  // a tie stands
    p = other;
    best.keep_better(f, p);
    EXPECT_EQ(best.p, other);

    // A start that is not a number gives way to the first number.
    BestPoint unknown{std::nan(""), best_p};
    f = 1e300;
    p = other;
    unknown.keep_better(f, p);
    EXPECT_EQ(unknown.f, 1e300);
    EXPECT_EQ(unknown.p, other);
}

TEST(ProgressTitleMarks, AppendsAndBlanks) {
    ProgressTitle title;
    title.mark(2);
    EXPECT_EQ(title.text(), " | |");
    for (int i = 0; i < 40; ++i) title.mark(1);
    EXPECT_EQ(title.text().size(), 80u);
    title.check();
    EXPECT_EQ(title.text(), "");
    title.mark(0);
    title.check();
    EXPECT_EQ(title.text(), "");
}

// Each stage keeps the better point, and the last value belongs to the parameters returned.
TEST(ModelFit, StagesNeverLoseGroundAndTheLastValueIsThePoints) {
    for (std::int64_t model = 1; model <= 6; ++model) {
        SCOPED_TRACE(model);
        load_model_data(model);
        for (std::int64_t i = 0; i < a3.ndata; ++i) a1.yobs[static_cast<std::size_t>(i)] += i % 3 == 0 ? 0.01 : -0.005;
        RandomContext random = RandomContext::seeded(7);
        std::array<double, kMaxParams> start{};
        const auto box_reference = init_estimates(start, random);
        const ParameterBox box = fit_bounds(model, a3.nparam, box_reference, a3.ndata, a1);
        ProgressTitle title;
        const ModelFitResult fit = fit_model(start, box_reference, box, 10.0 * 2.979932929550268e-08, title, random);
        EXPECT_LE(fit.ssq2, fit.ssq1);
        EXPECT_LE(fit.ssq3, fit.ssq2 * (1.0 + 1e-9));
        Calcfg objective;
        EXPECT_EQ(fit.ssq3, objective.value(std::span(fit.params).first(static_cast<std::size_t>(a3.nparam))));
        for (std::int64_t i = a3.nparam; i < kMaxParams; ++i) EXPECT_EQ(fit.params[static_cast<std::size_t>(i)], 0.0);
        EXPECT_GT(fit.stages[0].evaluations, 0);
        EXPECT_GT(fit.stages[1].evaluations, 0);
        EXPECT_GT(fit.stages[2].evaluations, 0);
        EXPECT_FALSE(title.text().empty());
    }
}

}  // namespace
}  // namespace imm
