#include "model/robust_weights.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace imm {

namespace {

constexpr std::int64_t kLastBin = 1000;
constexpr double kConverged = 1e-8;
constexpr int kMaxPasses = 11;

double clamp_median(double m) { return std::clamp(m, 1e-15, 1e15); }

// Term of the location step's denominator; its limit at v = 0 is c1*c2.
double denominator_term(double u) {
    const double v = std::abs(u) > kRobustC2 ? kRobustC2 : u;
    if (v == 0.0) return kRobustC1C2;
    return kRobustC1 * std::sin(kRobustC2 * v) / v;
}

}  // namespace

double binmedian(std::span<const double> x) {
    const auto n = static_cast<double>(x.size());
    double mean = 0.0;
    for (double v : x) mean += v;
    mean /= n;
    double spread = 0.0;
    for (double v : x) spread += (v - mean) * (v - mean);
    const double sigma = std::sqrt(spread / n);

    const double scale = 1000.0 / (2.0 * sigma);
    const double left = mean - sigma;
    const double right = mean + sigma;
    std::array<std::int64_t, kLastBin + 1> bins{};
    std::int64_t below = 0;
    for (double v : x) {
        if (v < left) {
            ++below;
        } else if (v < right) {
            // Rounding (or a vanishing sigma) may put the position outside the table.
            const double position = (v - left) * scale;
            const std::int64_t bin =
                position >= static_cast<double>(kLastBin) ? kLastBin
                                                           : (position > 0.0 ? static_cast<std::int64_t>(position) : 0);
            ++bins[static_cast<std::size_t>(bin)];
        }
    }

    const auto size = static_cast<std::int64_t>(x.size());
    const bool odd = size % 2 == 1;
    const std::int64_t k = odd ? (size + 1) / 2 : size / 2;
    std::int64_t count = below;
    for (std::int64_t b = 0; b <= kLastBin; ++b) {
        count += bins[static_cast<std::size_t>(b)];
        if (count < k) continue;
        if (odd) return (static_cast<double>(b) + 0.5) / scale + left;
        std::int64_t j = b;
        while (count == k && j < kLastBin) {
            ++j;
            count += bins[static_cast<std::size_t>(j)];
        }
        return static_cast<double>(b + j + 1) / (2.0 * scale) + left;
    }
    return mean;
}

double xmad2(std::span<const double> x, double centre) {
    double sum = 0.0;
    for (double v : x) sum += std::abs(v - centre);
    const double s = sum / static_cast<double>(x.size());
    if (std::isnan(s)) return 1.0;
    return std::clamp(s, 1e-15, 1e15);
}

double robust_weight_of(double u) {
    if (std::abs(u) < 1e-8) return 1.0;
    if (std::abs(u) <= kRobustC2) return kRobustC1 * std::sin(kRobustC2 * u) / u;
    return 1e-8;
}

void robust_wt(std::span<const double> r, std::span<double> w) {
    const std::size_t n = r.size();
    // w holds the absolute residuals while the median and the deviation are found.
    for (std::size_t i = 0; i < n; ++i) w[i] = std::abs(r[i]);
    const std::span<const double> absolute(w.data(), n);
    const double median = binmedian(absolute);
    const double s = xmad2(absolute, median);

    if (s <= kConverged) {
        std::fill_n(w.begin(), n, 1.0);
        return;
    }

    const double divisor = s * kRobustC1C2;
    double location = median;
    for (int pass = 1; pass <= kMaxPasses; ++pass) {
        double numerator = 0.0;
        double denominator = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double deviation = std::abs(r[i]) - location;
            const double u = deviation / divisor;
            w[i] = robust_weight_of(u);
            numerator += deviation * w[i];
            denominator += denominator_term(u);
        }
        const double next = location + numerator / denominator;
        if (std::abs(next - location) <= kConverged) break;
        location = next;
    }

    for (std::size_t i = 0; i < n; ++i) {
        w[i] = w[i] >= kMinRobustWeight ? std::min(w[i], 1.0) : kMinRobustWeight;
    }
}

void sortwt(std::span<double> x) {
    const std::size_t n = x.size();
    if (n < 2) return;
    auto sift_down = [&](std::size_t root, std::size_t end) {
        const double value = x[root];
        std::size_t parent = root;
        std::size_t child = 2 * root + 1;
        while (child < end) {
            if (child + 1 < end && x[child] < x[child + 1]) ++child;
            if (!(value < x[child])) break;
            x[parent] = x[child];
            parent = child;
            child = 2 * parent + 1;
        }
        x[parent] = value;
    };
    for (std::size_t root = n / 2; root-- > 0;) sift_down(root, n);
    for (std::size_t end = n - 1; end > 0; --end) {
        std::swap(x[0], x[end]);
        sift_down(0, end);
    }
}

double median2(std::span<const double> x) {
    if (x.empty()) return clamp_median(0.0);
    std::vector<double> sorted(x.begin(), x.end());
    sortwt(sorted);
    const std::size_t n = sorted.size();
    const double lower = sorted[(n - 1) / 2];
    double m = n % 2 == 1 ? lower : (lower + sorted[n / 2]) / 2.0;
    if (std::isnan(m)) m = lower;
    return clamp_median(m);
}

double medianqs(std::span<const double> x) {
    if (x.empty()) return clamp_median(0.0);
    std::vector<double> copy(x.begin(), x.end());
    const std::size_t n = copy.size();
    const auto upper_middle = copy.begin() + static_cast<std::ptrdiff_t>(n / 2);
    std::nth_element(copy.begin(), upper_middle, copy.end());
    const double upper = *upper_middle;
    if (n % 2 == 1) return clamp_median(upper);
    const double lower = *std::max_element(copy.begin(), upper_middle);
    return clamp_median((lower + upper) / 2.0);
}

}  // namespace imm
