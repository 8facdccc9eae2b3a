#include "session/StationSummary.h"

#include <cmath>

#include <SQLiteCpp/Statement.h>

#include "core/Dates.h"
#include "core/Formats.h"
#include "core/Rounding.h"
#include "core/MainDatabase.h"
#include "core/SqlUtil.h"
#include "core/Text.h"
#include "sounding/LevelStatistics.h"

namespace skyloom::session {

std::optional<std::string> stationSummary(core::MainDatabase& db, long wmo, bool subRange) {
    auto& main = db.db();
    SQLite::Statement st(main,
                         "SELECT stationname, country, lat, lon FROM stations WHERE wmo = ? AND nodataavailable = 0");
    st.bind(1, static_cast<std::int64_t>(wmo));
    if (!st.executeStep()) return std::nullopt;
    std::string name = core::trim(core::columnText(st.getColumn(0)));
    std::string abrev = core::columnText(st.getColumn(1));
    double lat = st.getColumn(2).getDouble();
    double lon = st.getColumn(3).getDouble();

    SQLite::Statement hd(main,
                         "SELECT FromDate, ToDate, NumSoundings, NumDataPoints, NumDeletedDataPoints, TimeGaps "
                         "FROM havedata WHERE wmo = ? ORDER BY key LIMIT 1");
    hd.bind(1, static_cast<std::int64_t>(wmo));
    if (!hd.executeStep()) return std::nullopt;
    auto from = core::parseIsoDate(core::columnText(hd.getColumn(0)));
    auto to = core::parseIsoDate(core::columnText(hd.getColumn(1)));
    if (!from || !to) return std::nullopt;
    long soundings = static_cast<long>(hd.getColumn(2).getInt64());
    long points = static_cast<long>(hd.getColumn(3).getInt64());
    long deleted = static_cast<long>(hd.getColumn(4).getInt64());
    double gaps = hd.getColumn(5).getDouble();

    std::string heading = name;
    SQLite::Statement c(main, "SELECT country, region FROM countries WHERE abrev = ? LIMIT 1");
    c.bind(1, abrev);
    if (c.executeStep()) {
        std::string country = core::trim(core::columnText(c.getColumn(0)));
        std::string region = core::trim(core::columnText(c.getColumn(1)));
        heading += ", " + country + (region.empty() ? "" : " " + region);
    }
    double years = sounding::yearsOfRange(core::daysBetween(*from, *to));
    std::string yearsText = core::formatNumber(years, years < 5 ? "#.0" : "0");
    double ignoredShare = points + deleted > 0 ? 100.0 * deleted / (points + deleted) : 0.0;
    std::string visible = heading + " from " + core::formatDate(*from, "dd-mmm-yyyy") + " to " + core::formatDate(*to, "dd-mmm-yyyy") +
                          (subRange ? "     " : " ALL ") + yearsText + " yrs of " +
                          core::formatNumber(core::yearOf(*from) % 100, "00") + "-" + core::formatNumber(core::yearOf(*to) % 100, "00") +
                          " with " + core::formatNumber(soundings, "00000") + " soundings, " +
                          core::formatNumber(points, "000000") + " data points, " + core::formatNumber(ignoredShare / 100, "0.0%") +
                          " ignored and " + core::formatNumber(gaps, "0.0") + "% gaps.";
    return core::padRight(visible, 200) + core::formatNumber(lat, "0.00") + ", " + core::formatNumber(lon, "0.00") + "#" + std::to_string(wmo);
}

}  // namespace skyloom::session
