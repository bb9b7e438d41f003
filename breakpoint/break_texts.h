// The plausibility tests of a fitted bent hyperbola and the report texts of
// its inflection point and suggested range.
#pragma once

#include <cstdint>
#include <string>

#include "breakpoint/bent_hyperbola.h"

namespace imm {

inline constexpr std::size_t kBreakTextLength = 50;

// What the texts of one fitted curve depend on.
struct BreakJudgement {
    std::int64_t model = 0;
    double sign = 1.0;
    double turning_time = 0.0;
    double shift = 0.0;       // time offset of models 3 and 6, else 0
    double largest_x = 0.0;   // over the shifted times
    double largest_y = 0.0;
};

struct CurveTexts {
    std::string inflection;  // 50 characters
    std::string range;       // 50 characters
    BreakVector parameters{};  // as reported, zero when rejected
};

// The plausibility tests and texts of a fitted break vector (bend term as fitted).
CurveTexts break_texts(BreakVector fitted, const BreakJudgement& judgement);

// The texts of a curve without a result.
CurveTexts unavailable_break_texts();

}  // namespace imm
