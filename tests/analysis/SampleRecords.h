#pragma once

// Analyses and generators for the record, study and export tests.

#include <string>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "analysis/AnalysisRecord.h"

namespace skyloom::test {

inline analysis::GeneratorBlock sampleGenerator(const std::string& name, double costPerYear = 20000) {
    analysis::GeneratorBlock g;
    g[0] = name;
    g[1] = 150.0;       // Temperature, tenths of a degree
    g[2] = 1013.25;     // Pressure
    g[3] = 6.0;         // CutInSpeed
    g[4] = 100.0;       // MaxKW
    for (int p = 0; p < 10; ++p) {
        g[static_cast<std::size_t>(5 + 2 * p)] = p < 5 ? 8.0 + 4 * p : 0.0;          // spd
        g[static_cast<std::size_t>(6 + 2 * p)] = p < 5 ? 10.0 + 20 * p : 0.0;        // kw
    }
    g[25] = 100.0;       // height
    g[26] = 0LL;         // OrgData
    g[27] = costPerYear; // CostPerYear
    g[28] = 100.0;       // MaxToGrid
    g[29] = 50.0;        // CutOut
    return g;
}

// An analysis of station wmo at a usage, with results that do not need rounding
// unless a test sets them otherwise.
inline analysis::AnalysisRecord sampleRecord(long long wmo = 72493, double usage = 50,
                                             const std::string& generator = "TestGen 100") {
    analysis::AnalysisRecord r;
    r.generator = sampleGenerator(generator);
    r.aveused = usage;
    r.bankSize = 2;
    r.batDollarsPerkWhr = 15;
    r.storeEff = 80;
    r.shortCost = 0.12;
    r.lookHeight = 30.5;
    r.fromDate = "2019-01-01";
    r.toDate = "2019-12-31";
    r.siteName = "OAKLAND";
    r.selline = "OAKLAND from 01-Jan-2019 to 31-Dec-2019";
    r.generatorCost = 20000;
    r.sellPrice = 0.05;
    r.wmo = wmo;
    r.refWmo = wmo;
    r.units = "m/sec";
    r.stateOfCharge = 75;
    r.dataColor = -25;
    r.activateI = 0;
    r.ignoreZ = -1;
    r.result(analysis::TotalEPot) = 123;
    r.result(analysis::TotalEUse) = 45.6;
    r.result(analysis::UnusedCap) = 77.4;
    r.result(analysis::ActCF) = 312;
    r.result(analysis::PotCF) = 14;
    r.result(analysis::PotkW) = 14;
    r.result(analysis::IdlePercent) = 38;
    r.result(analysis::PercentNonWind) = 21;
    r.result(analysis::ShortE) = 92;
    r.result(analysis::DieselPercent) = 33;
    r.result(analysis::BuyE) = 11;
    r.result(analysis::TempPressPercent) = 2.1;
    r.result(analysis::UsedEnergyCost) = 0.21;
    r.result(analysis::NetEnergyCost) = 0.19;
    r.result(analysis::Income) = 4100;
    r.result(analysis::NetSave) = 1200;
    r.aveWind = 6.2;
    r.meanWind = 5.8;
    r.seeSoundings = 730;
    r.seePoints = 8030;
    r.seeDiscarded = 3;
    r.tgaps = 1;
    r.dodate = "2026-03-05 17:13:48";
    r.doTime = 62028;
    r.sessionAnalNum = 1;
    return r;
}

inline void addGenerator(SQLite::Database& db, const analysis::GeneratorBlock& g) {
    std::string cols, marks;
    for (int i = 1; i <= core::kGeneratorBlockSize; ++i) {
        cols += (i > 1 ? ", \"" : "\"") + std::string(core::kGeneratorColumns[static_cast<std::size_t>(i)].name) + "\"";
        marks += i > 1 ? ", ?" : "?";
    }
    SQLite::Statement q(db, "INSERT INTO generators (" + cols + ") VALUES (" + marks + ")");
    for (int i = 0; i < core::kGeneratorBlockSize; ++i) analysis::bindValue(q, i + 1, g[static_cast<std::size_t>(i)]);
    q.exec();
}

}  // namespace skyloom::test
