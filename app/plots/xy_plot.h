// The XY plot: data as large dots and the fitted model as a line, one colour per
// curve of the data file, under the current model's title. Modal: it returns when
// the user has closed the plot window.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace imm {

inline constexpr std::int64_t kPlotCurves = 10;

// Curves packed by column: column k (0-based) of x1, y1 and yc1 holds the times,
// observed and calculated values of curve k in file order; cells below a curve's
// point count are not used.
struct XyCurves {
    std::int64_t rows = 0;   // capacity of a column: the largest point count
    std::int64_t count = 0;  // curves, 1 to 10
    std::array<double, kPlotCurves> so{};
    std::array<std::int32_t, kPlotCurves> points{};
    std::vector<double> x1;
    std::vector<double> y1;
    std::vector<double> yc1;
};

// Element 0 is the title; plot writes the legend text of curve k into element k.
using XyTexts = std::array<std::string, 21>;

// Draws rows 1..idat of a1 (the first 10 curves) under global_types.strmdl,
// labelling the y axis by the model of those rows, a1.nmdl. Draws nothing
// without rows.
void xyplot();

// Draws the curves; a logarithmic y axis (base 10) when logarithmic_y is set.
void plot(const XyCurves& curves, XyTexts& texts, bool logarithmic_y);

// The legend text of a curve: "[So] =" and its [So] in single precision with
// nine significant digits.
std::string so_legend(double so);

}  // namespace imm
