#include "optimise/calcfg.h"

#include <array>
#include <gtest/gtest.h>

#include "model/derivatives.h"
#include "model/models.h"
#include "window/headless_backend.h"
#include "window/window.h"

namespace imm {
namespace {

// Rows of model `model` with Km = 2, Vm = 1 and a third parameter of 0.3,
// plus a fixed small disturbance: three curves of eight rows.
void load_model_data(std::int64_t model)
{
    a1.nmdl = model;
    a2.model_limit = 6;
    a3.ndata = 24;
    global_types.idat = 24;
    a3.nparam = (model == 1 || model == 4) ? 2 : 3;
    const std::array<double, 3> truth{2.0, 1.0, 0.3};
    const std::array<double, 3> substrate{1.0, 4.0, 10.0};
    std::size_t row = 0;
    for (const double so : substrate) {
        for (int i = 1; i <= 8; ++i) {
            a1.t[row] = static_cast<double>(i);
            a1.so[row] = so;
            a1.yobs[row] = func(a1.t[row], so, 0.0, truth) + 0.01 * static_cast<double>(static_cast<int>(row % 7) - 3);
            ++row;
        }
    }
    a1.yobs[10] += 2.0;  // an outlier for the robust weights
}

TEST(Calcfg, ConstraintsOfAThreeParameterModel)
{
    HeadlessSession session;
    load_model_data(2);
    a3.weight_mode = 0;
    a2.constraint_count = 0;
    a2.equality_count = 5;
    // The largest observed value sets the box of the background: -Ymax/2.
    double ymax = a1.yobs[0];
    for (std::size_t k = 0; k < 24; ++k) {
        ymax = std::max(ymax, a1.yobs[k]);
    }
    Calcfg calcfg;
    ObjectiveDerivatives d;
    d.constraint_jacobian.fill(7.0);
    const std::array<double, 3> x{1.0, 2.0, -0.5};
    const double f = calcfg.evaluate(x, d);
    EXPECT_EQ(a2.constraint_count, 6);
    EXPECT_EQ(a2.equality_count, 0);
    // The background may be negative down to its lower bound -ymax/2.
    const std::array<double, 6> expected{1.0, 2.0, -0.5 + ymax / 2.0, 1.0, 2.0, -0.5 + ymax / 2.0};
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(d.constraints[k], expected[k]) << "constraint " << k;
    }
    for (std::int64_t i = 0; i < kMaxParams; ++i) {
        for (std::int64_t k = 0; k < kMaxConstraints; ++k) {
            const bool one = i < 3 && (k == i || k == i + 3);
            EXPECT_EQ(d.jacobian(i, k), one ? 1.0 : 0.0) << i << "," << k;
        }
    }
    const Gradient reference = derivat(x);
    EXPECT_EQ(f, reference.ssq);
    EXPECT_EQ(d.gradient, reference.grad);
    EXPECT_TRUE(session.record().messages.empty());
}

TEST(Calcfg, ConstraintsOfTheOtherModels)
{
    HeadlessSession session;
    for (const std::int64_t model : {1, 4}) {
        load_model_data(model);
        Calcfg calcfg;
        ObjectiveDerivatives d;
        const std::array<double, 2> x{1.5, 0.5};
        calcfg.evaluate(x, d);
        EXPECT_EQ(a2.constraint_count, 4);
        EXPECT_EQ(d.constraints[0], 1.5);
        EXPECT_EQ(d.constraints[1], 0.5);
        EXPECT_EQ(d.constraints[2], 1.5);  // lower bounds 0: the same again
        EXPECT_EQ(d.constraints[3], 0.5);
        EXPECT_EQ(d.jacobian(0, 2), 1.0);
        EXPECT_EQ(d.jacobian(1, 3), 1.0);
        EXPECT_EQ(d.jacobian(1, 2), 0.0);
    }
    for (const std::int64_t model : {3, 6}) {
        load_model_data(model);
        global_types.idat = 16;  // the box reads the run's rows: times up to 8
        Calcfg calcfg;
        ObjectiveDerivatives d;
        const std::array<double, 3> x{1.5, 0.5, 0.25};
        calcfg.evaluate(x, d);
        EXPECT_EQ(a2.constraint_count, 6);
        EXPECT_EQ(d.constraints[5], 0.25 + 4.0);
    }
}

TEST(Calcfg, ValuePathEqualsTheFullPathBitForBit)
{
    HeadlessSession session;
    for (std::int64_t model = 1; model <= 6; ++model) {
        load_model_data(model);
        for (const std::int64_t mode : {0, 1, 2}) {
            a3.weight_mode = mode;
            Calcfg calcfg;
            for (const auto& x : {std::array<double, 3>{2.0, 1.0, 0.3}, std::array<double, 3>{2.7, 0.8, -0.2},
                                  std::array<double, 3>{0.4, 3.0, 1.1}, std::array<double, 3>{50.0, 0.01, 0.0}}) {
                ObjectiveDerivatives d;
                const double full = calcfg.evaluate(x, d);
                a2.constraint_count = 0;
                const double value = calcfg.value(x);
                EXPECT_EQ(value, full) << "model " << model << " mode " << mode;
                EXPECT_EQ(a2.constraint_count, model == 1 || model == 4 ? 4 : 6);
            }
        }
    }
}

TEST(Calcfg, UnknownModelEndsTheRun)
{
    for (const std::int64_t model : {7, 0, -2}) {
        HeadlessSession session;
        load_model_data(1);
        a1.nmdl = model;
        a2.constraint_count = 11;
        a2.equality_count = 12;
        Calcfg calcfg;
        ObjectiveDerivatives d;
        d.gradient.fill(3.0);
        d.constraints.fill(5.0);
        d.constraint_jacobian.fill(9.0);
        const std::array<double, 2> x{1.0, 1.0};
        EXPECT_THROW(calcfg.evaluate(x, d), ModelLimitExceeded);
        for (const double g : d.gradient) {
            EXPECT_EQ(g, 0.0);
        }
        for (const double a : d.constraint_jacobian) {
            EXPECT_EQ(a, 0.0);
        }
        for (const double c : d.constraints) {
            EXPECT_EQ(c, 5.0);
        }
        EXPECT_EQ(a2.constraint_count, 11);
        EXPECT_EQ(a2.equality_count, 12);
        EXPECT_THROW(calcfg.value(x), ModelLimitExceeded);
        const auto messages = session.record().messages;
        ASSERT_EQ(messages.size(), 4u);
        for (std::size_t i = 0; i < messages.size(); i += 2) {
            EXPECT_EQ(messages[i].kind, 2);
            EXPECT_EQ(messages[i].caption, "Warning");
            EXPECT_EQ(messages[i].text, "Model # exceeded limit!");
            EXPECT_EQ(messages[i + 1].kind, 3);
            EXPECT_EQ(messages[i + 1].caption, "Error");
            EXPECT_EQ(messages[i + 1].text, "* * * ERROR: ABORTED RUN * * *");
        }
    }
}

TEST(Calcfg, ModelLimitOfTheRun)
{
    HeadlessSession session;
    load_model_data(5);
    a2.model_limit = 4;
    Calcfg calcfg;
    EXPECT_THROW(calcfg.value(std::array<double, 3>{2.0, 1.0, 0.3}), ModelLimitExceeded);
    a2.model_limit = 6;
    EXPECT_NO_THROW(calcfg.value(std::array<double, 3>{2.0, 1.0, 0.3}));
}

}  // namespace
}  // namespace imm
