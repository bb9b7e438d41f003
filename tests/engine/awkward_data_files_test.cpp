// Bad and awkward data files, run through the driver with the headless window
// layer: for each, its boxes and status, the data file unchanged, and what is
// left of the report.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/data_file_text.h"
#include "engine/regression_driver.h"
#include "support/shared_blocks.h"
#include "tests/file_contents.h"
#include "tests/file_size_limit.h"
#include "tests/working_folder.h"
#include "window/headless_backend.h"

namespace imm {
namespace {

namespace fs = std::filesystem;

const std::string kAborted = "* * * WARNING: RUN ABORTED * * *";
const std::string kOldReport = "an earlier report\n";
const std::string kNotFitted = "MODEL NOT FITTED: THE SUM OF SQUARES OR A PARAMETER IS NOT A FINITE NUMBER.";

std::string too_few(int rows) {
    return "Too few data rows: " + std::to_string(rows) + "; at least 3 are needed, starting on the first line";
}

// FNV-1a of a file's bytes.
std::uint64_t checksum(const fs::path& file) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : test::read_file(file)) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return hash;
}

// Three curves of four rows, [So] 10, 20 and 40, product rising.
std::string three_curves(const std::string& between_curves = "", const std::string& line_end = "\n") {
    std::string text;
    for (const int so : {10, 20, 40}) {
        if (so != 10) text += between_curves;
        for (int t = 0; t < 4; ++t) {
            text += std::to_string(10 * t) + " " + std::to_string(so) + " " +
                    std::to_string(so * t / (4.0 + t)) + line_end;
        }
    }
    return text;
}

// The rest of the line after the first `label` from `from` on; empty when there is none.
std::string line_after(const std::string& text, const std::string& label, std::size_t from = 0) {
    const std::size_t at = text.find(label, from);
    if (at == std::string::npos) return {};
    const std::size_t start = at + label.size();
    return text.substr(start, text.find('\n', start) - start);
}

struct Outcome {
    std::int64_t status = -1;
    std::vector<std::string> boxes;
    std::optional<std::string> report;  // nothing when there is no report file
};

// Every test runs in a folder of its own.
class AwkwardDataFiles : public ::testing::Test {
protected:
    void SetUp() override {
        choose({1});
        global_types.brerun = false;
        global_types.nwt_global = 0;
    }

    static void choose(std::initializer_list<std::int64_t> models) {
        for (auto& flag : global_types.imdl) flag = 0;
        for (const std::int64_t m : models) global_types.imdl[static_cast<std::size_t>(m - 1)] = 1;
        global_types.imdlno = *models.begin();
    }

    // Runs the driver on data.in (written with the text unless it is already
    // there), beside an old report when one is given. Checks that the data file
    // is unchanged and that nothing but the data and the report is left.
    Outcome run(const std::optional<std::string>& text, const std::optional<std::string>& old_report = {}) {
        if (text) test::write_file("data.in", *text);
        if (old_report) test::write_file("data.out", *old_report);
        const bool regular = fs::is_regular_file("data.in");
        const std::uint64_t before = regular ? checksum("data.in") : 0;
        Outcome outcome = drive("data");
        if (regular) {
            EXPECT_EQ(checksum("data.in"), before) << "the data file changed";
        }
        std::set<std::string> left;
        for (const auto& entry : fs::directory_iterator(".")) left.insert(entry.path().filename().string());
        left.erase("data.in");
        left.erase("data.out");
        EXPECT_TRUE(left.empty()) << "left beside the data: " << *left.begin();
        return outcome;
    }

    // The driver's run on the named data file, and the report it leaves.
    static Outcome drive(std::string name) {
        HeadlessSession session;
        RandomContext random = RandomContext::seeded(3);
        Outcome outcome;
        sorvek_with(name, outcome.status, random, RunOptions{});
        for (const auto& message : session.record().messages) outcome.boxes.push_back(message.text);
        if (fs::exists("data.out")) outcome.report = test::read_file("data.out");
        return outcome;
    }

    // A refused file: the boxes, the status, and the old report as it was, or none.
    void expect_refused(const std::optional<std::string>& text, const std::string& box, std::int64_t status) {
        Outcome outcome = run(text);
        EXPECT_EQ(outcome.status, status);
        EXPECT_EQ(outcome.boxes, (std::vector<std::string>{box, kAborted}));
        EXPECT_FALSE(outcome.report.has_value()) << "a refused file leaves a report";
        fs::remove("data.out");

        outcome = run(text, kOldReport);
        EXPECT_EQ(outcome.status, status);
        EXPECT_EQ(outcome.report, kOldReport);
        fs::remove("data.out");
    }

