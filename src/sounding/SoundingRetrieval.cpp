#include "sounding/SoundingRetrieval.h"

#include <algorithm>
#include <chrono>
#include <memory>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <sqlite3.h>

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

// The rows are read in file order, which is time order for files written in
// one pass; anything else is put in time order in memory afterwards. This
// avoids the engine copying every wide row into a sorter.
std::string whereClause(bool ignoreZeroGroundWind) {
    std::string where = " FROM soundings NOT INDEXED WHERE stationwmo = ? AND Date >= ? AND Date < ?";
    if (ignoreZeroGroundWind) where += " AND gndspd <> 0";
    return where;
}

void bindRange(SQLite::Statement& q, const RetrievalQuery& query) {
    q.bind(1, static_cast<std::int64_t>(query.wmo));
    q.bind(2, core::isoDate(query.from));
    q.bind(3, core::isoDate(query.to + std::chrono::days{1}));
}

// Puts the first n soundings in ascending time order (equal times by key),
// moving every array together.
void sortByTime(SoundingSet& set, int n) {
    const auto begin = set.time.begin() + 1;
    if (std::is_sorted(begin, begin + n, [](const auto& a, const auto& b) { return a[0] < b[0]; })) return;
    std::vector<int> order(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) order[static_cast<std::size_t>(i)] = i + 1;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const auto ua = static_cast<std::size_t>(a), ub = static_cast<std::size_t>(b);
        if (set.time[ua][0] != set.time[ub][0]) return set.time[ua][0] < set.time[ub][0];
        return set.key[ua] < set.key[ub];
    });
    auto permute = [&](auto& column) {
        auto copy = column;
        for (int i = 0; i < n; ++i) column[static_cast<std::size_t>(i + 1)] = copy[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])];
    };
    permute(set.key);
    permute(set.time);
    permute(set.badTemperature);
    permute(set.badPressure);
    permute(set.level);
    permute(set.topWindLevel);
    permute(set.bandCode);
    permute(set.pointCount);
}

}  // namespace

std::string retrievalSql(bool ignoreZeroGroundWind) {
    std::string sql = "SELECT Key, Hrs, BadTemperatureData, BadPressureData";
    for (int l = 0; l < kLevelCount; ++l)
        for (Quantity q : kQuantities) sql += ", \"" + levelColumn(l, q) + "\"";
    sql += ", bands, numpoints" + whereClause(ignoreZeroGroundWind);
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
    // The wide rows are read through the engine's own calls: one column fetch
    // per value without a wrapper object, which halves the time of a load.
    sqlite3_stmt* prepared = nullptr;
    const std::string sql = retrievalSql(query.ignoreZeroGroundWind);
    if (sqlite3_prepare_v2(db.getHandle(), sql.c_str(), static_cast<int>(sql.size()), &prepared, nullptr) != SQLITE_OK)
        throw SQLite::Exception(db.getHandle());
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owner(prepared, sqlite3_finalize);
    sqlite3_stmt* row = prepared;
    const std::string from = core::isoDate(query.from);
    const std::string dayAfter = core::isoDate(query.to + std::chrono::days{1});
    sqlite3_bind_int64(row, 1, query.wmo);
    sqlite3_bind_text(row, 2, from.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(row, 3, dayAfter.c_str(), -1, SQLITE_STATIC);
    int n = 0;
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(row)) == SQLITE_ROW) {
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
        set.key[i] = sqlite3_column_int(row, kKeyColumn);
        set.time[i] = {static_cast<double>(sqlite3_column_int(row, kHrsColumn)), 0, 0, 0, 0};
        set.badTemperature[i] = static_cast<std::int16_t>(sqlite3_column_int(row, kBadTemperatureColumn));
        set.badPressure[i] = static_cast<std::int16_t>(sqlite3_column_int(row, kBadPressureColumn));
        auto& levels = set.level[i];
        std::int16_t top = 0;
        int column = kFirstLevelColumn;
        for (int l = 0; l < kLevelCount; ++l) {
            auto& values = levels[static_cast<std::size_t>(l)];
            values[0] = 0;
            for (Quantity quantity : kQuantities) values[quantity] = sqlite3_column_int(row, column++);
            if (l > 0 && values[Speed] != 0 && values[Direction] != 0) top = static_cast<std::int16_t>(l);
        }
        set.topWindLevel[i] = top;
        auto& band = set.bandCode[i];
        band.fill(' ');
        if (const unsigned char* text = sqlite3_column_text(row, kBandsColumn)) {
            const auto bytes = static_cast<std::size_t>(sqlite3_column_bytes(row, kBandsColumn));
            std::copy_n(text, std::min(bytes, band.size()), band.begin());
        }
        set.pointCount[i] = sqlite3_column_int(row, kPointsColumn);
    }
    if (rc != SQLITE_DONE) throw SQLite::Exception(db.getHandle(), rc);
    sortByTime(set, n);
    set.setCount(n);
    if (progress) progress->step(n, total);
    return n == 0 ? RetrievalResult::Empty : RetrievalResult::Loaded;
}

}  // namespace skyloom::sounding
