#include "engine/console_helpers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace imm {
namespace {

TEST(Fileno, SpreadsTheTimeOverSixDigits) {
    EXPECT_EQ(fileno_text(0), "     0");
    EXPECT_EQ(fileno_text(1), "   314");          // 314.159 rounds to 314
    EXPECT_EQ(fileno_text(30), "  9425");         // 9424.78
    EXPECT_EQ(fileno_text(123456), "387848");     // 38784850 in single precision, /100
    EXPECT_EQ(fileno_text(235959), "741287");
    std::string text(8, 'x');
    fileno(text);
    EXPECT_EQ(text.size(), 8u);
    EXPECT_EQ(text.substr(6), "  ");
}

TEST(Getstr, KeepsTheAnswerOnABlankLine) {
    const auto input = std::filesystem::path(::testing::TempDir()) / "getstr_input.txt";
    std::ofstream(input) << "   \nyes please\n";
    ASSERT_NE(std::freopen(input.string().c_str(), "r", stdin), nullptr);
    std::string answer = "old   ";
    ::testing::internal::CaptureStdout();
    getstr("Continue?   ", answer);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), " Continue? ");
    EXPECT_EQ(answer, "old   ");
    ::testing::internal::CaptureStdout();
    getstr("Continue?", answer);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(answer, "yes pl");
    ASSERT_NE(std::freopen("/dev/null", "r", stdin), nullptr);
    std::filesystem::remove(input);
}

}  // namespace
}  // namespace imm
