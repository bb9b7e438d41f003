// Cost of the break model's sum of squares and of the breakpoint analysis of
// a full-size data set (ten curves of 100 rows).
#include "breakpoint/breakpoint.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

struct Rows {
    std::vector<std::int64_t> points;
    std::vector<double> t, ycalc, so;
};

// Product curves of Km = 1, Vm = 0.3375 drawn as bent hyperbolas around their turning times.
Rows product_rows()
{
    Rows rows;
    for (int j = 1; j <= 10; ++j) {
        const double so = 0.25 * j;
        const double tq = imm::turning_time(1.0, 0.3375, so);
        rows.points.push_back(100);
        rows.so.push_back(so);
        for (int i = 0; i < 100; ++i) {
            const double t = 0.04 * tq * i;
            const double dx = t - tq;
            rows.t.push_back(t);
            rows.ycalc.push_back(so + 0.05 * so * dx / tq - 0.05 * so * std::sqrt(2.5 + dx * dx) / tq);
        }
    }
    return rows;
}

void BM_funbreak(benchmark::State& state)
{
    const Rows rows = product_rows();
    const imm::BreakCurve curve{std::span<const double>(rows.t).first(100),
                                std::span<const double>(rows.ycalc).first(100), 1.0};
    const imm::BreakVector p{0.3, 0.01, -0.01, 7.0, 2.5};
    for (auto _ : state) {
        benchmark::DoNotOptimize(imm::funbreak(p, curve));
    }
}
BENCHMARK(BM_funbreak);

imm::BreakpointInput ten_curves_input(const Rows& rows)
{
    imm::BreakpointInput input;
    input.model = 1;
    input.points = rows.points;
    input.t = rows.t;
    input.ycalc = rows.ycalc;
    input.so = rows.so;
    input.km = 1.0;
    input.vm = 0.3375;
    return input;
}

// The curves side by side on the program's pool.
void BM_breakpoint_ten_curves(benchmark::State& state)
{
    const Rows rows = product_rows();
    const imm::BreakpointInput input = ten_curves_input(rows);
    imm::RandomContext random = imm::RandomContext::seeded(1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(imm::breakpoint(input, random));
    }
}
BENCHMARK(BM_breakpoint_ten_curves)->Unit(benchmark::kMillisecond);

// The same work on one thread.
void BM_breakpoint_ten_curves_one_thread(benchmark::State& state)
{
    const Rows rows = product_rows();
    const imm::BreakpointInput input = ten_curves_input(rows);
    imm::RandomContext random = imm::RandomContext::seeded(1);
    imm::TaskPool pool(1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(imm::breakpoint(input, random, pool));
    }
}
BENCHMARK(BM_breakpoint_ten_curves_one_thread)->Unit(benchmark::kMillisecond);

}  // namespace
