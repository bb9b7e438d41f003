#include "optimise/matrix_kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace imm {
namespace {

TEST(DotProducts, UnitStridesAddEveryProductInOrder) {
    const std::vector<double> x{1, 2, 3, 4, 5, 6, 7};
    const std::vector<double> y{7, 6, 5, 4, 3, 2, 1};
    EXPECT_EQ(sdotm(7, x.data(), 1, y.data(), 1), 84.0);
    EXPECT_EQ(sdotm(3, x.data(), 1, y.data(), 1), 7.0 + 12.0 + 15.0);
    EXPECT_EQ(sdotm(5, x.data(), 1, y.data(), 1), 7.0 + 12.0 + 15.0 + 16.0 + 15.0);
    EXPECT_EQ(sdotm(0, x.data(), 1, y.data(), 1), 0.0);
    EXPECT_EQ(sdsdot(7, 0.5, x.data(), 1, y.data(), 1), 84.5);
    EXPECT_EQ(sdsdot(-1, 0.5, x.data(), 1, y.data(), 1), 0.5);
}

TEST(DotProducts, StridesAndNegativeIncrements) {
    const std::vector<double> x{1, 2, 3, 4, 5, 6};
    const std::vector<double> y{10, 20, 30, 40, 50, 60};
    // Equal increments of 2: elements 1, 3, 5.
    EXPECT_EQ(sdotm(3, x.data(), 2, y.data(), 2), 1 * 10 + 3 * 30 + 5 * 50);
    // x forwards by 2, y backwards by 1: x(1)y(3) + x(3)y(2) + x(5)y(1).
    EXPECT_EQ(sdotm(3, x.data(), 2, y.data(), -1), 1 * 30 + 3 * 20 + 5 * 10);
    // Equal negative increments take the general path and walk both from the far end.
    EXPECT_EQ(sdotm(3, x.data(), -2, y.data(), -2), 5 * 50 + 3 * 30 + 1 * 10);
    EXPECT_EQ(sdsdot(3, 1.0, x.data(), -1, y.data(), 1), 1.0 + 3 * 10 + 2 * 20 + 1 * 30);
    // A zero increment repeats the first element.
    EXPECT_EQ(sdotm(3, x.data(), 0, y.data(), 1), 1 * 10 + 1 * 20 + 1 * 30);
}

// A column-major n x n matrix with a zero diagonal, so that every column needs a row exchange.
std::vector<double> needs_pivoting(std::int64_t n, std::int64_t lda) {
    std::vector<double> a(static_cast<std::size_t>(lda * n), -99.0);
    for (std::int64_t j = 0; j < n; ++j) {
        for (std::int64_t i = 0; i < n; ++i) {
            const double value = i == j ? 0.0 : std::sin(1.0 + 3.0 * i + 7.0 * j) + ((i + 1) % n == j ? 4.0 : 0.0);
            a[static_cast<std::size_t>(i + j * lda)] = value;
        }
    }
    return a;
}

double identity_error(const std::vector<double>& a, const std::vector<double>& inv, std::int64_t n,
                      std::int64_t lda) {
    double worst = 0.0;
    for (std::int64_t i = 0; i < n; ++i) {
        for (std::int64_t j = 0; j < n; ++j) {
            double sum = 0.0;
            for (std::int64_t k = 0; k < n; ++k) sum += a[i + k * lda] * inv[k + j * lda];
            worst = std::max(worst, std::abs(sum - (i == j ? 1.0 : 0.0)));
        }
    }
    return worst;
}

using Inverter = InverseResult (*)(double*, std::int64_t, std::int64_t);

class Inverses : public ::testing::TestWithParam<Inverter> {};

TEST_P(Inverses, ProductWithTheInverseIsTheIdentity) {
    for (std::int64_t n : {1, 2, 3, 6, 17, 50}) {
        const std::int64_t lda = n + 3;
        std::vector<double> a = needs_pivoting(n, lda);
        if (n == 1) a[0] = 4.0;
        std::vector<double> inv = a;
        const InverseResult result = GetParam()(inv.data(), n, lda);
        ASSERT_EQ(result.status, MatrixStatus::ok) << n;
        EXPECT_LT(identity_error(a, inv, n, lda), 1e-12) << n;
        // Rows beyond n in each column are not touched.
        for (std::int64_t j = 0; j < n; ++j) {
            for (std::int64_t i = n; i < lda; ++i) EXPECT_EQ(inv[i + j * lda], -99.0);
        }
    }
}

TEST_P(Inverses, OneByOne) {
    double four = 4.0;
    EXPECT_EQ(GetParam()(&four, 1, 1).status, MatrixStatus::ok);
    EXPECT_EQ(four, 0.25);
    double zero = 0.0;
    const InverseResult result = GetParam()(&zero, 1, 1);
    EXPECT_EQ(result.status, MatrixStatus::singular);
    EXPECT_EQ(result.zero_pivot, 1);
    EXPECT_EQ(zero, 0.0);
}

TEST_P(Inverses, SingularOrNonFiniteInputFailsAndLeavesTheMatrix) {
    // First column all zero: no pivot row at all.
    std::vector<double> a{0, 0, 0, 1, 2, 3, 4, 5, 7};
    std::vector<double> before = a;
    InverseResult result = GetParam()(a.data(), 3, 3);
    EXPECT_EQ(result.status, MatrixStatus::singular);
    EXPECT_EQ(result.zero_pivot, 1);
    EXPECT_EQ(a, before);

    // Third column the sum of the first two: the last pivot is zero.
    a = {1, 2, 3, 4, 5, 6, 5, 7, 9};
    before = a;
    result = GetParam()(a.data(), 3, 3);
    EXPECT_EQ(result.status, MatrixStatus::singular);
    EXPECT_EQ(result.zero_pivot, 3);
    EXPECT_EQ(a, before);

    a = {1, 0, 0, std::numeric_limits<double>::quiet_NaN()};
    result = GetParam()(a.data(), 2, 2);
    EXPECT_EQ(result.status, MatrixStatus::not_finite);
    EXPECT_EQ(a[0], 1.0);
    EXPECT_TRUE(std::isnan(a[3]));

    // Regular, but the inverse overflows.
    a = {1e-310, 0, 0, 1e-310};
    before = a;
    EXPECT_EQ(GetParam()(a.data(), 2, 2).status, MatrixStatus::not_finite);
    EXPECT_EQ(a, before);

    EXPECT_EQ(GetParam()(a.data(), 0, 1).status, MatrixStatus::bad_dimension);
    EXPECT_EQ(GetParam()(a.data(), 2, 1).status, MatrixStatus::bad_dimension);
    std::vector<double> big(51 * 51, 1.0);
    EXPECT_EQ(GetParam()(big.data(), 51, 51).status, MatrixStatus::bad_dimension);
}

TEST_P(Inverses, EqualCandidatePivotsTakeTheUpperRow) {
    // Column 1 holds 2 and -2: row 1 is the pivot, so no exchange happens and
    // the result equals the inverse worked by hand.
    std::vector<double> a{2, -2, 1, 3};  // rows (2, 1) and (-2, 3)
    ASSERT_EQ(GetParam()(a.data(), 2, 2).status, MatrixStatus::ok);
    EXPECT_DOUBLE_EQ(a[0], 3.0 / 8.0);
    EXPECT_DOUBLE_EQ(a[1], 2.0 / 8.0);
    EXPECT_DOUBLE_EQ(a[2], -1.0 / 8.0);
    EXPECT_DOUBLE_EQ(a[3], 2.0 / 8.0);
}

InverseResult cd_with_caller_work(double* a, std::int64_t n, std::int64_t lda) {
    std::vector<std::int64_t> perm(static_cast<std::size_t>(std::max<std::int64_t>(n, 0)));
    std::vector<double> work(perm.size());
    return mb01cd(a, n, lda, perm, work);
}

INSTANTIATE_TEST_SUITE_P(Kernels, Inverses, ::testing::Values(&mb01bd, &mb01cd2, &cd_with_caller_work));

TEST(Inverses, CallerWorkVectorsMustHoldTheOrder) {
    std::vector<double> a{1, 0, 0, 1};
    std::vector<std::int64_t> perm(1);
    std::vector<double> work(2);
    EXPECT_EQ(mb01cd(a.data(), 2, 2, perm, work).status, MatrixStatus::bad_dimension);
}

TEST(RankOneUpdate, SubtractsTheScaledOuterProduct) {
    std::vector<double> a{1, 2, 0, 3, 4, 0};  // 2 x 2 in leading dimension 3
    const double u[] = {1, 2};
    const double v[] = {3, 5};
    la02dd(a.data(), 3, 2, u, v, 0.5);
    EXPECT_EQ(a, (std::vector<double>{1 - 1.5, 2 - 3, 0, 3 - 2.5, 4 - 5, 0}));
}

}  // namespace
}  // namespace imm
