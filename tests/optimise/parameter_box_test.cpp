#include "optimise/parameter_box.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace imm {
namespace {

DataBlock sample_data()
{
    DataBlock data;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::array<double, 5> t{0.0, 8.0, nan, 4.0, 100.0};
    const std::array<double, 5> y{1.0, nan, 6.0, 3.0, 50.0};
    for (std::size_t i = 0; i < t.size(); ++i) {
        data.t[i] = t[i];
        data.yobs[i] = y[i];
    }
    return data;
}

TEST(ModelParameterBox, EachModel)
{
    const DataBlock data = sample_data();
    const std::array<double, 3> p{2.0, 3.0, -0.5};
    // Rows 0..3: the largest time 8 and the largest y 6, NaN passed over; row 4 is not read.
    for (const std::int64_t model : {1, 4}) {
        const auto box = model_parameter_box(model, p, 100.0, 4, data);
        EXPECT_EQ(box.lower[0], 0.0);
        EXPECT_EQ(box.lower[1], 0.0);
        EXPECT_EQ(box.upper[0], 200.0);
        EXPECT_EQ(box.upper[1], 300.0);
    }
    for (const std::int64_t model : {2, 5}) {
        const auto box = model_parameter_box(model, p, 10.0, 4, data);
        EXPECT_EQ(box.upper[0], 20.0);
        EXPECT_EQ(box.upper[1], 30.0);
        EXPECT_EQ(box.lower[2], -3.0);
        EXPECT_EQ(box.upper[2], 3.0);
    }
    for (const std::int64_t model : {3, 6}) {
        const auto box = model_parameter_box(model, p, 100.0, 4, data);
        EXPECT_EQ(box.lower[2], -4.0);
        EXPECT_EQ(box.upper[2], 4.0);
    }
    for (const std::int64_t model : {0, 7, -1}) {
        const auto box = model_parameter_box(model, p, 100.0, 4, data);
        for (std::size_t i = 0; i < box.lower.size(); ++i) {
            EXPECT_EQ(box.lower[i], -1e6);
            EXPECT_EQ(box.upper[i], 1e6);
        }
    }
}

TEST(ModelParameterBox, NegativeReferenceInvertsTheUpperBound)
{
    const auto box = model_parameter_box(1, std::array<double, 2>{-1.0, 2.0}, 100.0, 4, sample_data());
    EXPECT_LT(box.upper[0], box.lower[0]);
}

TEST(ModelParameterBox, MaximumIsNotANumberOnlyWhenEveryValueIsOne)
{
    DataBlock data;
    data.yobs.fill(std::numeric_limits<double>::quiet_NaN());
    const auto box = model_parameter_box(2, std::array<double, 3>{1.0, 1.0, 0.0}, 100.0, 3, data);
    EXPECT_TRUE(std::isnan(box.upper[2]));
    data.yobs[2] = -4.0;
    const auto one = model_parameter_box(2, std::array<double, 3>{1.0, 1.0, 0.0}, 100.0, 3, data);
    EXPECT_EQ(one.upper[2], -2.0);
}

// A baseline above half the largest value, or below minus half of it, stays
// inside the background's range: the range reaches half the data's spread
// beyond the smallest value. Within +-half the largest value it is as before.
TEST(ModelParameterBox, BackgroundReachesTheSmallestValue)
{
    DataBlock data;
    const auto range_of = [&data](std::array<double, 3> y) {
        for (std::size_t i = 0; i < y.size(); ++i) data.yobs[i] = y[i];
        return background_range(3, data);
    };
    const ParameterRange high = range_of({40.0, 44.0, 47.0});
    EXPECT_EQ(high.lower, -23.5);
    EXPECT_EQ(high.upper, 43.5);
    const ParameterRange low = range_of({-15.0, 2.0, 20.0});
    EXPECT_EQ(low.lower, -32.5);
    EXPECT_EQ(low.upper, 10.0);
    const ParameterRange ordinary = range_of({0.5, 20.0, 60.0});
    EXPECT_EQ(ordinary.lower, -30.0);
    EXPECT_EQ(ordinary.upper, 30.0);
    const auto box = model_parameter_box(5, std::array<double, 3>{1.0, 1.0, 0.0}, 100.0, 3, data);
    EXPECT_EQ(box.upper[2], 30.0);
}

}  // namespace
}  // namespace imm
