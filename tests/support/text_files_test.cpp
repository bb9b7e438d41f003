#include "support/text_files.h"

#include <gtest/gtest.h>

#include "tests/file_contents.h"
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/time_stamp.h"
#include "support/unit_files.h"
#include "support/unit_table.h"
#include "tests/file_size_limit.h"
#include "tests/unprivileged_user.h"

namespace imm {
namespace {

namespace fs = std::filesystem;

class TextFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sorvek_text_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    static void write_file(const std::string& file, const std::string& text) { test::write_file(file, text); }
    static std::string read_file(const std::string& file) { return test::read_file(file); }
    fs::path dir_;
};

TEST_F(TextFilesTest, WriteLinesReplacesTheFileWithTheText) {
    write_file(path("saved.txt"), "an older and longer content\nof two lines\n");
    std::int64_t unit = nuunit(100);
    EXPECT_EQ(writelines(unit, path("saved.txt") + "  ", "line 1\r\nline 2   "), "");
    EXPECT_EQ(read_file(path("saved.txt")), "line 1\r\nline 2\n");
    EXPECT_FALSE(file_open_by_name(path("saved.txt")));
    EXPECT_EQ(writelines(unit, path("no_folder/saved.txt"), "x"),
              "no new file can be made in the folder " + path("no_folder") + ": No such file or directory");
    EXPECT_FALSE(file_open_by_unit(unit));
}

// Where "new" lands: in the file a chosen link names (the link stays), and in a file
// written in its place where the folder takes no new file; or why it cannot. In a
// sticky folder that everyone may write to, root gives links to its owner and a third user.
TEST_F(TextFilesTest, WriteLinesThroughLinksAndInFoldersThatTakeNoNewFile) {
    fs::create_directories(dir_ / "other");
    write_file(path("other/target.txt"), "old\n");
    write_file(path("other/precious.txt"), "precious\n");
    fs::create_directories(dir_ / "shared");
    fs::permissions(dir_ / "shared", fs::perms::all | fs::perms::sticky_bit);
    for (const char* link : {"own", "owners"}) fs::create_symlink("../other/target.txt", dir_ / "shared" / link);
    fs::create_directories(dir_ / "shut");
    for (const auto& [link, target] : {std::pair<std::string, std::string>{"shared/planted", "../other/precious.txt"},
                                       {"relative.txt", "other/target.txt"}, {"chain.txt", path("relative.txt")},
                                       {"dangling.txt", "other/made.txt"}, {"loop_a.txt", "loop_b.txt"},
                                       {"loop_b.txt", "loop_a.txt"}, {"other/into_shut.txt", "../shut/longer.txt"}}) {
        fs::create_symlink(target, dir_ / link);
    }
    const bool planted = ::lchown(path("shared/planted").c_str(), 2, 2) == 0;
    ::lchown(path("shared").c_str(), 1, 1);
    ::lchown(path("shared/owners").c_str(), 1, 1);
    write_file(path("shut/longer.txt"), "an older and longer text\n");
    write_file(path("shut/full.txt"), "old\n");
    write_file(path("shut/long.txt"), std::string(3000, 'o'));
    fs::permissions(dir_ / "shut", fs::perms::owner_read | fs::perms::owner_exec);
    const std::array<std::string, 3> cases[] = {  // chosen, where the text lands, reason
        {"shared/own", "other/target.txt", ""},
        {"shared/owners", "other/target.txt", ""},
        {"shared/planted", "", planted ? "Operation not permitted: the link " + path("shared/planted") +
                                             " in a shared folder belongs to another user" : ""},
        {"relative.txt", "other/target.txt", ""},
        {"chain.txt", "other/target.txt", ""},
        {"dangling.txt", "other/made.txt", ""},
        {"other/into_shut.txt", "shut/longer.txt", ""},
        {"loop_a.txt", "", "Too many levels of symbolic links"},
        {"shut/new.txt", "", "no new file can be made in the folder " + path("shut") + ": Permission denied"},
    };
    test::run_unprivileged(dir_, [&] {
        for (const auto& [chosen, landed, reason] : cases) {
            std::int64_t unit = nuunit(100);
            EXPECT_EQ(writelines(unit, path(chosen.c_str()), "new"), reason) << chosen;
            EXPECT_TRUE(landed.empty() || read_file(path(landed.c_str())) == "new\n") << chosen;
        }
        // No descriptor left once the room is taken in place: the file stays byte for byte.
        const int lowest_free = ::dup(1);
        ::close(lowest_free);
        rlimit files{};
        ::getrlimit(RLIMIT_NOFILE, &files);
        const rlimit one_free{static_cast<rlim_t>(lowest_free) + 1, files.rlim_max};
        ::setrlimit(RLIMIT_NOFILE, &one_free);
        std::int64_t unit = nuunit(100);
        EXPECT_EQ(writelines(unit, path("shut/full.txt"), std::string(2000, 'x')), "Too many open files");
        ::setrlimit(RLIMIT_NOFILE, &files);
        EXPECT_EQ(read_file(path("shut/full.txt")), "old\n");
        // No room for the text, in place (shorter or longer) or beside the file: the file stays as it was.
        const test::FileSizeLimit limit(1000);
        for (const char* full : {"shut/full.txt", "shut/long.txt", "other/target.txt"}) {
            std::int64_t unit = nuunit(100);
            const std::string before = read_file(path(full));
            EXPECT_EQ(writelines(unit, path(full), std::string(2000, 'x')), "File too large") << full;
            EXPECT_EQ(read_file(path(full)), before) << full;
        }
    });
    for (const char* link : {"relative.txt", "chain.txt", "dangling.txt"}) EXPECT_TRUE(fs::is_symlink(dir_ / link));
    EXPECT_EQ(read_file(path("other/precious.txt")), planted ? "precious\n" : "new\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "other"), {}), 4);  // target, precious, made, the link
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "shut"), {}), 3);
    fs::permissions(dir_ / "shut", fs::perms::owner_all);
}

