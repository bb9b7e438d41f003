#include "support/strings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace imm {
namespace {

TEST(Strings, TrimmedLengthCountsTabsAsContent) {
    EXPECT_EQ(s_len_trim("     "), 0);
    EXPECT_EQ(s_len_trim(""), 0);
    EXPECT_EQ(s_len_trim("ab\t   "), 3);
    EXPECT_EQ(s_len_trim("a b "), 3);
}

TEST(Strings, TrimmedAndStrippedDropOnlyBlanks) {
    EXPECT_EQ(trimmed("  a b \t  "), "  a b \t");
    EXPECT_EQ(stripped("  a b \t  "), "a b \t");
    EXPECT_EQ(stripped("\ta "), "\ta");
    EXPECT_EQ(trimmed("    "), "");
    EXPECT_EQ(stripped("    "), "");
    EXPECT_EQ(stripped(""), "");
}

TEST(Strings, AssignFixedPadsAndCuts) {
    std::string s(5, 'x');
    assign_fixed(s, "ab");
    EXPECT_EQ(s, "ab   ");
    assign_fixed(s, "abcdefg");
    EXPECT_EQ(s, "abcde");
}

TEST(Strings, BlankDeleteRemovesBlanksAndTabs) {
    std::string s = " a\tb c ";
    s_blank_delete(s);
    EXPECT_EQ(s, "abc    ");
    std::string blank = "    ";
    s_blank_delete(blank);
    EXPECT_EQ(blank, "    ");
    std::string control = "a\x01 b\t";
    s_blank_delete(control);
    EXPECT_EQ(control, "a\x01" "b  ");
}

TEST(Strings, CapitalisesOnlyAsciiLetters) {
    EXPECT_EQ(ch_cap('a'), 'A');
    EXPECT_EQ(ch_cap('z'), 'Z');
    EXPECT_EQ(ch_cap('{'), '{');
    EXPECT_EQ(ch_cap('\xe9'), '\xe9');
    std::string in = "c:\\data\\r\xe9sum\xe9 1.in  ";
    std::string out(in.size(), '?');
    s_cap_string(in, out);
    EXPECT_EQ(out, "C:\\DATA\\R\xe9SUM\xe9 1.IN  ");
    s_cap_string(in, in);
    EXPECT_EQ(in, out);
    const std::string blank = "   ";
    std::string copy = "xyz";
    s_cap_string(blank, copy);
    EXPECT_EQ(copy, "   ");
}

TEST(Strings, CompactAndWordCount) {
    std::string s = "  a\t\tb  c\r     ";
    compact(s);
    EXPECT_EQ(s, "a b c          ");

    std::string line = "1.5\t2  3.25\r    ";
    EXPECT_EQ(s_word_count(line), 3);
    EXPECT_EQ(line, "1.5 2 3.25      ");

    std::string blank = "    ";
    EXPECT_EQ(s_word_count(blank), 0);
    std::string tabs = "\t\tx";
    EXPECT_EQ(s_word_count(tabs), 1);
    EXPECT_EQ(tabs, "x  ");
}

TEST(Strings, CharIndexSearchesTrimmedText) {
    EXPECT_EQ(ch_index("abc   ", ' '), 0);
    EXPECT_EQ(ch_index("ab c  ", ' '), 3);
    EXPECT_EQ(ch_index("abcA", 'A'), 4);
    EXPECT_EQ(ch_index("abc", 'x'), 0);
}

TEST(Strings, AdjustLeftSkipsBlanksAndTabs) {
    std::string s = "\t\tx";
    s_adjustl(s);
    EXPECT_EQ(s, "x  ");
    std::string tabs = "\t\t\t";
    s_adjustl(tabs);
    EXPECT_EQ(tabs, "   ");
    std::string control = " \x01x ";
    s_adjustl(control);
    EXPECT_EQ(control, "\x01x  ");
}

TEST(Strings, IntegerLength) {
    EXPECT_EQ(i4_length(0), 1);
    EXPECT_EQ(i4_length(-42), 3);
    EXPECT_EQ(i4_length(1000), 4);
    EXPECT_EQ(i4_length(std::numeric_limits<std::int64_t>::min()), 20);
}

}  // namespace
}  // namespace imm
