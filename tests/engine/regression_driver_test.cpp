#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/regression_driver.h"
#include "engine/run_workspace.h"
#include "support/shared_blocks.h"
#include "support/unit_table.h"
#include "tests/unprivileged_user.h"
#include "tests/working_folder.h"
#include "window/headless_backend.h"

namespace imm {
namespace {

namespace fs = std::filesystem;

const std::string kAborted = "* * * WARNING: RUN ABORTED * * *";

struct Box {
    std::int64_t kind;
    std::string text;
    bool operator==(const Box&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Box& box) { return out << box.kind << " \"" << box.text << '"'; }

struct RunResult {
    std::int64_t status = -1;
    std::string name;
    std::vector<Box> boxes;
};

// Rows "t so y" for curves of the given lengths; curve c has [So] = c + 1 and
// rising product values.
std::string curves_text(const std::vector<int>& lengths) {
    std::ostringstream text;
    for (std::size_t c = 0; c < lengths.size(); ++c) {
        for (int i = 0; i < lengths[c]; ++i) text << i << ' ' << c + 1 << ' ' << 0.5 * i << '\n';
    }
    return text.str();
}

// Every test runs in a folder of its own, with a headless window layer.
class RegressionDriver : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto& flag : global_types.imdl) flag = 0;
        choose_model(1);
        global_types.brerun = false;
    }

    static void choose_model(std::int64_t model) {
        global_types.imdl[static_cast<std::size_t>(model - 1)] = 1;
        global_types.imdlno = model;
    }

