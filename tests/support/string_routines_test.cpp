#include <gtest/gtest.h>

#include <string>

#include "support/characters.h"
#include "support/string_edit.h"
#include "support/string_search.h"
#include "support/strings.h"
#include "support/words.h"

namespace imm {
namespace {

TEST(Characters, ClassesAndDigits) {
    EXPECT_TRUE(ch_is_control('\t'));
    EXPECT_TRUE(ch_is_control('\x7f'));
    EXPECT_TRUE(ch_is_control('\xe9'));
    EXPECT_FALSE(ch_is_control('~'));
    for (const char c : {' ', '\f', '\n', '\r', '\t', '\v'}) EXPECT_TRUE(ch_is_space(c));
    EXPECT_FALSE(ch_is_space('\x01'));
    EXPECT_TRUE(ch_is_digit('7'));
    EXPECT_FALSE(ch_is_digit('a'));
    EXPECT_EQ(ch_to_digit('7'), 7);
    EXPECT_EQ(ch_to_digit(' '), 0);
    EXPECT_EQ(ch_to_digit('x'), -1);
    EXPECT_EQ(dig_to_chr(3), '3');
    EXPECT_EQ(dig_to_chr(10), '*');
    EXPECT_EQ(dig_to_chr(-1), '*');
    char c = 'q';
    ch_caps(c);
    EXPECT_EQ(c, 'Q');
    EXPECT_EQ(ch_capf('1'), '1');
    EXPECT_TRUE(ch_eqi('a', 'A'));
    EXPECT_FALSE(ch_eqi('a', 'b'));
}

TEST(StringSearch, LengthsAndIndexes) {
    EXPECT_EQ(s_chr_index("abc  ", 'c'), 3);
    EXPECT_EQ(s_chr_index("abc  ", ' '), -1);
    EXPECT_EQ(s_trim_len("ab  "), 2);
    EXPECT_EQ(lenstr("    "), 0);
    EXPECT_EQ(length("ab  "), 2);
    EXPECT_EQ(length("    "), 4);
    EXPECT_EQ(nlength(""), 0);
    EXPECT_EQ(s_indexi("The Km value", "KM"), 5);
    EXPECT_EQ(s_case_indexi("The Km value", "KM"), 0);
    EXPECT_EQ(s_case_indexi("The Km value  ", "Km  "), 5);
    EXPECT_EQ(s_indexi("abc", "abcd"), 0);
    EXPECT_EQ(s_index_last("a.b.c  ", ".  "), 4);
    EXPECT_EQ(s_index_last("abc", "x"), 0);
}

TEST(StringSearch, Comparisons) {
    EXPECT_TRUE(s_eqi("Data.IN", "DATA.in   "));
    EXPECT_FALSE(s_eqi("Data.IN", "DATA.inx"));
    EXPECT_TRUE(s_case_eqi("abc  ", "abc"));
    EXPECT_FALSE(s_case_eqi("abc", "ABC"));
}

TEST(StringSearch, Parentheses) {
    EXPECT_TRUE(s_paren_check("(a+(b * c))"));
    EXPECT_FALSE(s_paren_check("(a))("));
    EXPECT_FALSE(s_paren_check("a( )"));
    EXPECT_FALSE(s_paren_check("(a)(b)"));
    EXPECT_FALSE(s_paren_check("((a)"));
    EXPECT_TRUE(parenthesescheck("(a))("));
    EXPECT_FALSE(parenthesescheck("((a)"));
}

TEST(StringEdit, ShiftInsertRemove) {
    std::string s = "abcdef";
    shiftstr(s, 2);
    EXPECT_EQ(s, "  abcd");
    shiftstr(s, -3);
    EXPECT_EQ(s, "bcd   ");
    shiftstr(s, 6);
    EXPECT_EQ(s, "      ");
    std::string t = "abcdef";
    insertstr(t, "XY  ", 3);
    EXPECT_EQ(t, "abXYcd");
    std::string u = " a\tb\x01 c\xe9 ";
    removesp(u);
    EXPECT_EQ(u, "abc\xe9     ");
}

TEST(StringEdit, AdjustAndDelete) {
    std::string s = "ab  ";
    s_adjustr(s);
    EXPECT_EQ(s, "  ab");
    std::string left = "\t x";
    s_left(left);
    EXPECT_EQ(left, "x  ");
    std::string tags = "<a> {b} ";
    s_del_abrackets(tags);
    EXPECT_EQ(tags, "a {b}   ");
    s_del_braces(tags);
    EXPECT_EQ(tags, "a b     ");
    s_del_blank(tags);
    EXPECT_EQ(tags, "ab      ");
    std::string runs = "  a \t b   c ";
    s_blanks_delete(runs);
    EXPECT_EQ(runs, "a b c       ");
}

TEST(StringEdit, BlankingAndReplacing) {
    std::string s = "a\tb\r\x01 ";
    s_tab_blank(s);
    EXPECT_EQ(s, "a b\r\x01 ");
    std::string w = "a\tb\r\x01";
    s_whitespace_blank(w);
    EXPECT_EQ(w, "a b \x01");
    std::string c = "a\tb\xe9" "c";
    s_control_blank(c);
    EXPECT_EQ(c, "a b c");
    std::string r = "1,5 2,5  ";
    s_replace_ch(r, ',', '.');
    EXPECT_EQ(r, "1.5 2.5  ");
    s_replace_ch1(r, ' ', '_');
    EXPECT_EQ(r, "1.5_2.5  ");
}

TEST(StringEdit, DeleteSubstrings) {
    std::string s = "abXYcdXYe";
    delsubstr(s, "XY ");
    EXPECT_EQ(s, "abcdXYe  ");
    delall(s, "XY");
    EXPECT_EQ(s, "abcde    ");
    std::string blank_sub = "a b c";
    delall(blank_sub, "   ");  // a blank substring deletes nothing (and ends)
    EXPECT_EQ(blank_sub, "a b c");
}

TEST(StringEdit, CaseOutsideQuotes) {
    EXPECT_EQ(uppercase("km 'km' \"v\" vm"), "KM 'km' \"v\" VM");
    EXPECT_EQ(lowercase("KM 'KM' VM"), "km 'KM' vm");
}

TEST(StringEdit, RandomDigitsReplaceACharacter) {
    double next = 0.0;
    const auto uniform = [&] { return next += 0.25; };
    const std::string out = replacechr2crand("file##.txt", '#', uniform);
    EXPECT_EQ(out.size(), 255u);
    EXPECT_EQ(out.substr(0, 11), "file25.txt ");
}

TEST(Words, ExtractFirstAndLast) {
    std::string s = "  alpha beta\tgamma  ";
    std::string word(8, '?');
    word_extract(s, word);
    EXPECT_EQ(word, "alpha   ");
    EXPECT_EQ(s, "beta\tgamma          ");
    std::string blank = "   ";
    word_extract(blank, word);
    EXPECT_EQ(word, "        ");
    word_last_read("one two three  ", word);
    EXPECT_EQ(word, "three   ");
    word_last_read("  ", word);
    EXPECT_EQ(word, "        ");
    EXPECT_EQ(right("abcdef  ", 3), "def");
    EXPECT_EQ(right("ab", 4), "ab  ");
}

TEST(Words, ExtractUpToADelimiter) {
    std::string s = "  x = 1.5, y\\,z ; w  ";
    std::string word(10, '?');
    EXPECT_EQ(word_extract_delim(s, ",=;", word), '=');
    EXPECT_EQ(word, "x         ");
    EXPECT_EQ(word_extract_delim(s, ",=;", word), ',');
    EXPECT_EQ(word, "1.5       ");
    EXPECT_EQ(word_extract_delim(s, ",=; ", word), ';');
    EXPECT_EQ(word, "y\\,z      ");
    EXPECT_EQ(word_extract_delim(s, ",=;", word), 0);
    EXPECT_EQ(word, "w         ");
    EXPECT_EQ(s_len_trim(s), 0);
}

}  // namespace
}  // namespace imm