    test::WorkingFolder folder_{"sorvek_awkward_"};
};

TEST_F(AwkwardDataFiles, RowsAfterAnEmptyLineAreNamedAndTheRunGoesOn) {
    const Outcome outcome = run(three_curves("\n"));
    EXPECT_EQ(outcome.status, run_finished);
    EXPECT_EQ(outcome.boxes,
              (std::vector<std::string>{"The data end at the empty line 5; 8 rows of numbers after it are not read."}));
    EXPECT_EQ(a3.ndata, 4);
    EXPECT_EQ(global_types.idatasets, 1);
    ASSERT_TRUE(outcome.report.has_value());
    EXPECT_NE(outcome.report->find("NUMBER OF DATA SETS ANALYZED:              1"), std::string::npos);

    // One row after it; a text trailer after it gets no warning.
    EXPECT_EQ(run(three_curves() + "\n0 50 1\n").boxes,
              (std::vector<std::string>{"The data end at the empty line 13; 1 row of numbers after it are not read."}));
    EXPECT_TRUE(run(three_curves() + "\n# Column 1: time\n# The data end here.\n").boxes.empty());
}

TEST_F(AwkwardDataFiles, TooFewRowsSaySoWithTheirCount) {
    expect_refused("", too_few(0), run_bad_data);
    expect_refused("0 10 0\n", too_few(1), run_bad_data);
    expect_refused("0 10 0\n10 10 1\n", too_few(2), run_bad_data);
    expect_refused("# time, [So], product\n" + three_curves(), too_few(0), run_bad_data);
    // An empty line cut off the rest: the warning comes first.
    const Outcome outcome = run("0 10 0\n\n10 10 1\n20 10 2\n");
    EXPECT_EQ(outcome.status, run_bad_data);
    EXPECT_EQ(outcome.boxes, (std::vector<std::string>{"The data end at the empty line 2; 2 rows of numbers after "
                                                       "it are not read.",
                                                       too_few(1), kAborted}));

    // Too many rows keep their message.
    std::string many;
    for (int i = 0; i < 1001; ++i) many += std::to_string(i % 10) + " " + std::to_string(1 + i / 10) + " 1\n";
    expect_refused(many, "Data rows exceeded limit of 1000", run_bad_data);
}

TEST_F(AwkwardDataFiles, CarriageReturnLineEndsAreRead) {
    for (const std::string line_end : {"\r", "\r\n"}) {
        const Outcome outcome = run(three_curves("", line_end));
        EXPECT_EQ(outcome.status, run_finished);
        EXPECT_TRUE(outcome.boxes.empty());
        EXPECT_EQ(a3.ndata, 12);
        EXPECT_EQ(global_types.idatasets, 3);
    }
}

TEST_F(AwkwardDataFiles, ByteOrderMarkAtTheStartIsSkipped) {
    const std::string text = test::read_file(fs::path(SORVEK_SOURCE_DIR) / "examples" / "example.in");
    const Outcome outcome = run("\xEF\xBB\xBF" + text);
    EXPECT_EQ(outcome.status, run_finished);
    EXPECT_TRUE(outcome.boxes.empty());
    EXPECT_EQ(a3.ndata, 27);
    EXPECT_EQ(a1.t[0], 0.0);
    EXPECT_EQ(a1.so[0], 50.0);
    EXPECT_EQ(a1.yobs[0], 0.534);
}

TEST_F(AwkwardDataFiles, RowsThatAreNotNumbersShowWhatCannotBeSeen) {
    const std::string rows = three_curves();
    expect_refused("0 10 0\n10\xC2\xA0" "10 1\n" + rows.substr(14),
                   "Data row 2 is not three numbers: 10\\xC2\\xA010 1", run_bad_data);
    expect_refused("0 10 0\n10 10 1\x1B[1m\n" + rows.substr(14), "Data row 2 is not three numbers: 10 10 1\\x1B[1m",
                   run_bad_data);
    expect_refused("\xEF\xBB\xBF\xEF\xBB\xBF" + rows, "Data row 1 is not three numbers: \\xEF\\xBB\\xBF0 10 0.000000",
                   run_bad_data);
}

