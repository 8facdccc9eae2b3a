// Saving an analysis among many stored ones (the identity query and the update
// in place), and the bulk recalculation of stored analyses with progress shown.
// The recalculation computes nothing new: it measures what the records add to
// every recomputed analysis (load, identity query, update, settings).
#include <benchmark/benchmark.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include "../tests/analysis/SampleRecords.h"
#include "TempFolder.h"
#include "analysis/AnalysisStore.h"
#include "core/MainDatabase.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "session/AnalysisCommands.h"
#include "session/Session.h"
#include "session/StudyCommands.h"

using namespace skyloom;

namespace {

// Analyses of 100 stations at 100 usages each, and the generator they use.
void fill(core::MainDatabase& db, int count) {
    analysis::AnalysisStore store(db.db());
    SQLite::Transaction tx(db.db());
    test::addGenerator(db.db(), test::sampleGenerator("TestGen 100"));
    for (int i = 0; i < count; ++i) {
        auto r = test::sampleRecord(10000 + i % 100, 10.0 + i / 100);
        r.siteName = "Station " + std::to_string(i % 100);
        store.insert(r);
    }
    tx.commit();
}

struct Folder {
    test::TempFolder tmp;
    explicit Folder(int analyses) {
        core::MainDatabase::create(tmp.dir() + core::MainDatabase::kFileName);
        core::SilentPrompter quiet;
        core::MainDatabase db(tmp.dir());
        db.open(quiet);
        fill(db, analyses);
        db.db().exec("INSERT INTO urls (Name, Link) VALUES ('ReCalcLevel', '7')");
    }
};

// Computing a stored analysis again gives the same figures and saves them.
class Recompute : public session::LiveAnalysis {
public:
    analysis::AnalysisRecord next = test::sampleRecord();
    session::AnalysisCommands* commands = nullptr;
    analysis::AnalysisRecord current() override { return next; }
    std::string commentField() override { return {}; }
    bool recompute(const analysis::AnalysisRecord& stored) override {
        next = stored;
        commands->saveCurrentAnalysis();
        return true;
    }
    std::vector<std::string> dataSites() override { return {}; }
    double lookHeightShown() override { return 0; }
    std::string heightUnit() override { return "meters"; }
    std::string speedUnit() override { return "m/sec"; }
    std::string statisticWord() override { return "average"; }
    bool analyseSite(const std::string&, double) override { return false; }
    double windAtLookHeight() override { return 0; }
};

class CountingProgress : public core::Progress {
public:
    void step(std::int64_t, std::int64_t, std::string_view text) override {
        if (!text.empty()) ++shown;
    }
    long shown = 0;
};

class YesPrompter : public core::SilentPrompter {
public:
    bool ask(std::string_view, std::string_view, bool) override { return true; }
};

void BM_SaveAnalysisAmong10000(benchmark::State& state) {
    Folder folder(10000);
    core::SilentPrompter quiet;
    session::Session s(folder.tmp.dir(), quiet);
    s.startUp();
    Recompute live;
    session::AnalysisCommands commands(s, live);
    live.commands = &commands;
    live.next = test::sampleRecord(10042, 60);   // stored as the 5,043rd analysis
    commands.saveCurrentAnalysis();
    double cost = 20000;
    for (auto _ : state) {
        live.next.generatorCost = cost += 1;
        benchmark::DoNotOptimize(commands.saveCurrentAnalysis());
    }
}
BENCHMARK(BM_SaveAnalysisAmong10000)->Unit(benchmark::kMillisecond);

// As the windows save: the study grid of all analyses is refreshed after the save.
void BM_SaveAnalysisWithGridAmong10000(benchmark::State& state) {
    Folder folder(10000);
    core::SilentPrompter quiet;
    session::Session s(folder.tmp.dir(), quiet);
    s.startUp();
    Recompute live;
    session::AnalysisCommands commands(s, live);
    session::StudyCommands studies(s, commands);
    studies.showStudy();
    live.commands = &commands;
    live.next = test::sampleRecord(10042, 60);
    commands.saveCurrentAnalysis();
    double cost = 20000;
    for (auto _ : state) {
        live.next.generatorCost = cost += 1;
        benchmark::DoNotOptimize(commands.saveCurrentAnalysis());
    }
}
BENCHMARK(BM_SaveAnalysisWithGridAmong10000)->Unit(benchmark::kMillisecond);

void BM_IdentityQueryAndUpdateAmong10000(benchmark::State& state) {
    Folder folder(10000);
    core::SilentPrompter quiet;
    core::MainDatabase db(folder.tmp.dir());
    db.open(quiet);
    // Argument 0: the database's own flushing; 1: no disk flush at commit, which
    // shows the cost of the query and the update apart from the disk.
    if (state.range(0) == 1) db.db().exec("PRAGMA synchronous=OFF");
    analysis::AnalysisStore store(db.db());
    auto r = test::sampleRecord(10042, 60);
    for (auto _ : state) {
        auto keys = store.findSame(r);
        store.update(keys.front(), r);
    }
}
BENCHMARK(BM_IdentityQueryAndUpdateAmong10000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RecalculateAll1000(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Folder folder(1000);
        YesPrompter yes;
        session::Session s(folder.tmp.dir(), yes);
        s.startUp();
        Recompute live;
        session::AnalysisCommands commands(s, live);
        live.commands = &commands;
        CountingProgress progress;
        state.ResumeTiming();
        commands.recalculateAllAnalyses(&progress);
        if (progress.shown != 1000) state.SkipWithError("progress not shown for every analysis");
    }
}
BENCHMARK(BM_RecalculateAll1000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
