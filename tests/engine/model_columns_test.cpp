#include "engine/model_columns.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace imm {
namespace {

const std::string kModelList =
    "1- Product vs time Integrated Michaelis-Menten\n"
    "2- Product vs time Integrated Michaelis-Menten - Baseline\n"
    "3- Product vs (time+t0) Integrated Michaelis-Menten\n"
    "4- Substrate vs time Integrated Michaelis-Menten\n"
    "5- Substrate vs time Integrated Michaelis-Menten - Baseline\n"
    "6- Substrate vs (time+t0) Integrated Michaelis-Menten\n" +
    std::string(41, '~') + "\n ENTER <CR>\n";

class Ncolmdl : public ::testing::Test {
protected:
    // The console answer comes from an empty input.
    void SetUp() override { ASSERT_NE(std::freopen("/dev/null", "r", stdin), nullptr); }

    static std::pair<std::int64_t, std::string> run(std::int64_t ncols, std::int64_t model) {
        ::testing::internal::CaptureStdout();
        std::int64_t result = -1;
        ncolmdl(ncols, model, result);
        return {result, ::testing::internal::GetCapturedStdout()};
    }
};

TEST_F(Ncolmdl, DefinedModelsPassSilently) {
    for (std::int64_t model = 0; model <= 6; ++model) {
        for (std::int64_t ncols : {-1, 2, 3, 4}) EXPECT_EQ(run(ncols, model), std::make_pair(std::int64_t{0}, std::string()));
    }
}

TEST_F(Ncolmdl, UndefinedModelWithThreeColumns) {
    EXPECT_EQ(run(3, 7), std::make_pair(std::int64_t{99}, "\nTHE CHOSEN MODEL IS UNDEFINED, BUT\n"
                                                          "SINCE THE FILE CONTAINS X1,X2,Y DATA,\n"
                                                          "YOU MAY SELECT A MODEL FROM THE\n"
                                                          "FOLLOWING LIST AND RERUN:\n" + kModelList));
}

TEST_F(Ncolmdl, UndefinedModelWithTwoColumns) {
    EXPECT_EQ(run(2, 9), std::make_pair(std::int64_t{99}, "\nTHE MODEL FUNCTION REQUIRES 3 DATA COLUMNS,\n"
                                                          "BUT THE FILE CONTAINS ONLY X,Y DATA.\n"
                                                          "TO RUN ENTER X1,X2,Y (3 DATA COLUMNS) AND\n"
                                                          "SELECT A MODEL FROM THE FOLLOWING LIST:\n" + kModelList));
}

TEST_F(Ncolmdl, UndefinedModelWithOtherColumnCounts) {
    for (std::int64_t ncols : {-1, 0, 1, 4}) EXPECT_EQ(run(ncols, 7), std::make_pair(std::int64_t{0}, std::string()));
}

}  // namespace
}  // namespace imm
