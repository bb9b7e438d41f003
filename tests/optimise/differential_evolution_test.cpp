#include "optimise/differential_evolution.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <string>

#include "tests/optimise/test_problems.h"

namespace imm {
namespace {

using test::kTestProblems;
using test::ProblemObjective;
using test::TestProblem;

// The evolution's view of a value: not-a-number as 4.5e15, kept within [2.22e-16, 4.5e15].
double guarded(double f)
{
    return std::isnan(f) ? 4.5e15 : std::min(4.5e15, std::max(2.22e-16, f));
}

double distance_to_minimiser(const TestProblem& problem, const EvolutionResult& result)
{
    double distance = 0.0;
    for (std::int64_t i = 0; i < problem.dimension; ++i) {
        const auto k = static_cast<std::size_t>(i);
        distance = std::max(distance, std::abs(result.parameters[k] - problem.minimiser[k]));
    }
    return distance;
}

std::span<const double> parameters_of(const EvolutionResult& result, const TestProblem& problem)
{
    return std::span(result.parameters).first(static_cast<std::size_t>(problem.dimension));
}

EvolutionResult run(const TestProblem& problem, EvolutionOptions options, std::uint64_t seed,
                    double reference)
{
    options.box = problem.box();
    problem.prepare();
    RandomContext random = RandomContext::seeded(seed);
    ProblemObjective objective(problem);
    auto result = differential_evolution(objective, problem.start_vector(), reference, options, random);
    EXPECT_EQ(result.evaluations, objective.evaluations);
    return result;
}

// Convergence checked every 100 generations, as the breakpoint analysis does.
EvolutionOptions patient_options()
{
    EvolutionOptions options;
    options.check_interval = 100;
    options.tolerance = 1e-6;
    return options;
}

TEST(DifferentialEvolution, ReachesTheKnownMinimaWithSeveralSeeds)
{
    for (const TestProblem& problem : kTestProblems) {
        for (std::uint64_t seed = 1; seed <= 5; ++seed) {
            SCOPED_TRACE(std::string(problem.name) + " seed " + std::to_string(seed));
            problem.prepare();
            const double reference = problem.function(problem.start_vector());
            const auto result = run(problem, patient_options(), seed, reference);
            EXPECT_TRUE(result.converged);
            EXPECT_LE(distance_to_minimiser(problem, result), 1e-6);
            EXPECT_NEAR(result.value, guarded(problem.minimum), 1e-12);
            // The bounded problem's minimiser lies on the bound: it is reached from inside.
            for (std::int64_t i = 0; i < problem.dimension; ++i) {
                EXPECT_GE(result.parameters[static_cast<std::size_t>(i)], problem.lower[static_cast<std::size_t>(i)]);
            }
        }
    }
}

TEST(DifferentialEvolution, ModelSettingsImproveOnTheStart)
{
    // Checked every second generation the search stops as soon as the best
    // member stalls for two generations: a rough global stage.
    for (const TestProblem& problem : kTestProblems) {
        for (std::uint64_t seed = 1; seed <= 5; ++seed) {
            SCOPED_TRACE(std::string(problem.name) + " seed " + std::to_string(seed));
            problem.prepare();
            const double reference = problem.function(problem.start_vector());
            const auto result = run(problem, EvolutionOptions{}, seed, reference);
            EXPECT_LT(result.value, reference);
            EXPECT_LT(result.value - problem.minimum, 0.5 * (reference - problem.minimum));
        }
    }
}

// Two basins in the box [0, 100]^2: a shallow one (value 1) around the start
// and a deeper one (value 0.001) at (0.01, 10^1.5), which a population within
// half the start's size of the start never sees.
class TwoBasins : public Objective {
public:
    double value(std::span<const double> x) override
    {
        const double shallow = (x[0] - 5.0) * (x[0] - 5.0) + (x[1] - 5.0) * (x[1] - 5.0) + 1.0;
        if (!(x[0] > 0.0) || !(x[1] > 0.0)) return shallow;
        const double a = std::log10(x[0]) + 2.0;
        const double b = std::log10(x[1]) - 1.5;
        return std::min(shallow, a * a + b * b + 0.001);
    }
};

TEST(DifferentialEvolution, GridMembersFindABasinFarFromTheStart)
{
    const std::array<double, 2> start{5.5, 5.5};
    for (std::uint64_t seed = 1; seed <= 5; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        for (const bool spread : {false, true}) {
            EvolutionOptions options;
            options.box.lower = {0.0, 0.0};
            options.box.upper = {100.0, 100.0};
            options.spread_over_box = spread;
            TwoBasins objective;
            RandomContext random = RandomContext::seeded(seed);
            const auto result = differential_evolution(objective, start, 1e30, options, random);
            if (spread) {
                // In the deep basin; the local stages refine it.
                EXPECT_LT(result.value, 0.1);
                EXPECT_LT(result.parameters[0], 0.1);
            } else {
                EXPECT_GE(result.value, 1.0);
            }
        }
    }
}

TEST(DifferentialEvolution, ReturnedValueBelongsToTheReturnedPoint)
{
    for (const TestProblem& problem : kTestProblems) {
        for (const std::int64_t generations : {1, 2, 3, 7, 8, 600}) {
            for (const int variant : {0, 1, 2}) {
                for (std::uint64_t seed = 1; seed <= 3; ++seed) {
                    SCOPED_TRACE(std::string(problem.name) + " generations " + std::to_string(generations));
                    // The model's settings, the patient ones, and probes at the checks.
                    EvolutionOptions options = variant == 1 ? patient_options() : EvolutionOptions{};
                    options.check_probe_from = variant == 2 ? 4 : 0;
                    options.generations = generations;
                    problem.prepare();
                    const double reference = problem.function(problem.start_vector());
                    const auto result = run(problem, options, seed, reference);
                    EXPECT_LE(result.generations, generations);
                    if (result.value == reference) {
                        EXPECT_TRUE(std::equal(problem.start_vector().begin(), problem.start_vector().end(),
                                               result.parameters.begin()));
                    } else {
                        EXPECT_EQ(result.value, guarded(problem.function(parameters_of(result, problem))));
                    }
                }
            }
        }
    }
}

TEST(DifferentialEvolution, ProbeAtTheLastCheckNeverLosesTheGenerationsBest)
{
    // Same draws up to the last check; the probe there starts from the generation's best member.
    for (const TestProblem& problem : kTestProblems) {
        for (std::uint64_t seed = 1; seed <= 5; ++seed) {
            SCOPED_TRACE(std::string(problem.name) + " seed " + std::to_string(seed));
            EvolutionOptions options;
            options.tolerance = 0.0;
            options.generations = 6;
            problem.prepare();
            const double reference = problem.function(problem.start_vector());
            const auto plain = run(problem, options, seed, reference);
            options.check_probe_from = 6;
            const auto probed = run(problem, options, seed, reference);
            EXPECT_LE(probed.value, plain.value);
        }
    }
}

TEST(DifferentialEvolution, ReferenceBelowEveryValueReturnsTheStart)
{
    const TestProblem& problem = kTestProblems[0];
    const auto result = run(problem, EvolutionOptions{}, 3, 1e-30);
    EXPECT_EQ(result.value, 1e-30);
    for (std::int64_t i = 0; i < problem.dimension; ++i) {
        EXPECT_EQ(result.parameters[static_cast<std::size_t>(i)], problem.start[static_cast<std::size_t>(i)]);
    }
}

// Not a number where x < 2.5; elsewhere above 1e8, so every real value is
// larger than the square root of 4.5e15.
double nan_valley(std::span<const double> x)
{
    if (x[0] < 2.5) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const double a = x[0] - 3.5;
    const double b = x[1] - 1.0;
    return 1e8 * (1.0 + a * a + b * b);
}

TEST(DifferentialEvolution, NotANumberRegionIsNeverChosen)
{
    const TestProblem problem{"not-a-number valley", 2, {-10, -10}, {10, 10}, {2, 1}, {3.5, 1}, 1e8, nan_valley};
    for (const bool patient : {false, true}) {
        for (std::uint64_t seed = 1; seed <= 5; ++seed) {
            SCOPED_TRACE("seed " + std::to_string(seed));
            const auto result = run(problem, patient ? patient_options() : EvolutionOptions{}, seed, 1e16);
            EXPECT_GE(result.parameters[0], 2.5);
            EXPECT_GE(result.value, 1e8);
            EXPECT_EQ(result.value, nan_valley(parameters_of(result, problem)));
        }
    }
    // Only not-a-number values: the start and the reference come back.
    const TestProblem nowhere{"nowhere", 2, {-10, -10}, {10, 10}, {2, 1}, {0, 0}, 0.0,
                              [](std::span<const double>) { return std::numeric_limits<double>::quiet_NaN(); }};
    const auto result = run(nowhere, EvolutionOptions{}, 1, 1e300);
    EXPECT_EQ(result.value, 1e300);
    EXPECT_EQ(result.parameters[0], 2.0);
    EXPECT_EQ(result.parameters[1], 1.0);
}

TEST(DifferentialEvolution, CostPerGenerationAndProgressCount)
{
    // Tolerance 0 never converges: a start evaluation, then 2 NP + 11 per
    // generation (re-evaluation, trials, probe).
    EvolutionOptions options;
    options.tolerance = 0.0;
    options.generations = 10;
    const TestProblem& rosenbrock = kTestProblems[1];
    auto result = run(rosenbrock, options, 1, 1e9);
    EXPECT_FALSE(result.converged);
    EXPECT_EQ(result.generations, 10);
    EXPECT_EQ(result.evaluations, 1 + 10 * (2 * 40 + 11));
    EXPECT_EQ(result.progress_count, 2);
    const TestProblem& sphere = kTestProblems[0];
    result = run(sphere, options, 1, 1e9);
    EXPECT_EQ(result.evaluations, 1 + 10 * (2 * 80 + 11));
    // Probes at the checks of generations 4, 6, 8 and 10.
    options.check_probe_from = 4;
    result = run(rosenbrock, options, 1, 1e9);
    EXPECT_EQ(result.evaluations, 1 + 10 * (2 * 40 + 11) + 4 * 11);
    // Its own population size.
    options.check_probe_from = 0;
    options.population = 10;
    result = run(rosenbrock, options, 1, 1e9);
    EXPECT_EQ(result.evaluations, 1 + 10 * (2 * 10 + 11));
    // A start outside the box is reflected and evaluated once more.
    TestProblem outside = rosenbrock;
    outside.start = {7.0, 2.0};
    options.population = 0;
    result = run(outside, options, 1, 1e9);
    EXPECT_EQ(result.evaluations, 2 + 10 * (2 * 40 + 11));
}

TEST(DifferentialEvolution, RefusesWhatItCannotRun)
{
    const TestProblem& problem = kTestProblems[1];
    ProblemObjective objective(problem);
    RandomContext random = RandomContext::seeded(1);
    EvolutionOptions options;
    options.population = 4;  // four distinct partners cannot be drawn
    EXPECT_THROW(differential_evolution(objective, problem.start_vector(), 1.0, options, random),
                 std::invalid_argument);
    options.population = 0;
    options.check_interval = 0;
    EXPECT_THROW(differential_evolution(objective, problem.start_vector(), 1.0, options, random),
                 std::invalid_argument);
    const std::array<double, 26> too_many{};
    EXPECT_THROW(differential_evolution(objective, too_many, 1.0, EvolutionOptions{}, random),
                 std::invalid_argument);
    const auto nothing = differential_evolution(objective, std::span<const double>{}, 7.0, EvolutionOptions{}, random);
    EXPECT_EQ(nothing.value, 7.0);
    EXPECT_EQ(objective.evaluations, 0);
}

TEST(DifferentialEvolution, PopulationSize)
{
    EXPECT_EQ(evolution_population(1), 20);
    EXPECT_EQ(evolution_population(2), 40);
    EXPECT_EQ(evolution_population(3), 60);
    EXPECT_EQ(evolution_population(5), 100);
    EXPECT_EQ(evolution_population(25), 100);
}

TEST(DifferentialEvolution, StartOutsideTheBoxComesBackReflectedOrAsPassed)
{
    TestProblem outside = kTestProblems[1];
    outside.start = {7.0, 2.0};
    EvolutionOptions options;
    options.generations = 2;
    auto result = run(outside, options, 1, 1e-30);
    EXPECT_EQ(result.parameters[0], 7.0);
    options.fallback_to_reflected_start = true;
    result = run(outside, options, 1, 1e-30);
    EXPECT_LT(result.parameters[0], 5.0);
    EXPECT_EQ(result.parameters[1], 2.0);
    EXPECT_EQ(result.value, 1e-30);
}

TEST(DifferentialEvolution, HeldParameterNeverMoves)
{
    const TestProblem& sphere = kTestProblems[0];
    for (const bool patient : {false, true}) {
        EvolutionOptions options = patient ? patient_options() : EvolutionOptions{};
        options.active[1] = false;
        options.check_probe_from = patient ? 201 : 0;
        for (std::uint64_t seed = 1; seed <= 3; ++seed) {
            const auto result = run(sphere, options, seed, 1e9);
            EXPECT_EQ(result.parameters[1], sphere.start[1]);
            if (patient) {
                // The others still reach their minimiser.
                EXPECT_NEAR(result.parameters[0], 1.0, 1e-6);
                EXPECT_NEAR(result.parameters[3], 4.0, 1e-6);
            }
        }
    }
}

TEST(DifferentialEvolution, SameSeedSameResult)
{
    const TestProblem& problem = kTestProblems[1];
    const auto first = run(problem, EvolutionOptions{}, 11, 1e9);
    const auto second = run(problem, EvolutionOptions{}, 11, 1e9);
    EXPECT_EQ(first.parameters, second.parameters);
    EXPECT_EQ(first.value, second.value);
    const auto other = run(problem, EvolutionOptions{}, 12, 1e9);
    EXPECT_NE(first.parameters, other.parameters);
}

TEST(DifferentialEvolution, TraceLines)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    EvolutionOptions options;
    options.generations = 4;
    options.tolerance = 0.0;
    options.trace = file;
    options.square_trace = true;
    run(kTestProblems[2], options, 1, 1e9);
    std::rewind(file);
    std::string text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
        text += buffer;
    }
    std::fclose(file);
    // Start value 4 + 1 = 5 squared, then one line per check.
    EXPECT_EQ(text.substr(0, 48), std::string(25, ' ') + "OBJ FUNC =  2.50000E+01");
    std::size_t lines = 0;
    for (std::size_t at = text.find("OBJ FUNC = "); at != std::string::npos; at = text.find("OBJ FUNC = ", at + 1)) {
        ++lines;
    }
    EXPECT_EQ(lines, 3u);
}

}  // namespace
}  // namespace imm
