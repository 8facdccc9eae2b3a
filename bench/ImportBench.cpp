// Import speed: soundings read, built, checked and written to a new station data
// file (with the main database's row of the station), per second of CPU time
// (the "Time" column gives the wall time beside it).
#include <filesystem>
#include <memory>

#include <benchmark/benchmark.h>

#include "PeriodOfRecord.h"
#include "TempFolder.h"
#include "ZipFile.h"
#include "core/MainDatabase.h"
#include "core/Prompter.h"
#include "sounding/DemoData.h"
#include "sounding/LevelBuilder.h"
#include "sounding/QualityCheck.h"
#include "sounding/SoundingImport.h"
#include "sounding/StationDataFile.h"

using namespace skyloom;

namespace {

// A program folder with its main database and empty station data file.
struct ImportFolder {
    ImportFolder() {
        std::filesystem::create_directories(folder / "data");
        sounding::StationDataFile::createEmpty((folder / "empty.dat").string());
        core::MainDatabase::create(folder.dir() + core::MainDatabase::kFileName);
        db.open(prompter);
    }
    void forget(long wmo) { std::filesystem::remove(folder / ("data/" + std::to_string(wmo) + ".dat")); }
    test::TempFolder folder;
    core::SilentPrompter prompter;
    core::MainDatabase db{folder.dir()};
};

void countRate(benchmark::State& state, long soundings) {
    state.counters["soundings_per_second"] =
        benchmark::Counter(static_cast<double>(soundings), benchmark::Counter::kIsRate);
}

// Imports one file (as it lies, gzip-compressed or not) into a new station file each time.
void importFileEachTime(benchmark::State& state, const std::string& path, long wmo) {
    ImportFolder f;
    sounding::FixedReviewDecider accept(true);
    sounding::ImportOptions opt;
    opt.decider = &accept;
    opt.mainDb = &f.db;
    long soundings = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.forget(wmo);
        state.ResumeTiming();
        auto r = sounding::importFile(f.folder.dir(), path, opt, f.prompter, wmo);
        if (r.failed || r.added == 0) state.SkipWithError("nothing imported");
        soundings += r.added + r.rejected;
    }
    countRate(state, soundings);
}

void BM_ImportFslMs32767(benchmark::State& state) {
    importFileEachTime(state, test::sample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl").string(), 72518);
}
void BM_ImportFslKt99999(benchmark::State& state) {
    importFileEachTime(state, test::sample("fsl/esrl_87576_SAEZ_2019_kt_99999.fsl").string(), 87576);
}
void BM_ImportIgra2(benchmark::State& state) {
    importFileEachTime(state, test::sample("igra2/CAM00071701-data.txt").string(), 71701);
}
BENCHMARK(BM_ImportFslMs32767)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_ImportFslKt99999)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_ImportIgra2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
// What every file costs whatever its length (making and opening the station
// file, the commits, the main database's row): about a quarter of the time of
// the small real samples above.
void BM_ImportThreeSoundings(benchmark::State& state) {
    importFileEachTime(state, test::sample("igra2/USM00070026-data_3soundings.txt").string(), 70026);
}
BENCHMARK(BM_ImportThreeSoundings)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The same samples as plain text, as a user's unpacked files are: without the
// gzip decompression, which takes about a tenth of the time above.
void importPlainEachTime(benchmark::State& state, const std::string& sample, long wmo) {
    test::TempFolder text;
    const auto path = text / ("plain " + std::to_string(wmo) + ".txt");
    test::writeFile(path, test::readSample(sample));
    importFileEachTime(state, path.string(), wmo);
}
void BM_ImportFslMs32767Plain(benchmark::State& state) {
    importPlainEachTime(state, "fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl", 72518);
}
void BM_ImportFslKt99999Plain(benchmark::State& state) {
    importPlainEachTime(state, "fsl/esrl_87576_SAEZ_2019_kt_99999.fsl", 87576);
}
void BM_ImportIgra2Plain(benchmark::State& state) { importPlainEachTime(state, "igra2/CAM00071701-data.txt", 71701); }
BENCHMARK(BM_ImportFslMs32767Plain)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_ImportFslKt99999Plain)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_ImportIgra2Plain)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// An IGRA v2 station zip as the archive serves it: one member, the station's data text.
void BM_ImportIgra2Zip(benchmark::State& state) {
    test::TempFolder zip;
    const auto path = zip / "CAM00071701-data.zip";
    test::writeZip(path, "CAM00071701-data.txt", test::readSample("igra2/CAM00071701-data.txt"));
    importFileEachTime(state, path.string(), 71701);
}
BENCHMARK(BM_ImportIgra2Zip)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// A station's 60-year period of record in one text file (about 47,000 soundings).
void BM_ImportPeriodOfRecord60Years(benchmark::State& state) {
    test::TempFolder text;
    const auto path = text / "72518 Albany 1960-2019.fsl";
    test::writePeriodOfRecord(path, 60);
    importFileEachTime(state, path.string(), 72518);
}
BENCHMARK(BM_ImportPeriodOfRecord60Years)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);

// The synthetic demo text, whose soundings are much shorter than real ones.
void BM_ImportStationYear(benchmark::State& state) {
    const auto& station = sounding::demoStations().front();
    const std::string text = sounding::demoText(station, 2021, 1, sounding::kDemoSeed);
    ImportFolder f;
    long soundings = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.forget(station.wmo);
        state.ResumeTiming();
        auto r = sounding::importText(f.folder.dir(), station.wmo, text, {}, f.prompter);
        soundings += r.added + r.rejected;
        benchmark::DoNotOptimize(r.added);
    }
    countRate(state, soundings);
}
BENCHMARK(BM_ImportStationYear)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// Reading, level building and checks only, without the database.
void BM_ReadAndCheckAlbany1990(benchmark::State& state) {
    const std::string text = test::readSample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl");
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
    countRate(state, soundings);
}
BENCHMARK(BM_ReadAndCheckAlbany1990)->Unit(benchmark::kMillisecond);

}  // namespace
