#include <benchmark/benchmark.h>

#include <filesystem>

#include "StationFileBuilder.h"
#include "TempFolder.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "sounding/SoundingRetrieval.h"
#include "sounding/StationDataFile.h"

using namespace skyloom;

namespace {

constexpr long kWmo = 72518;

// One station data file of 30 years of twice-daily soundings (21,914).
struct ThirtyYearFile {
    ThirtyYearFile() {
        std::filesystem::create_directories(folder / "data");
        test::StationFileBuilder builder(path, kWmo);
        builder.addTwiceDaily(core::makeDate(1990, 1, 1), core::makeDate(2019, 12, 31),
                              [](int n) { return (n * 7919) % 400; });
        builder.write();
    }
    test::TempFolder folder;
    std::string path = test::StationFileBuilder::pathFor(folder.dir(), kWmo);
};

ThirtyYearFile& thirtyYears() {
    static ThirtyYearFile f;
    return f;
}

class CountingProgress final : public core::Progress {
public:
    void step(std::int64_t done, std::int64_t, std::string_view) override { last = done; }
    std::int64_t last = 0;
};

// Open the file and read the whole period, as a click on a station does.
void readThirtyYears(benchmark::State& state, sounding::RetrievalStrategy strategy, bool withProgress) {
    auto& f = thirtyYears();
    core::SilentPrompter quiet;
    CountingProgress progress;
    sounding::SoundingSet set;
    const sounding::RetrievalQuery query{kWmo, core::makeDate(1990, 1, 1), core::makeDate(2019, 12, 31), false};
    for (auto _ : state) {
        auto file = sounding::StationDataFile::open(f.path, false, quiet);
        if (sounding::retrieveSoundings(file->db(), query, set, withProgress ? &progress : nullptr, strategy) !=
            sounding::RetrievalResult::Loaded)
            state.SkipWithError("nothing loaded");
    }
    state.counters["soundings"] = set.count();
}

void BM_RetrievalOnePass(benchmark::State& state) {
    readThirtyYears(state, sounding::RetrievalStrategy::OnePass, false);
}
void BM_RetrievalAutomatic(benchmark::State& state) {
    readThirtyYears(state, sounding::RetrievalStrategy::Automatic, false);
}
void BM_RetrievalAutomaticWithProgress(benchmark::State& state) {
    readThirtyYears(state, sounding::RetrievalStrategy::Automatic, true);
}
BENCHMARK(BM_RetrievalOnePass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RetrievalAutomatic)->Unit(benchmark::kMillisecond)->UseRealTime();
// The same with the CPU time of both readers: what the split costs in all.
BENCHMARK(BM_RetrievalAutomatic)->Name("BM_RetrievalAutomaticBothThreadsCpu")->Unit(benchmark::kMillisecond)
    ->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_RetrievalAutomaticWithProgress)->Unit(benchmark::kMillisecond)->UseRealTime();

// One year of the thirty: below the size where a second reader pays.
void BM_RetrievalOneYear(benchmark::State& state) {
    auto& f = thirtyYears();
    core::SilentPrompter quiet;
    sounding::SoundingSet set;
    const sounding::RetrievalQuery query{kWmo, core::makeDate(2005, 1, 1), core::makeDate(2005, 12, 31), false};
    for (auto _ : state) {
        auto file = sounding::StationDataFile::open(f.path, false, quiet);
        sounding::retrieveSoundings(file->db(), query, set);
    }
    state.counters["soundings"] = set.count();
}
BENCHMARK(BM_RetrievalOneYear)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
