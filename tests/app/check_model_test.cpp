#include <gtest/gtest.h>
#include <sys/stat.h>

#include <boost/math/special_functions/lambert_w.hpp>
#include <cmath>
#include <filesystem>
#include <random>
#include <vector>

#include "app/check_model.h"
#include "app/command_codes.h"
#include "program_harness.h"

namespace imm {
namespace {

using testing_support::ProgramRun;
using testing_support::TempFolder;
using E = MenuEntry;

struct DirectionCase {
    std::string name;
    std::string text;
    DataDirection direction;
};

void PrintTo(const DirectionCase& c, std::ostream* os) { *os << c.name; }

class Direction : public testing::TestWithParam<DirectionCase> {};

TEST_P(Direction, OfTheDataFile) {
    TempFolder folder;
    const auto file = folder.write("data.in", GetParam().text);
    EXPECT_EQ(data_direction(file.string()), GetParam().direction);
}

std::string rows_of(std::int64_t count, double so) {
    std::string text;
    for (std::int64_t i = 0; i < count; ++i) {
        text += std::to_string(i) + " " + std::to_string(so) + " " + std::to_string(i) + "\n";
    }
    return text;
}

std::string curves(std::int64_t count) {
    std::string text;
    for (std::int64_t c = 0; c < count; ++c) {
        text += rows_of(3, 10.0 * static_cast<double>(c + 1));
    }
    return text;
}

const DirectionCase kDirections[] = {
    {"Rising", "0 5 1\n1 5 2\n2 5 3\n", DataDirection::rising},
    {"Falling", "0 5 3\n1 5 2\n2 5 1\n", DataDirection::falling},
    {"FlatCountsAsRising", "0 5 2\n1 5 2\n2 5 2\n", DataDirection::rising},
    {"EndingAtNegativeZeroIsFlat", "0 5 0\n1 5 0\n2 5 -0\n", DataDirection::rising},
    // Every row counts: a low last row does not turn a rising curve.
    {"NoisyEnd", "0 5 1\n1 5 2\n2 5 3\n3 5 4\n4 5 0.5\n", DataDirection::rising},
    // The changes of all curves add up; a control keeps equal curves apart and adds nothing.
    {"SmallFallOutvoted", "0 2 1\n1 2 0.5\n0 50 0\n1 50 30\n", DataDirection::rising},
    {"ControlBetweenEqualCurves", "0 5 0\n1 5 1\n0 0 0\n1 0 20\n5 5 100\n6 5 90\n", DataDirection::falling},
    {"ControlsCountAmongTenCurves", curves(10) + "0 0 1\n1 0 2\n", DataDirection::unknown},
    // Unscaled, these overflow: inf - inf or an infinite span, read as rising.
    {"ChangesBeyondTheLargestDouble", "0 5 -1.7e308\n1 5 1.7e308\n0 6 1.7e308\n1 6 -1.7e308\n0 7 1\n1 7 0\n",
     DataDirection::falling},
    {"SpanBeyondTheLargestDouble", "-1e308 5 3\n0 5 2\n1e308 5 1\n", DataDirection::falling},
    // Rows in time order, whatever their order in the file.
    {"NewestFirstRising", "120 5 32.7\n40 5 13.7\n0 5 0.5\n", DataDirection::rising},
    {"NewestFirstFalling", "120 5 1\n40 5 3\n0 5 5\n", DataDirection::falling},
    {"ShuffledRising", "40 5 2\n0 5 1\n120 5 3\n80 5 9\n", DataDirection::rising},
    {"EqualTimesShowNoDirection", "0 5 300\n0 5 1\n0 8 1\n1 8 2\n", DataDirection::rising},
    {"ByteOrderMarkAndCrLines", "\xEF\xBB\xBF" "0 5 1\r1 5 2\r2 5 3\r", DataDirection::rising},
    {"CommentEndsTheData", "0 5 3\n1 5 1\n# 2 5 9\n", DataDirection::falling},
    {"TabsAndCrLf", "0\t5\t1\r\n1\t5\t2\r\n", DataDirection::rising},
    // Controls at [So] 0 are left out, wherever they stand.
    {"ControlsShowNoDirection", "0 0 2\n1 0 1\n0 5 1\n1 5 2\n0 0 2\n1 0 1\n", DataDirection::rising},
    {"OnlyControlsAreLeftToTheDriver", "0 0 2\n1 0 1\n2 0 0\n", DataDirection::unknown},
    {"TenCurves", curves(10), DataDirection::rising},
    {"ElevenCurvesAreLeftToTheDriver", curves(11), DataDirection::unknown},
    {"BadRowIsLeftToTheDriver", "0 5 3\n1 five 1\n2 5 0\n", DataDirection::unknown},
    {"ShortRowIsLeftToTheDriver", "0 5 3\n1 5\n2 5 0\n", DataDirection::unknown},
    {"NoRows", "# only a note\n", DataDirection::unknown},
    {"EmptyFile", "", DataDirection::unknown},
};

INSTANTIATE_TEST_SUITE_P(Files, Direction, testing::ValuesIn(kDirections),
                         [](const testing::TestParamInfo<DirectionCase>& info) { return info.param.name; });

TEST(DataDirectionCheck, MissingFileIsLeftToTheDriver) {
    TempFolder folder;
    EXPECT_EQ(data_direction((folder.path() / "none.in").string()), DataDirection::unknown);
}

TEST(DataDirectionCheck, FilesThatAreNotRegularAreLeftToTheDriverWithoutWaiting) {
    TempFolder folder;
    const auto fifo = folder.path() / "fifo.in";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(data_direction(fifo.string()), DataDirection::unknown);
    const auto zero = folder.path() / "zero.in";
    std::filesystem::create_symlink("/dev/zero", zero);
    EXPECT_EQ(data_direction(zero.string()), DataDirection::unknown);
}

TEST(DataDirectionCheck, ReadsAtMostAThousandRows) {
    // 1001 rows of one rising curve; row 1001, far lower, is never read.
    std::string text = rows_of(1000, 5.0);
    text += "1000 5 -1e9\n";
    TempFolder folder;
    EXPECT_EQ(data_direction(folder.write("big.in", text).string()), DataDirection::rising);
}

// Six curves (Km 30, Vm 1, 13 times up to 180) with Gaussian noise, sd 2% of the
// largest value, in several orders: every one of 200 draws shows the direction.
TEST(DataDirectionCheck, NoisyCurvesInAnyOrder) {
    const std::vector<std::vector<double>> orders = {
        {2, 5, 10, 20, 50, 100}, {100, 50, 20, 10, 5, 2}, {0, 2, 5, 10, 20, 50, 100}};
    const auto product = [](double so, double t) {
        return so - 30.0 * boost::math::lambert_w0(so / 30.0 * std::exp((so - t) / 30.0));
    };
    TempFolder folder;
    for (const bool substrate : {false, true}) {
        const DataDirection wanted = substrate ? DataDirection::falling : DataDirection::rising;
        for (const auto& order : orders) {
            std::mt19937_64 random(2024);
            std::normal_distribution<double> noise(0.0, 0.02 * (substrate ? 100.0 : product(100.0, 180.0)));
            std::int64_t wrong = 0;
            for (std::int64_t draw = 0; draw < 200; ++draw) {
                std::string text;
                for (const double so : order) {
                    for (double t = 0.0; t <= 180.0; t += 15.0) {
                        const double y = (substrate ? so - product(so, t) : product(so, t)) + noise(random);
                        text += std::to_string(t) + " " + std::to_string(so) + " " + std::to_string(y) + "\n";
                    }
                }
                wrong += data_direction(folder.write("draw.in", text).string()) != wanted ? 1 : 0;
            }
            EXPECT_EQ(wrong, 0) << (substrate ? "substrate" : "product") << ", first [So] " << order[0];
        }
    }
}

struct WrongModel {
    std::string name;
    std::string data;
    std::string button;  // in the selection window
    bool stops;
    std::string message;
};

void PrintTo(const WrongModel& c, std::ostream* os) { *os << c.name; }

class WrongModelType : public testing::TestWithParam<WrongModel> {};

TEST_P(WrongModelType, StopsTheRunWithTheMessageAndTheSelectionWindow) {
    const WrongModel& c = GetParam();
    TempFolder folder;
    ProgramRun program;
    program.start();
    program.open_data_file(folder.write("run.in", c.data));
    program.select_models(c.button);
    const std::int64_t windows_before = static_cast<std::int64_t>(program.record().windows.size());
    program.choose(E::run);
    if (c.stops) {
        ASSERT_TRUE(program.wait_window_open("Select Models"));
        EXPECT_EQ(static_cast<std::int64_t>(program.record().windows.size()), windows_before + 1);
        program.backend().choose(program.button("Close"));
    }
    ASSERT_TRUE(program.wait_done(command::run, 1));
    const auto messages = program.record().messages;
    if (c.stops) {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].kind, 1);
        EXPECT_EQ(messages[0].text, c.message);
        EXPECT_TRUE(program.fit().names.empty());
    } else {
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(program.fit().names.size(), 1u);
    }
}

