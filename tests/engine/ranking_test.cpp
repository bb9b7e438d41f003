#include "engine/aicc.h"
#include "engine/dsort.h"
#include "engine/model_ranking.h"
#include "engine/ranking_summary.h"

#include <gtest/gtest.h>

#include "tests/file_contents.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "model/models.h"
#include "support/unit_table.h"

namespace imm {
namespace {

namespace fs = std::filesystem;

const double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

TEST(Aicc, AgreesWithValuesWorkedByHand) {
    // n = 30, k = 2: T = 1.3, penalty term (0.1 + 1.3)*2*30/28 = 3.0; ln(30/30) = 0.
    EXPECT_NEAR(aicc(30, 2, 0.1, 30.0), 3.0, 1e-14);
    // n = 3, k = 2: T = trunc(110.8125)/10 = 11; 3 ln(e) + 11*6.
    EXPECT_NEAR(aicc(3, 2, 0.0, 3.0 * std::exp(1.0)), 69.0, 1e-13);
    EXPECT_NEAR(aicc(3, 2, 0.5, 3.0), 0.5 * 6 + 66.0, 1e-13);
    // n = 10, k = 3: 180/49 - 31/32 = 2.7047..., T = 2.7; 10 ln(0.1) + 3*30/7.
    EXPECT_NEAR(aicc(10, 3, 0.3, 1.0), -10.168708072797596, 1e-12);
}

TEST(Aicc, NotANumberWithoutDegreesOfFreedom) {
    EXPECT_TRUE(std::isnan(aicc(2, 2, 0.0, 1.0)));
    EXPECT_TRUE(std::isnan(aicc(2, 3, 0.0, 1.0)));
}

// An exact fit has the smallest normal mean square, so it ranks first.
TEST(Aicc, AnExactFitRanksFirst) {
    const double exact = aicc(30, 2, 0.0, 0.0);
    EXPECT_NEAR(exact, 30.0 * std::log(std::numeric_limits<double>::min()) + 1.3 * 2.0 * 30.0 / 28.0, 1e-9);
    EXPECT_TRUE(improves_best_aicc(exact, aicc(30, 2, 0.0, 1e-300)));
    const std::vector<RankedModel> ranks = rank_models(std::vector<double>{aicc(30, 2, 0.0, 1e-3), exact});
    EXPECT_EQ(ranks[0].fitted, 1u);
}

TEST(Aicc, PenaltyCountsTwoForRatiosThatAreNotFinite) {
    const std::vector<double> p{2.0, -4.0, 0.0, 1.0, 0.0, 3.0};
    const std::vector<double> se{0.5, 1.0, 0.1, 5.0, 0.0, nan};
    // 0.25 + 0.25 + 2 (zero parameter) + 2 (capped) + 2 (0/0) + 2 (NaN error)
    EXPECT_DOUBLE_EQ(relative_error_penalty(p, se), 8.5);
    EXPECT_EQ(relative_error_penalty({}, {}), 0.0);
}

TEST(Aicc, OnlyAFiniteLowerValueBecomesTheBest) {
    EXPECT_TRUE(improves_best_aicc(5.0, 1e16));
    EXPECT_TRUE(improves_best_aicc(-1e300, -1e299));
    EXPECT_FALSE(improves_best_aicc(5.0, 5.0));
    EXPECT_FALSE(improves_best_aicc(nan, 1e16));
    EXPECT_FALSE(improves_best_aicc(-inf, 1e16));
    EXPECT_FALSE(improves_best_aicc(inf, 1e16));
}

TEST(Dsort, AscendingCarriesTheSecondVectorAndKeepsTies) {
    std::vector<double> x{5.0, 3.0, nan, 5.0, -1.0, 3.0};
    std::vector<double> y{0, 1, 2, 3, 4, 5};
    dsort(x, y, 6, 2);
    EXPECT_EQ(y, (std::vector<double>{4, 1, 5, 0, 3, 2}));
    EXPECT_EQ(x[0], -1.0);
    EXPECT_EQ(x[4], 5.0);
    EXPECT_TRUE(std::isnan(x[5]));
}

TEST(Dsort, DescendingAndAloneAndPartial) {
    std::vector<double> x{1.0, nan, 3.0, 2.0, 3.0};
    std::vector<double> y{0, 1, 2, 3, 4};
    dsort(x, y, 5, -2);
    EXPECT_EQ(y, (std::vector<double>{2, 4, 3, 0, 1}));
    EXPECT_TRUE(std::isnan(x[4]));

    std::vector<double> a{3.0, 1.0, 2.0, 0.0};
    std::vector<double> b{7, 8, 9, 10};
    dsort(a, b, 3, 1);
    EXPECT_EQ(a, (std::vector<double>{1.0, 2.0, 3.0, 0.0}));
    EXPECT_EQ(b, (std::vector<double>{7, 8, 9, 10}));
    dsort(a, b, 4, -1);
    EXPECT_EQ(a, (std::vector<double>{3.0, 2.0, 1.0, 0.0}));
}

TEST(Dsort, BadCountOrFlagChangesNothing) {
    std::vector<double> x{2.0, 1.0};
    std::vector<double> y{0, 1};
    for (const std::int64_t kflag : {3, 0, -3}) {
        dsort(x, y, 2, kflag);
        EXPECT_EQ(x, (std::vector<double>{2.0, 1.0}));
    }
    dsort(x, y, 0, 2);
    dsort(x, y, -1, 2);
    EXPECT_EQ(x, (std::vector<double>{2.0, 1.0}));
    EXPECT_EQ(y, (std::vector<double>{0, 1}));
}

TEST(Ranking, EvidenceRatiosAndFlagsOfThePartsExamples) {
    struct Case {
        double difference;
        double ler;
        const char* flag;
    };
    for (const Case c : {Case{4.0, 0.8685889638065036, "**"}, Case{6.0, 1.3028834457097556, "* "},
                         Case{10.0, 2.171472409516259, "  "}, Case{300.0, 60.0, "  "}, Case{2000.0, 60.0, "  "}}) {
        const auto ranks = rank_models(std::vector<double>{50.0 + c.difference, 50.0});
        ASSERT_EQ(ranks.size(), 2u);
        EXPECT_EQ(ranks[0].fitted, 1u);
        EXPECT_EQ(ranks[0].ler, 0.0);
        EXPECT_EQ(ler_flag(ranks[0].ler), "**");
        EXPECT_EQ(ranks[1].delta, c.difference);
        EXPECT_NEAR(ranks[1].ler, c.ler, 1e-12) << c.difference;
        EXPECT_EQ(ler_flag(ranks[1].ler), c.flag) << c.difference;
        EXPECT_NEAR(ranks[0].weight + ranks[1].weight, 1.0, 1e-15);
    }
    const auto four = rank_models(std::vector<double>{4.0, 0.0});
    EXPECT_NEAR(four[0].weight, 0.8807970779778823, 1e-15);
    EXPECT_EQ(ler_flag(1.0), "**");
    EXPECT_EQ(ler_flag(1.0000001), "* ");
    EXPECT_EQ(ler_flag(2.0), "  ");
    EXPECT_EQ(ler_flag(nan), "  ");
}

TEST(Ranking, TiesKeepFittingOrder) {
    const auto ranks = rank_models(std::vector<double>{5.0, 3.0, 5.0, 3.0});
    std::vector<std::size_t> order;
    for (const auto& r : ranks) order.push_back(r.fitted);
    EXPECT_EQ(order, (std::vector<std::size_t>{1, 3, 0, 2}));
    EXPECT_NEAR(ranks[0].weight, ranks[1].weight, 0.0);
    EXPECT_EQ(ranks[1].ler, 0.0);
    EXPECT_EQ(ler_flag(ranks[1].ler), "**");
}

TEST(Ranking, ValuesThatAreNotFiniteComeLastWithWeightZero) {
    const auto ranks = rank_models(std::vector<double>{nan, 2.0, inf, 1.0, -inf});
    std::vector<std::size_t> order;
    for (const auto& r : ranks) order.push_back(r.fitted);
    EXPECT_EQ(order, (std::vector<std::size_t>{3, 1, 0, 2, 4}));
    EXPECT_NEAR(ranks[0].weight + ranks[1].weight, 1.0, 1e-15);
    for (std::size_t i = 2; i < 5; ++i) {
        EXPECT_EQ(ranks[i].weight, 0.0);
        EXPECT_TRUE(std::isnan(ranks[i].ler));
        EXPECT_EQ(ler_flag(ranks[i].ler), "  ");
    }
    EXPECT_EQ(ranks[4].aicc, -inf);

    const auto none = rank_models(std::vector<double>{nan, inf});
    EXPECT_EQ(none[0].fitted, 0u);
    EXPECT_EQ(none[0].weight, 0.0);
    EXPECT_TRUE(std::isnan(none[0].ler));
    EXPECT_TRUE(rank_models({}).empty());
}

std::string model_title(std::int64_t model) {
    std::string title(80, ' ');
    std::int64_t n = 0;
    npar(model, title, n);
    return title;
}

class SummaryFile : public ::testing::Test {
protected:
    static constexpr std::int64_t kUnit = 42;
    void SetUp() override {
        path_ = fs::temp_directory_path() / ("sorvek_summary_" + std::to_string(::getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".out");
        ASSERT_EQ(UnitTable::instance().open(kUnit, path_.string(), OpenMode::create), io_ok);
    }
    void TearDown() override {
        UnitTable::instance().close(kUnit);
        fs::remove(path_);
    }
    static std::string read_file(const fs::path& file) { return test::read_file(file); }
    // Compares with tests/engine/golden/<name>; SORVEK_UPDATE_GOLDEN=1 rewrites the file instead.
    void expect_golden(const std::string& name) {
        UnitTable::instance().flush(kUnit);
        const fs::path golden = fs::path(SORVEK_SOURCE_DIR) / "tests/engine/golden" / name;
        if (std::getenv("SORVEK_UPDATE_GOLDEN")) std::ofstream(golden, std::ios::binary) << read_file(path_);
        EXPECT_EQ(read_file(path_), read_file(golden)) << name;
    }
    fs::path path_;
};

TEST_F(SummaryFile, ThreeModelsMatchGolden) {
    // Fitted in the order 2, 1, 4; model 1 is best, model 2 six above it, model 4 ten above.
    const std::vector<std::string> titles{model_title(2), model_title(1), model_title(4)};
    const auto ranks = rank_models(std::vector<double>{-29.25, -35.25, -25.25});
    EXPECT_EQ(write_ranking_summary(kUnit, ranks, titles), io_ok);
    expect_golden("summary_three_models.out");
}

TEST_F(SummaryFile, NotFiniteAndLongTitleMatchGolden) {
    const std::vector<std::string> titles{
        "   A title long enough to run past column seventy-four of the record", model_title(6), model_title(3)};
    const auto ranks = rank_models(std::vector<double>{104.0, nan, 100.0});
    EXPECT_EQ(write_ranking_summary(kUnit, ranks, titles), io_ok);
    expect_golden("summary_not_finite.out");
}

TEST(Summary, AClosedUnitReportsItsStatus) {
    UnitTable::instance().close(43);
    const auto ranks = rank_models(std::vector<double>{1.0, 2.0});
    const std::vector<std::string> titles{"a", "b"};
    EXPECT_EQ(write_ranking_summary(43, ranks, titles), io_not_connected);
}

}  // namespace
}  // namespace imm
