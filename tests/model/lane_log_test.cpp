// The logarithm the Omega steps take: within one unit in the last place of
// the exact value, and the same bits one at a time and side by side.
#include "model/lane_log.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace imm {
namespace {

using limits = std::numeric_limits<double>;

// |got - ln x| in units in the last place of ln x, taken in long double.
long double error_in_ulps(double x, double got) {
    const long double exact = std::log(static_cast<long double>(x));
    const double ulp = std::ldexp(1.0, std::ilogb(static_cast<double>(exact)) - 52);
    return std::fabs(static_cast<long double>(got) - exact) / ulp;
}

TEST(LaneLog, WithinOneUnitInTheLastPlace) {
    std::mt19937_64 random(7);
    long double worst = 0.0L;
    auto check = [&](double x) { worst = std::max(worst, error_in_ulps(x, lane_log(x))); };
    // Uniform over the bit patterns of the positive normal doubles.
    constexpr std::uint64_t kMinNormal = 0x0010000000000000ULL, kMaxNormal = 0x7fefffffffffffffULL;
    for (int i = 0; i < 400000; ++i) check(std::bit_cast<double>(kMinNormal + random() % (kMaxNormal - kMinNormal)));
    // Around 1, where the result is small, and across the ends of the mantissa's range.
    std::uniform_real_distribution<double> wide(0.5, 2.0), near_one(-1e-3, 1e-3);
    for (int i = 0; i < 200000; ++i) {
        check(wide(random));
        check(1.0 + near_one(random));
    }
    for (const double x : {limits::min(), limits::max(), 0.7071067811865476, 1.4142135623730951, 2.0, 0.5, 10.0}) {
        check(x);
    }
    EXPECT_LT(worst, 1.0L);
    EXPECT_EQ(lane_log(1.0), 0.0);
}

TEST(LaneLog, ArgumentsOutsideThePositiveNormalsGiveWhatStdLogGives) {
    for (const double x : {0.0, -0.0, limits::denorm_min(), 1e-310, limits::infinity(), -1.0, -limits::infinity()}) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(lane_log(x)), std::bit_cast<std::uint64_t>(std::log(x))) << x;
    }
    EXPECT_TRUE(std::isnan(lane_log(limits::quiet_NaN())));
}

TEST(LaneLog, SideBySideGivesTheSameBitsAsOneAtATime) {
    std::array<double, 16> x{0.3, 1.0, 2.5e-300, 7.0e300, 0.0, -2.0, limits::infinity(), limits::quiet_NaN(),
                             1e-310, 0.70710678, 1.41421357, 3.0, 1.0 + 1e-15, 1.0 - 1e-15, 123.456, 1e-9};
    std::array<double, 16> side_by_side = x;
    lane_logs(side_by_side);
    for (std::size_t j = 0; j < x.size(); ++j) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(side_by_side[j]), std::bit_cast<std::uint64_t>(lane_log(x[j]))) << x[j];
    }
}

}  // namespace
}  // namespace imm
