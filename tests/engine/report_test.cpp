#include "engine/model_names.h"
#include "engine/report_section.h"
#include "engine/report_tables.h"
#include "engine/report_writer.h"

#include <gtest/gtest.h>

#include "tests/file_contents.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "support/unit_table.h"

namespace imm {
namespace {

namespace fs = std::filesystem;

const double nan = std::numeric_limits<double>::quiet_NaN();
constexpr std::int64_t kUnit = 41;

using test::read_file;

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Records written to a scratch file on a unit of their own.
class ReportFile : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = fs::temp_directory_path() / ("sorvek_report_" + std::to_string(::getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".out");
        ASSERT_EQ(UnitTable::instance().open(kUnit, path_.string(), OpenMode::create), io_ok);
    }
    void TearDown() override {
        UnitTable::instance().close(kUnit);
        fs::remove(path_);
    }
    std::string text() {
        UnitTable::instance().flush(kUnit);
        return read_file(path_);
    }
    // Compares with tests/engine/golden/<name>; SORVEK_UPDATE_GOLDEN=1 rewrites the file instead.
    void expect_golden(const std::string& name) {
        const fs::path golden = fs::path(SORVEK_SOURCE_DIR) / "tests/engine/golden" / name;
        if (std::getenv("SORVEK_UPDATE_GOLDEN")) std::ofstream(golden, std::ios::binary) << text();
        EXPECT_EQ(text(), read_file(golden)) << name;
    }
    fs::path path_;
};

struct DataColumns {
    std::vector<double> t, so, yobs, ycalc;
};

void attach(ModelResults& r, const DataColumns& d) {
    r.t = d.t;
    r.so = d.so;
    r.yobs = d.yobs;
    r.ycalc = d.ycalc;
}

// Model 2 with robust weighting, two curves (the second rejected by the breakpoint
// analysis), a stage 3 that ended uphill, one correlation that is not a number.
ModelResults three_parameter_results(const DataColumns& d) {
    ModelResults r;
    r.model = 2;
    r.time_text = "Tue Dec  8 20:15:02 2026      ";
    r.curve_count = 2;
    r.nparam = 3;
    r.constraint_count = 3;
    r.equality_count = 0;
    r.stage3_code = 4;
    r.weight_mode = 2;
    r.ssq1 = 0.0123456789;
    r.ssq2 = 0.001;
    r.ssq3 = 0.0009;
    r.aicc = -123.45678;
    r.initial = {1.5, 0.25, 0.0};
    r.params = {2.0, 0.45, -0.0312};
    r.gradient = {1.25e-3, -4.0e-6, 3.5e-9};
    r.errors.separ = {0.125, 0.0225, nan};
    r.errors.parcl = {0.2625, 0.04725, nan};
    const double c12 = 0.9123456789;
    const double c13 = -0.25;
    r.errors.corrmat = {1.0, c12, c13, c12, 1.0, nan, c13, nan, 1.0};
    r.range_texts[0] = "[1.60000E+00 to 1.06667E+01]";
    r.inflection_texts[0] = "[8.00000E+00, 7.50000E-01]";
    r.range_texts[1] = "[N/A to N/A]";
    r.inflection_texts[1] = "[N/A, N/A]";
    r.sat_km = 2.0;
    r.sat_so = {1.0, 8.0};
    r.sat_rate = {0.15, 0.36};
    attach(r, d);
    return r;
}

// Model 1 without weighting, one curve, stage 3 out of calls, a failed inversion.
ModelResults two_parameter_results(const DataColumns& d) {
    ModelResults r;
    r.model = 1;
    r.time_text = "Wed Jan  6 09:05:00 2027      ";
    r.curve_count = 1;
    r.nparam = 2;
    r.constraint_count = 2;
    r.stage3_code = 2;
    r.ssq1 = 12345678.9;
    r.ssq2 = 2.5;
    r.ssq3 = 2.5;
    r.aicc = 12.5;
    r.initial = {0.5, 1.0};
    r.params = {0.75, 1.25};
    r.gradient = {0.0, 1.0};
    r.errors.separ = {nan, nan};
    r.errors.parcl = {nan, nan};
    r.errors.inversion_failed = true;
    r.range_texts[0] = "[2.50000E+00 to 1.66667E+01]";
    r.inflection_texts[0] = "[1.25000E+01, 7.50000E-01]";
    r.sat_km = 0.75;
    r.sat_so = {3.0};
    r.sat_rate = {1.0};
    attach(r, d);
    return r;
}

TEST_F(ReportFile, ThreeParameterSectionMatchesGolden) {
    const DataColumns d{{0.5, 1.0, 2.0, 0.5, 1.0, 2.0},
                        {1.0, 1.0, 1.0, 8.0, 8.0, 8.0},
                        {0.1, 0.2, 0.35, 0.5, 1.0, 1.9},
                        {0.1001, 0.19995, 0.35, 0.4999999991, 1.0, nan}};
    EXPECT_EQ(write_model_section(kUnit, three_parameter_results(d)), io_ok);
    expect_golden("section_model2.out");
}

TEST_F(ReportFile, TwoParameterSectionMatchesGolden) {
    const DataColumns d{{1.0, 2.0, 3.0, 4.0}, {3.0, 3.0, 3.0, 3.0}, {0.5, 1.0, 1.5, 2.0}, {0.4, 1.1, 1.5, -2.0}};
    EXPECT_EQ(write_model_section(kUnit, two_parameter_results(d)), io_ok);
    EXPECT_EQ(write_saved_to(kUnit, "   /data/RUN1.OUT   "), io_ok);
    expect_golden("section_model1.out");
}

TEST_F(ReportFile, FieldsStandInTheirColumns) {
    const DataColumns d{{1.0, 2.0, 3.0, 4.0}, {3.0, 3.0, 3.0, 3.0}, {0.5, 1.0, 1.5, 2.0}, {0.4, 1.1, 1.5, -2.0}};
    ModelResults r = two_parameter_results(d);
    r.constraint_count = 123;
    ASSERT_EQ(write_model_section(kUnit, r), io_ok);
    const auto lines = lines_of(text());
    bool counts_seen = false;
    for (const std::string& line : lines) {
        if (line.find("TOTAL NUMBER OF CONSTRAINTS:") != std::string::npos) {
            EXPECT_EQ(line.size(), 54u);
            EXPECT_EQ(line.substr(51), "123");
            counts_seen = true;
        }
        // Only the gradient header's literal and the matrix cells keep trailing blanks.
        const bool own_blanks = line.ends_with("GRADIENT ") || line.find("PARAMETER(") != std::string::npos;
        if (!line.empty() && !own_blanks) {
            EXPECT_NE(line.back(), ' ') << "layout blanks at the end: " << line;
        }
    }
    EXPECT_TRUE(counts_seen);
}

// A number as wide as its column keeps a blank before it: a minus sign never joins
// two. Row 1000 shows its number in the column of the others.
TEST_F(ReportFile, DataTableRowsKeepTheirColumns) {
    DataColumns d{{}, std::vector<double>(1000, 3.0), std::vector<double>(1000, 1.0), {}};
    for (int i = 1; i <= 1000; ++i) d.t.push_back(i);
    d.yobs[0] = -1234567.5;
    d.ycalc = d.yobs;
    ASSERT_EQ(write_model_section(kUnit, two_parameter_results(d)), io_ok);
    for (const std::string row : {"       1         1.000       3.000 -1.2346E+06 -1.2346E+06     0.000000",
                                  "    1000      1000.000       3.000       1.000       1.000     0.000000"}) {
        EXPECT_NE(text().find("\n" + row + "\n"), std::string::npos) << row;
    }
}

TEST_F(ReportFile, StageThreeMessagesOnlyForTheirCodes) {
    const DataColumns d{{1.0, 2.0, 3.0}, {3.0, 3.0, 3.0}, {0.5, 1.0, 1.5}, {0.5, 1.0, 1.5}};
    for (const std::int64_t code : {-1, 0, 1, 3, 5}) {
        ModelResults r = two_parameter_results(d);
        r.stage3_code = code;
        ASSERT_EQ(write_model_section(kUnit, r), io_ok);
    }
    const std::string all = text();
    EXPECT_EQ(all.find("(MESSAGE RETURNED FROM STAGE 3)"), std::string::npos);
    EXPECT_EQ(all.find("INFO"), std::string::npos);
}

TEST_F(ReportFile, BreakpointHeaderOnlyWhenSomeCurveIsAccepted) {
    const DataColumns d{{1.0, 2.0, 3.0, 1.0, 2.0, 3.0}, {1.0, 1.0, 1.0, 3.0, 3.0, 3.0},
                        {0.5, 1.0, 1.5, 0.5, 1.0, 1.5}, {0.5, 1.0, 1.5, 0.5, 1.0, 1.5}};
    ModelResults r = three_parameter_results(d);
    r.range_texts[0] = "[N/A to N/A]";
    r.inflection_texts[0] = "[N/A, N/A]";
    ASSERT_EQ(write_model_section(kUnit, r), io_ok);
    const std::string all = text();
    EXPECT_EQ(all.find("ESTIMATED DATA RANGE"), std::string::npos);
    EXPECT_EQ(all.find("Inflection Point"), std::string::npos);
    EXPECT_NE(all.find("          Crv 1 Suggested range [x] = N/A\n\n          Crv 2 Suggested range [x] = N/A\n"),
              std::string::npos);
}

TEST_F(ReportFile, BadResultsAreRejectedBeforeAnythingIsWritten) {
    const DataColumns d{{1.0, 2.0}, {3.0, 3.0}, {0.5, 1.0}, {0.5, 1.0}};
    ModelResults r = two_parameter_results(d);
    EXPECT_THROW(write_model_section(kUnit, r), std::invalid_argument);  // rows not above parameters
    const DataColumns uneven{{1.0, 2.0, 3.0}, {3.0, 3.0, 3.0}, {0.5, 1.0}, {0.5, 1.0, 1.5}};
    r = two_parameter_results(uneven);
    EXPECT_THROW(write_model_section(kUnit, r), std::invalid_argument);
    const DataColumns ok{{1.0, 2.0, 3.0}, {3.0, 3.0, 3.0}, {0.5, 1.0, 1.5}, {0.5, 1.0, 1.5}};
    r = two_parameter_results(ok);
    r.curve_count = kMaxCurves + 1;
    EXPECT_THROW(write_model_section(kUnit, r), std::invalid_argument);
    EXPECT_EQ(text(), "");
}

TEST(ReportSection, AClosedUnitReportsItsStatus) {
    const DataColumns d{{1.0, 2.0, 3.0}, {3.0, 3.0, 3.0}, {0.5, 1.0, 1.5}, {0.5, 1.0, 1.5}};
    UnitTable::instance().close(kUnit);
    EXPECT_EQ(write_model_section(kUnit, two_parameter_results(d)), io_not_connected);
    EXPECT_EQ(write_saved_to(kUnit, "x.out"), io_not_connected);
}

TEST(ReportSection, GradientFloorAndClippedValues) {
    std::vector<double> g{-5.0, 0.0, 1.4999999e-8, 1.5e-8, 2.0, nan};
    floor_gradient(g);
    EXPECT_EQ(g[0], 1e-8);
    EXPECT_EQ(g[1], 1e-8);
    EXPECT_EQ(g[2], 1e-8);
    EXPECT_EQ(g[3], 1.5e-8);  // above the single-precision 1.5e-8
    EXPECT_EQ(g[4], 2.0);
    EXPECT_TRUE(std::isnan(g[5]));

    std::vector<double> y{-1e-300, 0.0, 1e16, 1.0000000000000002e16, nan, 3.5, std::numeric_limits<double>::infinity()};
    clip_fitted_values(y);
    EXPECT_EQ(y, (std::vector<double>{0.0, 0.0, 1e16, 0.0, 0.0, 3.5, 0.0}));
}

TEST_F(ReportFile, GradientTableOfThreeParametersHasTwoRows) {
    ReportWriter out(kUnit);
    const std::vector<double> p{0.5, -25.0, 1e100};
    const std::vector<double> g{1e-8, 0.0, -1.0};
    print_grad(out, 3, p, g);
    const auto lines = lines_of(text());
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[2], " PARAMETER  |     VALUE            GRADIENT    |     VALUE            GRADIENT ");
    EXPECT_EQ(lines[1], " " + std::string(79, '-'));
    EXPECT_EQ(lines[4], "  1 -  2    | 0.5000000E+00     0.1000000E-07  |-0.2500000E+02     0.0000000E+00");
    EXPECT_EQ(lines[5], "  3 -  3    | 0.1000000+101    -0.1000000E+01");
    EXPECT_EQ(lines[6], lines[1]);
}

