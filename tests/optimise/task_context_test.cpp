// Random contexts of their own for tasks run side by side.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <stdexcept>
#include <utility>

#include "optimise/random_context.h"

namespace imm {
namespace {

// The first minimal-standard state and uniform deviate of a context.
std::pair<std::int64_t, double> first_draws(RandomContext& random)
{
    const std::int64_t state = random.minimal_standard.next_integer();
    return {state, random.uniform.next()};
}

TEST(MinimalStandard, SeededStateStartsTheSequence)
{
    MinimalStandardGenerator generator;
    generator.seed(2);
    EXPECT_EQ(generator.next_integer(), 33614);  // 16807 * 2
    generator.seed(2147483646);                  // -1 modulo 2^31 - 1
    EXPECT_EQ(generator.next_integer(), 2147483647 - 16807);
    generator.seed(1);
    EXPECT_EQ(generator.next_integer(), 16807);
    EXPECT_THROW(generator.seed(0), std::invalid_argument);
    EXPECT_THROW(generator.seed(2147483647), std::invalid_argument);
}

TEST(TaskContext, DrawnInOrderFromTheRunsContext)
{
    // Equal runs give equal task contexts, in the same order.
    RandomContext run = RandomContext::seeded(5);
    RandomContext again = RandomContext::seeded(5);
    std::set<std::pair<std::int64_t, double>> seen;
    for (int k = 0; k < 10; ++k) {
        RandomContext task = draw_task_context(run);
        RandomContext same = draw_task_context(again);
        EXPECT_FALSE(task.reseed_evolution_from_entropy);
        const auto draws = first_draws(task);
        EXPECT_EQ(draws, first_draws(same));
        seen.insert(draws);
    }
    // Other runs give other streams.
    for (std::uint64_t seed = 6; seed < 16; ++seed) {
        RandomContext other = RandomContext::seeded(seed);
        RandomContext task = draw_task_context(other);
        seen.insert(first_draws(task));
    }
    EXPECT_EQ(seen.size(), 20u);
    // The program's context reseeds its evolutions from entropy, and so do its tasks'.
    RandomContext program;
    EXPECT_TRUE(draw_task_context(program).reseed_evolution_from_entropy);
}

}  // namespace
}  // namespace imm
