// The wind resource of a 30-year demo station once its soundings are loaded:
// what `skyloom-cli resource` and the "Wind Resource" window compute on a pick.
#include <memory>
#include <stdexcept>

#include <benchmark/benchmark.h>

#include "StartedFolder.h"
#include "core/Prompter.h"
#include "power/GeneratorStore.h"
#include "session/PowerPage.h"
#include "session/WindResourceRun.h"
#include "sounding/DemoData.h"
#include "sounding/SoundingImport.h"

using namespace skyloom;

namespace {

constexpr double kHubFeet = 262.5;   // 80 metres

struct ThirtyDemoYears {
    ThirtyDemoYears() {
        const auto& station = sounding::demoStations().front();
        core::SilentPrompter quiet;
        sounding::ImportOptions options;
        options.mainDb = &folder.s->mainDb();
        sounding::importText(folder.tmp.dir(), station.wmo, sounding::demoText(station, 1990, 30, sounding::kDemoSeed),
                             options, quiet);
        folder.s->reloadStationIndex();
        page = std::make_unique<session::PowerPage>(*folder.s);
        page->saveAfterEachRun = false;
        const auto generator = power::GeneratorStore(folder.s->mainDb().db()).first();
        if (!generator || !page->chooseGenerator(generator->name, false)) throw std::runtime_error("no generator");
        page->setHeightFeet(kHubFeet);
        page->site().setSiteString(page->site().siteEntryText(station.wmo));
        if (page->site().reanalyseSite(true) != session::AnalysisOutcome::Analysed)
            throw std::runtime_error("the demo station was not analysed");
    }
    test::StartedFolder folder;
    std::unique_ptr<session::PowerPage> page;
};

ThirtyDemoYears& demo() {
    static ThirtyDemoYears d;
    return d;
}

void BM_WindResourceThirtyYears(benchmark::State& state) {
    auto& d = demo();
    const sounding::Units units(sounding::UnitMode::SI);
    session::WindResourceRun run;
    for (auto _ : state) {
        run = session::windResourceOf(*d.page, kHubFeet, units);
        benchmark::DoNotOptimize(run.resource.p90);
    }
    if (!run.resource.computed || run.resource.completeYears < 29) state.SkipWithError("not a 30-year resource");
    state.counters["soundings"] = run.resource.soundings;
    state.counters["completeYears"] = run.resource.completeYears;
}
BENCHMARK(BM_WindResourceThirtyYears)->Unit(benchmark::kMillisecond);

}  // namespace
