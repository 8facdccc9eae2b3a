// Import speed: one station-year of twice-daily soundings read, built, checked
// and written to a new station data file in one transaction.
#include <filesystem>

#include <benchmark/benchmark.h>

#include "TempFolder.h"
#include "core/Prompter.h"
#include "sounding/DemoData.h"
#include "sounding/LevelBuilder.h"
#include "sounding/QualityCheck.h"
#include "sounding/SoundingImport.h"
#include "sounding/StationDataFile.h"

using namespace skyloom;

static void BM_ImportStationYear(benchmark::State& state) {
    const auto& station = sounding::demoStations().front();
    const std::string text = sounding::demoText(station, 2021, 1, sounding::kDemoSeed);
    test::TempFolder folder;
    std::filesystem::create_directories(folder / "data");
    sounding::StationDataFile::createEmpty((folder / "empty.dat").string());
    core::SilentPrompter prompter;
    long soundings = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(folder / ("data/" + std::to_string(station.wmo) + ".dat"));
        state.ResumeTiming();
        auto r = sounding::importText(folder.dir(), station.wmo, text, {}, prompter);
        soundings += r.added + r.rejected;
        benchmark::DoNotOptimize(r.added);
    }
    state.counters["soundings_per_second"] =
        benchmark::Counter(static_cast<double>(soundings), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ImportStationYear)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same without the database: reading, level building and checks only.
static void BM_ReadAndCheckStationYear(benchmark::State& state) {
    const auto& station = sounding::demoStations().front();
    const std::string text = sounding::demoText(station, 2021, 1, sounding::kDemoSeed);
    long soundings = 0;
    for (auto _ : state) {
        auto parsed = sounding::readSoundings(text, sounding::SourceFormat::RawText);
        for (const auto& s : parsed) {
            auto built = sounding::levels::build(s);
            auto verdict = sounding::quality::check(built, sounding::ReviewCriteria{});
            benchmark::DoNotOptimize(verdict.reject);
        }
        soundings += static_cast<long>(parsed.size());
    }
    state.counters["soundings_per_second"] =
        benchmark::Counter(static_cast<double>(soundings), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadAndCheckStationYear)->Unit(benchmark::kMillisecond)->UseRealTime();
