#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <fstream>
#include <string>
#include <vector>

#include "engine/data_file_scan.h"
#include "engine/data_file_text.h"
#include "model/curve_split.h"
#include "model/models.h"
#include "support/shared_blocks.h"

namespace imm {
namespace {

const std::string kExamples = std::string(SORVEK_SOURCE_DIR) + "/examples/";

// Reads the first nrows rows of three numbers into a1 and global_types.idat.
void load_rows(const std::string& path, std::int64_t nrows) {
    std::ifstream in(path);
    std::string line;
    for (std::int64_t k = 0; k < nrows && std::getline(in, line); ++k) {
        std::array<double, 3> v{};
        const char* p = line.data();
        const char* end = line.data() + line.size();
        for (double& x : v) {
            while (p < end && (*p == ' ' || *p == '\t')) ++p;
            const auto r = std::from_chars(p, end, x);
            ASSERT_EQ(r.ec, std::errc()) << line;
            p = r.ptr;
        }
        a1.t[k] = v[0];
        a1.so[k] = v[1];
        a1.yobs[k] = v[2];
    }
    global_types.idat = nrows;
}

struct Scan {
    std::int64_t rows = 0;
    std::int64_t cols = 0;
    std::int64_t ncurves = 0;
    std::array<std::int64_t, kMaxCurves> counts{};
};

Scan scan(const std::string& name) {
    Scan s;
    const DataFileText text = read_data_file(kExamples + name);
    data_row_count(text.lines, s.rows);
    file_column_count(text.lines, s.cols);
    load_rows(kExamples + name, s.rows);
    ycurves(s.counts, s.ncurves);
    return s;
}

TEST(Examples, ProductExampleHasThreeCurvesOfNineRows) {
    const Scan s = scan("example.in");
    EXPECT_EQ(s.rows, 27);
    EXPECT_EQ(s.cols, 3);
    EXPECT_EQ(s.ncurves, 3);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(s.counts[c], 9);
    EXPECT_EQ(a1.so[9], 100.0);
    EXPECT_EQ(a1.yobs[9], -0.641);
    EXPECT_EQ(a1.yobs[26], 123.469);
}

TEST(Examples, SubstrateExampleFollowsModelFourWithItsTrueValues) {
    const Scan s = scan("substrate_vs_time.in");
    EXPECT_EQ(s.rows, 33);
    EXPECT_EQ(s.cols, 3);
    EXPECT_EQ(s.ncurves, 3);
    // True values from the comment after the data; the noise is 1% of [So].
    const std::array<double, 2> p = {40.0, 0.5};
    a1.nmdl = 4;
    for (std::int64_t k = 0; k < s.rows; ++k) {
        EXPECT_NEAR(func(a1.t[k], a1.so[k], a1.yobs[k], p), a1.yobs[k], 0.04 * a1.so[k]) << k;
    }
    a1.nmdl = 0;
}

}  // namespace
}  // namespace imm
