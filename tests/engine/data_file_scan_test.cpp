#include "engine/data_file_scan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/data_file_text.h"
#include "support/unit_table.h"

namespace imm {
namespace {

namespace fs = std::filesystem;

class DataFileScan : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(::testing::TempDir()) / ("scan_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string file(const std::string& contents) {
        const fs::path path = dir_ / ("f" + std::to_string(++count_) + ".in");
        std::ofstream(path, std::ios::binary) << contents;
        return path.string();
    }
    std::vector<std::string> lines(const std::string& contents) {
        const DataFileText text = read_data_file(file(contents));
        EXPECT_EQ(text.fault, DataFileFault::none);
        return text.lines;
    }
    std::int64_t rows(const std::string& contents) {
        std::int64_t n = -7;
        data_row_count(lines(contents), n);
        return n;
    }
    std::int64_t columns(const std::string& contents) {
        std::int64_t n = -7;
        file_column_count(lines(contents), n);
        return n;
    }
    static std::string repeat_rows(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += std::to_string(i) + " 10 " + std::to_string(i * 0.5) + "\n";
        return s;
    }

    fs::path dir_;
    int count_ = 0;
};

TEST_F(DataFileScan, RowsEndAtTheFirstTerminatorLine) {
    EXPECT_EQ(rows(""), 0);
    EXPECT_EQ(rows("1 2 3\n4 5 6\n7 8 9"), 3);  // no line end after the last row
    EXPECT_EQ(rows("1 2 3\n4 5 6\n\n7 8 9\n"), 2);
    EXPECT_EQ(rows("1 2 3\n     \n7 8 9\n"), 1);
    EXPECT_EQ(rows("1 2 3\n4 5 6\n# note\n7 8 9\n"), 2);
    EXPECT_EQ(rows("1 2 3\n   # indented note\n7 8 9\n"), 1);
    EXPECT_EQ(rows("1 2 3\n'quoted\n7 8 9\n"), 1);
    EXPECT_EQ(rows("1 2 3\n  \"quoted\n7 8 9\n"), 1);
    EXPECT_EQ(rows("# header\n1 2 3\n"), 0);
    EXPECT_EQ(rows("\n1 2 3\n"), 0);
    // A line of blanks and TABs is empty, as spreadsheets write their empty rows;
    // a line that only looks like a comment is a row.
    EXPECT_EQ(rows("1 2 3\n\t\t\n7 8 9\n"), 1);
    EXPECT_EQ(rows("1 2 3\n \t \n7 8 9\n"), 1);
    EXPECT_EQ(rows("1 2 3\n\t7 8 9\n"), 2);
    EXPECT_EQ(rows("1 2 3\n!--- x\n"), 2);
    // Only the first 100 characters decide.
    EXPECT_EQ(rows("1 2 3\n" + std::string(100, ' ') + "4 5 6\n7 8 9\n"), 1);
    EXPECT_EQ(rows("1 2 3\n" + std::string(99, ' ') + "4 5 6\n7 8 9\n"), 3);
}

TEST_F(DataFileScan, CrLfAndCrLinesReadLikeLfLines) {
    EXPECT_EQ(rows("1 2 3\r\n4 5 6\r\n\r\n7 8 9\r\n"), 2);
    EXPECT_EQ(rows("1 2 3\r4 5 6\r7 8 9\r"), 3);
    EXPECT_EQ(rows("1 2 3\r4 5 6\r\r7 8 9"), 2);
    EXPECT_EQ(columns("1 2 3\r4 5 6\r"), 3);
    EXPECT_EQ(rows("1 2 3\r\n   \r\n7 8 9\r\n"), 1);
    EXPECT_EQ(rows(repeat_rows(3)), 3);
    std::string crlf;
    for (char c : repeat_rows(1001)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(rows(crlf), 1001);
    EXPECT_EQ(columns("1\t2\t3\r\n"), 3);
}

TEST_F(DataFileScan, RowCountsAtTheLimits) {
    for (int n : {2, 3, 1000, 1001}) EXPECT_EQ(rows(repeat_rows(n)), n);
}

TEST_F(DataFileScan, ByteOrderMarkAtTheStartIsSkipped) {
    EXPECT_EQ(lines("\xEF\xBB\xBF" "0.0 50.0 0.534\n1 50 2\n"),
              (std::vector<std::string>{"0.0 50.0 0.534", "1 50 2"}));
    EXPECT_EQ(columns("\xEF\xBB\xBF" "1 2 3\n"), 3);
    // Only at the start of the file.
    EXPECT_EQ(lines("1 2 3\n\xEF\xBB\xBF" "4 5 6"), (std::vector<std::string>{"1 2 3", "\xEF\xBB\xBF" "4 5 6"}));
    EXPECT_TRUE(lines("\xEF\xBB\xBF").empty());
}

TEST_F(DataFileScan, LinesOfTheText) {
    EXPECT_TRUE(split_lines("").empty());
    EXPECT_EQ(split_lines("\n"), (std::vector<std::string>{""}));
    EXPECT_EQ(split_lines("a\nb"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(split_lines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(split_lines("a\rb\n\rc"), (std::vector<std::string>{"a", "b", "", "c"}));
    EXPECT_EQ(split_lines(std::string("a\0b\n", 4)), (std::vector<std::string>{std::string("a\0b", 3)}));
}

TEST_F(DataFileScan, OnlyRegularFilesOfBoundedSizeAreRead) {
    const DataFileText missing = read_data_file((dir_ / "none.in").string());
    EXPECT_EQ(missing.fault, DataFileFault::unreadable);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_EQ(read_data_file(dir_.string()).fault, DataFileFault::not_regular);
    const fs::path fifo = dir_ / "fifo.in";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(read_data_file(fifo.string()).fault, DataFileFault::not_regular);  // and does not wait for a writer
    const fs::path zero = dir_ / "zero.in";
    fs::create_symlink("/dev/zero", zero);
    EXPECT_EQ(read_data_file(zero.string()).fault, DataFileFault::not_regular);

    const std::string largest = "1 2 3\n" + std::string(kMaxDataFileBytes - 6, 'x');
    EXPECT_EQ(read_data_file(file(largest)).fault, DataFileFault::none);
    EXPECT_EQ(read_data_file(file(largest + "\n")).fault, DataFileFault::too_large);
}

TEST_F(DataFileScan, FileRowCountReadsPastTerminators) {
    std::int64_t n = -1;
    file_row_count(lines("1 2 3\n\n# c\n4 5 6\n 'x\n7 8 9\n"), n);
    EXPECT_EQ(n, 3);
}

TEST_F(DataFileScan, RowsOfNumbersCutOffByAnEmptyLine) {
    const auto after = [&](const std::string& contents) {
        const RowsAfterData found = rows_after_empty_line(lines(contents));
        return std::vector<std::int64_t>{found.empty_line, found.number_rows};
    };
    using Found = std::vector<std::int64_t>;
    EXPECT_EQ(after("1 1 1\n2 1 2\n\n1 2 1\n2 2 2\n   \n1 3 1\n"), (Found{3, 3}));
    EXPECT_EQ(after("1 1 1\n2 1 2\n" + std::string(100, ' ') + "x\n1 2 1\n"), (Found{3, 1}));
    EXPECT_EQ(after("1 1 1\n\t \t\n1 2 1\n"), (Found{2, 1}));
    // Notes after the data, or data ended otherwise, or nothing after the data.
    EXPECT_EQ(after("1 1 1\n\n# Column 1: time\n# [So] = 50, 100, 500\n"), (Found{2, 0}));
    EXPECT_EQ(after("1 1 1\n# excluded\n1 2 1\n"), (Found{0, 0}));
    EXPECT_EQ(after("1 1 1\n2 1 2\n"), (Found{0, 0}));
    EXPECT_EQ(after("1 1 1\n2 1 2\n\n"), (Found{3, 0}));
    // Only rows of three numbers count.
    EXPECT_EQ(after("\n1 2\n1 2 x\n1 2 3 4\n"), (Found{1, 1}));
}

TEST_F(DataFileScan, ColumnsOfTheFirstDataLine) {
    EXPECT_EQ(columns("1 2 3\n"), 3);
    EXPECT_EQ(columns("  1\t2   3 4\n"), 4);
    EXPECT_EQ(columns("1.5,2\n"), 1);
    EXPECT_EQ(columns("1  2\n"), 2);
    EXPECT_EQ(columns("# comment\n\n   \n0.0 50 1.2\n"), 3);
    EXPECT_EQ(columns("\t\t\n1 2 3\n"), 3);  // a TAB line is empty
}

TEST_F(DataFileScan, CommentOnlyFileIsMeasuredOnItsFirstLine) {
    EXPECT_EQ(columns("\n# a note of five words\n' another\n"), 6);
}

TEST_F(DataFileScan, FileWithoutDataWarnsOnTheConsole) {
    for (const std::string contents : {"", "\n   \n\n", "\xEF\xBB\xBF"}) {
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(columns(contents), -1);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(),
                  " \nFILE_COLUMN_COUNT - Warning.\n  The file does not contain any data.\n");
    }
}

TEST_F(DataFileScan, LabelLines) {
    std::int64_t count = -1, status = -1;
    data_lb_count(lines("#   a\n##  b\n#   c\n### d\n#   after\n"), count, status);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(status, 6);  // the "###" line follows a "#" line
    data_lb_count(lines("#   a\n##  b\n1 2 3\n#\n   x\n  ###   d\n#   after\n"), count, status);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(status, 3);
    data_lb_count(lines("#   a\n##  b\n#   c\n"), count, status);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(status, 7);  // two "#" lines against one
    data_lb_count(lines("##  a\n1 2 3\n"), count, status);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(status, 5);
    data_lb_count(lines("# a\n##b\n"), count, status);  // neither is a label line
    EXPECT_EQ(count, 0);
    EXPECT_EQ(status, 5);
    data_lb_count(lines("#   a\n####\n##  c\n"), count, status);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(status, 7);
    data_lb_count(lines("#\r\n##  b\r\n"), count, status);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(status, 2);
}

TEST(GetUnit, ConsoleUnitsStayAndOthersAreFree) {
    for (std::int64_t console : {5, 6, 9}) {
        std::int64_t u = console;
        get_unit(u);
        EXPECT_EQ(u, console);
    }
    std::int64_t u = 0;
    get_unit(u);
    EXPECT_EQ(u, 100);
    u = -4;
    get_unit(u);
    EXPECT_EQ(u, 96);
    u = 20;
    get_unit(u);
    EXPECT_EQ(u, 20);
}

TEST(GetUnit, SkipsConnectedUnits) {
    const fs::path path = fs::path(::testing::TempDir()) / ("unit_" + std::to_string(::getpid()) + ".txt");
    std::ofstream(path) << "x\n";
    UnitTable& units = UnitTable::instance();
    ASSERT_EQ(units.open(20, path.string(), OpenMode::existing), io_ok);
    ASSERT_EQ(units.open(21, path.string(), OpenMode::existing), io_ok);
    std::int64_t u = 20;
    get_unit(u);
    EXPECT_EQ(u, 22);
    units.close(20);
    units.close(21);
    fs::remove(path);
}

}  // namespace
}  // namespace imm
