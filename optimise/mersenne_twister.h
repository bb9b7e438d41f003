// The 64-bit Mersenne Twister: the same sequence as std::mt19937_64 seeded by
// the same seed sequence, with its state renewed on vector instructions where
// the processor has them. The evolutions draw tens of millions of numbers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>

namespace imm {

class MersenneTwister64 {
public:
    static constexpr std::size_t kStateSize = 312;

    void seed(std::seed_seq& sequence);

    std::uint64_t operator()() {
        if (next_ >= kStateSize) renew();
        std::uint64_t y = state_[next_++];
        y ^= (y >> 29) & 0x5555555555555555ULL;
        y ^= (y << 17) & 0x71d67fffeda60000ULL;
        y ^= (y << 37) & 0xfff7eee000000000ULL;
        return y ^ (y >> 43);
    }

private:
    // The next kStateSize words of state from the last.
    void renew();

    std::array<std::uint64_t, kStateSize> state_{};
    std::size_t next_ = kStateSize;
};

}  // namespace imm
