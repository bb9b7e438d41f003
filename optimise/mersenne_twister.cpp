#include "optimise/mersenne_twister.h"

#include "support/avx2_clones.h"

namespace imm {

namespace {

constexpr std::size_t kShift = 156;
constexpr std::uint64_t kUpper = ~std::uint64_t{0} << 31;
constexpr std::uint64_t kLower = ~kUpper;
constexpr std::uint64_t kTwist = 0xb5026f5aa96619e9ULL;

std::uint64_t twisted(std::uint64_t far, std::uint64_t upper, std::uint64_t lower) {
    const std::uint64_t y = (upper & kUpper) | (lower & kLower);
    return far ^ (y >> 1) ^ ((y & 1U) != 0 ? kTwist : 0);
}

// A free function, as clang multiversions only a function not yet called where
// it is declared (the generator's call operator calls renew inline).
SORVEK_AVX2_CLONES
void renew_state(std::array<std::uint64_t, MersenneTwister64::kStateSize>& state) {
    constexpr std::size_t kStateSize = MersenneTwister64::kStateSize;
    for (std::size_t k = 0; k < kStateSize - kShift; ++k) state[k] = twisted(state[k + kShift], state[k], state[k + 1]);
    for (std::size_t k = kStateSize - kShift; k < kStateSize - 1; ++k) {
        state[k] = twisted(state[k - (kStateSize - kShift)], state[k], state[k + 1]);
    }
    state[kStateSize - 1] = twisted(state[kShift - 1], state[kStateSize - 1], state[0]);
}

}  // namespace

void MersenneTwister64::seed(std::seed_seq& sequence) {
    std::array<std::uint32_t, 2 * kStateSize> words{};
    sequence.generate(words.begin(), words.end());
    bool zero = true;
    for (std::size_t i = 0; i < kStateSize; ++i) {
        state_[i] = words[2 * i] | (std::uint64_t{words[2 * i + 1]} << 32);
        zero = zero && (i == 0 ? (state_[0] & kUpper) == 0 : state_[i] == 0);
    }
    if (zero) state_[0] = std::uint64_t{1} << 63;
    next_ = kStateSize;
}

void MersenneTwister64::renew() {
    renew_state(state_);
    next_ = 0;
}

}  // namespace imm
