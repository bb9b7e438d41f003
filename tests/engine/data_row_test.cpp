#include <gtest/gtest.h>


#include "engine/data_row.h"

namespace imm {
namespace {

TEST(DataRow, RealFieldsInEveryNotation) {
    const std::pair<const char*, double> cases[] = {
        {"5", 5.0},          {"-5", -5.0},        {"+5", 5.0},          {"5.", 5.0},
        {".5", 0.5},         {"-.25", -0.25},     {"1.5E3", 1500.0},    {"1.5e-3", 0.0015},
        {"2D2", 200.0},      {"2d+2", 200.0},     {"-1.25D-1", -0.125}, {"007", 7.0},
        {"0.1", 0.1},        {"1e308", 1e308},     {"1e-999", 0.0},
    };
    for (const auto& [text, value] : cases) {
        const auto parsed = parse_real_field(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(*parsed, value) << text;
    }
}

TEST(DataRow, FieldsThatAreNotFiniteRealsAreRefused) {
    for (const char* text : {"", "+", "-", ".", "e5", "1e", "1e+", "1.2.3", "1,5", "abc", "nan", "inf", "-inf",
                             "0x10", "1e999", "-1e999", "1..", "1+5", "1Q5", "1e5x", "++1", "1 ", "1f3", "\r"}) {
        EXPECT_FALSE(parse_real_field(text).has_value()) << '"' << text << '"';
    }
}

TEST(DataRow, FirstThreeFieldsAreTakenAndTheRestIgnored) {
    auto row = parse_data_row("  0.5\t1.0   2e-1  note 7");
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->t, 0.5);
    EXPECT_EQ(row->so, 1.0);
    EXPECT_EQ(row->y, 0.2);

    row = parse_data_row("\t\t1\t2\t3");
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->y, 3.0);
}

TEST(DataRow, ShortOrNonNumericRowsAreRefused) {
    for (const char* text : {"", "   ", "\t\t", "1 2", "1 2 x", "1 x 3", "1,2,3", "1 2 3e", "1 NaN 3"}) {
        EXPECT_FALSE(parse_data_row(text).has_value()) << '"' << text << '"';
    }
}

}  // namespace
}  // namespace imm
