#pragma once

// A Power Page stand-in for the analysis and study command tests: it hands out
// a prepared record as "the analysis just computed" and, asked to compute a
// stored analysis again, takes its inputs and saves it as the real page does.
// AnalysisCommandsFixture: a new main database with one generator, a session
// started on it and the analysis commands of that page, hooked to the start.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include "../analysis/SampleRecords.h"
#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "analysis/AnalysisStore.h"
#include "core/MainDatabase.h"
#include "session/AnalysisCommands.h"
#include "session/Session.h"

namespace skyloom::test {

class FakeLiveAnalysis : public session::LiveAnalysis {
public:
    analysis::AnalysisRecord next = sampleRecord();
    std::string comment;
    session::AnalysisCommands* commands = nullptr;
    // Applied to a stored analysis when it is computed again (a changed program).
    std::function<void(analysis::AnalysisRecord&)> recalculation;
    std::vector<long long> recomputed;
    std::vector<long long> shown;
    int generatorReloads = 0;

    analysis::AnalysisRecord current() override { return next; }
    std::string commentField() override { return comment; }
    bool recompute(const analysis::AnalysisRecord& stored) override {
        recomputed.push_back(stored.key);
        analysis::AnalysisRecord r = stored;
        r.key = 0;
        r.dodate = "2026-03-07 09:30:00";
        if (recalculation) recalculation(r);
        next = r;
        commands->saveCurrentAnalysis();
        return true;
    }
    void showAnalysis(const analysis::AnalysisRecord& record) override { shown.push_back(record.key); }
    void generatorsChanged() override { ++generatorReloads; }

    // Sites with data, and the wind each one shows at the look height.
    std::vector<std::string> sites;
    std::map<std::string, double> windOf;
    std::vector<std::pair<std::string, double>> analysed;
    double lookHeight = 30;
    double lastWind = 0;

    std::vector<std::string> dataSites() override { return sites; }
    double lookHeightShown() override { return lookHeight; }
    std::string heightUnit() override { return "meters"; }
    std::string speedUnit() override { return "m/sec"; }
    std::string statisticWord() override { return "average"; }
    bool analyseSite(const std::string& siteLine, double height) override {
        analysed.emplace_back(siteLine, height);
        auto wind = windOf.find(siteLine);
        if (wind == windOf.end()) return false;
        lastWind = wind->second;
        next = sampleRecord(static_cast<long long>(10000 + analysed.size()));
        next.siteName = siteLine;
        next.lookHeight = height;
        commands->saveCurrentAnalysis();
        return true;
    }
    double windAtLookHeight() override { return lastWind; }
};

class AnalysisCommandsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        core::MainDatabase::create(folder.dir() + core::MainDatabase::kFileName);
        start();
        addGenerator(db(), sampleGenerator("TestGen 100"));
    }
    // Starts the session again on the same folder (a new run of the program).
    void start() {
        commands.reset();
        session.reset();
        session = std::make_unique<session::Session>(folder.dir(), prompter);
        commands = std::make_unique<session::AnalysisCommands>(*session, live);
        commands->attachToStartUp();
        live.commands = commands.get();
        ASSERT_EQ(session->startUp(), session::Session::StartResult::Ready);
    }
    analysis::AnalysisStore& store() { return commands->store(); }
    SQLite::Database& db() { return session->mainDb().db(); }
    long long rows() { return db().execAndGet("SELECT count(*) FROM datapoints").getInt64(); }

    TempFolder folder;
    ScriptedPrompter prompter;
    FakeLiveAnalysis live;
    std::unique_ptr<session::Session> session;
    std::unique_ptr<session::AnalysisCommands> commands;
};

}  // namespace skyloom::test
