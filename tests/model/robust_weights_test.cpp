#include "model/robust_weights.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace imm {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<double> weights_of(const std::vector<double>& r) {
    std::vector<double> w(r.size(), -1.0);
    robust_wt(r, w);
    return w;
}

TEST(BinnedMedian, WorkedExamples) {
    // mean 7/3, sigma 1.2472: the value 2 falls into bin 366, the result is that bin's centre.
    EXPECT_NEAR(binmedian(std::vector<double>{1, 2, 4}), 2.0003258259104526, 1e-12);
    EXPECT_NE(binmedian(std::vector<double>{1, 2, 4}), 2.0);
    // Even count whose upper half lies at mean + sigma: the scan runs to the last bin.
    EXPECT_DOUBLE_EQ(binmedian(std::vector<double>{0, 10}), 5.005);
    // No spread: nothing is binned and the mean is returned.
    EXPECT_EQ(binmedian(std::vector<double>{3, 3, 3, 3}), 3.0);
    // A symmetric sample lands within one bin width of its median.
    std::vector<double> x;
    for (int i = 0; i < 101; ++i) x.push_back(std::sin(0.37 * i) * 5.0);
    EXPECT_NEAR(binmedian(x), medianqs(x), 2.0 * 2.0 * 5.0 / 1000.0);
}

TEST(BinnedMedian, BinIndexStaysInsideTheTable) {
    // The spread overflows: every position is not a number and goes to the first bin.
    const double result = binmedian(std::vector<double>{1e308, -1e308, 1e308});
    EXPECT_TRUE(std::isnan(result));
    // A vanishing but non-zero spread scales positions far beyond the table.
    const double tiny = std::nextafter(1.0, 2.0);
    EXPECT_NEAR(binmedian(std::vector<double>{1.0, tiny, 1.0}), 1.0, 1e-15);
    EXPECT_NO_FATAL_FAILURE(binmedian(std::vector<double>{kNaN, 1.0, kInf}));
}

TEST(MeanAbsoluteDeviation, ValuesAndClamps) {
    EXPECT_EQ(xmad2(std::vector<double>{1, 3}, 2.0), 1.0);
    EXPECT_EQ(xmad2(std::vector<double>{}, 2.0), 1.0);  // 0/0
    EXPECT_EQ(xmad2(std::vector<double>{5, 5}, 5.0), 1e-15);
    EXPECT_EQ(xmad2(std::vector<double>{1e300, -1e300}, 0.0), 1e15);
    EXPECT_EQ(xmad2(std::vector<double>{kNaN, 1.0}, 0.0), 1.0);
}

TEST(RobustWeights, WeightFunction) {
    EXPECT_EQ(kRobustC1 * kRobustC2, kRobustC1C2);
    EXPECT_EQ(robust_weight_of(0.0), 1.0);
    EXPECT_EQ(robust_weight_of(5e-9), 1.0);
    EXPECT_NEAR(robust_weight_of(1e-6), kRobustC1C2, 1e-9);
    EXPECT_NEAR(robust_weight_of(1.686), 0.8795961776205582, 1e-12);
    // Between pi/c2 and 2pi/c2 the weight is negative, clamped later to 1e-6.
    EXPECT_LT(robust_weight_of(0.7), 0.0);
    EXPECT_LT(robust_weight_of(-1.3), 0.0);
    EXPECT_EQ(robust_weight_of(4.7), 1e-8);
    EXPECT_EQ(robust_weight_of(kNaN), 1e-8);
}

TEST(RobustWeights, EqualOrZeroResidualsWeighOne) {
    EXPECT_EQ(weights_of({2, -2, 2, -2, 2}), std::vector<double>(5, 1.0));
    EXPECT_EQ(weights_of({0, 0, 0}), std::vector<double>(3, 1.0));
    EXPECT_EQ(weights_of({0.5}), std::vector<double>(1, 1.0));
}

TEST(RobustWeights, OutlierGetsTheFloorAndTheRestStayHeavy) {
    std::vector<double> r;
    for (int i = 0; i < 200; ++i) r.push_back(0.01 * std::sin(1.3 * i));
    r[17] = 5.0;
    const std::vector<double> w = weights_of(r);
    EXPECT_EQ(w[17], kMinRobustWeight);
    double sum = 0.0;
    for (std::size_t i = 0; i < w.size(); ++i) {
        if (i != 17) sum += w[i];
    }
    EXPECT_GT(sum / 199.0, 0.5);
}

TEST(RobustWeights, EveryWeightWithinBounds) {
    std::vector<std::vector<double>> cases{
        {1, 2, 3, 4, 1000},
        {kNaN, 1, 2, 3},
        {kInf, -kInf, 1, 2},
        {1e-300, 2e-300, 1e300},
        {-5, -4, 3, 2, 1, 0.5, 0.25, 0.125},
    };
    for (int i = 0; i < 200; ++i) cases.back().push_back(std::tan(0.77 * i));
    for (const auto& r : cases) {
        for (double w : weights_of(r)) {
            EXPECT_GE(w, 1e-6);
            EXPECT_LE(w, 1.0);
        }
    }
}

TEST(Medians, SortAndSelection) {
    std::vector<double> x{5, -1, 3, 3, 9, 0, 2};
    sortwt(x);
    EXPECT_EQ(x, (std::vector<double>{-1, 0, 2, 3, 3, 5, 9}));
    EXPECT_EQ(median2(std::vector<double>{5, 1, 3}), 3.0);
    EXPECT_EQ(median2(std::vector<double>{4, 1, 3, 2}), 2.5);
    EXPECT_EQ(medianqs(std::vector<double>{5, 1, 3}), 3.0);
    EXPECT_EQ(medianqs(std::vector<double>{4, 1, 3, 2}), 2.5);
    // Clamped to [1e-15, 1e15].
    EXPECT_EQ(median2(std::vector<double>{-3, -2, -1}), 1e-15);
    EXPECT_EQ(medianqs(std::vector<double>{1e20, 2e20}), 1e15);
    // A middle pair that sums to no number gives the lower middle value (then clamped).
    EXPECT_EQ(median2(std::vector<double>{kInf, -kInf}), 1e-15);
}

}  // namespace
}  // namespace imm