const WrongModel kWrongModels[] = {
    {"FallingDataProductModel", "0 5 3\n1 5 2\n2 5 1\n", "Product", true,
     "THE WRONG MODEL TYPE WAS SELECTED!\r\nTHE DATA SUGGESTS A SUBSTRATE vs TIME MODEL INSTEAD."},
    {"RisingDataSubstrateModel", "0 5 1\n1 5 2\n2 5 3\n", "Substrate", true,
     "THE WRONG MODEL TYPE WAS SELECTED!\r\nTHE DATA SUGGESTS A PRODUCT vs TIME MODEL INSTEAD."},
    {"FlatDataSubstrateModel", "0 5 2\n1 5 2\n2 5 2\n", "Substrate", true,
     "THE WRONG MODEL TYPE WAS SELECTED!\r\nTHE DATA SUGGESTS A PRODUCT vs TIME MODEL INSTEAD."},
    {"FlatDataProductModel", "0 5 2\n1 5 2\n2 5 2\n", "Product", false, ""},
    {"FallingDataSubstrateModel", "0 5 3\n1 5 2\n2 5 1\n", "Substrate", false, ""},
    {"UnreadableDataGoesToTheDriver", "0 5 3\nx y z\n", "Product", false, ""},
    {"NewestFirstProductDataProductModel", "120 5 32.7\n40 5 13.7\n0 5 0.5\n", "Product", false, ""},
    {"NewestFirstProductDataSubstrateModel", "120 5 32.7\n40 5 13.7\n0 5 0.5\n", "Substrate", true,
     "THE WRONG MODEL TYPE WAS SELECTED!\r\nTHE DATA SUGGESTS A PRODUCT vs TIME MODEL INSTEAD."},
};

INSTANTIATE_TEST_SUITE_P(Runs, WrongModelType, testing::ValuesIn(kWrongModels),
                         [](const testing::TestParamInfo<WrongModel>& info) { return info.param.name; });

TEST(CheckModel, RerunDoesNotCheckTheDirection) {
    TempFolder folder;
    ProgramRun program;
    program.start();
    program.open_data_file(folder.write("run.in", "0 5 3\n1 5 2\n2 5 1\n"));
    program.select_models("Product");
    program.perform(E::rerun);
    EXPECT_TRUE(program.record().messages.empty());
    EXPECT_EQ(program.fit().names.size(), 1u);
}

}  // namespace
}  // namespace imm
