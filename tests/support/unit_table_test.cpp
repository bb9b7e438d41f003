#include "support/unit_table.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "tests/file_contents.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <string>

#include "support/unit_files.h"

namespace imm {
namespace {

namespace fs = std::filesystem;

class UnitTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sorvek_units_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override {
        for (std::int64_t unit = 0; unit <= 200; ++unit) {
            if (unit != console_in_unit && unit != console_out_unit) UnitTable::instance().close(unit);
        }
        fs::remove_all(dir_);
    }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    static void write_file(const std::string& file, const std::string& text) { test::write_file(file, text); }
    static std::string read_file(const std::string& file) { return test::read_file(file); }
    fs::path dir_;
};

TEST_F(UnitTableTest, OpenModes) {
    UnitTable table;
    EXPECT_EQ(table.open(20, path("missing.txt"), OpenMode::existing), io_no_file);
    EXPECT_FALSE(table.opened(20));
    EXPECT_EQ(table.open(20, path("new.txt") + "   ", OpenMode::create), io_ok);
    EXPECT_TRUE(fs::exists(path("new.txt")));
    EXPECT_EQ(table.name(20), path("new.txt"));
    EXPECT_EQ(table.write_record(20, "first"), io_ok);
    table.close(20);
    EXPECT_FALSE(table.opened(20));

    EXPECT_EQ(table.open(21, path("new.txt"), OpenMode::append), io_ok);
    EXPECT_EQ(table.write_record(21, "second"), io_ok);
    table.close(21);
    EXPECT_EQ(read_file(path("new.txt")), "first\nsecond\n");

    EXPECT_EQ(table.open(-3, path("new.txt"), OpenMode::create), io_bad_unit);
    EXPECT_EQ(table.open(22, dir_.string(), OpenMode::existing), io_open_failed);
    EXPECT_EQ(table.open(22, "   ", OpenMode::create), io_open_failed);
}

TEST_F(UnitTableTest, WritingCutsOffTheOldTail) {
    write_file(path("report.out"), "old line 1\nold line 2\nold line 3\n");
    UnitTable table;
    ASSERT_EQ(table.open(15, path("report.out"), OpenMode::create), io_ok);
    EXPECT_EQ(table.write_record(15, "new"), io_ok);
    EXPECT_EQ(table.write_record(15, "text"), io_ok);
    table.close(15);
    EXPECT_EQ(read_file(path("report.out")), "new\ntext\n");
}

TEST_F(UnitTableTest, ReadsLinesOfAnyEndingAndLength) {
    const std::string long_line(300, 'x');
    write_file(path("data.in"), "a b c\r\n\n" + long_line + "\nlast");
    UnitTable table;
    ASSERT_EQ(table.open(20, path("data.in"), OpenMode::existing), io_ok);
    std::string line;
    EXPECT_EQ(table.read_line(20, line), io_ok);
    EXPECT_EQ(line, "a b c");
    EXPECT_EQ(table.read_line(20, line), io_ok);
    EXPECT_EQ(line, "");
    EXPECT_EQ(table.read_line(20, line), io_ok);
    EXPECT_EQ(line, long_line);
    EXPECT_EQ(table.read_line(20, line), io_ok);
    EXPECT_EQ(line, "last");
    EXPECT_EQ(table.read_line(20, line), io_end);
    EXPECT_EQ(table.read_line(20, line), io_end);
    EXPECT_EQ(table.rewind(20), io_ok);
    EXPECT_EQ(table.read_line(20, line), io_ok);
    EXPECT_EQ(line, "a b c");
    EXPECT_EQ(table.read_line(30, line), io_not_connected);
    EXPECT_EQ(table.write_record(30, "x"), io_not_connected);
    EXPECT_EQ(table.flush(30), io_not_connected);
}

TEST_F(UnitTableTest, OneFileOnTwoUnits) {
    write_file(path("report.out"), "head\nbody\n");
    UnitTable table;
    ASSERT_EQ(table.open(100, path("report.out"), OpenMode::append), io_ok);
    ASSERT_EQ(table.open(99, path("report.out"), OpenMode::create), io_ok);
    std::string line;
    EXPECT_EQ(table.read_line(99, line), io_ok);
    EXPECT_EQ(line, "head");
    EXPECT_EQ(table.write_record(100, "   Results written to x"), io_ok);
    EXPECT_EQ(table.read_line(99, line), io_ok);
    EXPECT_EQ(line, "body");
    EXPECT_EQ(table.read_line(99, line), io_ok);
    EXPECT_EQ(line, "   Results written to x");
    const auto unit = table.unit_of(path("report.out"));
    EXPECT_TRUE(unit == 99 || unit == 100);
    table.close(100);
    EXPECT_EQ(table.unit_of(path("report.out")), 99);
    table.close(99);
    EXPECT_EQ(table.unit_of(path("report.out")), -1);
}

TEST_F(UnitTableTest, ReopeningTheSameFileKeepsThePosition) {
    write_file(path("a.txt"), "1\n2\n");
    write_file(path("b.txt"), "b\n");
    UnitTable table;
    ASSERT_EQ(table.open(40, path("a.txt"), OpenMode::existing), io_ok);
    std::string line;
    table.read_line(40, line);
    EXPECT_EQ(table.open(40, path("a.txt"), OpenMode::existing), io_ok);
    table.read_line(40, line);
    EXPECT_EQ(line, "2");
    EXPECT_EQ(table.open(40, path("b.txt"), OpenMode::existing), io_ok);
    table.read_line(40, line);
    EXPECT_EQ(line, "b");
    EXPECT_EQ(table.unit_of(path("a.txt")), -1);
}

TEST_F(UnitTableTest, ConsoleUnitsArePreconnected) {
    UnitTable table;
    EXPECT_TRUE(table.opened(console_in_unit));
    EXPECT_TRUE(table.opened(console_out_unit));
    EXPECT_FALSE(table.opened(9));
    EXPECT_TRUE(UnitTable::exists(0));
    EXPECT_FALSE(UnitTable::exists(-1));
}

TEST_F(UnitTableTest, FreeUnitSearch) {
    EXPECT_EQ(nuunit(100), 99);
    EXPECT_EQ(nuunit(0), 100);
    auto& table = UnitTable::instance();
    ASSERT_EQ(table.open(99, path("x.txt"), OpenMode::create), io_ok);
    EXPECT_EQ(nuunit(100), 98);
    for (std::int64_t unit = 10; unit <= 100; ++unit) table.open(unit, path("x.txt"), OpenMode::create);
    EXPECT_EQ(nuunit(100), -1);
    table.close(10);
    EXPECT_EQ(nuunit(100), 10);
    EXPECT_EQ(nuunit(10), -1);
}

// The system's reason of a failed open or write, for the messages.
TEST_F(UnitTableTest, FailuresKeepTheSystemsReason) {
    auto& table = UnitTable::instance();
    EXPECT_EQ(table.open(20, dir_.string(), OpenMode::create), io_open_failed);
    EXPECT_EQ(UnitTable::last_error(), EISDIR);
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ASSERT_EQ(table.open(20, "/dev/full", OpenMode::create), io_ok);
    EXPECT_EQ(table.write_record(20, "x"), io_write_failed);
    EXPECT_EQ(UnitTable::last_error(), ENOSPC);
    table.close(20);
}

TEST_F(UnitTableTest, FileHelpers) {
    auto& table = UnitTable::instance();
    EXPECT_TRUE(file_unit_exists(20));
    EXPECT_FALSE(file_unit_exists(-20));
    EXPECT_FALSE(file_name_exists(path("f.txt")));
    write_file(path("f.txt"), "x\n");
    EXPECT_TRUE(file_name_exists(path("f.txt") + "  "));
    EXPECT_FALSE(file_open_by_name(path("f.txt")));

    ASSERT_EQ(table.open(30, path("f.txt"), OpenMode::existing), io_ok);
    ASSERT_EQ(table.open(31, path("f.txt"), OpenMode::existing), io_ok);
    EXPECT_TRUE(file_open_by_unit(30));
    EXPECT_TRUE(file_open_by_name(path("f.txt") + "   "));

    EXPECT_FALSE(file_close_by_name(31, path("other.txt")));  // not connected: nothing closed
    EXPECT_TRUE(file_open_by_unit(31));
    EXPECT_FALSE(file_close_by_name(31, path("f.txt")));
    EXPECT_FALSE(file_open_by_unit(31));
    EXPECT_FALSE(file_close_by_unit(30));
    EXPECT_FALSE(file_open_by_unit(30));
    EXPECT_FALSE(file_close_by_unit(30));
}

}  // namespace
}  // namespace imm
