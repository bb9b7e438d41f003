#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "breakpoint/break_evolution.h"
#include "breakpoint/break_simplex.h"
#include "breakpoint/hit_and_run.h"
#include "breakpoint/pattern_search.h"
#include "tests/breakpoint/break_test_curves.h"

namespace imm {
namespace {

using test::kPerturbedStart;
using test::expect_near_break;
using test::kTrueBreak;
using test::perturbed_start;
using test::synthetic_break;

// The bend term is the weakly determined one: the minimisers run with it held at its true value.
constexpr BreakFlags kBendHeld{1, 1, 1, 1, 0};

// A rough global stage: on every stream it comes near the break of either
// sign, and the local stages take it from there.
TEST(BreakEvolution, ComesNearTheBreakOfBothSigns)
{
    for (std::uint64_t seed = 1; seed <= 4; ++seed)
    for (const double sign : {1.0, -1.0}) {
        SCOPED_TRACE(seed);
        const auto s = synthetic_break(sign);
        RandomContext random = RandomContext::seeded(seed);
        BreakVector p = perturbed_start();
        const double start_value = funbreak(p, s.curve());
        BreakEvolutionOptions options;
        options.flags = kBendHeld;
        options.max_generations = 300;
        const EvolutionResult result = evol(s.curve(), p, 1e15, options, random);
        EXPECT_LT(result.value, 2e-3 * start_value);
        expect_near_break(p, 0.2);
        EXPECT_EQ(p[4], kTrueBreak[4]);  // held exactly
        EXPECT_EQ(result.value, funbreak(p, s.curve()));
        // 300 generations: checks at 100, 200 and 300 only, the last with a probe.
        EXPECT_EQ(result.generations, 300);
        EXPECT_EQ(result.evaluations, 1 + 300 * (2 * 100 + 11) + 11);
    }
}

TEST(BreakEvolution, OwnSettingsOnTheCore)
{
    const auto s = synthetic_break(1.0);
    BreakEvolutionOptions options;
    options.flags = kBendHeld;
    const EvolutionOptions core = break_evolution_options(5, s.curve(), options);
    EXPECT_EQ(core.generations, 600);  // 0 means 600
    EXPECT_EQ(core.population, 0);     // min(20 n, 100)
    EXPECT_EQ(core.scale, 0.7);
    EXPECT_EQ(core.second_scale, 0.005);
    EXPECT_EQ(core.tolerance, 1e-6);
    EXPECT_EQ(core.check_interval, 100);
    EXPECT_EQ(core.check_probe_from, 201);
    EXPECT_FALSE(core.random_thresholds);
    EXPECT_FALSE(core.reflect_converged);
    EXPECT_TRUE(core.fallback_to_reflected_start);
    EXPECT_FALSE(core.active[4]);
    EXPECT_EQ(core.box.upper[0], 1.2 * largest_value(s.y));
}

TEST(BreakEvolution, ReferenceBelowEverythingReturnsTheReflectedStart)
{
    const auto s = synthetic_break(1.0);
    RandomContext random = RandomContext::seeded(5);
    BreakVector p = perturbed_start();
    p[3] = 39.0;  // beyond 0.9 of the largest time
    BreakEvolutionOptions options;
    options.max_generations = 3;
    const EvolutionResult result = evol(s.curve(), p, 1e-20, options, random);
    EXPECT_EQ(result.value, 1e-20);
    EXPECT_LT(p[3], 0.8999999761581421 * 40.0);
    EXPECT_EQ(p[0], kPerturbedStart[0]);
}

TEST(HitAndRun, RecoversTheBreakOfBothSigns)
{
    for (const double sign : {1.0, -1.0}) {
        const auto s = synthetic_break(sign);
        RandomContext random;
        BreakVector p = perturbed_start();
        HitAndRunOptions options;
        options.flags = kBendHeld;
        double f = funbreak(p, s.curve());
        for (int call = 0; call < 2; ++call) {
            const HitAndRunResult result = hitnrun_breakpt(s.curve(), p, f, options, random.minimal_standard);
            EXPECT_LT(result.f, f);
            EXPECT_GT(result.moves, 0);
            f = result.f;
        }
        EXPECT_EQ(f, funbreak(p, s.curve()));
        expect_near_break(p, 0.05);
        EXPECT_EQ(p[4], kTrueBreak[4]);
    }
}

TEST(HitAndRun, DrawsFromTheMinimalStandardStream)
{
    // A search without moves takes exactly its 60 uniforms: the stream goes on at the 61st value.
    const auto s = synthetic_break(1.0);
    RandomContext random;
    BreakVector p = perturbed_start();
    HitAndRunOptions options;
    options.max_iterations = 0;
    const double f = funbreak(p, s.curve());
    const HitAndRunResult result = hitnrun_breakpt(s.curve(), p, f, options, random.minimal_standard);
    EXPECT_EQ(result.moves, 0);
    EXPECT_EQ(result.f, f);
    std::int64_t x = 1;
    for (int k = 0; k < 61; ++k) {
        x = x * 16807 % 2147483647;
    }
    EXPECT_EQ(random.minimal_standard.next_integer(), x);
}

TEST(HitAndRun, SecondCallContinuesTheStream)
{
    const auto s = synthetic_break(1.0);
    RandomContext random;
    BreakVector first = perturbed_start();
    const double f = funbreak(first, s.curve());
    hitnrun_breakpt(s.curve(), first, f, HitAndRunOptions{}, random.minimal_standard);
    BreakVector second = perturbed_start();
    hitnrun_breakpt(s.curve(), second, f, HitAndRunOptions{}, random.minimal_standard);
    EXPECT_NE(first, second);
    // A fresh stream repeats the first call.
    RandomContext again;
    BreakVector repeat = perturbed_start();
    hitnrun_breakpt(s.curve(), repeat, f, HitAndRunOptions{}, again.minimal_standard);
    EXPECT_EQ(first, repeat);
}

TEST(HitAndRun, NeverWorseThanTheCallersValueAndNeverAcceptsNotANumber)
{
    const auto s = synthetic_break(1.0);
    RandomContext random;
    BreakVector p = perturbed_start();
    // A value below every sum leaves p and f as they came.
    HitAndRunResult result = hitnrun_breakpt(s.curve(), p, 1e-30, HitAndRunOptions{}, random.minimal_standard);
    EXPECT_EQ(result.f, 1e-30);
    EXPECT_EQ(p, perturbed_start());
    // Every sum not a number: no move is accepted.
    std::vector<double> y = s.y;
    y[3] = std::numeric_limits<double>::quiet_NaN();
    const BreakCurve broken{s.x, y, 1.0};
    result = hitnrun_breakpt(broken, p, 1.0, HitAndRunOptions{}, random.minimal_standard);
    EXPECT_EQ(result.moves, 0);
    EXPECT_EQ(result.f, 1.0);
    EXPECT_EQ(p, perturbed_start());
    // Every parameter held: nothing moves.
    HitAndRunOptions held;
    held.flags = {0, 0, 0, 0, 0};
    held.max_iterations = 2;
    result = hitnrun_breakpt(s.curve(), p, 1e9, held, random.minimal_standard);
    EXPECT_EQ(result.moves, 0);
    EXPECT_EQ(p, perturbed_start());
    EXPECT_EQ(result.f, funbreak(p, s.curve()));
}

TEST(BreakSimplex, RecoversTheBreakOfBothSigns)
{
    for (const double sign : {1.0, -1.0}) {
        const auto s = synthetic_break(sign);
        BreakVector p = perturbed_start();
        BreakSimplexOptions options;
        options.flags = kBendHeld;
        const BreakSimplexResult result = smplx_break(s.curve(), p, options);
        EXPECT_EQ(result.f, funbreak(p, s.curve()));
        EXPECT_LT(result.f, 1e-2);
        expect_near_break(p, 0.01);
    }
}

TEST(BreakSimplex, FlatObjectiveStopsAtOnce)
{
    // Every parameter held at the exact break: every vertex has the sum 0.
    const auto s = synthetic_break(1.0);
    BreakVector p = kTrueBreak;
    BreakSimplexOptions options;
    options.flags = {0, 0, 0, 0, 0};
    BreakSimplexResult result = smplx_break(s.curve(), p, options);
    EXPECT_EQ(result.iterations, 1);
    EXPECT_EQ(p, kTrueBreak);
    EXPECT_EQ(result.f, 0.0);
    // Held elsewhere, every evaluation is still at the caller's point.
    p = perturbed_start();
    options.max_iterations = 5;
    result = smplx_break(s.curve(), p, options);
    EXPECT_EQ(p, perturbed_start());
    EXPECT_EQ(result.f, funbreak(p, s.curve()));
}

TEST(BreakSimplex, StartOutsideTheBoxIsEvaluatedReflected)
{
    const auto s = synthetic_break(1.0);
    BreakVector p = perturbed_start();
    p[4] = 7.0;
    BreakSimplexOptions options;
    options.flags = {1, 1, 1, 1, 0};
    smplx_break(s.curve(), p, options);
    EXPECT_GE(p[4], 2.0);
    EXPECT_LE(p[4], 3.0);
}

TEST(PatternSearch, RecoversTheBreakOfBothSigns)
{
    for (const double sign : {1.0, -1.0}) {
        const auto s = synthetic_break(sign);
        BreakVector p = perturbed_start();
        BreakVector out{};
        PatternSearchOptions options;
        options.flags = kBendHeld;
        const PatternSearchResult result = hooke_breakpt(s.curve(), p, out, options);
        EXPECT_EQ(result.f, funbreak(out, s.curve()));
        expect_near_break(out, 1e-3);
        EXPECT_EQ(out[4], kTrueBreak[4]);
        EXPECT_EQ(p, perturbed_start());
    }
}

TEST(PatternSearch, AtTheMinimumTheStepHalvesUntilTooSmall)
{
    const auto s = synthetic_break(1.0);
    BreakVector p = kTrueBreak;
    BreakVector out{};
    const PatternSearchResult result = hooke_breakpt(s.curve(), p, out, PatternSearchOptions{});
    EXPECT_EQ(result.iterations, 23);  // 0.5^24 < 1e-7 <= 0.5^23
    EXPECT_EQ(out, kTrueBreak);
    EXPECT_EQ(result.f, 0.0);
    // A start outside the box is reflected in place.
    p[4] = 9.0;
    hooke_breakpt(s.curve(), p, out, PatternSearchOptions{});
    EXPECT_LE(p[4], 3.0);
}

TEST(BreakMinimisers, FourParametersFitASharpCorner)
{
    // y = 5 + 0.3 (x - 10) - 0.2 |x - 10|: slopes 0.5 before the corner, 0.1 after it.
    const auto s = synthetic_break(1.0, {5.0, 0.3, 0.2, 10.0, 0.0});
    const std::array<double, 4> start{4.0, 0.4, 0.1, 12.5};
    std::array<double, 4> p = start;
    RandomContext random = RandomContext::seeded(2);
    BreakEvolutionOptions options;
    options.max_generations = 300;
    const EvolutionResult evolved = evol(s.curve(), p, 1e15, options, random);
    EXPECT_EQ(evolved.value, funbreak(p, s.curve()));
    EXPECT_LT(evolved.value, funbreak(start, s.curve()) / 100.0);
    EXPECT_NEAR(p[3], 10.0, 1.0);
    p = start;
    std::array<double, 4> out{};
    const PatternSearchResult searched = hooke_breakpt(s.curve(), p, out, PatternSearchOptions{});
    EXPECT_EQ(searched.f, funbreak(out, s.curve()));
    EXPECT_NEAR(out[3], 10.0, 1e-3);
    EXPECT_NEAR(out[1], 0.3, 1e-4);
}

TEST(BreakMinimisers, RefuseOtherParameterCounts)
{
    const auto s = synthetic_break(1.0);
    std::array<double, 3> three{1.0, 2.0, 3.0};
    RandomContext random;
    EXPECT_THROW(hitnrun_breakpt(s.curve(), three, 1.0, HitAndRunOptions{}, random.minimal_standard),
                 std::invalid_argument);
    EXPECT_THROW(smplx_break(s.curve(), three, BreakSimplexOptions{}), std::invalid_argument);
    EXPECT_THROW(hooke_breakpt(s.curve(), three, three, PatternSearchOptions{}), std::invalid_argument);
}

}  // namespace
}  // namespace imm
