// The bent hyperbola is linear in its level P1 and slopes P2 and P3: for a
// given crossing time P4 and bend term P5, their best values inside a box
// follow from a bounded linear least-squares fit. The profile search moves P4
// and P5 by compass steps inside the box on that profile.
#pragma once

#include <cstdint>

#include "breakpoint/bent_hyperbola.h"
#include "optimise/parameter_box.h"

namespace imm {

struct ProfileSearchOptions {
    double first_step = 0.1;        // of the box's width, per parameter
    double smallest_step = 1e-10;   // of the box's width; the search ends below it
    std::int64_t max_evaluations = 2000;
};

struct ProfileSearchResult {
    double f = 0.0;  // the sum of squares at p
    std::int64_t evaluations = 0;
};

// Sets p's level and slopes to their best values inside the box for p's
// crossing time and bend term, and gives the sum of squares there.
double fit_level_and_slopes(const BreakCurve& curve, BreakVector& p, const ParameterBox& box);

// From p, whose crossing time and bend term lie inside the box: tries a step
// each way on each of the two in turn. A step that lowers the sum is taken
// and doubled, one that lowers it neither way is halved; the search ends when
// both steps are below the smallest. One whose range in the box is not wider
// than zero is not moved. p receives the best point.
ProfileSearchResult profile_search(const BreakCurve& curve, BreakVector& p, const ParameterBox& box,
                                   const ProfileSearchOptions& options = {});

}  // namespace imm
