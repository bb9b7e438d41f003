#include "optimise/differential_evolution.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include <fmt/core.h>

#include "optimise/bound_reflection.h"

namespace imm {

namespace {

constexpr double kBigBound = 4.5e15;
constexpr double kFloor = 2.22e-16;
constexpr double kProbeStart = 1e30;
constexpr double kProbeStep = 1e-4;
constexpr std::int64_t kProbePasses = 11;
constexpr std::int64_t kReseedPeriod = 50;

using Vector = std::array<double, kMaxParams>;

// The state of one call.
class Evolution {
public:
    Evolution(Objective& objective, std::span<const double> start, double reference,
              const EvolutionOptions& options, RandomContext& random)
        : objective_(objective),
          options_(options),
          uniform_(random.uniform),
          n_(static_cast<std::int64_t>(start.size())),
          members_(options.population > 0 ? options.population : evolution_population(n_)),
          reference_(reference),
          population_(static_cast<std::size_t>(members_ * n_)),
          next_population_(population_.size()),
          values_(static_cast<std::size_t>(members_)),
          trials_(population_.size()),
          reflected_trials_(population_.size()),
          trial_values_(values_.size())
    {
        std::copy(start.begin(), start.end(), start_.begin());
    }

    EvolutionResult run();

private:
    std::span<double> first(Vector& v) { return std::span<double>(v).first(static_cast<std::size_t>(n_)); }
    std::span<double> row(std::vector<double>& matrix, std::int64_t member)
    {
        return std::span<double>(matrix).subspan(static_cast<std::size_t>(member * n_), static_cast<std::size_t>(n_));
    }
    bool active(std::int64_t j) const { return options_.active[static_cast<std::size_t>(j)]; }
    double draw() { return randomu(uniform_); }

    double regfunc(std::span<double> x);
    // regfunc at the first `count` points stored in `points`, taken side by side.
    void regfunc_points(std::vector<double>& points, std::int64_t count, std::span<double> values);
    // The guards of regfunc on a value.
    static double guarded(double f);
    double search(std::span<double> x);
    void plimits(std::span<double> x) const;
    void reflect(std::span<double> x) const;
    bool outside_box(std::span<const double> x) const;
    // Parameter j at the fraction u of the box, logarithmically for a box from 0.
    double anywhere_in_box(std::int64_t j, double u) const;
    // The odd members become the best points of a grid over the box.
    void spread_over_box(std::span<const double> a);
    // Grid point number g of `levels` levels per active parameter; held ones from a.
    void grid_point(std::int64_t g, std::int64_t levels, std::span<const double> a, std::span<double> x) const;
    void draw_indices(std::int64_t member);
    // The trial of `member` into row member-1 of trials_, ready for evaluation;
    // the working vector then holds it, reflected into the box.
    void make_trial(std::int64_t member, double pl, double pu);
    void write_trace(double value, bool first_line) const;

    Objective& objective_;
    const EvolutionOptions& options_;
    UniformSource& uniform_;
    const std::int64_t n_;
    const std::int64_t members_;
    const double reference_;
    std::int64_t evaluations_ = 0;

