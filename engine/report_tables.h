// The gradient and correlation tables of a report section.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "engine/report_writer.h"

namespace imm {

// Parameters and gradient of the objective, two pairs per row, in 0.dddddddE+xx fields.
// Uses the first n entries of both vectors.
void print_grad(ReportWriter& out, std::int64_t n, std::span<const double> params, std::span<const double> gradient);

// The n x n matrix (column-major, leading dimension n) in blocks of four columns; zero
// and non-finite entries show as dots. Nothing is written when n is 0.
void matprnt(ReportWriter& out, std::int64_t n, std::span<const double> matrix);

// |x| as fixed-point text with nd decimals, the fraction truncated: 0.5 gives
// "0.500000", -1 gives "1.000000", 0.1234569 gives "0.123456". Throws std::out_of_range
// when |x| is not below 1e18.
std::string rval2str(double x, std::int64_t nd);

}  // namespace imm
