#include "optimise/packed_factor.h"

#include <gtest/gtest.h>

#include <vector>

namespace imm {
namespace {

// Full symmetric matrix of U'DU from packed factors.
std::vector<double> multiply_out(const std::vector<double>& h, std::int64_t n) {
    auto u = [&](std::int64_t k, std::int64_t i) {
        if (i < k) return 0.0;
        if (i == k) return 1.0;
        return h[packed_diagonal(n, k) + (i - k)];
    };
    std::vector<double> a(n * n, 0.0);
    for (std::int64_t i = 0; i < n; ++i)
        for (std::int64_t j = 0; j < n; ++j)
            for (std::int64_t k = 0; k < n; ++k) a[i * n + j] += u(k, i) * h[packed_diagonal(n, k)] * u(k, j);
    return a;
}

std::vector<double> packed(const std::vector<double>& full, std::int64_t n) {
    std::vector<double> h;
    for (std::int64_t i = 0; i < n; ++i)
        for (std::int64_t j = i; j < n; ++j) h.push_back(full[i * n + j]);
    return h;
}

const std::vector<double> kPositiveDefinite = {4, 2, -2, 2, 10, 4, -2, 4, 9};

TEST(PackedFactor, FactorsMultiplyBackToThePositiveDefiniteMatrix) {
    auto h = packed(kPositiveDefinite, 3);
    auto h2 = h;
    EXPECT_EQ(mc11bd(h, 3), 3);
    ASSERT_TRUE(factorise_packed(h2, 3));
    EXPECT_EQ(h, h2);
    // Worked by hand: D = (4, 9, 4), U12 = 0.5, U13 = -0.5, U23 = 5/9.
    EXPECT_DOUBLE_EQ(h[0], 4.0);
    EXPECT_DOUBLE_EQ(h[3], 9.0);
    EXPECT_DOUBLE_EQ(h[5], 9.0 - 1.0 - 25.0 / 9.0);
    const auto a = multiply_out(h, 3);
    for (std::size_t k = 0; k < a.size(); ++k) EXPECT_NEAR(a[k], kPositiveDefinite[k], 1e-12);
}

TEST(PackedFactor, PivotsThatAreNotPositiveAreZeroedAndNotCounted) {
    std::vector<double> h = {1, 2, 1};  // [[1, 2], [2, 1]]: second pivot 1 - 4 = -3
    EXPECT_EQ(mc11bd(h, 2), 1);
    EXPECT_EQ(h, (std::vector<double>{1, 2, 0}));
    std::vector<double> first_bad = {-1, 2, 5};  // row of a bad pivot is left as it is
    EXPECT_EQ(mc11bd(first_bad, 2), 1);
    EXPECT_EQ(first_bad, (std::vector<double>{0, 2, 5}));
    std::vector<double> single = {-2};
    EXPECT_EQ(mc11bd(single, 1), 0);
    EXPECT_EQ(single[0], 0.0);
    single = {3};
    EXPECT_EQ(mc11bd(single, 1), 1);
    EXPECT_EQ(single[0], 3.0);
    std::vector<double> stop = {1, 2, 1};
    EXPECT_FALSE(factorise_packed(stop, 2));
}

TEST(PackedFactor, DirectionSolvesTheFactoredSystem) {
    auto h = packed(kPositiveDefinite, 3);
    ASSERT_TRUE(factorise_packed(h, 3));
    const std::vector<double> g = {1, -2, 3};
    std::vector<double> v(3), s(3);
    solve_newton_direction(h, 3, g, v, s);
    for (int i = 0; i < 3; ++i) {
        double row = 0.0;
        for (int j = 0; j < 3; ++j) row += kPositiveDefinite[i * 3 + j] * s[j];
        EXPECT_NEAR(row, -g[i], 1e-12);
    }
}

TEST(PackedFactor, RankOneUpdateAddsSigmaUUTranspose) {
    auto h = packed(kPositiveDefinite, 3);
    ASSERT_TRUE(factorise_packed(h, 3));
    const std::vector<double> u0 = {1, 2, -1};
    for (double sigma : {0.5, -0.1}) {
        auto f = h;
        std::vector<double> u = u0, v(3), beta(3);
        double dmin = 4.0;
        rank_one_update(f, 3, sigma, u, v, beta, dmin);
        const auto a = multiply_out(f, 3);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                EXPECT_NEAR(a[i * 3 + j], kPositiveDefinite[i * 3 + j] + sigma * u0[i] * u0[j], 1e-12);
    }
}

TEST(PackedFactor, UpdateKeepsTheDiagonalPositive) {
    std::vector<double> h = {1.0};
    std::vector<double> u = {1.0}, v(1), beta(1);
    double dmin = 0.25;
    rank_one_update(h, 1, -2.0, u, v, beta, dmin);  // 1 - 2 would not be positive
    EXPECT_EQ(h[0], 0.25);
}

}  // namespace
}  // namespace imm
