#include "breakpoint/break_texts.h"

#include <cmath>
#include <utility>

#include "support/number_text.h"
#include "support/strings.h"

namespace imm {

namespace {

// Ends of the suggested range for the crossing time p4.
std::pair<double, double> suggested_range(std::int64_t model, double p4, double s)
{
    const double f12 = 1.2000000476837158;
    switch (model) {
    case 1:
    case 2:
        return {p4 - p4 / 1.25, p4 + p4 / 3.0};
    case 3:
        if (s > 0.0) {
            return {p4 - p4 / f12 - s, p4 + p4 / f12 + s};
        }
        return {p4 - p4 / 1.25 - s, p4 + p4 / 2.0 - s};
    case 4:
    case 5:
        return {p4 - p4 / 1.25, p4 + p4 / 1.25};
    case 6:
        if (s > 0.0) {
            return {p4 - p4 / 1.25 - s, p4 + p4 / 2.5 + s};
        }
        return {p4 - p4 / 1.25 - s, p4 + p4 / 3.0 - s};
    default:
        return {0.0, 2.0 * p4};
    }
}

bool implausible(const BreakVector& p, const BreakJudgement& j)
{
    const double slope1 = p[1] + p[2];
    const double slope2 = p[1] - p[2];
    const double p4 = p[kBreakCrossing];
    const double p5 = p[kBreakBend];
    return (std::abs(slope1 + slope2) > 0.5 && std::abs(slope1 - slope2) < 0.10000000149011612) ||
           std::abs(slope1) + std::abs(slope2) > 20.0 || (j.model >= 4 && p[0] > j.largest_y) ||
           p4 < 0.0 || p4 > j.largest_x || p4 > 10.0 * j.turning_time || p5 < 1.0 || p5 > 5.0;
}

std::string number_text(double value)
{
    std::string text(kBreakTextLength, ' ');
    write_dr(value, text, "ES12.5");
    return text.substr(0, static_cast<std::size_t>(s_len_trim(text)));
}

std::string padded(std::string text)
{
    text.resize(kBreakTextLength, ' ');
    return text;
}

}  // namespace

CurveTexts unavailable_break_texts()
{
    return {padded("[N/A, N/A]"), padded("[N/A to N/A]"), {}};
}

CurveTexts break_texts(BreakVector p, const BreakJudgement& judgement)
{
    if (p[kBreakBend] < 0.0) {
        p[kBreakBend] = 1.0;
    }
    p[kBreakBend] = 2.0 * std::sqrt(p[kBreakBend] + 0.0010000000474974513);
    if (implausible(p, judgement) || !(std::abs(p[0]) >= 1e-6)) {
        return unavailable_break_texts();
    }
    if (judgement.sign < 0.0) {
        p[0] = std::abs(p[0]);
    }
    auto [low, high] = suggested_range(judgement.model, p[kBreakCrossing], judgement.shift);
    if (low < 0.0) {
        low = 0.0;
    }
    CurveTexts texts;
    texts.inflection = padded("[" + number_text(p[kBreakCrossing]) + ", " + number_text(p[0]) + "]");
    texts.range = padded("[" + number_text(low) + " to " + number_text(high) + "]");
    texts.parameters = p;
    return texts;
}

}  // namespace imm
