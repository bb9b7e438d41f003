#include "optimise/random_context.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <stdexcept>

namespace imm {

double PiPowerGenerator::next(double& r)
{
    if (r == 0.0) {
        state_ = 0.14159265358979312;
    } else {
        const double y = state_ + 3.141592653589793;
        const double y2 = y * y;
        const double s = y * (y2 * y2);
        state_ = s - std::trunc(s);
    }
    r = state_;
    return state_;
}

std::int64_t MinimalStandardGenerator::next_integer()
{
    state_ = (16807 * state_) % 2147483647;
    return state_;
}

void MinimalStandardGenerator::seed(std::int64_t state)
{
    if (state < 1 || state > 2147483646) {
        throw std::invalid_argument("minimal-standard generator: seed outside 1 .. 2^31 - 2");
    }
    state_ = state;
}

double MinimalStandardGenerator::next_real()
{
    const std::int64_t x = next_integer();
    const auto value = static_cast<float>(static_cast<double>((x - 1) & ~std::int64_t{511}) * 0x1p-31);
    return value;
}

UniformSource::UniformSource()
{
    seed(SeedWords{});
}

double UniformSource::next()
{
    return static_cast<double>(engine_() >> 11) * 0x1p-53;
}

void UniformSource::seed(const SeedWords& words)
{
    words_ = words;
    std::array<std::uint32_t, 8> bits{};
    for (std::size_t k = 0; k < words.size(); ++k) {
        bits[k] = static_cast<std::uint32_t>(words[k]);
    }
    std::seed_seq sequence(bits.begin(), bits.end());
    engine_.seed(sequence);
}

void UniformSource::seed(std::uint64_t value)
{
    SeedWords words{};
    words[0] = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    words[1] = static_cast<std::int32_t>(static_cast<std::uint32_t>(value >> 32));
    seed(words);
}

void UniformSource::seed_from_entropy()
{
    std::random_device device;
    SeedWords words{};
    for (auto& word : words) {
        word = static_cast<std::int32_t>(device());
    }
    seed(words);
}

void RandomContext::reseed_evolution()
{
    if (reseed_evolution_from_entropy) {
        uniform.seed_from_entropy();
        return;
    }
    // splitmix64: well-spread seeds from consecutive states.
    evolution_seed += 0x9e3779b97f4a7c15ULL;
    std::uint64_t z = evolution_seed;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    uniform.seed(z ^ (z >> 31));
}

RandomContext RandomContext::seeded(std::uint64_t seed)
{
    RandomContext random;
    random.uniform.seed(seed);
    random.reseed_evolution_from_entropy = false;
    random.evolution_seed = seed;
    return random;
}

double rangen(RandomContext& random, double& r)
{
    return random.random_search.next(r);
}

std::int64_t randbetween1(RandomContext& random, std::int64_t lo, std::int64_t hi, double& r)
{
    const double u = rangen(random, r);
    return std::llround(u * static_cast<double>(hi - lo) + static_cast<double>(lo));
}

std::int64_t rand_seed(RandomContext& random)
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto millisecond =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::int64_t numbers[3] = {
        millisecond + 2048 * local.tm_sec,
        local.tm_min + 64 * local.tm_hour,
        local.tm_mday + 32 * (local.tm_mon + 1) + 256 * (local.tm_year + 1900),
    };
    random.uniform.seed_from_entropy();
    UniformSource::SeedWords words = random.uniform.seed_words();
    for (std::size_t k = 0; k < words.size(); ++k) {
        words[k] = static_cast<std::int32_t>(static_cast<std::uint32_t>(words[k]) +
                                             static_cast<std::uint32_t>(numbers[k % 3]));
    }
    random.uniform.seed(words);
    return std::abs(static_cast<std::int64_t>(words[1]));
}

double randomu(UniformSource& uniform)
{
    std::array<double, 11> r{};
    for (auto& value : r) {
        value = uniform.next();
    }
    std::int64_t s = 0;
    for (std::int64_t k = 1; k <= 10; ++k) {
        s += static_cast<std::int64_t>(static_cast<double>(k - 6) * r[static_cast<std::size_t>(k - 1)]);
    }
    return r[static_cast<std::size_t>(std::abs(s))];
}

double normal(UniformSource& uniform)
{
    return box_muller([&uniform] { return randomu(uniform); });
}

RandomContext draw_task_context(RandomContext& run)
{
    const auto seed = static_cast<std::uint64_t>(run.uniform.next() * 0x1p53);
    const auto state = 1 + static_cast<std::int64_t>(run.uniform.next() * 2147483646.0);
    RandomContext task = RandomContext::seeded(seed);
    task.minimal_standard.seed(state);
    task.reseed_evolution_from_entropy = run.reseed_evolution_from_entropy;
    return task;
}

}  // namespace imm
