// The units a model is fitted in: the data's own when they are of ordinary
// size, otherwise powers of two that make them so, with every value of the
// scaled problem the original's exactly.
#include "engine/data_scale.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/model_results.h"
#include "model/models.h"
#include "window/headless_backend.h"

namespace imm {
namespace {

// Three curves of `rows_per_curve` rows: times up to `tmax`, [So] of `so` and
// twice and four times it, product values below [So].
DataBlock rows_of(double so, double tmax, std::int64_t rows_per_curve = 10) {
    DataBlock data;
    for (std::int64_t k = 0; k < 3 * rows_per_curve; ++k) {
        const auto i = static_cast<std::size_t>(k);
        data.t[i] = tmax * static_cast<double>(k % rows_per_curve + 1) / static_cast<double>(rows_per_curve);
        data.so[i] = so * std::ldexp(1.0, static_cast<int>(k / rows_per_curve));
        data.yobs[i] = 0.4 * data.so[i];
    }
    return data;
}

bool power_of_two(double x) {
    int exponent = 0;
    return x > 0.0 && std::frexp(x, &exponent) == 0.5;
}

TEST(DataScale, OrdinaryDataKeepTheirUnits) {
    for (const auto& [so, tmax] : std::vector<std::array<double, 2>>{{50.0, 280.0}, {0.05, 10.0}, {2000.0, 60.0}}) {
        EXPECT_TRUE(data_scale(rows_of(so, tmax), 30, 0).unchanged()) << so << ", " << tmax;
    }
    DataBlock none;
    EXPECT_TRUE(data_scale(none, 0, 0).unchanged());
}

TEST(DataScale, FarOffDataGetPowersOfTwoThatMakeThemOrdinary) {
    // Molar units and seconds; millimolar units over ten hours in seconds; very large numbers.
    for (const auto& [so, tmax] :
         std::vector<std::array<double, 2>>{{5e-5, 16800.0}, {0.01, 36000.0}, {5e6, 3.0}, {50.0, 1e-4}}) {
        const DataBlock data = rows_of(so, tmax);
        const DataScale scale = data_scale(data, 30, 0);
        EXPECT_FALSE(scale.unchanged()) << so << ", " << tmax;
        EXPECT_TRUE(power_of_two(scale.concentration) && power_of_two(scale.time));
        const double largest = 4.0 * so / scale.concentration;  // the third curve's [So]
        EXPECT_GE(largest, 128.0);
        EXPECT_LT(largest, 256.0);
        EXPECT_GE(tmax / scale.time, 128.0);
        EXPECT_LT(tmax / scale.time, 256.0);
    }
    // Relative weighting keeps the concentrations, whose sum does not scale with their square.
    const DataScale relative = data_scale(rows_of(5e-5, 16800.0), 30, 1);
    EXPECT_EQ(relative.concentration, 1.0);
    EXPECT_TRUE(power_of_two(relative.time));
    // Values that are not finite do not count.
    DataBlock with_nan = rows_of(50.0, 280.0);
    with_nan.yobs[3] = std::numeric_limits<double>::quiet_NaN();
    with_nan.t[4] = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(data_scale(with_nan, 30, 0).unchanged());
    // [So] over more than six decades have no common size.
    DataBlock spread = rows_of(5e-5, 16800.0);
    spread.so[25] = 1e3;
    EXPECT_TRUE(data_scale(spread, 30, 0).unchanged());
    // A value that would leave the normal numbers in the new units.
    DataBlock subnormal_after = rows_of(5e6, 3.0);
    subnormal_after.yobs[2] = 1e-305;
    EXPECT_TRUE(data_scale(subnormal_after, 30, 0).unchanged());
}

// In the fitted units every model gives the original's values divided by the
// concentration unit, bit for bit, and the parameters go back unchanged.
TEST(DataScale, TheScaledModelIsTheSameFunction) {
    const DataBlock original = rows_of(5e-5, 16800.0);
    DataBlock scaled = original;
    const DataScale scale = data_scale(original, 30, 0);
    scale_rows(scaled, 30, scale, Toward::fitted_units);
    for (std::int64_t model = 1; model <= 6; ++model) {
        a1.nmdl = model;
        const double third = model == 3 || model == 6 ? 120.0 : -1e-6;
        const std::array<double, 3> p{8e-6, 6e-9, third};
        std::array<double, 3> fitted = p;
        scale_parameters(fitted, model, scale, Toward::fitted_units);
        for (std::size_t k = 0; k < 30; ++k) {
            const double value = func(original.t[k], original.so[k], 0.0, p);
            const double in_fitted_units = func(scaled.t[k], scaled.so[k], 0.0, fitted);
            EXPECT_EQ(in_fitted_units * scale.concentration, value) << "model " << model << " row " << k;
        }
        std::array<double, 3> back = fitted;
        scale_parameters(back, model, scale, Toward::data_units);
        EXPECT_EQ(back, p) << "model " << model;
    }
    a1.nmdl = 0;
}

// The gradient, standard errors and fitted values of data in units a power of
// two apart, taken in the fitted units, are the original's in the data's units
// bit for bit; in those units the derivatives' fixed steps give no errors at all.
TEST(DataScale, StatisticsComeBackInTheDataUnits) {
    HeadlessSession session;
    a1.nmdl = 3;
    a3.nparam = 3;
    a3.ndata = 36;
    a3.weight_mode = 0;
    global_types.idat = 36;
    const std::array<double, 3> truth{2.0, 1.0, 0.5};
    for (std::size_t k = 0; k < 36; ++k) {
        a1.t[k] = static_cast<double>(k % 12 + 1);
        a1.so[k] = std::array<double, 3>{1.0, 4.0, 10.0}[k / 12];
        a1.yobs[k] = func(a1.t[k], a1.so[k], 0.0, truth) + 0.02 * std::sin(1.7 * static_cast<double>(k));
    }
    ModelFitResult fit;
    fit.params = {2.01, 1.003, 0.497};
    const std::array<std::int64_t, 3> rows_per_curve{12, 12, 12};
    std::vector<double> fjac(static_cast<std::size_t>(kMaxRows * kMaxParams));
    RandomContext random = RandomContext::seeded(1);
    const ModelResults original = model_results(fit, fit.params, rows_per_curve, fjac, random, false);
    const std::vector<double> original_fitted(original.ycalc.begin(), original.ycalc.end());
    ASSERT_TRUE(std::isfinite(original.errors.separ[0]));

    const DataScale scale{std::ldexp(1.0, -20), 64.0};  // about micromolar in molar units, minutes in seconds
    for (std::size_t k = 0; k < 36; ++k) {
        a1.t[k] *= scale.time;
        a1.so[k] *= scale.concentration;
        a1.yobs[k] *= scale.concentration;
    }
    ModelFitResult in_units = fit;
    scale_parameters(std::span(in_units.params).first(3), 3, scale, Toward::data_units);
    const ModelResults other = model_results(in_units, in_units.params, rows_per_curve, fjac, random, false, scale);
    const double c = scale.concentration;
    const std::array<double, 3> unit{c, c / scale.time, scale.time};
    for (std::size_t j = 0; j < 3; ++j) {
        EXPECT_EQ(other.errors.separ[j], original.errors.separ[j] * unit[j]) << "parameter " << j + 1;
        EXPECT_EQ(other.errors.parcl[j], original.errors.parcl[j] * unit[j]) << "parameter " << j + 1;
        EXPECT_EQ(other.gradient[j], original.gradient[j] * c * c / unit[j]) << "parameter " << j + 1;
    }
    for (std::size_t k = 0; k < 36; ++k) {
        EXPECT_EQ(other.ycalc[k], original_fitted[k] * c) << "row " << k;
        EXPECT_EQ(a1.t[k], static_cast<double>(k % 12 + 1) * scale.time) << "row " << k;
    }
    a1.nmdl = 0;
}

}  // namespace
}  // namespace imm