    static void write(const std::string& name, const std::string& text) {
        fs::path path(name);
        if (path.has_parent_path()) fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

    static std::string read(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    RunResult run(std::string name) {
        HeadlessSession session;
        RunResult result;
        RandomContext random = RandomContext::seeded(1);
        sorvek_with(name, result.status, random, RunOptions{});
        result.name = name;
        for (const auto& message : session.record().messages) result.boxes.push_back({message.kind, message.text});
        EXPECT_FALSE(UnitTable::instance().opened(iinout.data_unit)) << "data unit left open";
        EXPECT_FALSE(UnitTable::instance().opened(iinout.results_unit)) << "report unit left open";
        return result;
    }

    // A run that must abort with one box before the RUN ABORTED box.
    void expect_abort(const std::string& name, Box box, std::int64_t status) {
        const RunResult result = run(name);
        EXPECT_EQ(result.status, status) << name;
        EXPECT_EQ(result.boxes, (std::vector<Box>{box, {3, kAborted}})) << name;
    }

    test::WorkingFolder folder_{"sorvek_driver_"};
};

TEST_F(RegressionDriver, ValidFileIsReadIntoTheSharedBlocks) {
    write("data.in", "0 2 0.5\n1.5 2 1D0 ignored\n3 2 1.5E0\n0 4 0\n1 4 2\n2 4 3.5\n");
    global_types.imdl[3] = 1;  // models 1 and 4
    const RunResult result = run("data");
    EXPECT_EQ(result.status, run_finished);
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_EQ(result.name, "data.in");
    EXPECT_TRUE(fs::exists("data.out"));

    EXPECT_EQ(a3.ndata, 6);
    EXPECT_EQ(a3.ncols, 3);
    EXPECT_EQ(global_types.idat, 6);
    EXPECT_EQ(global_types.idatasets, 2);
    EXPECT_EQ(global_types.global_mdl_count, 2);
    EXPECT_EQ(a1.nmdl, 1);
    EXPECT_EQ(a2.model_limit, 6);
    EXPECT_EQ(limits.big_bound, 4.5e15);
    EXPECT_EQ(limits.machine_eps, 2.22e-16);
    const double t[] = {0, 1.5, 3, 0, 1, 2}, so[] = {2, 2, 2, 4, 4, 4}, y[] = {0.5, 1, 1.5, 0, 2, 3.5};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(a1.t[i], t[i]);
        EXPECT_EQ(a1.so[i], so[i]);
        EXPECT_EQ(a1.yobs[i], y[i]);
    }
}

TEST_F(RegressionDriver, ExampleFilesPass) {
    const fs::path examples = fs::path(SORVEK_SOURCE_DIR) / "examples";
    fs::copy_file(examples / "example.in", "example.in");
    fs::copy_file(examples / "substrate_vs_time.in", "substrate_vs_time.in");

    RunResult result = run("example");
    EXPECT_EQ(result.status, run_finished);
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_EQ(a3.ndata, 27);
    EXPECT_EQ(global_types.idatasets, 3);

    global_types.imdlno = 4;
    result = run("substrate_vs_time.in");
    EXPECT_EQ(result.status, run_finished);
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_EQ(a3.ndata, 33);
    EXPECT_EQ(global_types.idatasets, 3);
}

TEST_F(RegressionDriver, StageThreeToleranceFromTheMachineEpsilon) {
    // 2*sqrt(e)*(sqrt(e)+1) with sqrt(2.22e-16) = 1.489966442575134e-08
    EXPECT_NEAR(stage3_tolerance_for(2.22e-16), 2.979932929550268e-08, 1e-22);
}

TEST_F(RegressionDriver, NamesKeepTheirCaseFoldersWithDotsAndInnerBlanks) {
    write("Runs.2026/My Data.in", curves_text({3}));
    RunResult result = run("  Runs.2026/My Data  ");
    EXPECT_EQ(result.status, run_finished);
    EXPECT_EQ(result.name, "Runs.2026/My Data.in");
    EXPECT_TRUE(fs::exists("Runs.2026/My Data.out"));
    EXPECT_FALSE(fs::exists("Runs.out"));

    write("a b.dat", curves_text({3}));
    result = run("a b.dat");
    EXPECT_EQ(result.status, run_finished);
    EXPECT_EQ(result.name, "a b.dat");
    EXPECT_TRUE(fs::exists("a b.out"));

    // An absolute path with a mixed-case folder.
    const std::string absolute = (folder_.path() / "Mixed.Case/Km").string();
    write(absolute + ".in", curves_text({3}));
    result = run(absolute);
    EXPECT_EQ(result.status, run_finished);
    EXPECT_EQ(result.name, absolute + ".in");
}

TEST_F(RegressionDriver, MissingFileShowsExactlyTwoBoxes) {
    write("Run5.in", curves_text({3}));  // another case is another file
    const RunResult result = run("run5");
    EXPECT_EQ(result.status, run_missing_file);
    EXPECT_EQ(result.name, "run5.in");
    EXPECT_EQ(result.boxes, (std::vector<Box>{{2, "File does not exist: run5.in"},
                                              {3, "* * * OPEN ANOTHER DATA FILE * * *"}}));
    EXPECT_FALSE(fs::exists("run5.out"));
}

TEST_F(RegressionDriver, FilesThatCannotBeOpenedEndWithStatusTwo) {
    fs::create_directory("folder.in");
    expect_abort("folder", {3, "Data file is not a regular file: folder.in"}, run_file_error);

    write("data.in", curves_text({3}));
    fs::create_directory("data.out");
    expect_abort("data.in", {3, "Data output file error: data.out: Is a directory"}, run_file_error);
}

TEST_F(RegressionDriver, FilesWithoutPermissionEndWithStatusTwo) {
    write("locked.in", curves_text({3}));
    fs::permissions("locked.in", fs::perms::none);
    write("data.in", curves_text({3}));
    write("data.out", "old report\n");
    fs::permissions("data.out", fs::perms::owner_read);
    // A folder where no file can be made holds a report that could be written.
    write("shut/data.in", curves_text({3}));
    write("shut/data.out", "old report\n");
    fs::permissions("shut", fs::perms::owner_read | fs::perms::owner_exec);
    test::run_unprivileged(".", [&] {
        expect_abort("locked", {3, "Data input file error: locked.in: Permission denied"}, run_file_error);
        expect_abort("data", {3, "Data output file error: data.out: Permission denied"}, run_file_error);
        EXPECT_EQ(read("data.out"), "old report\n");
        expect_abort("shut/data",
                     {3, "Data output file error: shut/data.out: no new file can be made in the folder shut: "
                         "Permission denied"},
                     run_file_error);
        EXPECT_EQ(read("shut/data.out"), "old report\n");
    });
    fs::permissions("shut", fs::perms::owner_all);
}

TEST_F(RegressionDriver, DataFileThatWouldBeItsOwnReportIsRefused) {
    const std::string text = curves_text({3, 3});
    write("results.out", text);
    expect_abort("results.out", {2, "Data file and report file are the same: results.out"}, run_file_error);
    EXPECT_EQ(read("results.out"), text);

    // A report name that is a link to the data file is the same file too.
    write("linked.in", text);
    fs::create_symlink("linked.in", "linked.out");
    expect_abort("linked.in", {2, "Data file and report file are the same: linked.in"}, run_file_error);
    EXPECT_EQ(read("linked.in"), text);
}

TEST_F(RegressionDriver, RowCountOutOfRange) {
    const auto too_few = [](int rows) {
        return Box{2, "Too few data rows: " + std::to_string(rows) + "; at least 3 are needed, starting on the first line"};
    };
    write("two.in", "0 1 0\n1 1 1\n");
    expect_abort("two", too_few(2), run_bad_data);
    write("none.in", "# only a note\n0 1 0\n1 1 1\n2 1 2\n");
    expect_abort("none", too_few(0), run_bad_data);

    const Box box{2, "Data rows exceeded limit of 1000"};
    std::string rows;
    for (int i = 0; i < 1001; ++i) {
        const std::string time = std::to_string(i % 10);
        rows += time + " " + std::to_string(i / 10 + 1) + " " + time + "\n";
    }
    write("many.in", rows);
    expect_abort("many", box, run_bad_data);

    // 1000 rows in 100 curves of 10 pass the row count and fail on the curve count.
    write("thousand.in", rows.substr(0, rows.rfind("0 101 0\n")));
    expect_abort("thousand", {2, "Exceeded curve number limit (10) 100"}, run_bad_data);
}

// Numbers separated by commas or semicolons, as spreadsheets export them, are told
// how numbers are separated, also below a header line, and decimal commas with them
// how decimals are written.
TEST_F(RegressionDriver, ColumnCountOtherThanThree) {
    const std::string advice = "\r\nNumbers in a row are separated by blanks or TABs, not by commas or semicolons.";
    const std::string decimals = "\r\nNumbers are written with a decimal point, not a comma.";
    const std::pair<const char*, std::string> firsts[] = {
        {"0 1 0 9", ""}, {"0 1", ""}, {"0,1,0", advice}, {"0 ; 1 ; -0.5", advice}, {"0 1,x", ""},
        {"time,So,P\n0,5,1", advice}, {"time;So;P\n0;5;1", advice}, {"0,5;10;1,5", advice + decimals},
    };
    for (const auto& [first, added] : firsts) {
        write("columns.in", std::string(first) + "\n1 1 1\n2 1 2\n");
        expect_abort("columns", {2, "Data columns not equal to 3" + added}, run_bad_data);
    }
}

TEST_F(RegressionDriver, RowsThatAreNotThreeNumbers) {
    const std::string separators = "\r\nNumbers in a row are separated by blanks or TABs, not by commas or semicolons.";
    const std::pair<const char*, std::string> rows[] = {
        {"1 2\n", "1 2"},             {"1 2 abc\n", "1 2 abc"},       {"1 nan 3\n", "1 nan 3"},
        {"1 2 inf\n", "1 2 inf"},     {"1e999 2 3\n", "1e999 2 3"},   {"1 2 a,b\n", "1 2 a,b"},
        {"\t1\t2\n", "\\t1\\t2"},         {"1 2 3x\r\n", "1 2 3x"},
        {"1, 2, 3\n", "1, 2, 3" + separators},
        {"0,5\t10\t0,1\n", "0,5\\t10\\t0,1\r\nNumbers are written with a decimal point, not a comma."},
        {"1,-5 10 2\n", "1,-5 10 2" + separators},
        {"a b c\n1,2,3\n", "a b c"},  // only a header takes the advice of a row below it
    };
    for (const auto& [row, shown] : rows) {
        write("bad.in", std::string("0 1 0\n") + row + "2 1 2\n");
        expect_abort("bad", {2, std::string("Data row 2 is not three numbers: ") + shown}, run_bad_data);
    }
    write("bad.in", "time, So, P\n0, 5, 1\n1, 5, 2\n2, 5, 3\n");
    expect_abort("bad", {2, "Data row 1 is not three numbers: time, So, P" + separators}, run_bad_data);
}

TEST_F(RegressionDriver, ProductCheckOnlyForModelsOneAndThree) {
    write("neg.in", "0 1 -6\n1 1 2\n2 1 10\n");
    const Box box{2, "Product minimum curve data must be < 0.5*MAX([Product])"};
    for (const std::int64_t model : {1, 3}) {
        global_types.imdlno = model;
        expect_abort("neg", box, run_product_check);
    }
    for (const std::int64_t model : {2, 4, 5, 6}) {
        global_types.imdlno = model;
        const RunResult result = run("neg");
        EXPECT_EQ(result.status, run_finished) << model;
        EXPECT_TRUE(result.boxes.empty()) << model;
    }
    // |ymin| equal to half the maximum passes.
    global_types.imdlno = 1;
    write("edge.in", "0 1 -5\n1 1 2\n2 1 10\n");
    EXPECT_EQ(run("edge").status, run_finished);
}

TEST_F(RegressionDriver, EveryCurveNeedsThreeRows) {
    write("short.in", curves_text({3, 3, 2}));
    expect_abort("short", {2, "Single curve data must be > 3 points. "}, run_bad_data);

    write("even.in", curves_text({3, 3, 3}));
    // Straight lines through the origin: the fit runs to Km near 0, where the
    // statistics report a singular matrix; the run itself goes through.
    const RunResult result = run("even");
    EXPECT_EQ(result.status, run_finished);
    for (const auto& box : result.boxes) EXPECT_EQ(box.text, "Mat Inversion: Matrix diagonal = 0!");
    EXPECT_EQ(global_types.idatasets, 3);
}

TEST_F(RegressionDriver, AtMostTenCurves) {
    write("ten.in", curves_text(std::vector<int>(10, 3)));
    EXPECT_EQ(run("ten").status, run_finished);
    EXPECT_EQ(global_types.idatasets, 10);

    write("eleven.in", curves_text(std::vector<int>(11, 3)));
    expect_abort("eleven", {2, "Exceeded curve number limit (10) 11"}, run_bad_data);
}

TEST_F(RegressionDriver, OnlyTheFirstFailingCheckIsReported) {
    // Two rows and four columns: the row count comes first.
    write("a.in", "0 1 0 9\n1 1 1\n");
    expect_abort("a", {2, "Too few data rows: 2; at least 3 are needed, starting on the first line"}, run_bad_data);
    // Four columns and a bad row: the column count comes first.
    write("b.in", "0 1 0 9\n1 x 1\n2 1 2\n");
    expect_abort("b", {2, "Data columns not equal to 3"}, run_bad_data);
    // A bad row and product data far below zero: the row comes first.
    write("c.in", "0 1 -6\n1 1 oops\n2 1 10\n");
    expect_abort("c", {2, "Data row 2 is not three numbers: 1 1 oops"}, run_bad_data);
    // Product data far below zero and a short curve: the product check comes first.
    write("d.in", "0 1 -6\n1 1 2\n2 1 10\n0 2 1\n");
    expect_abort("d", {2, "Product minimum curve data must be < 0.5*MAX([Product])"}, run_product_check);
    // A file named as its own report with too few rows: the name comes first.
    write("e.out", "0 1 0\n");
    expect_abort("e.out", {2, "Data file and report file are the same: e.out"}, run_file_error);
}

TEST_F(RegressionDriver, DataEndAtTheFirstNoteLine) {
    write("notes.in", "0 1 0\n1 1 1\n2 1 2\n   # fitted on Tuesday\nnot a row\n");
    const RunResult result = run("notes");
    EXPECT_EQ(result.status, run_finished);
    EXPECT_EQ(a3.ndata, 3);
}

}  // namespace
}  // namespace imm
