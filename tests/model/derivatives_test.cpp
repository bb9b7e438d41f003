#include "model/derivatives.h"

#include "engine/standard_errors.h"
#include "model/gauss_newton_hessian.h"
#include "model/models.h"
#include "model/robust_weights.h"
#include "tests/reference/stats_reference_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace imm {
namespace {

namespace ref = reference;

struct ModelCase {
    std::int64_t model;
    const double* params;
    std::int64_t np;
    const double* yobs;
    const double* value;
    const double* partials;  // rows x np, column-major
    const double* gradient;
    double ssq;
    double ssq_relative;
};

const ModelCase kCases[] = {
    {1, ref::kModel1Params, 2, ref::kModel1Yobs, ref::kModel1Value, ref::kModel1Partials, ref::kModel1Gradient,
     ref::kModel1Ssq, ref::kModel1SsqRelative},
    {2, ref::kModel2Params, 3, ref::kModel2Yobs, ref::kModel2Value, ref::kModel2Partials, ref::kModel2Gradient,
     ref::kModel2Ssq, ref::kModel2SsqRelative},
    {3, ref::kModel3Params, 3, ref::kModel3Yobs, ref::kModel3Value, ref::kModel3Partials, ref::kModel3Gradient,
     ref::kModel3Ssq, ref::kModel3SsqRelative},
    {4, ref::kModel4Params, 2, ref::kModel4Yobs, ref::kModel4Value, ref::kModel4Partials, ref::kModel4Gradient,
     ref::kModel4Ssq, ref::kModel4SsqRelative},
    {5, ref::kModel5Params, 3, ref::kModel5Yobs, ref::kModel5Value, ref::kModel5Partials, ref::kModel5Gradient,
     ref::kModel5Ssq, ref::kModel5SsqRelative},
    {6, ref::kModel6Params, 3, ref::kModel6Yobs, ref::kModel6Value, ref::kModel6Partials, ref::kModel6Gradient,
     ref::kModel6Ssq, ref::kModel6SsqRelative},
};

constexpr std::int64_t kN = ref::kRows;

void load(const ModelCase& c, std::int64_t weight_mode) {
    a1 = DataBlock{};
    for (std::int64_t k = 0; k < kN; ++k) {
        a1.t[k] = ref::kTime[k];
        a1.so[k] = ref::kSo[k];
        a1.yobs[k] = c.yobs[k];
    }
    a1.nmdl = c.model;
    a3.ndata = kN;
    a3.nparam = c.np;
    a3.weight_mode = weight_mode;
}

std::vector<double> params_of(const ModelCase& c) { return {c.params, c.params + c.np}; }

double partial(const ModelCase& c, std::int64_t k, std::int64_t j) { return c.partials[k + j * kN]; }

// The model values carry a relative error of a few 1e-9 (its table-driven
// exponential) that varies smoothly with the parameters; derivatives inherit it
// as an absolute error of up to about 1e-7.
constexpr double kModelSlopeError = 1e-7;

void expect_relative(double actual, double expected, double tolerance, const char* what, std::int64_t model) {
    EXPECT_NEAR(actual, expected, tolerance * std::abs(expected) + 1e-12) << what << " model " << model;
}

void expect_gradient(double actual, double expected, double tolerance, const char* what, std::int64_t model) {
    EXPECT_NEAR(actual, expected, tolerance * std::abs(expected) + kModelSlopeError) << what << " model " << model;
}

TEST(Gradient, MatchesTheAnalyticDerivativeOfEveryModel) {
    for (const ModelCase& c : kCases) {
        load(c, 0);
        const Gradient g = derivat(params_of(c));
        for (std::int64_t j = 0; j < c.np; ++j) expect_gradient(g.grad[j], c.gradient[j], 1e-5, "grad", c.model);
        for (std::int64_t j = c.np; j < kMaxParams; ++j) EXPECT_EQ(g.grad[j], 0.0);
        expect_relative(g.ssq, c.ssq, 1e-5, "ssq", c.model);

        const Gradient plain = derivatives(params_of(c));
        for (std::int64_t j = 0; j < c.np; ++j) {
            expect_gradient(plain.grad[j], c.gradient[j], 1e-4, "plain grad", c.model);
        }
        EXPECT_EQ(plain.ssq, g.ssq);
    }
}

TEST(Gradient, RelativeWeightingChangesOnlyTheSumOfSquares) {
    for (const ModelCase& c : kCases) {
        load(c, 0);
        const Gradient none = derivat(params_of(c));
        load(c, 1);
        const Gradient relative = derivat(params_of(c));
        EXPECT_EQ(relative.grad, none.grad);
        expect_relative(relative.ssq, c.ssq_relative, 1e-5, "relative ssq", c.model);
        load(c, 7);
        EXPECT_EQ(derivat(params_of(c)).ssq, 0.0);
    }
}

TEST(Gradient, ParameterTheModelIgnoresHasZeroDerivative) {
    const ModelCase& c = kCases[0];
    load(c, 0);
    a3.nparam = 3;
    const std::vector<double> p{c.params[0], c.params[1], 5.0};
    const Gradient g = derivat(p);
    EXPECT_EQ(g.grad[2], 0.0);
    expect_gradient(g.grad[1], c.gradient[1], 1e-5, "grad", 1);
}

TEST(Jacobian, IsTheNegatedModelDerivativeAndStoresTheFittedValues) {
    for (const ModelCase& c : kCases) {
        load(c, 0);
        std::vector<double> fjac(kMaxRows * c.np, -1.0);
        const double ssq = jacobian(kN, c.np, fjac, params_of(c));
        expect_relative(ssq, c.ssq, 1e-5, "ssq", c.model);
        for (std::int64_t k = 0; k < kN; ++k) {
            EXPECT_EQ(a1.ycalc[k], func(a1.t[k], a1.so[k], a1.yobs[k], params_of(c)));
            expect_relative(a1.ycalc[k], c.value[k], 1e-7, "ycalc", c.model);
            for (std::int64_t j = 0; j < c.np; ++j) {
                EXPECT_NEAR(fjac[k + j * kMaxRows], -partial(c, k, j), 1e-6 * std::abs(partial(c, k, j)) + kModelSlopeError)
                    << "model " << c.model << " row " << k << " parameter " << j;
            }
        }
        // Rows beyond n are left alone.
        EXPECT_EQ(fjac[kN], -1.0);
    }
}

TEST(Jacobian, ExactDataKeepsTheFullDerivative) {
    // With the residuals at zero the weighted residual changes sign inside the
    // difference steps; the Jacobian must still carry the model's slope.
    for (const ModelCase& c : kCases) {
        load(c, 0);
        for (std::int64_t k = 0; k < kN; ++k) a1.yobs[k] = func(a1.t[k], a1.so[k], 0.0, params_of(c));
        std::vector<double> fjac(kMaxRows * c.np);
        EXPECT_EQ(jacobian(kN, c.np, fjac, params_of(c)), 0.0);
        for (std::int64_t k = 0; k < kN; ++k) {
            for (std::int64_t j = 0; j < c.np; ++j) {
                EXPECT_NEAR(fjac[k + j * kMaxRows], -partial(c, k, j), 1e-6 * std::abs(partial(c, k, j)) + kModelSlopeError);
            }
        }
        const StandardErrors se = stderrpar(kN, c.np, fjac, 0.0);
        EXPECT_FALSE(se.inversion_failed);
        for (std::int64_t j = 0; j < c.np; ++j) EXPECT_EQ(se.separ[j], 0.0);
    }
}

TEST(Jacobian, ConstantColumnIsEpsilon) {
    const ModelCase& c = kCases[0];
    load(c, 0);
    std::vector<double> fjac(kMaxRows * 3);
    const std::vector<double> p{c.params[0], c.params[1], 5.0};
    jacobian(kN, 3, fjac, p);
    for (std::int64_t k = 0; k < kN; ++k) EXPECT_NEAR(fjac[k + 2 * kMaxRows], 1.49e-16, 1e-13);
}

TEST(RobustMode, WeightsEnterGradientAndJacobianLinearly) {
    for (const ModelCase& c : kCases) {
        load(c, 2);
        a1.yobs[5] += 0.5;  // an outlier
        std::vector<double> r(kN);
        for (std::int64_t k = 0; k < kN; ++k) r[k] = a1.yobs[k] - func(a1.t[k], a1.so[k], 0.0, params_of(c));
        std::vector<double> w(kN);
        robust_wt(r, w);
        EXPECT_EQ(w[5], kMinRobustWeight);

        const Gradient g = derivat(params_of(c));
        double ssq = 0.0;
        for (std::int64_t k = 0; k < kN; ++k) ssq += w[k] * r[k] * r[k];
        expect_relative(g.ssq, ssq, 1e-12, "robust ssq", c.model);
        for (std::int64_t j = 0; j < c.np; ++j) {
            double expected = 0.0;
            for (std::int64_t k = 0; k < kN; ++k) expected += -2.0 * w[k] * r[k] * partial(c, k, j);
            expect_gradient(g.grad[j], expected, 1e-5, "robust grad", c.model);
        }

        std::vector<double> fjac(kMaxRows * c.np);
        expect_relative(jacobian(kN, c.np, fjac, params_of(c)), ssq, 1e-12, "robust ssq", c.model);
        for (std::int64_t k = 0; k < kN; ++k) {
            for (std::int64_t j = 0; j < c.np; ++j) {
                const double expected = -w[k] * partial(c, k, j);
                EXPECT_NEAR(fjac[k + j * kMaxRows], expected, 1e-6 * std::abs(expected) + kModelSlopeError);
            }
        }
    }
}

TEST(RelativeMode, ZeroModelValueCountsAsOneAndIsStoredAsIs) {
    const ModelCase& c = kCases[1];
    load(c, 1);
    a3.ndata = 1;
    std::vector<double> p{c.params[0], c.params[1], 0.0};
    p[2] = -func(a1.t[0], a1.so[0], 0.0, p);
    ASSERT_EQ(func(a1.t[0], a1.so[0], 0.0, p), 0.0);
    const double r = a1.yobs[0];
    EXPECT_EQ(derivat(p).ssq, r * r);
    std::vector<double> fjac(kMaxRows * 3);
    EXPECT_EQ(jacobian(1, 3, fjac, p), r * r);
    EXPECT_EQ(a1.ycalc[0], 0.0);
}

TEST(Jacobian, NotANumberBecomesMinusBig) {
    const ModelCase& c = kCases[0];
    load(c, 0);
    a1.yobs[3] = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> fjac(kMaxRows * 2);
    jacobian(kN, 2, fjac, params_of(c));
    EXPECT_EQ(fjac[3], -6711409395973154.0);
    EXPECT_EQ(fjac[3 + kMaxRows], -6711409395973154.0);
}

// 2 J'WJ against the partial derivatives worked in numpy: with no weights and
// with held weights, and a1.ycalc untouched.
TEST(GaussNewtonHessian, IsTwiceTheWeightedGramMatrixOfThePartials) {
    std::vector<double> held(kN);
    for (std::int64_t k = 0; k < kN; ++k) held[k] = k % 3 == 0 ? 1e-6 : 1.0 - 0.02 * static_cast<double>(k);
    for (const ModelCase& c : kCases) {
        for (const bool weighted : {false, true}) {
            load(c, weighted ? 2 : 0);
            a1.ycalc.fill(-3.0);
            const std::vector<double> h = gauss_newton_hessian(params_of(c), weighted ? HeldWeights(held) : HeldWeights{});
            ASSERT_EQ(h.size(), static_cast<std::size_t>(c.np * c.np)) << c.model;
            for (std::int64_t i = 0; i < c.np; ++i) {
                for (std::int64_t j = 0; j < c.np; ++j) {
                    double expected = 0.0;
                    for (std::int64_t k = 0; k < kN; ++k)
                        expected += 2.0 * (weighted ? held[k] : 1.0) * partial(c, k, i) * partial(c, k, j);
                    EXPECT_NEAR(h[i + j * c.np], expected, 1e-5 * std::abs(expected) + 1e-9)
                        << "model " << c.model << " (" << i << ", " << j << ") weighted " << weighted;
                }
            }
            EXPECT_EQ(a1.ycalc[0], -3.0);
        }
    }
}

}  // namespace
}  // namespace imm
