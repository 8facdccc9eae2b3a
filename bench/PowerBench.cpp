#include <benchmark/benchmark.h>

#include "core/Dates.h"
#include "power/PowerProduction.h"

namespace {

using namespace skyloom;

// Ten years of twice-daily soundings with winds and air that vary from sounding to sounding.
sounding::SoundingSet tenYears() {
    sounding::SoundingSet set;
    const int count = 7305;
    set.ensureCapacity(count);
    set.setCount(count);
    const auto start = core::hoursSince1930(core::makeDate(2000, 1, 1), 0);
    for (int n = 1; n <= count; ++n) {
        set.key[n] = n;
        set.time[n][0] = start + (n - 1) * 12;
        set.time[n][1] = 12;
        for (int l = 0; l < sounding::kLevelCount; ++l) {
            set.level[n][l][sounding::Speed] = (n * 37 + l * 53) % 500;
            set.level[n][l][sounding::Temperature] = 1500 - l * 300 + (n % 700);
            set.level[n][l][sounding::Pressure] = 101325 - l * 1700;
        }
    }
    return set;
}

power::GeneratorRecord megawatt() {
    power::GeneratorRecord g;
    g.cutInSpeed = 6.8;
    const double speeds[] = {7.78, 9.72, 11.66, 13.61, 15.55, 19.44, 21.38, 23.33, 25.27, 27.21};
    const double kw[] = {68, 173, 330, 554, 848, 1593, 1853, 1964, 1994, 2000};
    for (int i = 0; i < 10; ++i) g.points[i] = {speeds[i], kw[i]};
    g.cutOut = 48.6;
    g.temperature = 150;
    g.pressure = 1013.25;
    g.recomputeMaxKW();
    return g;
}

void BM_LevelPowerTenYears(benchmark::State& state) {
    auto set = tenYears();
    const auto model = power::PowerModel::fromGenerator(megawatt());
    for (auto _ : state) {
        auto r = power::computeLevelPower(set, model);
        benchmark::DoNotOptimize(r.correctedPower[4]);
    }
    state.SetItemsProcessed(state.iterations() * set.count() * sounding::kLevelCount);
}
BENCHMARK(BM_LevelPowerTenYears)->Unit(benchmark::kMillisecond);

}  // namespace
