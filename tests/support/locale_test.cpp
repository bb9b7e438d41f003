// Number texts must not change under a locale with a decimal comma.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <stdexcept>
#include <string>

#include "support/fortran_format.h"
#include "support/number_reading.h"
#include "support/number_text.h"
#include "support/real_reading.h"
#include "support/time_stamp.h"
#include "support/unit_table.h"

namespace imm {
namespace {

class DecimalCommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        previous_c_ = std::setlocale(LC_ALL, nullptr);
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
            GTEST_SKIP() << "locale de_DE.UTF-8 is missing (generate it with: localedef -i de_DE -f UTF-8 de_DE.UTF-8)";
        }
        previous_cpp_ = std::locale::global(std::locale("de_DE.UTF-8"));
        active_ = true;
    }
    void TearDown() override {
        if (!active_) return;
        std::locale::global(previous_cpp_);
        std::setlocale(LC_ALL, previous_c_.c_str());
    }
    std::string previous_c_;
    std::locale previous_cpp_;
    bool active_ = false;
};

TEST_F(DecimalCommaLocale, FormatsAndReadingAreUnchanged) {
    ASSERT_EQ(std::localeconv()->decimal_point, std::string(","));

    EXPECT_EQ(format_es(-0.001234567, 12, 5), "-1.23457E-03");
    EXPECT_EQ(format_es(1e100, 12, 5), " 1.00000+100");
    EXPECT_EQ(format_f(-0.0000001, 13, 6), "    -0.000000");
    EXPECT_EQ(format_e(25.0, 12, 5), " 0.25000E+02");
    EXPECT_EQ(format_g(123.456789, 15, 7), "   123.4568    ");
    EXPECT_EQ(format_i(1000, 3), "***");
    std::string s(50, ' ');
    write_dr(0.0, s, "ES12.5");
    EXPECT_EQ(s.substr(0, 12), "0.00000E+00 ");
    std::string r(16, ' ');
    real2str(1.5, r);
    EXPECT_EQ(r.substr(0, 4), "1.5 ");

    EXPECT_EQ(parse_fortran_real("1.5e-3"), 1.5e-3);
    EXPECT_FALSE(parse_fortran_real("1,5"));
    double v = 0.0;
    EXPECT_EQ(read_free_real("2.75 1", v), io_ok);
    EXPECT_EQ(v, 2.75);
    EXPECT_EQ(read_free_real("1,5", v), io_ok);  // the comma separates values
    EXPECT_EQ(v, 1.0);
    EXPECT_EQ(s_to_r4("0.125").value, 0.125);
    std::string text = "2.5d1";
    EXPECT_EQ(str2real(text), 25.0);
    EXPECT_EQ(time().size(), 30u);
}

}  // namespace
}  // namespace imm
