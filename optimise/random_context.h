// Every pseudo-random generator of the program, held in one object that the
// engine owns and passes on. Tests make a fresh one, so no result depends on
// an earlier fit.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <random>

#include "optimise/mersenne_twister.h"

namespace imm {

// r := frac((r + pi)^5): the random searches' generator. A zero argument
// resets the state to pi - 3.
class PiPowerGenerator {
public:
    // Returns the new state and stores it in r.
    double next(double& r);
    double state() const { return state_; }

private:
    double state_ = 0.0;
};

// x := 16807 x mod (2^31 - 1), from state 1 unless seeded.
class MinimalStandardGenerator {
public:
    // The new state, 1 .. 2^31 - 2.
    std::int64_t next_integer();
    // ((x - 1) with its lowest 9 bits cleared) * 2^-31 of the next state x,
    // a single-precision value in [0, 1).
    double next_real();
    // Restarts the sequence at `state`, 1 .. 2^31 - 2.
    void seed(std::int64_t state);

private:
    std::int64_t state_ = 1;
};

// Uniform deviates in [0, 1) from a generator seeded by eight seed words.
class UniformSource {
public:
    using SeedWords = std::array<std::int32_t, 8>;

    UniformSource();
    double next();
    void seed(const SeedWords& words);
    void seed(std::uint64_t value);
    // New seed words from the operating system's entropy.
    void seed_from_entropy();
    const SeedWords& seed_words() const { return words_; }

private:
    MersenneTwister64 engine_;
    SeedWords words_{};
};

struct RandomContext {
    PiPowerGenerator random_search;      // rangen
    PiPowerGenerator start_values;       // the start-value routine's own copy
    MinimalStandardGenerator minimal_standard;  // hit-and-run search
    UniformSource uniform;               // evolutions and coordinate searches
    // Each evolution call reseeds `uniform`: from entropy in the program, so
    // repeated runs differ slightly; in a seeded context from a repeatable
    // sequence of seeds of its own, so that each test seed explores other
    // streams although the coordinate searches restart `uniform` at a fixed state.
    bool reseed_evolution_from_entropy = true;
    std::uint64_t evolution_seed = 0;  // the next seed of a seeded context

    // Reseeds `uniform` for an evolution, as described above.
    void reseed_evolution();

    // A context whose every sequence is repeatable and depends on `seed`.
    static RandomContext seeded(std::uint64_t seed);
};

// rangen: the next value of the random searches' generator, also stored in r.
double rangen(RandomContext& random, double& r);

// A nearest-integer draw from lo..hi on the rangen sequence.
std::int64_t randbetween1(RandomContext& random, std::int64_t lo, std::int64_t hi, double& r);

// Reseeds the uniform source from entropy mixed with the date and time;
// returns the magnitude of seed word 2.
std::int64_t rand_seed(RandomContext& random);

// One deviate in [0, 1): eleven uniforms, of which a sum of their truncated
// multiples picks one.
double randomu(UniformSource& uniform);

// One standard normal deviate (Box-Muller, cosine branch) from two deviates
// of `draw`; a first deviate of 0 is drawn again, so no logarithm of 0 is taken.
template <class Draw>
double box_muller(Draw&& draw)
{
    double u1 = draw();
    while (u1 <= 0.0) {
        u1 = draw();
    }
    const double u2 = draw();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
}

// box_muller on randomu deviates.
double normal(UniformSource& uniform);

// A context of its own for one of several tasks run side by side: its
// uniform source and minimal-standard generator are seeded by two draws from
// `run`'s uniform source, and its evolutions reseed from entropy when `run`'s
// do. Contexts drawn in a fixed order depend only on `run`, not on the
// threads that use them.
RandomContext draw_task_context(RandomContext& run);

}  // namespace imm
