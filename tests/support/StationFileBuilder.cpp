#include "StationFileBuilder.h"

#include <algorithm>
#include <filesystem>

#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <fmt/format.h>

#include "core/DatabaseFile.h"
#include "core/MainDatabase.h"

namespace skyloom::test {

using sounding::kLevelCount;

FixtureSounding FixtureSounding::typical(core::HoursSince1930 hrs, std::int32_t groundSpeed) {
    FixtureSounding s;
    s.hrs = hrs;
    for (int l = 0; l < kLevelCount; ++l) {
        auto& v = s.levels[static_cast<std::size_t>(l)];
        v[0] = groundSpeed + groundSpeed * l / 10;
        v[1] = 270;
        v[2] = 1500 - 198 * l / 2;            // about 2 degrees per 1000 feet
        v[3] = 101325 - 1800 * l;             // about 18 mb per 500 feet
    }
    return s;
}

StationFileBuilder::StationFileBuilder(std::string path, long wmo) : path_(std::move(path)), wmo_(wmo) {}

StationFileBuilder& StationFileBuilder::add(const FixtureSounding& s) {
    rows_.push_back(s);
    return *this;
}

StationFileBuilder& StationFileBuilder::addTwiceDaily(core::Days from, core::Days to,
                                                      const std::function<std::int32_t(int)>& groundSpeed) {
    int n = 0;
    for (core::Days d = from; d <= to; d += std::chrono::days{1}) {
        for (int hour : {0, 12}) {
            const std::int32_t speed = groundSpeed ? groundSpeed(n) : 50 + (n * 37) % 200;
            rows_.push_back(FixtureSounding::typical(core::hoursSince1930(d, hour), speed));
            ++n;
        }
    }
    return *this;
}

std::string StationFileBuilder::pathFor(const std::string& appDir, long wmo) {
    return appDir + "data/" + std::to_string(wmo) + ".dat";
}

sounding::HaveDataRow StationFileBuilder::write(long numDeletedDataPoints, long numDeletedSoundings) {
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path());
    if (!std::filesystem::exists(path_)) sounding::StationDataFile::createEmpty(path_);
    std::sort(rows_.begin(), rows_.end(), [](const auto& a, const auto& b) { return a.hrs < b.hrs; });

    std::string columns = "Hrs, stationwmo, Date, Time, BadTemperatureData, BadPressureData, bands, numpoints";
    std::string marks = "?, ?, ?, ?, ?, ?, ?, ?";
    for (int l = 0; l < kLevelCount; ++l)
        for (auto q : {sounding::Speed, sounding::Direction, sounding::Temperature, sounding::Pressure}) {
            columns += ", \"" + sounding::levelColumn(l, q) + "\"";
            marks += ", ?";
        }

    SQLite::Database db = core::openGuardedDatabase(path_, false);
    SQLite::Transaction tx(db);
    SQLite::Statement ins(db, "INSERT INTO soundings (" + columns + ") VALUES (" + marks + ")");
    sounding::HaveDataRow have;
    have.wmo = wmo_;
    for (const auto& s : rows_) {
        const core::Days day = core::dateOfHours(s.hrs);
        ins.bind(1, s.hrs);
        ins.bind(2, static_cast<std::int64_t>(wmo_));
        ins.bind(3, core::isoDate(day));
        ins.bind(4, fmt::format("{:02}:00:00", core::hourOfHours(s.hrs)));
        ins.bind(5, s.badTemperature);
        ins.bind(6, s.badPressure);
        ins.bind(7, s.bands);
        ins.bind(8, s.numPoints);
        int p = 9;
        for (const auto& level : s.levels)
            for (std::int32_t v : level) ins.bind(p++, v);
        ins.exec();
        ins.reset();
        ++have.numSoundings;
        have.numDataPoints += s.numPoints;
    }
    if (!rows_.empty()) {
        have.fromDate = core::isoDate(core::dateOfHours(rows_.front().hrs));
        have.toDate = core::isoDate(core::dateOfHours(rows_.back().hrs));
    }
    have.numDeletedDataPoints = numDeletedDataPoints;
    have.numDeletedSoundings = numDeletedSoundings;
    db.exec("DELETE FROM stations");
    db.exec("DELETE FROM HaveData");
    SQLite::Statement st(db,
                         "INSERT INTO stations (wmo, fromDate, toDate, NumSoundings, NumDataPoints, "
                         "NumDeletedDataPoints, NumDeletedSoundings, TimeGaps) VALUES (?, ?, ?, ?, ?, ?, ?, 0)");
    SQLite::Statement hd(db,
                         "INSERT INTO HaveData (wmo, FromDate, ToDate, NumSoundings, NumDataPoints, "
                         "NumDeletedDataPoints, NumDeletedSoundings, TimeGaps) VALUES (?, ?, ?, ?, ?, ?, ?, 0)");
    for (SQLite::Statement* q : {&st, &hd}) {
        q->bind(1, static_cast<std::int64_t>(wmo_));
        q->bind(2, have.fromDate);
        q->bind(3, have.toDate);
        q->bind(4, static_cast<std::int64_t>(have.numSoundings));
        q->bind(5, static_cast<std::int64_t>(have.numDataPoints));
        q->bind(6, static_cast<std::int64_t>(have.numDeletedDataPoints));
        q->bind(7, static_cast<std::int64_t>(have.numDeletedSoundings));
        q->exec();
    }
    tx.commit();
    rows_.clear();
    return have;
}

void registerStation(core::MainDatabase& db, const sounding::HaveDataRow& have, const std::string& name,
                     const std::string& country, double lat, double lon) {
    SQLite::Transaction tx(db.db());
    SQLite::Statement st(db.db(),
                         "INSERT INTO stations (wmo, stationname, country, lat, lon, elev, nodataavailable, HaveData, "
                         "fromdate, todate) VALUES (?, ?, ?, ?, ?, 20, 0, -1, ?, ?)");
    st.bind(1, static_cast<std::int64_t>(have.wmo));
    st.bind(2, name);
    st.bind(3, country);
    st.bind(4, lat);
    st.bind(5, lon);
    st.bind(6, have.fromDate);
    st.bind(7, have.toDate);
    st.exec();
    SQLite::Statement hd(db.db(),
                         "INSERT INTO havedata (wmo, FromDate, ToDate, NumSoundings, NumDataPoints, "
                         "NumDeletedDataPoints, NumDeletedSoundings, TimeGaps) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    hd.bind(1, static_cast<std::int64_t>(have.wmo));
    hd.bind(2, have.fromDate);
    hd.bind(3, have.toDate);
    hd.bind(4, static_cast<std::int64_t>(have.numSoundings));
    hd.bind(5, static_cast<std::int64_t>(have.numDataPoints));
    hd.bind(6, static_cast<std::int64_t>(have.numDeletedDataPoints));
    hd.bind(7, static_cast<std::int64_t>(have.numDeletedSoundings));
    hd.bind(8, have.timeGaps);
    hd.exec();
    tx.commit();
}

}  // namespace skyloom::test
