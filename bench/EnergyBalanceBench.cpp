#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "power/EnergyBalance.h"

namespace {

// A balance over 22,000 soundings (about 30 years twice a day) with a store that
// fills, empties and overflows, so that every branch of the loop is taken.
void BM_EnergyBalance22000(benchmark::State& state) {
    const std::size_t n = 22000;
    std::vector<double> power(n), hours(n);
    for (std::size_t i = 0; i < n; ++i) {
        power[i] = i % 97 == 0 ? -1e-9 : 60.0 + 55.0 * std::sin(static_cast<double>(i) * 0.37);
        hours[i] = i % 50 == 0 ? 6.0 : 12.0;
    }
    const skyloom::power::BalanceInputs in{50.0, 2.0, 80.0, 100.0, 75.0};
    // As on the Power Page, a rerun fills the result of the previous run.
    skyloom::power::BalanceResult r;
    for (auto _ : state) {
        skyloom::power::runEnergyBalance(in, power, hours, r);
        benchmark::DoNotOptimize(r.shortE);
    }
}
BENCHMARK(BM_EnergyBalance22000)->Unit(benchmark::kMicrosecond);

// The first run of a page, which also allocates the series.
void BM_EnergyBalance22000FirstRun(benchmark::State& state) {
    const std::size_t n = 22000;
    std::vector<double> power(n, 40.0), hours(n, 12.0);
    const skyloom::power::BalanceInputs in{50.0, 2.0, 80.0, 100.0, 75.0};
    for (auto _ : state) {
        auto r = skyloom::power::runEnergyBalance(in, power, hours);
        benchmark::DoNotOptimize(r.shortE);
    }
}
BENCHMARK(BM_EnergyBalance22000FirstRun)->Unit(benchmark::kMicrosecond);

}  // namespace
