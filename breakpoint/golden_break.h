// One-dimensional searches on the break model: golden-section sweeps over
// chosen parameters and a success-failure search with parabolic steps.
#pragma once

#include <cstdint>
#include <span>

#include "breakpoint/bent_hyperbola.h"
#include "optimise/golden_search.h"

namespace imm {

// golden_break: 20 sweeps of golden passes over every flagged parameter of p
// (4 or 5), each sweep followed by the reflection of p into the golden break
// box, once per flagged parameter.
GoldenSearchResult golden_break(const BreakCurve& curve, std::span<double> p, const BreakFlags& flags);

// golden_cd_search: 20 cycles of a golden pass on the bend term, then one on
// the crossing time; the first four lift a bend term below 1 to 1. No box.
GoldenSearchResult golden_cd_search(const BreakCurve& curve, BreakVector& p);

// golden_c_search: 20 golden passes on the crossing time.
GoldenSearchResult golden_c_search(const BreakCurve& curve, BreakVector& p);

// golden_d_search: 20 golden passes on the bend term; a bend term below 0 or
// above 5 after a pass becomes 1.
GoldenSearchResult golden_d_search(const BreakCurve& curve, BreakVector& p);

struct OneDimensionalOptions {
    std::int64_t index = 0;             // the parameter searched (0-based)
    BreakFlags flags = kAllBreakFlags;  // a zero flag for `index` leaves p as it is
    double step = 0.1;                  // first step
};

struct OneDimensionalResult {
    double f = 0.0;     // the sum of squares that p belongs to
    double step = 0.0;  // the last step, to start a next search with
    std::int64_t evaluations = 0;
};

// min1d: success-failure steps (expansion 1.5, reduction -0.25) with an
// inverse parabolic step per cycle, until a cycle no longer moves the
// parameter or 99 parabolic evaluations have run; points are reflected into
// the golden break box.
OneDimensionalResult min1d(const BreakCurve& curve, std::span<double> p, const OneDimensionalOptions& options);

}  // namespace imm
