// Fortran-style number fields: Iw, Fw.d, Ew.d and ESw.d. Each field is right-justified
// in w characters and filled with asterisks when the value does not fit. Independent of
// the user's locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace imm {

// Integer right-justified in w characters, minus sign for negatives.
std::string format_i(std::int64_t v, int w);

// Fixed point with d decimals. The zero before the point is dropped only when needed to fit.
std::string format_f(double v, int w, int d);

// format_f, except that a finite value too wide for the field is written in the
// exponent form d.dddE+xx of the same width, with as many digits as fit (asterisks
// only when not even dE+xx fits). Values that fit keep the fixed form.
std::string format_f_or_exponent(double v, int w, int d);

// format_f_or_exponent, except that a value that is not 0 but would show fewer than
// three significant digits in the fixed form is also written in the exponent form.
std::string format_f_readable(double v, int w, int d);

// Whether v is not 0 and its fixed form with d decimals would show fewer than three
// significant digits (0.000097 with six decimals shows two).
bool too_few_digits_in_fixed(double v, int d);

// The exponent form d.dddE+xx of width w with as many digits as fit; asterisks when
// not even dE+xx fits, the words of format_f for values that are not finite.
std::string format_exponent_of_width(double v, int w);

// Exponent form 0.ddddE+xx (d significant digits).
std::string format_e(double v, int w, int d);

// Scientific form d.ddddE+xx (one non-zero digit before the point, d after it).
std::string format_es(double v, int w, int d);

// General form: fixed point with d significant digits and four trailing blanks when the
// value lies from 0.1 to 10**d, otherwise the exponent form Ew.d.
std::string format_g(double v, int w, int d);

// One edit descriptor of a format text such as "I3", "(ES12.5)", "f8.3" or "G15.7".
struct FieldFormat {
    enum class Kind { integer, fixed, exponent, scientific, general };
    Kind kind = Kind::integer;
    int width = 0;
    int decimals = 0;
};

// Parses a single edit descriptor; throws std::invalid_argument when the text is not one.
FieldFormat parse_field_format(std::string_view text);

// Formats a value with a parsed descriptor; throws std::invalid_argument when an integer
// is given a real descriptor or a real an integer one.
std::string format_field(std::int64_t v, const FieldFormat& format);
std::string format_field(double v, const FieldFormat& format);

}  // namespace imm
