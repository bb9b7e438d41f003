#include "model/matrix_balance.h"

#include <gtest/gtest.h>

#include <vector>

namespace imm {
namespace {

TEST(Balance, ScalesByPowersOfTwoUntilNothingChanges) {
    std::vector<double> a{1, 1, 64, 1};  // rows (1, 64) and (1, 1)
    balance(a.data(), 2, 2);
    EXPECT_EQ(a, (std::vector<double>{1, 8, 8, 1}));

    std::vector<double> symmetric{4, -1, 2, -1, 5, 3, 2, 3, 9};
    const std::vector<double> before = symmetric;
    balance(symmetric.data(), 3, 3);
    EXPECT_EQ(symmetric, before);

    // A leading dimension larger than the order leaves the rows beyond it alone.
    std::vector<double> padded{1, 1, 7, 64, 1, 7};
    balance(padded.data(), 2, 3);
    EXPECT_EQ(padded, (std::vector<double>{1, 8, 7, 8, 1, 7}));
}

}  // namespace
}  // namespace imm
