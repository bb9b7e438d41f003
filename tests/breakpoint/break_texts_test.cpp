#include "breakpoint/break_texts.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

namespace imm {
namespace {

std::string padded(const std::string& text)
{
    return text + std::string(kBreakTextLength - text.size(), ' ');
}

BreakJudgement product_curve()
{
    BreakJudgement j;
    j.model = 1;
    j.sign = 1.0;
    j.turning_time = 10.0;
    j.largest_x = 40.0;
    j.largest_y = 1.0;
    return j;
}

// A plausible fit: slopes 0.8 and 0.2, bend term 2 (half-width 2 sqrt(2.001)).
constexpr BreakVector kPlausible{0.75, 0.5, 0.3, 12.5, 2.0};

TEST(BreakTexts, ProductCurveInflectionAndRange)
{
    const CurveTexts texts = break_texts(kPlausible, product_curve());
    EXPECT_EQ(texts.inflection, padded("[1.25000E+01, 7.50000E-01]"));
    // 12.5 - 12.5 / 1.25 and 12.5 + 12.5 / 3.
    EXPECT_EQ(texts.range, padded("[2.50000E+00 to 1.66667E+01]"));
    EXPECT_EQ(texts.parameters[0], 0.75);
    EXPECT_EQ(texts.parameters[3], 12.5);
    // The bend term is reported as 2 sqrt(P5 + 0.001).
    EXPECT_DOUBLE_EQ(texts.parameters[4], 2.0 * std::sqrt(2.0 + 0.0010000000474974513));
}

TEST(BreakTexts, RangeByModel)
{
    struct Case {
        std::int64_t model;
        double shift;
        const char* range;
    };
    // Crossing at 12, offset +-2; 1.2 in single precision for model 3 with a positive offset.
    const Case cases[] = {
        {1, 0.0, "[2.40000E+00 to 1.60000E+01]"},  {2, 0.0, "[2.40000E+00 to 1.60000E+01]"},
        {3, 2.0, "[3.97364E-07 to 2.40000E+01]"},  {3, -2.0, "[4.40000E+00 to 2.00000E+01]"},
        {4, 0.0, "[2.40000E+00 to 2.16000E+01]"},  {5, 0.0, "[2.40000E+00 to 2.16000E+01]"},
        {6, 2.0, "[4.00000E-01 to 1.88000E+01]"},  {6, -2.0, "[4.40000E+00 to 1.80000E+01]"},
        {0, 0.0, "[0.00000E+00 to 2.40000E+01]"},
    };
    for (const Case& c : cases) {
        BreakJudgement j = product_curve();
        j.model = c.model;
        j.shift = c.shift;
        BreakVector p = kPlausible;
        p[3] = 12.0;
        EXPECT_EQ(break_texts(p, j).range, padded(c.range)) << "model " << c.model << " shift " << c.shift;
    }
}

TEST(BreakTexts, NegativeLowerEndPrintsAsZero)
{
    BreakJudgement j = product_curve();
    j.model = 3;
    j.shift = 5.0;
    BreakVector p = kPlausible;
    p[3] = 12.0;
    EXPECT_EQ(break_texts(p, j).range, padded("[0.00000E+00 to 2.70000E+01]"));
}

TEST(BreakTexts, SubstrateCurvePrintsTheLevelsMagnitude)
{
    BreakJudgement j = product_curve();
    j.model = 4;
    j.sign = -1.0;
    BreakVector p = kPlausible;
    p[0] = -0.75;
    const CurveTexts texts = break_texts(p, j);
    EXPECT_EQ(texts.inflection, padded("[1.25000E+01, 7.50000E-01]"));
    EXPECT_EQ(texts.parameters[0], 0.75);
}

TEST(BreakTexts, EachPlausibilityTestRejects)
{
    struct Case {
        const char* what;
        std::int64_t model;
        double turning_time;
        BreakVector p;
    };
    const Case cases[] = {
        {"nearly equal slopes with a large mean", 1, 10.0, {0.75, 0.5, 0.01, 12.5, 2.0}},
        {"slopes too steep", 1, 10.0, {0.75, 11.0, 0.5, 12.5, 2.0}},
        {"substrate level above the data", 4, 10.0, {1.5, 0.5, 0.3, 12.5, 2.0}},
        {"crossing before the start", 1, 10.0, {0.75, 0.5, 0.3, -0.5, 2.0}},
        {"crossing after the data", 1, 10.0, {0.75, 0.5, 0.3, 41.0, 2.0}},
        {"crossing after ten turning times", 1, 1.0, {0.75, 0.5, 0.3, 12.5, 2.0}},
        {"bend too sharp", 1, 10.0, {0.75, 0.5, 0.3, 12.5, 0.1}},
        {"bend too wide", 1, 10.0, {0.75, 0.5, 0.3, 12.5, 7.0}},
        {"level too small", 1, 10.0, {9e-7, 0.5, 0.3, 12.5, 2.0}},
    };
    for (const Case& c : cases) {
        BreakJudgement j = product_curve();
        j.model = c.model;
        j.turning_time = c.turning_time;
        const CurveTexts texts = break_texts(c.p, j);
        EXPECT_EQ(texts.inflection, padded("[N/A, N/A]")) << c.what;
        EXPECT_EQ(texts.range, padded("[N/A to N/A]")) << c.what;
        EXPECT_EQ(texts.parameters, BreakVector{}) << c.what;
    }
    EXPECT_EQ(unavailable_break_texts().inflection, padded("[N/A, N/A]"));
    EXPECT_EQ(unavailable_break_texts().range, padded("[N/A to N/A]"));
}

TEST(BreakTexts, BoundariesPass)
{
    BreakJudgement j = product_curve();
    // Crossing exactly at 0 and exactly at ten turning times (within the data).
    BreakVector p = kPlausible;
    p[3] = 0.0;
    EXPECT_EQ(break_texts(p, j).inflection, padded("[0.00000E+00, 7.50000E-01]"));
    j.turning_time = 3.0;
    p[3] = 30.0;
    EXPECT_EQ(break_texts(p, j).inflection, padded("[3.00000E+01, 7.50000E-01]"));
    // A negative bend term counts as 1.
    j.turning_time = 10.0;
    p = kPlausible;
    p[4] = -3.0;
    EXPECT_DOUBLE_EQ(break_texts(p, j).parameters[4], 2.0 * std::sqrt(1.0 + 0.0010000000474974513));
}

TEST(BreakTexts, ScientificFormOfSmallAndLargeNumbers)
{
    BreakJudgement j = product_curve();
    j.largest_x = 1e6;
    j.turning_time = 1e5;
    BreakVector p = kPlausible;
    p[0] = 1.234567e-5;
    p[3] = 123456.7;
    EXPECT_EQ(break_texts(p, j).inflection, padded("[1.23457E+05, 1.23457E-05]"));
}

}  // namespace
}  // namespace imm
