#include "support/number_reading.h"

#include "support/fortran_format.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "support/number_text.h"
#include "support/real_reading.h"
#include "support/unit_table.h"

namespace imm {
namespace {

TEST(RealReading, FortranInputForms) {
    EXPECT_EQ(parse_fortran_real("1.5"), 1.5);
    EXPECT_EQ(parse_fortran_real(" -2.5e-3 "), -2.5e-3);
    EXPECT_EQ(parse_fortran_real("1.5d2"), 150.0);
    EXPECT_EQ(parse_fortran_real("1.5+3"), 1500.0);
    EXPECT_EQ(parse_fortran_real("."), 0.0);
    EXPECT_EQ(parse_fortran_real("-"), 0.0);
    EXPECT_EQ(parse_fortran_real("0.1"), 0.1);
    EXPECT_EQ(parse_fortran_real("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(parse_fortran_real("1e-999"), 0.0);
    EXPECT_EQ(parse_fortran_real("-Infinity"), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(*parse_fortran_real("nan")));
    for (const char* bad : {"1e", "1.2.3", "abc", "1e+", "1x"}) EXPECT_FALSE(parse_fortran_real(bad)) << bad;
}

TEST(RealReading, FreeFormat) {
    double v = 7.0;
    EXPECT_EQ(read_free_real("   ", v), io_end);
    EXPECT_EQ(v, 7.0);
    EXPECT_EQ(read_free_real(",5", v), io_ok);
    EXPECT_EQ(v, 7.0);
    EXPECT_EQ(read_free_real("2*3.5", v), io_ok);
    EXPECT_EQ(v, 3.5);
    EXPECT_EQ(read_free_real("1.5d2 x", v), io_ok);
    EXPECT_EQ(v, 150.0);
    EXPECT_EQ(read_free_real("\t-0.25;2", v), io_ok);
    EXPECT_EQ(v, -0.25);
    EXPECT_EQ(read_free_real("abc", v), io_read_failed);
    EXPECT_EQ(read_free_real("-", v), io_read_failed);
    EXPECT_EQ(v, -0.25);
}

TEST(NumberReading, Integers) {
    auto r = s_to_i("  -42abc");
    EXPECT_EQ(r.value, -42);
    EXPECT_EQ(r.ierror, 0);
    EXPECT_EQ(r.length, 5);
    r = s_to_i("+ 7  ");
    EXPECT_EQ(r.value, 7);
    EXPECT_EQ(r.length, 3);
    EXPECT_EQ(s_to_i("  x").ierror, 1);
    EXPECT_EQ(s_to_i("   ").ierror, 1);
    EXPECT_EQ(s_to_i("-").ierror, 1);
    EXPECT_EQ(s_to_i("-9223372036854775808").value, std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(s_to_i("9223372036854775808").ierror, 1);
}

TEST(NumberReading, RealStateMachine) {
    auto r = s_to_r4("  -1.25E+2 rest");
    EXPECT_EQ(r.value, -125.0);
    EXPECT_EQ(r.ierror, 0);
    EXPECT_EQ(r.length, 11);  // the blank after the number is used
    r = s_to_r4("0.1");
    EXPECT_EQ(r.value, 0.1);
    EXPECT_EQ(r.length, 3);
    r = s_to_r4("2.5d-1,7");
    EXPECT_EQ(r.value, 0.25);
    EXPECT_EQ(r.length, 7);  // the comma counts
    r = s_to_r4("1e0.5");
    EXPECT_NEAR(r.value, std::sqrt(10.0), 1e-15);
    r = s_to_r4("3x");
    EXPECT_EQ(r.value, 3.0);
    EXPECT_EQ(r.length, 1);

    ::testing::internal::CaptureStdout();
    r = s_to_r4("1.5E  ");
    UnitTable::instance().flush(console_out_unit);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              " \nS_TO_R4 - Serious error!\n  Illegal or nonnumeric input:\n    1.5E\n");
    EXPECT_EQ(r.ierror, 6);
    EXPECT_EQ(r.value, 0.0);
}

TEST(NumberReading, RealVector) {
    std::array<double, 3> v{};
    EXPECT_EQ(s_to_r4vec("1.5 2,3e1", v), 0);
    EXPECT_EQ(v[0], 1.5);
    EXPECT_EQ(v[1], 2.0);
    EXPECT_EQ(v[2], 30.0);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(s_to_r4vec("1.5 2", v), -3);
    ::testing::internal::GetCapturedStdout();
}

TEST(NumberReading, StrToReal) {
    std::string s = "15d2  ";
    EXPECT_EQ(str2real(s), 1500.0);
    EXPECT_EQ(s, "15.e2 ");
    std::string plain = "42    ";
    EXPECT_EQ(str2real(plain), 42.0);
    EXPECT_EQ(plain, "42.   ");
    std::string blank = "   ";
    EXPECT_EQ(str2real(blank), 0.0);
    std::string leading = " 1.5";
    EXPECT_EQ(str2real(leading), 0.0);
    std::string bad = "1.5x";
    EXPECT_EQ(str2real(bad), 0.0);
    std::string unreadable = "1.2.3";
    EXPECT_EQ(str2real(unreadable), 0.0);

    double value = 9.0;
    std::int64_t ierr = -1;
    std::string v = "-2.5e1";
    valsub(v, value, ierr);
    EXPECT_EQ(value, -25.0);
    EXPECT_EQ(ierr, 0);
    std::string w = "  ";
    valsub(w, value, ierr);
    EXPECT_EQ(value, 0.0);
    EXPECT_EQ(ierr, 1);

    std::string i = "2.5";
    EXPECT_EQ(str2int(i), 3);
    std::string j = "-2.5";
    EXPECT_EQ(str2int(j), -3);
    std::string huge = "1e30";
    EXPECT_EQ(str2int(huge), std::numeric_limits<std::int64_t>::max());
}

TEST(NumberReading, FreeFormatStatuses) {
    double r = 1.0;
    EXPECT_EQ(write_str_dr("1.5e", r), 3);
    EXPECT_EQ(write_str_dr("1.5E+", r), 3);
    EXPECT_EQ(r, 1.0);
    EXPECT_EQ(write_str_dr(" 2.5e2 ", r), io_ok);
    EXPECT_EQ(r, 250.0);
    EXPECT_EQ(write_str_dr("abc", r), io_read_failed);
    EXPECT_EQ(write_str_dr("   ", r), io_end);
    std::int64_t i = 0;
    EXPECT_EQ(write_str_di("2.6", i), io_ok);
    EXPECT_EQ(i, 3);
    EXPECT_EQ(write_str_di("-1e19", i), 15);
    EXPECT_EQ(write_str_di("1e300", i), 15);
    EXPECT_EQ(i, 3);
}

TEST(NumberText, FieldsAtTheStartOfTheRecord) {
    std::string s(10, 'x');
    stringi(42, s, "(I5)");
    EXPECT_EQ(s, "   42     ");
    stringr(2.5, s, "F6.2");
    EXPECT_EQ(s, "  2.50    ");
}

TEST(NumberText, IntegerDigits) {
    std::string s = "xxxxxxxx";
    intstr(42, s, 5);
    EXPECT_EQ(s, "00042   ");
    std::string neg = "xxxxxxxx";
    intstr(-42, neg, 3);
    EXPECT_EQ(neg, "-042    ");
    std::string short_text = "xx      ";
    intstr(7, short_text, 5);  // the trimmed length limits the digits
    EXPECT_EQ(short_text, "07      ");
    std::string narrow = "xxxxx";
    intstr(12345, narrow, 3);
    EXPECT_EQ(narrow, "***  ");
    std::string wide(40, 'x');
    EXPECT_THROW(intstr(1, wide, 31), std::invalid_argument);
}

TEST(NumberText, FixedPointByTruncation) {
    std::string s(12, ' ');
    real2strng(3.14159, 3, s);
    EXPECT_EQ(s, "3.141       ");
    real2strng(-0.5, 2, s);
    EXPECT_EQ(s, "-0.50       ");
    real2strng(0.3, 1, s);
    EXPECT_EQ(s, "0.3         ");
    real2strng(12.0, 0, s);
    EXPECT_EQ(s, "12.         ");
    EXPECT_THROW(real2strng(1e19, 2, s), std::out_of_range);
}

TEST(NumberText, CompactReal) {
    std::string s(16, ' ');
    real2str(1.5, s);
    EXPECT_EQ(s, "1.5             ");
    real2str(0.25, s);
    EXPECT_EQ(s, ".25             ");
    real2str(-0.5, s);
    EXPECT_EQ(s, "-.5             ");
    real2str(1.23456e8, s);
    EXPECT_EQ(s, ".123456E9       ");
    real2str(1e-5, s);
    EXPECT_EQ(s, ".1E-4           ");
    real2str(2.0, s);
    EXPECT_EQ(s, "2.              ");
}

TEST(NumberText, TrimmingZeros) {
    std::string s = "000120  ";
    s_trim_prezeros(s);
    EXPECT_EQ(s, "120     ");
    std::string zeros = "0000";
    s_trim_prezeros(zeros);
    EXPECT_EQ(zeros, "    ");
    std::string f = "2.5000  ";
    s_trim_zeros(f);
    EXPECT_EQ(f, "2.5     ");
    std::string whole = "2.000";
    s_trim_zeros(whole);
    EXPECT_EQ(whole, "2.0  ");
    std::string integer = "100 ";
    s_trim_zeros(integer);  // no fraction: the number stays
    EXPECT_EQ(integer, "100 ");
    std::string e = "1.2500E+03  ";
    s_trim_zero(e);
    EXPECT_EQ(e, "1.25E+03    ");
}

TEST(FortranFormat, GeneralFields) {
    // Expected texts from gfortran's G15.7.
    EXPECT_EQ(format_g(0.0, 15, 7), "   0.000000    ");
    EXPECT_EQ(format_g(1.5, 15, 7), "   1.500000    ");
    EXPECT_EQ(format_g(0.1, 15, 7), "  0.1000000    ");
    EXPECT_EQ(format_g(0.09999999, 15, 7), "  0.9999999E-01");
    EXPECT_EQ(format_g(9999999.4, 15, 7), "   9999999.    ");
    EXPECT_EQ(format_g(9999999.6, 15, 7), "  0.1000000E+08");
    EXPECT_EQ(format_g(123.456789, 15, 7), "   123.4568    ");
    EXPECT_EQ(format_g(-0.5, 15, 7), " -0.5000000    ");
    EXPECT_EQ(format_g(1.23456e8, 15, 7), "  0.1234560E+09");
}

}  // namespace
}  // namespace imm
