#include "model/models.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "support/shared_blocks.h"

namespace imm {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class Models : public ::testing::Test {
protected:
    void TearDown() override { a1.nmdl = 0; }
    static double value(std::int64_t model, double t, double so, std::array<double, 3> p) {
        a1.nmdl = model;
        return func(t, so, 0.0, p);
    }
};

TEST_F(Models, BackgroundAndOffsetDeriveFromThePlainModels) {
    const std::array<double, 3> p = {12.5, 0.8, -3.25};
    for (double so : {5.0, 50.0, 500.0}) {
        for (double t : {0.0, 1.0, 17.0, 120.0, 900.0}) {
            EXPECT_EQ(value(2, t, so, p), value(1, t, so, p) + p[2]);
            EXPECT_EQ(value(3, t, so, p), value(1, t + p[2], so, p));
            EXPECT_EQ(value(5, t, so, p), value(4, t, so, p) + p[2]);
            EXPECT_EQ(value(6, t, so, p), value(4, t + p[2], so, p));
            EXPECT_NEAR(value(1, t, so, p) + value(4, t, so, p), so, 1e-12 * so);
        }
    }
}

TEST_F(Models, StartAtTheInitialConcentration) {
    for (double ratio : {0.01, 1.0, 30.0, 1000.0}) {
        const std::array<double, 3> p = {100.0 / ratio, 3.0, 0.0};
        EXPECT_NEAR(value(1, 0.0, 100.0, p), 0.0, 1e-8 * 100.0) << ratio;
        EXPECT_NEAR(value(4, 0.0, 100.0, p), 100.0, 1e-8 * 100.0) << ratio;
    }
}

// The integrated rate equation, independent of W: Vm·t = (so - S) + Km·ln(so/S).
TEST_F(Models, SatisfyTheIntegratedRateEquation) {
    for (double ratio : {0.01, 0.1, 0.5, 1.0, 3.0, 10.0, 69.0, 71.0, 100.0, 1000.0}) {
        for (double km : {1e-3, 1.0, 250.0}) {
            const double so = ratio * km;
            const double vm = 0.37 * so;
            const std::array<double, 3> p = {km, vm, 0.0};
            for (int i = 1; i <= 300; ++i) {
                // Up to Vm·t = so + 60 Km, so that u stays above -70.
                const double t = (so + 60.0 * km) / vm * std::pow(i / 300.0, 3.0);
                const double s = value(4, t, so, p);
                const double rhs = (so - s) + km * std::log(so / s);
                const double scale = std::max(vm * t, so + km);
                ASSERT_LE(std::fabs(vm * t - rhs), 1e-8 * scale) << "so/Km " << ratio << " Km " << km << " t " << t;
            }
        }
    }
}

TEST_F(Models, LargeSubstrateOverKmIsNotClamped) {
    // So/Km = 100 puts u above 70 for the whole curve.
    const std::array<double, 3> p = {1.0, 10.0, 0.0};
    for (double t : {0.0, 0.5, 1.0, 2.0, 3.0}) {
        const double product = value(1, t, 100.0, p);
        const double s = 100.0 - product;
        EXPECT_NEAR(10.0 * t, product + std::log(100.0 / s), 1e-9) << t;
    }
    EXPECT_NEAR(value(1, 3.0, 100.0, p), 29.6, 0.1);
    // Far beyond the Omega routine's own clamp at 3e45.
    const std::array<double, 3> huge = {1e-20, 1.0, 0.0};
    const double s = value(4, 0.5, 1.0, huge);
    EXPECT_NEAR(0.5, (1.0 - s) + 1e-20 * std::log(1.0 / s), 1e-15);
}

TEST_F(Models, NonFiniteParameterOrTimeGivesNaN) {
    for (std::int64_t model = 1; model <= 6; ++model) {
        for (double bad : {kNaN, kInf, -kInf}) {
            EXPECT_TRUE(std::isnan(value(model, 1.0, 10.0, {bad, 1.0, 0.5}))) << model;
            EXPECT_TRUE(std::isnan(value(model, 1.0, 10.0, {2.0, bad, 0.5}))) << model;
            EXPECT_TRUE(std::isnan(value(model, bad, 10.0, {2.0, 1.0, 0.5}))) << model;
            const double with_bad_third = value(model, 1.0, 10.0, {2.0, 1.0, bad});
            const bool reads_third = model != 1 && model != 4;
            EXPECT_EQ(std::isnan(with_bad_third), reads_third) << model;
        }
    }
}

// Km and Vm are positive constants: at 0 or below no curve exists (Km = 0
// would give the raw data back as a fit of sum zero).
TEST_F(Models, KmOrVmNotAboveZeroGivesNaN) {
    for (std::int64_t model = 1; model <= 6; ++model) {
        for (double bad : {0.0, -0.0, -1e-300, -2.0}) {
            EXPECT_TRUE(std::isnan(value(model, 1.0, 10.0, {bad, 1.0, 0.5}))) << model << " Km " << bad;
            EXPECT_TRUE(std::isnan(value(model, 1.0, 10.0, {2.0, bad, 0.5}))) << model << " Vm " << bad;
        }
        EXPECT_FALSE(std::isnan(value(model, 1.0, 10.0, {1e-300, 1e-300, 0.5}))) << model;
    }
}

TEST_F(Models, MissingThirdParameterGivesNaN) {
    const std::array<double, 2> two = {2.0, 1.0};
    for (std::int64_t model = 1; model <= 6; ++model) {
        a1.nmdl = model;
        const bool reads_third = model != 1 && model != 4;
        EXPECT_EQ(std::isnan(func(1.0, 10.0, 0.0, two)), reads_third) << model;
    }
}

TEST_F(Models, UnknownModelNumberGivesZero) {
    EXPECT_EQ(value(0, 1.0, 10.0, {2.0, 1.0, 0.5}), 0.0);
    EXPECT_EQ(value(7, 1.0, 10.0, {2.0, 1.0, 0.5}), 0.0);
}

TEST(Npar, CountsAndTitles) {
    std::string title(80, 'x');
    std::int64_t n = -1;
    npar(3, title, n);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(title, "3- [Pt] vs (time + t0) Michaelis-Menten" + std::string(41, ' '));
    npar(4, title, n);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(title.substr(0, 33), "4- [St] vs time Michaelis-Menten ");
    for (std::int64_t model : {0, 7, -1}) {
        npar(model, title, n);
        EXPECT_EQ(n, 0);
        EXPECT_EQ(title.substr(0, 22), "0- MODEL NOT DEFINED! ");
        EXPECT_EQ(title.size(), 80u);
    }
    std::string short_title(10, ' ');
    npar(5, short_title, n);
    EXPECT_EQ(short_title, "5- [St] vs");
}

}  // namespace
}  // namespace imm
