#include <gtest/gtest.h>

#include <string>

#include "engine/data_file_names.h"

namespace imm {
namespace {

TEST(DataFileNames, CompletionLooksAtTheLastComponentOnly) {
    EXPECT_EQ(completed_data_name("run5"), "run5.in");
    EXPECT_EQ(completed_data_name("  my data   "), "my data.in");
    EXPECT_EQ(completed_data_name("\ta b.dat"), "a b.dat");
    EXPECT_EQ(completed_data_name("Runs.2026/Km Test"), "Runs.2026/Km Test.in");
    EXPECT_EQ(completed_data_name("/home/u/v1.2/data.IN"), "/home/u/v1.2/data.IN");
    EXPECT_EQ(completed_data_name("archive.tar.in"), "archive.tar.in");
}

TEST(DataFileNames, ReportIsTheStemFollowedByOut) {
    EXPECT_EQ(report_name("run5.in"), "run5.out");
    EXPECT_EQ(report_name("a b.dat"), "a b.out");
    EXPECT_EQ(report_name("Runs.2026/Km Test.in"), "Runs.2026/Km Test.out");
    EXPECT_EQ(report_name("archive.tar.in"), "archive.tar.out");
    EXPECT_EQ(report_name("data.out"), "data.out");
    EXPECT_EQ(report_name("v1.2/data"), "v1.2/data.out");
}

TEST(DataFileNames, LongNamesAreNeverCut) {
    const std::string folder(300, 'f');
    const std::string name = folder + "/" + std::string(200, 'n');
    EXPECT_EQ(completed_data_name(name), name + ".in");
    EXPECT_EQ(report_name(name + ".in"), name + ".out");
}

}  // namespace
}  // namespace imm
