// Synthetic bent hyperbolas with a known break for the breakpoint tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "breakpoint/bent_hyperbola.h"

namespace imm::test {

inline constexpr BreakVector kTrueBreak{5.0, 0.3, 0.2, 10.0, 2.5};

// t = 0 to 40 by 0.5 and the model values of `p` with curve sign `sign`.
struct SyntheticBreak {
    std::vector<double> x;
    std::vector<double> y;
    double sign;
    BreakCurve curve() const { return {x, y, sign}; }
};

inline SyntheticBreak synthetic_break(double sign, const BreakVector& p = kTrueBreak)
{
    SyntheticBreak s{{}, {}, sign};
    for (int i = 0; i <= 80; ++i) {
        const double x = 0.5 * i;
        const double dx = x - p[3];
        s.x.push_back(x);
        s.y.push_back(p[0] + p[1] * dx - p[2] * sign * std::sqrt(p[4] + dx * dx));
    }
    return s;
}

// A start some way off the true break.
inline constexpr BreakVector kPerturbedStart{4.0, 0.4, 0.1, 12.5, 2.5};

// The perturbed start with the weakly determined bend term at its true value.
inline BreakVector perturbed_start()
{
    BreakVector p = kPerturbedStart;
    p[4] = kTrueBreak[4];
    return p;
}

inline void expect_near_break(const BreakVector& p, double relative)
{
    for (std::size_t i = 0; i < p.size(); ++i) {
        EXPECT_NEAR(p[i], kTrueBreak[i], relative * std::abs(kTrueBreak[i])) << "parameter " << i + 1;
    }
}

}  // namespace imm::test
