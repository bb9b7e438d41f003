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

// What a message shows of a row that is not numbers: nothing that cannot be seen.
TEST(DataRow, ReadableRowEscapesWhatCannotBeSeen) {
    const std::pair<std::string, std::string> cases[] = {
        {"1 2 abc", "1 2 abc"},
        {"\t\t", "\\t\\t"},
        {std::string("1\0" "2", 3), "1\\x002"},
        {"1 2 3\x1B[0m", "1 2 3\\x1B[0m"},
        {"\x7F", "\\x7F"},
        {"\xEF\xBB\xBF" "0.0 50.0 0.534", "\\xEF\\xBB\\xBF0.0 50.0 0.534"},  // byte-order mark
        {"0.0\xC2\xA0" "50.0 1", "0.0\\xC2\\xA050.0 1"},                 // no-break space
        {"1\xE2\x80\x8B" "2", "1\\xE2\\x80\\x8B2"},                       // zero-width space
        {"5 \xC2\xB5M 1", "5 \xC2\xB5M 1"},                              // micro sign stays
        {"t \xE2\x80\x94 1", "t \xE2\x80\x94 1"},                          // dash stays
        {"1 \xB5M", "1 \\xB5M"},                                        // Latin-1 byte, not UTF-8
        {"\xC0\xAF", "\\xC0\\xAF"},                                      // overlong form
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},                             // surrogate
        {"\xE2\x80", "\\xE2\\x80"},                                      // cut short
    };
    for (const auto& [row, shown] : cases) EXPECT_EQ(readable_row(row), shown) << shown;
}

TEST(DataRow, ReadableRowOfALongLineIsCut) {
    EXPECT_EQ(readable_row(std::string(100, 'x')), std::string(100, 'x'));
    EXPECT_EQ(readable_row(std::string(101, 'x')), std::string(100, 'x') + "...");
    // A character across the cut is shown whole.
    EXPECT_EQ(readable_row(std::string(99, 'x') + "\xC2\xB5" + "yz"), std::string(99, 'x') + "\xC2\xB5...");
}

}  // namespace
}  // namespace imm