TEST_F(AwkwardDataFiles, SoBelowZeroOrNowhereAboveIsRefused) {
    expect_refused("0 0 0\n10 0 1\n20 0 2\n", "No data row has an [So] above zero", run_bad_data);
    std::string rows = three_curves();
    rows.replace(rows.find("0 20 "), 5, "0 -20 ");
    expect_refused(rows, "Data row 5 has an [So] below zero: 0 -20 0.000000", run_bad_data);
}

TEST_F(AwkwardDataFiles, FitsThatAreNotFiniteAreReportedAsNotFitted) {
    // 1e308 in one y: no model's sum of squares is finite.
    std::string rows = three_curves();
    rows.replace(rows.rfind("17.142857"), 9, "1e308");
    choose({1, 2});
    Outcome outcome = run(rows, kOldReport);
    EXPECT_EQ(outcome.status, run_finished);
    EXPECT_EQ(outcome.boxes,
              (std::vector<std::string>{
                  "Model not fitted: 1- [Pt] vs time Michaelis-Menten\r\n"
                  "Its sum of squares or a parameter is not a finite number.",
                  "Model not fitted: 2- [Pt] vs time Michaelis-Menten - Bkg\r\n"
                  "Its sum of squares or a parameter is not a finite number."}));
    ASSERT_TRUE(outcome.report.has_value());
    const std::string& report = *outcome.report;
    EXPECT_NE(report.find("STAGE-3 QUADRATIC PROGRAMMING  SSQ=       Infinity\n\n          " + kNotFitted),
              std::string::npos);
    EXPECT_EQ(report.find("BEST FIT PARAMETERS"), std::string::npos);

    // A huge [So] at time 0 leaves the substrate model's first residual beyond any
    // double; the product model fits and ranks first.
    rows = three_curves();
    for (std::size_t at = rows.find(" 10 "); at != std::string::npos; at = rows.find(" 10 ", at + 1)) {
        rows.replace(at, 4, " 1e200 ");
    }
    choose({1, 4});
    outcome = run(rows);
    EXPECT_EQ(outcome.status, run_finished);
    EXPECT_EQ(outcome.boxes, (std::vector<std::string>{"Model not fitted: 4- [St] vs time Michaelis-Menten\r\n"
                                                       "Its sum of squares or a parameter is not a finite number."}));
    ASSERT_TRUE(outcome.report.has_value());
    EXPECT_NE(outcome.report->find(kNotFitted), std::string::npos);
    EXPECT_EQ(outcome.report->find("**********"), std::string::npos);
    const std::size_t summary = outcome.report->find("BEST-FIT MODEL SUMMARY");
    ASSERT_NE(summary, std::string::npos);
    const std::string rank1 = line_after(*outcome.report, "\n       1  ", summary);
    const std::string rank2 = line_after(*outcome.report, "\n       2  ", summary);
    EXPECT_EQ(rank1.substr(24, 8), "1- [Pt] ") << rank1;
    EXPECT_EQ(rank2, "       NaN         NaN  4- [St] vs time Michaelis-Menten          NaN  ");
    EXPECT_EQ(a1.nmdl, 1);
}

TEST_F(AwkwardDataFiles, OnlyRegularFilesAreRead) {
    ASSERT_EQ(::mkfifo("data.in", 0600), 0);  // would wait for a writer, then for data
    expect_refused(std::nullopt, "Data file is not a regular file: data.in", run_file_error);
    fs::remove("data.in");
    fs::create_symlink("/dev/zero", "data.in");  // would be read until memory runs out
    expect_refused(std::nullopt, "Data file is not a regular file: data.in", run_file_error);
    fs::remove("data.in");
    fs::create_directory("data.in");
    expect_refused(std::nullopt, "Data file is not a regular file: data.in", run_file_error);
    fs::remove("data.in");

    expect_refused(three_curves() + "\n" + std::string(kMaxDataFileBytes, '#'),
                   "Data file is too large (more than 1048576 bytes): data.in", run_bad_data);
}

