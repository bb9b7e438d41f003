// Cost of the model evaluation and its parts, beside Boost's lambert_w0.
// Run: bash scripts/deps.sh bench && cmake -S . -B build-bench -DSORVEK_BUILD_BENCH=ON
//      -DCMAKE_BUILD_TYPE=Release && cmake --build build-bench -j3 &&
//      ./build-bench/sorvek_bench --benchmark_repetitions=9
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <boost/math/special_functions/lambert_w.hpp>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "model/lambert_w.h"
#include "model/models.h"
#include "model/qexp.h"
#include "support/shared_blocks.h"

namespace {

// Three progress curves of 300 rows, [So] 50, 100 and 500, as a fit sees them.
struct Rows {
    std::vector<double> t, so, u, z;
};

constexpr std::array<double, 3> kParams = {60.0, 0.45, 2.0};

const Rows& rows() {
    static const Rows r = [] {
        Rows r;
        for (double so : {50.0, 100.0, 500.0}) {
            for (int i = 0; i < 300; ++i) {
                const double t = 4.0 * i;
                const double u = (so - t * kParams[1]) / kParams[0];
                r.t.push_back(t);
                r.so.push_back(so);
                r.u.push_back(u);
                r.z.push_back(imm::qexp(u) * (so / kParams[0]));
            }
        }
        return r;
    }();
    return r;
}

template <class F>
void per_value(benchmark::State& state, const std::vector<double>& xs, F f) {
    for (auto _ : state) {
        double sum = 0.0;
        for (double x : xs) sum += f(x);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(xs.size()));
}

void BM_lambert_w0(benchmark::State& state) {
    per_value(state, rows().z, [](double x) { return boost::math::lambert_w0(x); });
}
void BM_omega_wo(benchmark::State& state) {
    per_value(state, rows().z, [](double x) { return imm::omega_wo(x); });
}
void BM_qexp(benchmark::State& state) {
    per_value(state, rows().u, [](double x) { return imm::qexp(x); });
}
void BM_func(benchmark::State& state) {
    imm::a1.nmdl = state.range(0);
    const Rows& r = rows();
    const std::size_t n = r.t.size();
    for (auto _ : state) {
        double sum = 0.0;
        for (std::size_t i = 0; i < n; ++i) sum += imm::func(r.t[i], r.so[i], 0.0, kParams);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n));
}

// func and omega_wo timed in turn on the same rows, so that a shared machine's
// load falls on both alike; the counter is their ratio.
void BM_func_over_omega_wo(benchmark::State& state) {
    using clock = std::chrono::steady_clock;
    imm::a1.nmdl = state.range(0);
    const Rows& r = rows();
    const std::size_t n = r.t.size();
    clock::duration in_func{}, in_omega{};
    for (auto _ : state) {
        double sum = 0.0;
        const auto t0 = clock::now();
        for (std::size_t i = 0; i < n; ++i) sum += imm::func(r.t[i], r.so[i], 0.0, kParams);
        const auto t1 = clock::now();
        for (std::size_t i = 0; i < n; ++i) sum += imm::omega_wo(r.z[i]);
        const auto t2 = clock::now();
        benchmark::DoNotOptimize(sum);
        in_func += t1 - t0;
        in_omega += t2 - t1;
    }
    state.counters["ratio"] = std::chrono::duration<double>(in_func) / std::chrono::duration<double>(in_omega);
}

BENCHMARK(BM_lambert_w0);
BENCHMARK(BM_omega_wo);
BENCHMARK(BM_qexp);
BENCHMARK(BM_func)->DenseRange(1, 6);
BENCHMARK(BM_func_over_omega_wo)->DenseRange(1, 6);

// Prints the usual table, then each benchmark's time per value (the fastest of
// its repetitions) against lambert_w0 and omega_wo.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            const auto items = run.counters.find("items_per_second");
            if (items == run.counters.end()) continue;
            // The fastest repetition: the machine may be shared.
            const double ns = 1e9 / items->second.value;
            const auto [it, fresh] = ns_per_value_.try_emplace(run.benchmark_name(), ns);
            if (!fresh) it->second = std::min(it->second, ns);
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double w0 = ns_per_value_["BM_lambert_w0"];
        const double wo = ns_per_value_["BM_omega_wo"];
        std::printf("\n%-16s %10s %14s %14s\n", "per value", "ns", "/ lambert_w0", "/ omega_wo");
        for (const auto& [name, ns] : ns_per_value_) {
            std::printf("%-16s %10.2f %14.2f %14.2f\n", name.c_str(), ns, ns / w0, ns / wo);
        }
    }

private:
    std::map<std::string, double> ns_per_value_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
