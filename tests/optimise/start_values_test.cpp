#include "optimise/start_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <string>

#include "support/shared_blocks.h"

namespace imm {
namespace {

// The example data: three curves of nine rows, [So] = 50, 100 and 500.
void load_example_data(std::int64_t model, std::int64_t parameters) {
    const std::array<double, 9> times = {0, 40, 120, 160, 200, 240, 280, 320, 360};
    const std::array<double, 3> substrate = {50, 100, 500};
    const std::array<std::array<double, 9>, 3> values = {{
        {0.534, 13.746, 32.728, 42.628, 45.370, 50.784, 50.427, 51.246, 48.362},
        {-0.641, 14.850, 37.821, 50.926, 61.111, 73.611, 83.974, 93.091, 98.682},
        {2.315, 14.138, 42.735, 57.799, 71.688, 84.473, 97.009, 112.180, 123.469},
    }};
    std::size_t row = 0;
    for (std::size_t c = 0; c < 3; ++c) {
        for (std::size_t i = 0; i < 9; ++i, ++row) {
            a1.t[row] = times[i];
            a1.so[row] = substrate[c];
            a1.yobs[row] = values[c][i];
        }
    }
    a1.nmdl = model;
    a2.model_limit = 6;
    global_types.imdlno = model;
    global_types.idat = 27;
    a3.ndata = 27;
    a3.nparam = parameters;
    a3.weight_mode = 0;
}

// Km and Vm of model 1 fitted by least squares (tests/reference/example_start_values.py).
std::array<double, 2> reference_fit() {
    std::ifstream in(std::string(SORVEK_SOURCE_DIR) + "/tests/optimise/data/example_fit.txt");
    std::string comment;
    std::getline(in, comment);
    std::array<double, 2> fit{};
    in >> fit[0] >> fit[1];
    return fit;
}

TEST(StartValues, LieWithinAFactorOfTenOfTheFittedKmAndVm) {
    const auto fit = reference_fit();
    ASSERT_GT(fit[0], 0.0);
    for (std::int64_t weight_mode : {0, 2}) {
        load_example_data(1, 2);
        a3.weight_mode = weight_mode;
        RandomContext random = RandomContext::seeded(5);
        std::array<double, 2> p{};
        init_estimates(p, random);
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_GT(p[i], fit[i] / 10.0) << i << " weighting " << weight_mode;
            EXPECT_LT(p[i], fit[i] * 10.0) << i << " weighting " << weight_mode;
        }
    }
}

TEST(StartValues, GuessKmFromTheMeanSubstrateAndTheCurveCount) {
    load_example_data(1, 2);
    const double mean = (50.0 + 100.0 + 500.0) / 3.0;
    EXPECT_DOUBLE_EQ(guess_start_values(1, 1, 9).km, 2.0 * mean);
    EXPECT_DOUBLE_EQ(guess_start_values(1, 4, 9).km, 8.0 * mean);
}

TEST(StartValues, GuessVmFromRowsThreeToSixOfTheFirstCurve) {
    load_example_data(1, 2);
    // Rows 3 to 6: (32.728, 42.628, 45.370, 50.784) at 40 time units apart.
    const double slope = (9.9 + 2.742 + 5.414) / (40.0 + 1e-6);
    EXPECT_NEAR(guess_start_values(1, 3, 9).vm, slope / 20.0, 1e-12);
    EXPECT_NEAR(guess_start_values(4, 3, 9).vm, slope / 10.0, 1e-12);
    // Replicates: the first six rows share one time, and rows 3 to 5 are paired with
    // row 7, 280 later; from each row and the next, each term is |dy| / 1e-6.
    std::fill_n(a1.t.begin(), 6, 0.0);
    const StartGuess replicates = guess_start_values(1, 3, 9);
    EXPECT_NEAR(replicates.vm, (17.699 + 7.799 + 5.057) / (280.0 + 1e-6) / 20.0, 1e-12);
    EXPECT_NEAR(replicates.neighbours_vm, (9.9 + 2.742 + 5.414) / 1e-6 / 20.0, 1e-3);
}

// The searches drive model 5's Km on the example data to the floor; its box
// still reaches 100 times the guessed Km.
TEST(StartValues, AFlooredStartValueKeepsTheBoxOfItsGuess) {
    load_example_data(5, 3);
    RandomContext random = RandomContext::seeded(5);
    std::array<double, 3> p{};
    const auto box_reference = init_estimates(p, random);
    EXPECT_EQ(p[0], 1e-6);
    EXPECT_EQ(box_reference[0], guess_start_values(5, 3, 9).km);
}

TEST(StartValues, GuessReadsOnlyRowsOfTheFirstCurve) {
    load_example_data(1, 2);
    const double three_rows = (std::fabs(13.746 - 0.534) / (40.0 + 1e-6) + std::fabs(32.728 - 13.746) / (80.0 + 1e-6)) / 20.0;
    const double before = guess_start_values(1, 3, 3).vm;
    EXPECT_NEAR(before, three_rows, 1e-9);
    for (std::size_t row = 3; row < 9; ++row) a1.yobs[row] = 1e9;  // rows beyond the first curve
    EXPECT_EQ(guess_start_values(1, 3, 3).vm, before);
}

TEST(StartValues, GuessTheThirdParameterByModel) {
    load_example_data(2, 3);
    EXPECT_DOUBLE_EQ(guess_start_values(2, 3, 9).third, (0.534 + 13.746) / 2.0);
    EXPECT_DOUBLE_EQ(guess_start_values(5, 3, 9).third, (51.246 + 48.362) / 2.0);
    EXPECT_EQ(guess_start_values(1, 3, 9).third, 0.0);
    a1.t[0] = 0.5;
    a1.t[1] = 1.0;
    EXPECT_EQ(guess_start_values(3, 3, 9).third, -0.75);
    a1.t[0] = -0.5;
    EXPECT_EQ(guess_start_values(6, 3, 9).third, 0.25);
}

TEST(StartValues, TimeOffsetModelsKeepTheGuessedOffset) {
    load_example_data(3, 3);
    a1.t[0] = 0.5;
    a1.t[1] = 1.0;
    RandomContext random = RandomContext::seeded(5);
    std::array<double, 3> p{};
    init_estimates(p, random);
    EXPECT_EQ(p[2], -0.75);
    EXPECT_GT(p[0], 0.0);
    EXPECT_GT(p[1], 0.0);
}

}  // namespace
}  // namespace imm
