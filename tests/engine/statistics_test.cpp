#include "engine/matrix_inverse.h"
#include "engine/standard_errors.h"
#include "engine/student_t.h"
#include "tests/reference/stats_reference_data.h"
#include "window/headless_backend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <vector>

namespace imm {
namespace {

namespace ref = reference;

TEST(StudentT, TableAndInterpolatedValuesAsSinglePrecision) {
    EXPECT_EQ(tvalue(1), 12.710000038146973);
    EXPECT_EQ(tvalue(19), 2.0899999141693115);
    EXPECT_EQ(tvalue(20), 2.0899999141693115);
    EXPECT_EQ(tvalue(21), 2.0799999237060547);
    EXPECT_EQ(tvalue(30), 2.0399999618530273);
    EXPECT_EQ(tvalue(31), 2.0399999618530273);
    EXPECT_EQ(tvalue(40), 2.0199999809265137);
    EXPECT_EQ(tvalue(60), 2.0);
    EXPECT_EQ(tvalue(61), 2.0);
    EXPECT_EQ(tvalue(120), 1.9800000190734863);
    EXPECT_EQ(tvalue(1000), 1.9600000381469727);
    EXPECT_TRUE(std::isnan(tvalue(0)));
    EXPECT_TRUE(std::isnan(tvalue(-3)));
}

TEST(StudentT, WithinOneHundredthOfTheQuantile) {
    for (std::size_t k = 0; k < std::size(ref::kStudentDf); ++k) {
        EXPECT_NEAR(tvalue(ref::kStudentDf[k]), ref::kStudentT975[k], 0.01) << ref::kStudentDf[k];
    }
}

// A column-major matrix whose diagonal is zero, so every step must exchange rows.
std::vector<double> pivoting_matrix(std::int64_t n) {
    std::vector<double> a(static_cast<std::size_t>(n * n));
    for (std::int64_t j = 0; j < n; ++j) {
        for (std::int64_t i = 0; i < n; ++i) {
            a[static_cast<std::size_t>(i + j * n)] =
                i == j ? 0.0 : std::cos(2.0 + 5.0 * i - 3.0 * j) + ((j + 1) % n == i ? 3.0 : 0.0);
        }
    }
    return a;
}

double identity_error(const std::vector<double>& a, const std::vector<double>& inv, std::int64_t n) {
    double worst = 0.0;
    for (std::int64_t i = 0; i < n; ++i) {
        for (std::int64_t j = 0; j < n; ++j) {
            double sum = 0.0;
            for (std::int64_t k = 0; k < n; ++k) sum += a[static_cast<std::size_t>(i + k * n)] * inv[static_cast<std::size_t>(k + j * n)];
            worst = std::max(worst, std::abs(sum - (i == j ? 1.0 : 0.0)));
        }
    }
    return worst;
}

using Inverter = InverseResult (*)(double*, std::int64_t, std::int64_t);
InverseResult lu(double* a, std::int64_t n, std::int64_t lda) { return lumatinv(n, a, lda); }

class InformationInverses : public ::testing::TestWithParam<Inverter> {};

TEST_P(InformationInverses, ProductWithTheInverseIsTheIdentity) {
    for (std::int64_t n : {2, 3, 5, 12, 25}) {
        const std::vector<double> a = pivoting_matrix(n);
        std::vector<double> inv = a;
        ASSERT_EQ(GetParam()(inv.data(), n, n).status, MatrixStatus::ok);
        EXPECT_LT(identity_error(a, inv, n), 1e-12) << n;
    }
    double four = 4.0;
    EXPECT_EQ(GetParam()(&four, 1, 1).status, MatrixStatus::ok);
    EXPECT_EQ(four, 0.25);
}

TEST_P(InformationInverses, SingularInputFailsAndLeavesTheMatrix) {
    double zero = 0.0;
    EXPECT_EQ(GetParam()(&zero, 1, 1).status, MatrixStatus::singular);
    EXPECT_EQ(zero, 0.0);

    std::vector<double> dependent{1, 2, 3, 2, 4, 6, 0, 1, 5};  // second column twice the first
    const std::vector<double> before = dependent;
    EXPECT_EQ(GetParam()(dependent.data(), 3, 3).status, MatrixStatus::singular);
    EXPECT_EQ(dependent, before);

    std::vector<double> all_zero(9, 0.0);
    EXPECT_EQ(GetParam()(all_zero.data(), 3, 3).status, MatrixStatus::singular);
    EXPECT_EQ(all_zero, std::vector<double>(9, 0.0));

    std::vector<double> infinite{1, 0, 0, std::numeric_limits<double>::infinity()};
    EXPECT_EQ(GetParam()(infinite.data(), 2, 2).status, MatrixStatus::not_finite);
    EXPECT_EQ(GetParam()(infinite.data(), 0, 2).status, MatrixStatus::bad_dimension);
}

INSTANTIATE_TEST_SUITE_P(Engine, InformationInverses, ::testing::Values(&lu, &invertmat));

TEST(InformationInverses, LuReportsTheColumnOfTheZeroPivot) {
    std::vector<double> first_column_zero{0, 0, 1, 2};
    const std::vector<double> before = first_column_zero;
    const InverseResult result = lumatinv(2, first_column_zero.data(), 2);
    EXPECT_EQ(result.status, MatrixStatus::singular);
    EXPECT_EQ(result.zero_pivot, 1);
    EXPECT_EQ(first_column_zero, before);

    std::vector<double> last_pivot_zero{1, 2, 2, 4};
    EXPECT_EQ(lumatinv(2, last_pivot_zero.data(), 2).zero_pivot, 2);
}

TEST(InformationInverses, TwinTurnsAOneByOneZeroIntoOne) {
    double zero = 0.0;
    EXPECT_EQ(invmat(&zero, 1, 1).status, MatrixStatus::singular);
    EXPECT_EQ(zero, 1.0);
    std::vector<double> a = pivoting_matrix(4);
    std::vector<double> twin = a;
    std::vector<double> plain = a;
    invmat(twin.data(), 4, 4);
    invertmat(plain.data(), 4, 4);
    EXPECT_EQ(twin, plain);
}

std::vector<double> jacobian_storage(const double* columns, std::int64_t n, std::int64_t np) {
    std::vector<double> fjac(static_cast<std::size_t>(kMaxRows * np), 0.0);
    for (std::int64_t j = 0; j < np; ++j) {
        for (std::int64_t k = 0; k < n; ++k) fjac[static_cast<std::size_t>(k + j * kMaxRows)] = columns[k + j * n];
    }
    return fjac;
}

TEST(StandardErrors, MatchTheIndependentReference) {
    const std::int64_t n = ref::kRows;
    const std::int64_t np = 3;
    const std::vector<double> fjac = jacobian_storage(ref::kSeJacobian, n, np);
    HeadlessSession session;
    const StandardErrors se = stderrpar(n, np, fjac, ref::kSeSsq);
    ASSERT_FALSE(se.inversion_failed);
    EXPECT_TRUE(session.record().messages.empty());
    for (std::int64_t k = 0; k < np * np; ++k) {
        EXPECT_NEAR(se.finfo[k], ref::kSeFinfo[k], 1e-13 * std::abs(ref::kSeFinfo[k]));
        EXPECT_NEAR(se.corrmat[k], ref::kSeCorr[k], 1e-9);
    }
    for (std::int64_t i = 0; i < np; ++i) {
        EXPECT_NEAR(se.separ[i], ref::kSeSepar[i], 1e-9 * ref::kSeSepar[i]);
        EXPECT_NEAR(se.parcl[i], ref::kSeParcl[i], 1e-9 * ref::kSeParcl[i]);
        EXPECT_EQ(se.corrmat[i + i * np], 1.0);
        for (std::int64_t j = 0; j < np; ++j) EXPECT_EQ(se.corrmat[i + j * np], se.corrmat[j + i * np]);
    }
}

TEST(StandardErrors, ZeroColumnGivesAHugeErrorWithoutFailing) {
    const std::int64_t n = ref::kRows;
    std::vector<double> columns(ref::kSeJacobian, ref::kSeJacobian + 3 * n);
    std::fill(columns.begin() + 2 * n, columns.end(), 0.0);
    const StandardErrors se = stderrpar(n, 3, jacobian_storage(columns.data(), n, 3), ref::kSeSsq);
    ASSERT_FALSE(se.inversion_failed);
    EXPECT_GT(se.separ[2], 1e5);
    EXPECT_TRUE(std::isfinite(se.parcl[2]));
}

TEST(StandardErrors, FailedInversionGivesNotANumber) {
    const std::int64_t n = 4;
    // Identical huge columns: J'J is clamped to a singular matrix of 5e15.
    const std::vector<double> identical{1e10, 1e10, 1e10, 1e10, 1e10, 1e10, 1e10, 1e10};
    // Clamping makes J'J indefinite: the inverse has a negative diagonal.
    const std::vector<double> indefinite{1e10, 0, 0, 0, 1e7, 1e7, 1e7, 1e7};
    for (const auto& columns : {identical, indefinite}) {
        HeadlessSession session;
        StandardErrors se = stderrpar(n, 2, jacobian_storage(columns.data(), n, 2), 1.0);
        EXPECT_TRUE(se.inversion_failed);
        const auto messages = session.record().messages;
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].kind, 3);
        EXPECT_EQ(messages[0].text, "Mat Inversion: Matrix diagonal = 0!");
        EXPECT_GT(se.finfo[0], 1e19);
        for (std::int64_t i = 0; i < 2; ++i) {
            EXPECT_TRUE(std::isnan(se.separ[i]));
            EXPECT_TRUE(std::isnan(se.parcl[i]));
        }
        for (std::int64_t k = 0; k < 4; ++k) EXPECT_EQ(se.corrmat[k], 0.0);
    }
}

}  // namespace
}  // namespace imm