    std::vector<double> population_;       // x0, one row per member
    std::vector<double> next_population_;  // y0
    std::vector<double> values_;           // fv
    std::vector<double> trials_;           // the generation's trials, as evaluated
    std::vector<double> reflected_trials_; // the same, reflected into the box
    std::vector<double> trial_values_;
    std::vector<double> grid_;             // the grid points of spread_over_box
    std::vector<double> grid_values_;
    Vector start_{};
    Vector trial_{};    // a: the working trial vector
    Vector handed_{};   // p0: the vector handed to the objective
    Vector mutant_{};
    Vector probe_work_{};
    std::array<std::int64_t, 4> picks_{};  // member indices of a mutation
};

// The objective with the evolution's guards: parameters beyond the limits
// are pulled back in place, a value that is not a number counts as the big
// bound, and every value is kept within [2.22e-16, 4.5e15].
double Evolution::regfunc(std::span<double> x)
{
    ++evaluations_;
    plimits(x);
    return guarded(objective_.value(x));
}

void Evolution::regfunc_points(std::vector<double>& points, std::int64_t count, std::span<double> values)
{
    evaluations_ += count;
    for (std::int64_t i = 0; i < count; ++i) plimits(row(points, i));
    const auto used = static_cast<std::size_t>(count * n_);
    objective_.values(std::span<const double>(points).first(used), static_cast<std::size_t>(n_),
                      values.first(static_cast<std::size_t>(count)));
    for (std::int64_t i = 0; i < count; ++i) values[static_cast<std::size_t>(i)] = guarded(values[static_cast<std::size_t>(i)]);
}

double Evolution::guarded(double f)
{
    if (std::isnan(f)) {
        f = kBigBound;
    }
    return std::min(kBigBound, std::max(kFloor, f));
}

// Parameters beyond +-4.5e15 (with margins of 1 %) go to half the limit.
void Evolution::plimits(std::span<double> x) const
{
    for (std::int64_t i = 0; i < n_; ++i) {
        double& v = x[static_cast<std::size_t>(i)];
        if (!active(i)) {
            continue;
        }
        if (-kBigBound * 1.01 > v) {
            v = -kBigBound / 2.0;
        }
        if (v > kBigBound * 0.99) {
            v = kBigBound / 2.0;
        }
    }
}

void Evolution::reflect(std::span<double> x) const
{
    for (std::int64_t i = 0; i < n_; ++i) {
        if (active(i)) {
            abounds(i, x, options_.box.lower, options_.box.upper);
        }
    }
}

double Evolution::anywhere_in_box(std::int64_t j, double u) const
{
    const auto k = static_cast<std::size_t>(j);
    const double lo = options_.box.lower[k];
    const double hi = options_.box.upper[k];
    if (lo == 0.0 && hi > 0.0) return hi * std::pow(10.0, -options_.spread_decades * u);
    return lo + (hi - lo) * u;
}

void Evolution::spread_over_box(std::span<const double> a)
{
    const std::int64_t levels = n_ <= 2 ? 8 : (n_ == 3 ? 5 : 3);
    std::int64_t points = 1;
    for (std::int64_t j = 0; j < n_; ++j) points *= active(j) ? levels : 1;
    grid_.resize(static_cast<std::size_t>(points * n_));
    grid_values_.resize(static_cast<std::size_t>(points));
    for (std::int64_t g = 0; g < points; ++g) grid_point(g, levels, a, row(grid_, g));
    regfunc_points(grid_, points, grid_values_);
    std::vector<std::pair<double, std::int64_t>> scored;
    scored.reserve(static_cast<std::size_t>(points));
    for (std::int64_t g = 0; g < points; ++g) scored.emplace_back(grid_values_[static_cast<std::size_t>(g)], g);
    const auto spread_members = static_cast<std::size_t>(members_ / 2);
    const std::size_t kept = std::min(spread_members, scored.size());
    std::partial_sort(scored.begin(), scored.begin() + static_cast<std::ptrdiff_t>(kept), scored.end());
    for (std::size_t m = 0; m < kept; ++m) {
        grid_point(scored[m].second, levels, a, row(population_, static_cast<std::int64_t>(2 * m + 1)));
    }
}

void Evolution::grid_point(std::int64_t g, std::int64_t levels, std::span<const double> a,
                           std::span<double> x) const
{
    for (std::int64_t j = 0; j < n_; ++j) {
        const auto k = static_cast<std::size_t>(j);
        if (!active(j)) {
            x[k] = a[k];
            continue;
        }
        const std::int64_t level = g % levels;
        g /= levels;
        x[k] = anywhere_in_box(j, (static_cast<double>(level) + 0.5) / static_cast<double>(levels));
    }
}

bool Evolution::outside_box(std::span<const double> x) const
{
    for (std::int64_t i = 0; i < n_; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (active(i) && (x[k] < options_.box.lower[k] || x[k] > options_.box.upper[k])) {
            return true;
        }
    }
    return false;
}

// The local probe: eleven scaled copies of x, factors 1 + (k - 6) u 1e-4;
// x moves to the best of them. Pass 6 is x itself, so x never gets worse.
double Evolution::search(std::span<double> x)
{
    double best = kProbeStart;
    auto trial = first(probe_work_);
    for (std::int64_t k = 1; k <= kProbePasses; ++k) {
        for (std::int64_t j = 0; j < n_; ++j) {
            const auto i = static_cast<std::size_t>(j);
            trial[i] = active(j) ? x[i] * (static_cast<double>(k - 6) * draw() * kProbeStep + 1.0) : x[i];
        }
        const double f = regfunc(trial);
        if (f < best) {
            std::copy(trial.begin(), trial.end(), x.begin());
            best = f;
        }
    }
    return best;
}

// Four distinct members other than `member` (1-based); even members draw
// from the first half of the population one time in ten.
void Evolution::draw_indices(std::int64_t member)
{
    const bool even = member % 2 == 0;
    for (;;) {
        for (std::size_t d = 0; d < picks_.size(); ++d) {
            const double u = draw();
            const std::int64_t half = (even && u <= 0.1) ? members_ / 2 : members_;
            if (d < 3 || half == members_) {
                picks_[d] = static_cast<std::int64_t>(u * static_cast<double>(half)) + 1;
            } else {
                picks_[d] = half + static_cast<std::int64_t>(u * static_cast<double>(members_ - half));
            }
        }
        const bool distinct = picks_[0] != member && picks_[1] != member && picks_[1] != picks_[0] &&
                              picks_[2] != member && picks_[2] != picks_[0] && picks_[2] != picks_[1] &&
                              picks_[3] != member && picks_[3] != picks_[0] && picks_[3] != picks_[1] &&
                              picks_[3] != picks_[2];
        if (distinct) {
            return;
        }
    }
}

// One trial for `member` (1-based): mutation, crossover by one of three
// strategies into the working vector, evaluation and selection.
void Evolution::make_trial(std::int64_t member, double pl, double pu)
{
    const bool even = member % 2 == 0;
    const double F = options_.scale;
    const double F2 = options_.second_scale;
    const double CR = options_.crossover;
    draw_indices(member);
    auto own = row(population_, member - 1);
    auto x1 = row(population_, picks_[0] - 1);
    auto x2 = row(population_, picks_[1] - 1);
    auto x3 = row(population_, picks_[2] - 1);
    auto x4 = row(population_, picks_[3] - 1);
    auto a = first(trial_);
    auto v = first(mutant_);
    for (std::size_t j = 0; j < v.size(); ++j) {
        v[j] = x1[j] + F * (x2[j] - x3[j]);
        if (even) {
            v[j] = v[j] + F2 * (x3[j] - 0.5 * x4[j] - 0.5 * x1[j]);
        }
    }

    const double u = draw();
    if (pl < u && u < pu) {
        // From a random parameter on, the mutant's values until the first
        // draw below CR, then the member's own values.
        const std::int64_t start = static_cast<std::int64_t>(draw() * static_cast<double>(n_));
        if (active(start)) {
            a[static_cast<std::size_t>(start)] = v[static_cast<std::size_t>(start)];
        }
        for (std::int64_t j = (start + 1) % n_; j != start; j = (j + 1) % n_) {
            if (draw() >= CR) {
                if (active(j)) {
                    a[static_cast<std::size_t>(j)] = v[static_cast<std::size_t>(j)];
                }
                continue;
            }
            for (; j != start; j = (j + 1) % n_) {
                if (active(j)) {
                    a[static_cast<std::size_t>(j)] = own[static_cast<std::size_t>(j)];
                }
            }
            break;
        }
    } else if (u > pu) {
        if (draw() > CR) {
            for (std::int64_t j = 0; j < n_; ++j) {
                const auto k = static_cast<std::size_t>(j);
                if (active(j)) {
                    a[k] = own[k] + (x1[k] - x2[k]);
                    if (even) {
                        a[k] = a[k] + F2 * (x3[k] - 0.5 * x4[k] - 0.5 * x1[k]);
                    }
                }
            }
        } else {
            const double z = normal(uniform_);
            for (std::int64_t j = 0; j < n_; ++j) {
                const auto k = static_cast<std::size_t>(j);
                if (!active(j)) {
                    continue;
                }
                const double spread = x2[k] + x1[k] - 2.0 * own[k];
                if (even) {
                    a[k] = own[k] + F2 * (x3[k] - 0.5 * x4[k] - 0.5 * x1[k]) + z * F2 * spread;
                } else {
                    a[k] = own[k] + 2.0 * (z - 0.5) * spread;
                }
            }
        }
    } else {
        // Binomial: a parameter not crossed keeps the previous trial's value.
        for (std::int64_t j = 0; j < n_; ++j) {
            if (active(j) && draw() <= CR) {
                a[static_cast<std::size_t>(j)] = v[static_cast<std::size_t>(j)];
            }
        }
    }

    // The trial as regfunc evaluates it, pulled into the limits; the
    // evaluation itself waits for the whole generation's trials.
    plimits(a);
    auto trial = row(trials_, member - 1);
    std::copy(a.begin(), a.end(), trial.begin());
    reflect(a);
    auto reflected = row(reflected_trials_, member - 1);
    std::copy(a.begin(), a.end(), reflected.begin());
}

void Evolution::write_trace(double value, bool first_line) const
{
    if (options_.trace == nullptr) {
        return;
    }
    const double shown = options_.square_trace ? value * value : value;
    fmt::print(options_.trace, "{}{:25}OBJ FUNC = {:12.5E}", first_line ? "" : "\n", "", shown);
}

EvolutionResult Evolution::run()
{
    EvolutionResult result;
    auto a = first(trial_);
    auto handed = first(handed_);
    Vector saved{};      // savp: what comes back when nothing beats the reference
    Vector kept{};       // p: the vector of the best value at the checks
    Vector leader{};     // the best member of the current generation
    auto p = first(kept);
    auto best_member = first(leader);

    std::copy(start_.begin(), start_.end(), saved.begin());
    std::copy(start_.begin(), start_.end(), handed.begin());
    regfunc(handed);
    if (outside_box(handed)) {
        reflect(handed);
        regfunc(handed);
    }
    std::copy(handed.begin(), handed.end(), p.begin());
    if (options_.fallback_to_reflected_start) {
        saved = kept;
    }
    std::copy(p.begin(), p.end(), handed.begin());
    if (options_.trace != nullptr) {
        write_trace(regfunc(handed), true);
    }
    reflect(handed);
    std::copy(handed.begin(), handed.end(), a.begin());

    double best_so_far = reference_;  // fprev
    for (std::int64_t i = 0; i < members_; ++i) {
        auto x = row(population_, i);
        for (std::int64_t j = 0; j < n_; ++j) {
            const auto k = static_cast<std::size_t>(j);
            x[k] = active(j) ? a[k] * (draw() - 0.5) + a[k] : a[k];
        }
    }
    if (options_.spread_over_box) {
        spread_over_box(a);
    }

    double f = reference_;
    bool checked_last = false;
    std::int64_t reseed_counter = 0;
    std::int64_t g = 1;
    for (; g <= options_.generations; ++g) {
        result.generations = g;
        if (g % 4 == 0) {
            ++result.progress_count;
        }
        double pl = 0.2;
        double pu = 0.8;
        if (g > 1 && options_.random_thresholds) {
            pl = draw();
            pu = draw();
            if (pl > 0.5) {
                pl = 0.2;
            }
            if (pu <= 0.5) {
                pu = 0.8;
            }
        }

        // Re-evaluate every member; a member pulled into the limits keeps the pulled vector.
        regfunc_points(population_, members_, values_);
        auto last_member = row(population_, members_ - 1);
        std::copy(last_member.begin(), last_member.end(), handed.begin());
        std::copy(handed.begin(), handed.end(), a.begin());

        // Probe around the last member; every worse member becomes the probe point.
        const double probed = search(a);
        for (std::int64_t i = 0; i < members_; ++i) {
            if (probed < values_[static_cast<std::size_t>(i)]) {
                auto x = row(population_, i);
                std::copy(a.begin(), a.end(), x.begin());
                values_[static_cast<std::size_t>(i)] = probed;
                std::copy(a.begin(), a.end(), handed.begin());
            }
        }
        reflect(handed);
        std::copy(handed.begin(), handed.end(), a.begin());

        std::int64_t ibest = 0;
        f = values_[0];
        for (std::int64_t i = 1; i < members_; ++i) {
            if (values_[static_cast<std::size_t>(i)] < f) {
                f = values_[static_cast<std::size_t>(i)];
                ibest = i;
            }
        }
        auto leader_row = row(population_, ibest);
        std::copy(leader_row.begin(), leader_row.end(), best_member.begin());

        // Every 50 generations, most often, the second half is drawn afresh around zero.
        std::int64_t half = members_;
        if (draw() <= 0.9 && g > 1) {
            half = static_cast<std::int64_t>(static_cast<double>(members_) * 0.5);
        }
        reseed_counter = (reseed_counter + 1) % kReseedPeriod;
        if (reseed_counter == 0 && half < members_) {
            for (std::int64_t i = half; i < members_; ++i) {
                auto x = row(population_, i);
                for (std::int64_t j = 0; j < n_; ++j) {
                    if (active(j)) {
                        x[static_cast<std::size_t>(j)] = a[static_cast<std::size_t>(j)] * (draw() - 0.5);
                    }
                }
            }
        }

        // A trial replaces its member in the next generation when it is better.
        next_population_ = population_;
        for (std::int64_t member = 1; member <= members_; ++member) {
            make_trial(member, pl, pu);
        }
        regfunc_points(trials_, members_, trial_values_);
        for (std::int64_t i = 0; i < members_; ++i) {
            const auto k = static_cast<std::size_t>(i);
            if (trial_values_[k] < values_[k]) {
                values_[k] = trial_values_[k];
                auto reflected = row(reflected_trials_, i);
                auto next = row(next_population_, i);
                std::copy(reflected.begin(), reflected.end(), next.begin());
            }
        }
        population_.swap(next_population_);

        checked_last = g % options_.check_interval == 0;
        if (!checked_last) {
            continue;
        }
        if (std::abs((f - best_so_far) / best_so_far) < options_.tolerance) {
            std::copy(best_member.begin(), best_member.end(), handed.begin());
            if (options_.reflect_converged) {
                reflect(handed);
            }
            f = regfunc(handed);
            if (options_.square_converged) {
                f = f * f;
            }
            std::copy(handed.begin(), handed.end(), p.begin());
            result.converged = true;
            break;
        }
        if (options_.check_probe_from > 0 && g >= options_.check_probe_from && g % 2 == 0) {
            f = search(best_member);
        }
        if (f < best_so_far) {
            best_so_far = f;
            std::copy(best_member.begin(), best_member.end(), p.begin());
        } else {
            f = best_so_far;
        }
        write_trace(best_so_far, false);
    }

    if (!result.converged) {
        // The best value at the checks, or the last generation's best when it was not checked.
        if (!checked_last && f < best_so_far) {
            std::copy(best_member.begin(), best_member.end(), p.begin());
        } else {
            f = best_so_far;
        }
    }
    if (options_.trace != nullptr && g / 100 >= options_.generations / 100) {
        fmt::print(options_.trace, "\n");
    }
    // A value at the cap may stand for a value that is not a number: no improvement.
    if (!(f < reference_ && f < kBigBound)) {
        f = reference_;
        kept = saved;
    }
    result.parameters = kept;
    result.value = f;
    result.evaluations = evaluations_;
    return result;
}

}  // namespace

std::int64_t evolution_population(std::int64_t parameter_count)
{
    return std::min<std::int64_t>(20 * parameter_count, 100);
}

EvolutionResult differential_evolution(Objective& objective, std::span<const double> start, double reference,
                                       const EvolutionOptions& options, RandomContext& random)
{
    if (start.size() > static_cast<std::size_t>(kMaxParams)) {
        throw std::invalid_argument("differential evolution: more than 25 parameters");
    }
    if ((options.population > 0 && options.population < 5) || options.check_interval < 1) {
        throw std::invalid_argument("differential evolution: population below 5 or no check interval");
    }
    if (start.empty()) {
        EvolutionResult nothing;
        nothing.value = reference;
        return nothing;
    }
    random.reseed_evolution();
    Evolution evolution(objective, start, reference, options, random);
    return evolution.run();
}

}  // namespace imm
