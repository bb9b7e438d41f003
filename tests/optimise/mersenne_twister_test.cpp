#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "optimise/mersenne_twister.h"

namespace imm {
namespace {

// The standard library's engine is the reference, over several renewals of
// the state and from seed words that leave the state all zero but its top bit.
TEST(MersenneTwister64, SameSequenceAsTheStandardEngine) {
    const std::vector<std::vector<std::uint32_t>> seeds = {{}, {0}, {1, 2, 3, 4, 5, 6, 7, 8}, {0xffffffffU, 42}};
    for (const auto& words : seeds) {
        std::seed_seq ours_sequence(words.begin(), words.end());
        std::seed_seq standard_sequence(words.begin(), words.end());
        MersenneTwister64 ours;
        ours.seed(ours_sequence);
        std::mt19937_64 standard(standard_sequence);
        for (int k = 0; k < 2000; ++k) ASSERT_EQ(ours(), standard()) << "draw " << k << " of seed " << words.size();
    }
}

TEST(MersenneTwister64, ReseedingRestartsTheSequence) {
    std::seed_seq first{7, 11};
    MersenneTwister64 engine;
    engine.seed(first);
    const std::uint64_t a = engine();
    for (int k = 0; k < 500; ++k) engine();
    std::seed_seq again{7, 11};
    engine.seed(again);
    EXPECT_EQ(engine(), a);
}

}  // namespace
}  // namespace imm