TEST_F(TextFilesTest, TextboxLinesSkipTheFirstLineAndKeepLongLines) {
    const std::string long_line(150, 'y');
    const std::string line99(99, 'z');
    write_file(path("report.out"), "head line\n  first   \n\n" + line99 + "\n" + long_line + "\r\nend");
    const TextboxLines lines = textbox_lines_from_file(path("report.out"));
    EXPECT_EQ(lines.status, io_ok);
    ASSERT_EQ(lines.texts.size(), 5u);
    EXPECT_EQ(lines.texts[0], "  first\r\n");
    EXPECT_EQ(lines.texts[1], "\r\n");
    EXPECT_EQ(lines.texts[2], line99 + "\r\n");
    EXPECT_EQ(lines.texts[3], long_line + "\r\n");
    EXPECT_EQ(lines.texts[4], "end\r\n");
    EXPECT_FALSE(file_open_by_name(path("report.out")));

    write_file(path("one.out"), "only line\n");
    EXPECT_TRUE(textbox_lines_from_file(path("one.out")).texts.empty());
}

TEST_F(TextFilesTest, TextboxLinesWhileTheFileIsOpenForAppending) {
    write_file(path("report.out"), "head\nbody\n");
    auto& table = UnitTable::instance();
    const std::int64_t append_unit = nuunit(100);
    ASSERT_EQ(table.open(append_unit, path("report.out"), OpenMode::append), io_ok);
    const TextboxLines lines = textbox_lines_from_file(path("report.out"));
    EXPECT_EQ(lines.status, io_ok);
    ASSERT_EQ(lines.texts.size(), 1u);
    EXPECT_EQ(lines.texts[0], "body\r\n");
    EXPECT_EQ(table.write_record(append_unit, "   Results written to R.OUT"), io_ok);
    table.close(append_unit);
    EXPECT_EQ(read_file(path("report.out")), "head\nbody\n   Results written to R.OUT\n");
}

TEST_F(TextFilesTest, TextboxLinesReportAnOpenFailure) {
    const TextboxLines lines = textbox_lines_from_file(path("missing_folder/report.out"));
    EXPECT_EQ(lines.status, io_open_failed);
    EXPECT_TRUE(lines.texts.empty());
}

TEST_F(TextFilesTest, ReadLinesCopiesAsFreeFormatRecords) {
    write_file(path("in.txt"), "alpha\n\n" + std::string(25, 'b') + "\nlast");
    std::int64_t unit = 50;
    EXPECT_EQ(readlines(unit, path("in.txt"), path("out.txt")), io_ok);
    EXPECT_EQ(unit, 100);
    EXPECT_EQ(read_file(path("out.txt")), " alpha\n \n " + std::string(25, 'b') + "\n last\n");
    EXPECT_FALSE(file_open_by_unit(50));
    EXPECT_FALSE(file_open_by_unit(100));
    unit = 50;
    EXPECT_EQ(readlines(unit, path("missing.txt"), path("out2.txt")), io_no_file);
    EXPECT_FALSE(file_open_by_unit(100));
}

TEST_F(TextFilesTest, ReadLineOfAnyLength) {
    const std::string long_line(1234, 'q');
    write_file(path("in.txt"), long_line + "\nshort\n");
    auto& table = UnitTable::instance();
    ASSERT_EQ(table.open(60, path("in.txt"), OpenMode::existing), io_ok);
    std::string line;
    std::int64_t status = -7;
    std::int64_t length = -7;
    readline_utility::readline(60, line, status, length);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(length, 1234);
    EXPECT_EQ(line, long_line);
    readline_utility::readline(60, line, status, length);
    EXPECT_EQ(line, "short");
    readline_utility::readline(60, line, status, length);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(length, 0);
    table.close(60);
}

TEST_F(TextFilesTest, ReadLineSkipsCommentsAndBlankRecords) {
    write_file(path("in.txt"), "! heading\n   \n   ! indented note\n  value 1 ! note\nnext\n");
    auto& table = UnitTable::instance();
    ASSERT_EQ(table.open(61, path("in.txt"), OpenMode::existing), io_ok);
    std::string line(12, ' ');
    EXPECT_EQ(readline(61, line), io_ok);
    EXPECT_EQ(line, "value 1     ");
    EXPECT_EQ(readline(61, line), io_ok);
    EXPECT_EQ(line, "next        ");
    EXPECT_EQ(readline(61, line), io_end);
    table.close(61);
}

TEST(TimeStamp, EnglishLayoutPaddedToThirty) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 8;
    when.tm_wday = 2;
    when.tm_hour = 19;
    when.tm_min = 32;
    when.tm_sec = 4;
    EXPECT_EQ(time_stamp_text(when), "Tue Dec  8 19:32:04 2026      ");
    when.tm_mday = 28;
    when.tm_wday = 1;
    when.tm_mon = 0;
    when.tm_hour = 0;
    EXPECT_EQ(time_stamp_text(when), "Mon Jan 28 00:32:04 2026      ");
    const std::string now = time();
    EXPECT_EQ(now.size(), 30u);
    EXPECT_EQ(now.substr(24), "      ");
    EXPECT_EQ(now[3], ' ');
    EXPECT_EQ(now[13], ':');
}

}  // namespace
}  // namespace imm
