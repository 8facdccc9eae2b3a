#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "PeriodOfRecord.h"
#include "StationFileBuilder.h"
#include "TempFolder.h"
#include "core/MainDatabase.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "core/StationIndex.h"
#include "session/SiteAnalysis.h"
#include "sounding/LevelStatistics.h"
#include "sounding/SoundingRetrieval.h"
#include "sounding/SoundingImport.h"
#include "sounding/StationDataFile.h"

using namespace skyloom;

namespace {

constexpr long kWmo = 72518;

// A program folder with its main database and the analysis of one station.
struct AnalysedFolder {
    AnalysedFolder() {
        core::MainDatabase::create(folder.dir() + core::MainDatabase::kFileName);
        db.open(prompter);
    }
    // Once the station is in the station list: the analysis of it, as a pick makes it.
    void pick(long wmo) {
        stations.load(db);
        analysis = std::make_unique<session::SiteAnalysis>(db, settings, prompter, stations);
        analysis->setSiteString(analysis->siteEntryText(wmo));
    }
    test::TempFolder folder;
    core::SilentPrompter prompter;
    core::MainDatabase db{folder.dir()};
    core::Settings settings{db};
    core::StationIndex stations;
    std::unique_ptr<session::SiteAnalysis> analysis;
};

// One station of 30 years of twice-daily soundings (about 22,000).
struct ThirtyYearStation : AnalysedFolder {
    ThirtyYearStation() {
        test::StationFileBuilder builder(test::StationFileBuilder::pathFor(folder.dir(), kWmo), kWmo);
        builder.addTwiceDaily(core::makeDate(1990, 1, 1), core::makeDate(2019, 12, 31),
                              [](int n) { return (n * 7919) % 400; });
        have = builder.write();
        test::registerStation(db, have, "ALBANY", "US", 42.75, -73.8);
        pick(kWmo);
    }
    sounding::HaveDataRow have;
};

ThirtyYearStation& station() {
    static ThirtyYearStation s;
    return s;
}

// Reads the station data file and analyses it, as a click on a new station does.
void BM_RetrieveAndAnalyse(benchmark::State& state) {
    auto& s = station();
    for (auto _ : state) {
        s.analysis->invalidateLoadedSet();
        auto outcome = s.analysis->retrieveAndAnalyse(s.analysis->siteString(), "1990-01-01", "2019-12-31");
        if (outcome != session::AnalysisOutcome::Analysed) state.SkipWithError("analysis failed");
    }
    state.counters["soundings"] = s.analysis->soundings().count();
}
BENCHMARK(BM_RetrieveAndAnalyse)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Only the height of interest changed: the loaded set is reused, the file not read.
void BM_ReanalyseHeightOnly(benchmark::State& state) {
    auto& s = station();
    s.analysis->reanalyseSite(false);
    const int reads = s.analysis->fileReads();
    double feet = 100;
    for (auto _ : state) {
        s.analysis->setHeightOfInterestFeet(feet += 1);
        benchmark::DoNotOptimize(s.analysis->reanalyseSite(false));
    }
    if (s.analysis->fileReads() != reads) state.SkipWithError("the file was read again");
    state.counters["fileReads"] = s.analysis->fileReads() - reads;
}
BENCHMARK(BM_ReanalyseHeightOnly)->Unit(benchmark::kMicrosecond);

// The statistics pass alone over the loaded set.
void BM_LevelStatistics(benchmark::State& state) {
    auto& s = station();
    s.analysis->reanalyseSite(false);
    auto set = s.analysis->soundings();
    sounding::LevelStatistics stats;
    for (auto _ : state) {
        sounding::computeLevelStatistics(set, {core::makeDate(1990, 1, 1), core::makeDate(2019, 12, 31)}, stats);
        benchmark::DoNotOptimize(stats.median[0]);
    }
}
BENCHMARK(BM_LevelStatistics)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {
// Opening the station data file and reading the period, without the analysis.
void BM_RetrieveOnly(benchmark::State& state) {
    auto& s = station();
    core::SilentPrompter quiet;
    sounding::SoundingSet set;
    for (auto _ : state) {
        auto file = sounding::StationDataFile::open(test::StationFileBuilder::pathFor(s.folder.dir(), kWmo), false, quiet);
        sounding::retrieveSoundings(file->db(), {kWmo, core::makeDate(1990, 1, 1), core::makeDate(2019, 12, 31), false}, set);
    }
    state.counters["soundings"] = set.count();
}
BENCHMARK(BM_RetrieveOnly)->Unit(benchmark::kMillisecond);

void BM_OpenOnly(benchmark::State& state) {
    auto& s = station();
    core::SilentPrompter quiet;
    for (auto _ : state) {
        auto file = sounding::StationDataFile::open(test::StationFileBuilder::pathFor(s.folder.dir(), kWmo), false, quiet);
        benchmark::DoNotOptimize(file.get());
    }
}
BENCHMARK(BM_OpenOnly)->Unit(benchmark::kMillisecond);
}  // namespace

namespace {
// A 60-year period of record (about 47,000 real-shaped soundings of Albany,
// 1960-2019) made by the import itself, then read and analysed whole, as a
// click on the station does.
struct SixtyYearStation : AnalysedFolder {
    SixtyYearStation() {
        std::filesystem::create_directories(folder / "data");
        sounding::StationDataFile::createEmpty((folder / "empty.dat").string());
        const auto text = folder / "72518 Albany 1960-2019.fsl";
        test::writePeriodOfRecord(text, 60);
        sounding::FixedReviewDecider accept(true);
        sounding::ImportOptions opt;
        opt.decider = &accept;
        opt.mainDb = &db;
        sounding::importFile(folder.dir(), text.string(), opt, prompter);
        std::filesystem::remove(text);
        // The import has described the station from its file in the station list.
        pick(kWmo);
    }
};

void BM_RetrieveAndAnalyse60YearsImported(benchmark::State& state) {
    static SixtyYearStation s;
    for (auto _ : state) {
        s.analysis->invalidateLoadedSet();
        auto outcome = s.analysis->retrieveAndAnalyse(s.analysis->siteString(), "1960-01-01", "2020-01-02");
        if (outcome != session::AnalysisOutcome::Analysed) state.SkipWithError("analysis failed");
    }
    state.counters["soundings"] = s.analysis->soundings().count();
}
BENCHMARK(BM_RetrieveAndAnalyse60YearsImported)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace
