#include "sounding/SoundingRetrieval.h"

#include <algorithm>
#include <chrono>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "core/Progress.h"
#include "sounding/StationDataFile.h"

namespace skyloom::sounding {

namespace {

constexpr int kProgressEvery = 1024;
constexpr Quantity kQuantities[] = {Speed, Direction, Temperature, Pressure};
// Column positions in the select list below.
constexpr int kKeyColumn = 0;
constexpr int kHrsColumn = 1;
constexpr int kBadTemperatureColumn = 2;
constexpr int kBadPressureColumn = 3;
constexpr int kFirstLevelColumn = 4;
constexpr int kBandsColumn = kFirstLevelColumn + kLevelCount * 4;
constexpr int kPointsColumn = kBandsColumn + 1;

std::string whereClause(bool ignoreZeroGroundWind) {
    std::string where = " FROM soundings WHERE stationwmo = ? AND Date >= ? AND Date < ?";
    if (ignoreZeroGroundWind) where += " AND gndspd <> 0";
    return where;
}

void bindRange(SQLite::Statement& q, const RetrievalQuery& query) {
    q.bind(1, static_cast<std::int64_t>(query.wmo));
    q.bind(2, core::isoDate(query.from));
    q.bind(3, core::isoDate(query.to + std::chrono::days{1}));
}

}  // namespace

std::string retrievalSql(bool ignoreZeroGroundWind) {
    std::string sql = "SELECT Key, Hrs, BadTemperatureData, BadPressureData";
    for (int l = 0; l < kLevelCount; ++l)
        for (Quantity q : kQuantities) sql += ", \"" + levelColumn(l, q) + "\"";
    sql += ", bands, numpoints" + whereClause(ignoreZeroGroundWind) + " ORDER BY Hrs";
    return sql;
}

RetrievalResult retrieveSoundings(SQLite::Database& db, const RetrievalQuery& query, SoundingSet& set,
                                  core::Progress* progress) {
    set.reset();
    std::int64_t total = 0;
    if (progress) {
        SQLite::Statement count(db, "SELECT count(*)" + whereClause(query.ignoreZeroGroundWind));
        bindRange(count, query);
        if (count.executeStep()) total = count.getColumn(0).getInt64();
    }
    SQLite::Statement q(db, retrievalSql(query.ignoreZeroGroundWind));
    bindRange(q, query);
    int n = 0;
    while (q.executeStep()) {
        ++n;
        if (progress && n % kProgressEvery == 0) {
            progress->step(n, total);
            if (progress->cancelRequested()) {
                set.reset();
                return RetrievalResult::Cancelled;
            }
        }
        set.ensureCapacity(n);
        const auto i = static_cast<std::size_t>(n);
        set.key[i] = q.getColumn(kKeyColumn).getInt();
        set.time[i] = {static_cast<double>(q.getColumn(kHrsColumn).getInt()), 0, 0, 0, 0};
        set.badTemperature[i] = static_cast<std::int16_t>(q.getColumn(kBadTemperatureColumn).getInt());
        set.badPressure[i] = static_cast<std::int16_t>(q.getColumn(kBadPressureColumn).getInt());
        auto& levels = set.level[i];
        std::int16_t top = 0;
        int column = kFirstLevelColumn;
        for (int l = 0; l < kLevelCount; ++l) {
            auto& values = levels[static_cast<std::size_t>(l)];
            values[0] = 0;
            for (Quantity quantity : kQuantities) values[quantity] = q.getColumn(column++).getInt();
            if (l > 0 && values[Speed] != 0 && values[Direction] != 0) top = static_cast<std::int16_t>(l);
        }
        set.topWindLevel[i] = top;
        auto& band = set.bandCode[i];
        band.fill(' ');
        const SQLite::Column bands = q.getColumn(kBandsColumn);
        const char* text = bands.getText("");
        const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(bands.getBytes()), band.size());
        std::copy_n(text, length, band.begin());
        set.pointCount[i] = q.getColumn(kPointsColumn).getInt();
    }
    set.setCount(n);
    if (progress) progress->step(n, total);
    return n == 0 ? RetrievalResult::Empty : RetrievalResult::Loaded;
}

}  // namespace skyloom::sounding