TEST_F(AwkwardDataFiles, TheOldReportIsReplacedOnlyByOneWithAModelSection) {
    // A run that finishes replaces it, keeping its permissions.
    test::write_file("data.out", kOldReport);
    fs::permissions("data.out", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    Outcome outcome = run(three_curves());
    EXPECT_EQ(outcome.status, run_finished);
    ASSERT_TRUE(outcome.report.has_value());
    EXPECT_TRUE(outcome.report->ends_with(" SAVED TO: data.out\n"));
    EXPECT_EQ(fs::status("data.out").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A run that ends at its second model keeps the first model's section.
    choose({1, 2});
    outcome = run("0 10 0\n10 10 1\n20 10 1.5\n", kOldReport);
    EXPECT_EQ(outcome.status, run_model_limits);
    EXPECT_EQ(outcome.boxes, (std::vector<std::string>{"Not enough data points to fit model: 3", kAborted}));
    ASSERT_TRUE(outcome.report.has_value());
    EXPECT_NE(outcome.report->find("MODEL NAME:  1- "), std::string::npos);
    EXPECT_EQ(outcome.report->find("MODEL NAME:  2- "), std::string::npos);

    // A run that ends before any section leaves the old report.
    choose({2});
    outcome = run("0 10 0\n10 10 1\n20 10 1.5\n", kOldReport);
    EXPECT_EQ(outcome.status, run_model_limits);
    EXPECT_EQ(outcome.report, kOldReport);

    // A link at the report's name is replaced by the report; the file it names stays as it was.
    choose({1});
    fs::remove("data.out");
    fs::create_directory("kept");
    test::write_file("kept/real.out", kOldReport);
    fs::create_symlink("kept/real.out", "data.out");
    test::write_file("data.in", three_curves());
    EXPECT_EQ(drive("data.in").status, run_finished);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status("data.out")));
    EXPECT_TRUE(test::read_file("data.out").ends_with(" SAVED TO: data.out\n"));
    EXPECT_EQ(test::read_file("kept/real.out"), kOldReport);
    EXPECT_EQ(std::distance(fs::directory_iterator("kept"), fs::directory_iterator()), 1);
}

// A report that cannot be written in full (here: past the file-size limit) is
// reported with the system's reason and leaves the old report.
TEST_F(AwkwardDataFiles, AReportThatCannotBeWrittenLeavesTheOldOne) {
    test::write_file("data.in", three_curves());
    test::write_file("data.out", kOldReport);
    const Outcome outcome = [&] {
        const test::FileSizeLimit limit(2000);
        return run(std::nullopt);
    }();

    EXPECT_EQ(outcome.status, run_file_error);
    EXPECT_EQ(outcome.boxes, (std::vector<std::string>{"Data output file error: data.out: File too large", kAborted}));
    EXPECT_EQ(outcome.report, kOldReport);
}

TEST_F(AwkwardDataFiles, LargeNumbersStayReadableInTheReport) {
    // Concentrations in nM: sums of squares of 1e5 and more.
    std::string rows;
    for (const int so : {10000, 20000, 40000}) {
        for (int t = 0; t < 4; ++t) {
            const double noise = t % 2 == 0 ? 150.0 : -150.0;
            rows += std::to_string(10 * t) + " " + std::to_string(so) + " " +
                    std::to_string(so * t / (4.0 + t) + noise) + "\n";
        }
    }
    const Outcome outcome = run(rows);
    EXPECT_EQ(outcome.status, run_finished);
    ASSERT_TRUE(outcome.report.has_value());
    EXPECT_EQ(outcome.report->find("***"), std::string::npos) << *outcome.report;
    // " d.dddddddE+0x" in the 14 places of the fixed field.
    const std::string sum = line_after(*outcome.report, "STAGE-3 QUADRATIC PROGRAMMING  SSQ= ");
    EXPECT_EQ(sum.size(), 14u) << sum;
    EXPECT_EQ(sum.substr(0, 3).find_first_of("123456789"), 1u) << sum;
    EXPECT_EQ(sum.substr(2, 1) + sum.substr(10, 3), ".E+0") << sum;
    EXPECT_GE(std::stod(sum), 1e5);
}

TEST_F(AwkwardDataFiles, FileMessagesNameThePathAsGiven) {
    const Outcome outcome = drive("Runs/My Data");
    EXPECT_EQ(outcome.status, run_missing_file);
    EXPECT_EQ(outcome.boxes,
              (std::vector<std::string>{"File does not exist: Runs/My Data.in", "* * * OPEN ANOTHER DATA FILE * * *"}));
}

}  // namespace
}  // namespace imm