TEST_F(ReportFile, CorrelationTableOfFiveParametersHasTwoBlocks) {
    std::vector<double> a(25, 0.0);
    for (int i = 0; i < 5; ++i) a[static_cast<std::size_t>(i * 5 + i)] = 1.0;
    a[1] = -1.0;         // row 2, column 1
    a[4 * 5 + 0] = 0.5;  // row 1, column 5
    a[2 * 5 + 3] = nan;  // row 4, column 3
    ReportWriter out(kUnit);
    matprnt(out, 5, a);
    const auto lines = lines_of(text());
    ASSERT_EQ(lines.size(), 2u + 7u + 7u);
    EXPECT_EQ(lines[0], std::string(22, ' ') + "PARAMETER AND CORRELATION MATRIX VALUES");
    EXPECT_EQ(lines[2], std::string(22, ' ') + "PARAM  1      PARAM  2      PARAM  3      PARAM  4");
    EXPECT_EQ(lines[3], "   PARAMETER( 1) |   1.000000      .........     .........     .........  ");
    EXPECT_EQ(lines[4], "   PARAMETER( 2) |  -1.000000      1.000000      .........     .........  ");
    EXPECT_EQ(lines[6], "   PARAMETER( 4) |   .........     .........     .........     1.000000   ");
    EXPECT_EQ(lines[8], " " + std::string(78, '-'));
    EXPECT_EQ(lines[9], std::string(22, ' ') + "PARAM  5");
    EXPECT_EQ(lines[10], "   PARAMETER( 1) |   0.500000   ");
    EXPECT_EQ(lines[15], " " + std::string(36, '-'));
}

