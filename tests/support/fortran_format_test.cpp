// Expected texts were taken from gfortran's output for the same fields.
#include "support/fortran_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "support/number_text.h"

namespace imm {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();

TEST(FortranFormat, IntegerFields) {
    EXPECT_EQ(format_i(25, 3), " 25");
    EXPECT_EQ(format_i(1000, 3), "***");
    EXPECT_EQ(format_i(-99, 3), "-99");
    EXPECT_EQ(format_i(-100, 3), "***");
    EXPECT_EQ(format_i(0, 1), "0");
    EXPECT_EQ(format_i(std::numeric_limits<std::int64_t>::min(), 20), "-9223372036854775808");
}

TEST(FortranFormat, ScientificFields) {
    EXPECT_EQ(format_es(-0.001234567, 12, 5), "-1.23457E-03");
    EXPECT_EQ(format_es(0.0, 12, 5), " 0.00000E+00");
    EXPECT_EQ(format_es(-0.0, 12, 5), "-0.00000E+00");
    EXPECT_EQ(format_es(25.0, 12, 5), " 2.50000E+01");
    EXPECT_EQ(format_es(9.999995, 12, 5), " 1.00000E+01");
    EXPECT_EQ(format_es(1e100, 12, 5), " 1.00000+100");
    EXPECT_EQ(format_es(-1e100, 12, 5), "-1.00000+100");
    EXPECT_EQ(format_es(1e-300, 12, 5), " 1.00000-300");
    EXPECT_EQ(format_es(std::numeric_limits<double>::max(), 12, 5), " 1.79769+308");
    EXPECT_EQ(format_es(1e100, 8, 1), " 1.0+100");
    EXPECT_EQ(format_es(1.5, 12, 0), "      2.E+00");
    EXPECT_EQ(format_es(-1.5, 7, 1), "*******");
}

TEST(FortranFormat, RoundsTiesOfTheExactValueToEven) {
    EXPECT_EQ(format_es(0.125, 9, 1), "  1.2E-01");
    EXPECT_EQ(format_es(0.375, 9, 1), "  3.8E-01");
    EXPECT_EQ(format_f(0.125, 5, 2), " 0.12");
    EXPECT_EQ(format_f(0.375, 5, 2), " 0.38");
    EXPECT_EQ(format_f(2.5, 4, 0), "  2.");
}

TEST(FortranFormat, FixedFields) {
    EXPECT_EQ(format_f(-0.0000001, 13, 6), "    -0.000000");
    EXPECT_EQ(format_f(-0.0, 13, 6), "    -0.000000");
    EXPECT_EQ(format_f(0.0, 13, 6), "     0.000000");
    EXPECT_EQ(format_f(0.4, 4, 0), "  0.");
    EXPECT_EQ(format_f(-0.4, 6, 0), "   -0.");
    EXPECT_EQ(format_f(999.96, 6, 1), "1000.0");
    EXPECT_EQ(format_f(999.96, 5, 1), "*****");
}

// A report field that would be asterisks holds the exponent form of the same width
// (texts worked by hand: this form is the program's own).
TEST(FortranFormat, FixedOrExponentFields) {
    // Values that fit keep the fixed form, whatever the field.
    for (const double v : {0.0, -0.5, 99999.99999999, -9999.9999999, 0.0000000049}) {
        EXPECT_EQ(format_f_or_exponent(v, 14, 8), format_f(v, 14, 8)) << v;
    }
    EXPECT_EQ(format_f_or_exponent(-0.5, 4, 2), "-.50");
    EXPECT_EQ(format_f_or_exponent(12345678.9, 14, 8), " 1.2345679E+07");
    EXPECT_EQ(format_f_or_exponent(100000.0, 14, 8), " 1.0000000E+05");
    EXPECT_EQ(format_f_or_exponent(-1234.5678, 10, 6), "-1.235E+03");
    EXPECT_EQ(format_f_or_exponent(1e200, 12, 3), "1.00000E+200");
    EXPECT_EQ(format_f_or_exponent(-1.7e148, 12, 3), "-1.7000E+148");
    EXPECT_EQ(format_f_or_exponent(9.99999999e9, 12, 3), " 1.00000E+10");  // rounds up into the next power
    EXPECT_EQ(format_f_or_exponent(123456.0, 5, 2), "1E+05");
    EXPECT_EQ(format_f_or_exponent(-123456.0, 5, 2), "*****");  // not even -dE+xx fits
    EXPECT_EQ(format_f_or_exponent(inf, 14, 8), "      Infinity");
    EXPECT_EQ(format_f_or_exponent(nan, 10, 6), "       NaN");
    // Readable fields: also a value that is not 0 but whose rounded fixed text shows fewer than three digits.
    for (const auto& [v, w, d, text] : std::vector<std::tuple<double, int, int, std::string>>{
             {0.000097, 13, 6, " 9.700000E-05"}, {-0.0000004, 14, 6, "-4.0000000E-07"}, {0.0994, 10, 3, " 9.940E-02"},
             {0.0995, 10, 3, "     0.100"}, {-0.0, 13, 6, "    -0.000000"}, {12345678.9, 13, 6, " 1.234568E+07"}}) {
        EXPECT_EQ(format_f_readable(v, w, d), text) << v;
    }
}

TEST(FortranFormat, LeadingZeroDroppedOnlyToFit) {
    EXPECT_EQ(format_f(0.5, 4, 2), "0.50");
    EXPECT_EQ(format_f(-0.5, 5, 2), "-0.50");
    EXPECT_EQ(format_f(-0.5, 4, 2), "-.50");
    EXPECT_EQ(format_f(0.5, 3, 2), ".50");
    EXPECT_EQ(format_f(-0.5, 3, 2), "***");
    EXPECT_EQ(format_f(0.4, 2, 0), "0.");
    EXPECT_EQ(format_f(0.4, 1, 0), "*");
    EXPECT_EQ(format_f(-0.4, 2, 0), "**");
    EXPECT_EQ(format_e(25.0, 11, 5), "0.25000E+02");
    EXPECT_EQ(format_e(25.0, 10, 5), ".25000E+02");
    EXPECT_EQ(format_e(-25.0, 11, 5), "-.25000E+02");
    EXPECT_EQ(format_e(-1.5, 9, 3), "-.150E+01");
    EXPECT_EQ(format_e(-1.5, 8, 3), "********");
    EXPECT_EQ(format_e(1.5, 8, 3), ".150E+01");
}

TEST(FortranFormat, ExponentFields) {
    EXPECT_EQ(format_e(0.0, 12, 5), " 0.00000E+00");
    EXPECT_EQ(format_e(-0.0, 12, 5), "-0.00000E+00");
    EXPECT_EQ(format_e(25.0, 12, 5), " 0.25000E+02");
    EXPECT_EQ(format_e(-0.001234567, 12, 5), "-0.12346E-02");
    EXPECT_EQ(format_e(1e100, 12, 5), " 0.10000+101");
    EXPECT_EQ(format_e(0.9999996, 12, 5), " 0.10000E+01");
    EXPECT_EQ(format_e(1e-300, 12, 5), " 0.10000-299");
}

TEST(FortranFormat, NotANumberAndInfinities) {
    EXPECT_EQ(format_es(nan, 12, 5), "         NaN");
    EXPECT_EQ(format_es(inf, 12, 5), "    Infinity");
    EXPECT_EQ(format_es(-inf, 12, 5), "   -Infinity");
    EXPECT_EQ(format_f(inf, 8, 1), "Infinity");
    EXPECT_EQ(format_f(-inf, 8, 1), "    -Inf");
    EXPECT_EQ(format_f(-inf, 4, 1), "-Inf");
    EXPECT_EQ(format_f(-inf, 3, 1), "***");
    EXPECT_EQ(format_f(inf, 3, 1), "Inf");
    EXPECT_EQ(format_f(inf, 2, 1), "**");
    EXPECT_EQ(format_f(nan, 3, 1), "NaN");
    EXPECT_EQ(format_f(nan, 2, 1), "**");
    EXPECT_EQ(format_e(-inf, 12, 5), "   -Infinity");
}

TEST(FortranFormat, ParsesEditDescriptors) {
    const auto es = parse_field_format("ES12.5");
    EXPECT_EQ(es.kind, FieldFormat::Kind::scientific);
    EXPECT_EQ(es.width, 12);
    EXPECT_EQ(es.decimals, 5);
    const auto f = parse_field_format("( f8.3 )");
    EXPECT_EQ(f.kind, FieldFormat::Kind::fixed);
    EXPECT_EQ(f.width, 8);
    EXPECT_EQ(f.decimals, 3);
    EXPECT_EQ(parse_field_format("I3").kind, FieldFormat::Kind::integer);
    EXPECT_EQ(parse_field_format("e10.2").kind, FieldFormat::Kind::exponent);
    for (const char* bad : {"", "X3", "I", "I0", "I3.", "F8", "F8.", "E8.0", "ES12.5x", "(I3", "A10"}) {
        EXPECT_THROW(parse_field_format(bad), std::invalid_argument) << bad;
    }
}

TEST(NumberText, WriteIntegerLeftAdjusted) {
    std::string s(80, 'x');
    write_di(25, s, "I3");
    EXPECT_EQ(s, "25" + std::string(78, ' '));
    write_di(1000, s, "I3");
    EXPECT_EQ(s, "***" + std::string(77, ' '));
    write_di(-7, s, "I3  ");
    EXPECT_EQ(s, "-7" + std::string(78, ' '));
}

TEST(NumberText, WriteRealLeftAdjusted) {
    std::string s(50, 'x');
    write_dr(-0.001234567, s, "ES12.5");
    EXPECT_EQ(s, "-1.23457E-03" + std::string(38, ' '));
    write_dr(25.0, s, "ES12.5");
    EXPECT_EQ(s, "2.50000E+01" + std::string(39, ' '));
    write_dr(0.0, s, "ES12.5");
    EXPECT_EQ(s.substr(0, 12), "0.00000E+00 ");
    write_dr(1e100, s, "ES12.5");
    EXPECT_EQ(s.substr(0, 12), "1.00000+100 ");
    write_dr(nan, s, "ES12.5");
    EXPECT_EQ(s.substr(0, 4), "NaN ");
    write_dr(inf, s, "ES12.5");
    EXPECT_EQ(s.substr(0, 9), "Infinity ");
    write_dr(-inf, s, "ES12.5");
    EXPECT_EQ(s.substr(0, 10), "-Infinity ");
}

TEST(NumberText, UnusableFormatsAreRejected) {
    std::string s(5, ' ');
    EXPECT_THROW(write_di(1, s, "I6"), std::invalid_argument);   // field longer than the record
    EXPECT_THROW(write_di(1, s, "F4.1"), std::invalid_argument);
    EXPECT_THROW(write_dr(1.0, s, "I3"), std::invalid_argument);
    EXPECT_THROW(write_dr(1.0, s, "Q"), std::invalid_argument);
}

}  // namespace
}  // namespace imm
