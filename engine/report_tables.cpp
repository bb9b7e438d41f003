#include "engine/report_tables.h"

#include <algorithm>
#include <cmath>

#include "support/fortran_format.h"
#include "support/number_text.h"
#include "support/strings.h"

namespace imm {

namespace {

constexpr std::size_t kCellWidth = 12;

std::string dashes(std::size_t n) { return std::string(n, '-'); }

// The 12 characters shown for one matrix entry.
std::string correlation_cell(double a) {
    std::string text;
    if (a == 0.0 || !std::isfinite(a)) {
        text = " .........";
    } else if (std::fabs(a) >= 1e18) {
        text = std::string(kCellWidth, '*');
    } else {
        text = (a > 0.0 ? " " : "-") + rval2str(a, 6);
    }
    text.resize(kCellWidth, ' ');
    return text;
}

}  // namespace

std::string rval2str(double x, std::int64_t nd) {
    std::string text(64, ' ');
    real2strng(std::fabs(x), nd, text);
    return std::string(trimmed(text));
}

void print_grad(ReportWriter& out, std::int64_t n, std::span<const double> params, std::span<const double> gradient) {
    const std::string rule = " " + dashes(79);
    out.record(blanks(10) + "PARAMETERS AND CORRESPONDING GRADIENT " + "OF THE OBJECTIVE FUNCTION");
    out.record(rule);
    out.record(" PARAMETER  |" + blanks(5) + "VALUE" + blanks(12) + "GRADIENT    |" + blanks(5) + "VALUE" +
               blanks(12) + "GRADIENT ");
    out.record(rule);
    for (std::int64_t j1 = 1; j1 <= n;) {
        const std::int64_t j2 = std::min(j1 + 1, n);
        std::string row = " " + format_i(j1, 2) + " -" + format_i(j2, 3) + blanks(4);
        for (std::int64_t j = j1; j <= j2; ++j) {
            const auto k = static_cast<std::size_t>(j - 1);
            if (j > j1) row += blanks(2);
            row += "|" + format_e(params[k], 14, 7) + blanks(4) + format_e(gradient[k], 14, 7);
        }
        out.record(row);
        j1 = j2 + 1;
    }
    out.record(rule);
}

void matprnt(ReportWriter& out, std::int64_t n, std::span<const double> matrix) {
    if (n <= 0) return;
    out.record(blanks(22) + "PARAMETER AND CORRELATION MATRIX VALUES");
    out.record(separator_line());
    for (std::int64_t c1 = 1; c1 <= n;) {
        const std::int64_t c2 = std::min(c1 + 3, n);
        std::string header = blanks(22);
        for (std::int64_t j = c1; j <= c2; ++j) {
            if (j > c1) header += blanks(6);
            header += "PARAM" + format_i(j, 3);
        }
        out.record(header);
        for (std::int64_t i = 1; i <= n; ++i) {
            std::string row = blanks(3) + "PARAMETER(" + format_i(i, 2) + ") |  ";
            for (std::int64_t j = c1; j <= c2; ++j) {
                if (j > c1) row += blanks(2);
                row += correlation_cell(matrix[static_cast<std::size_t>((j - 1) * n + (i - 1))]);
            }
            out.record(row);
        }
        out.record(" " + dashes(static_cast<std::size_t>(14 * (c2 - c1 + 1) + 22)));
        c1 = c2 + 1;
    }
}

}  // namespace imm