TEST_F(ReportFile, ModelNamesOfAnUnknownModelAreOneEmptyRecord) {
    ReportWriter out(kUnit);
    model_names(out, 0);
    model_names(out, 7);
    model_names(out, 6);
    EXPECT_EQ(text(), "\n\n          MODEL NAME:  6- Substrate vs (time + t0) Integrated Michaelis-Menten:\n"
                      "               y = Km*OmegaW((So/Km)*EXP((So-Vm*(t + t0))/Km))\n\n"
                      "               y = P1*OmegaW((X2/P1)*(EXP((X2-P2*(X1+P3))/P1)))\n\n");
}

TEST_F(ReportFile, EmptyMatrixWritesNothing) {
    ReportWriter out(kUnit);
    matprnt(out, 0, {});
    EXPECT_EQ(text(), "");
}

TEST(ReportTables, FixedTextTruncatesTheFraction) {
    EXPECT_EQ(rval2str(0.5, 6), "0.500000");
    EXPECT_EQ(rval2str(-0.25, 6), "0.250000");
    EXPECT_EQ(rval2str(1.0, 6), "1.000000");
    EXPECT_EQ(rval2str(-1.0, 6), "1.000000");
    EXPECT_EQ(rval2str(0.1234569, 6), "0.123456");
    EXPECT_EQ(rval2str(0.9999999, 6), "0.999999");
    EXPECT_EQ(rval2str(-12.75, 6), "12.750000");
    EXPECT_THROW(rval2str(1e18, 6), std::out_of_range);
}

}  // namespace
}  // namespace imm
