#include "session/StationSummary.h"

#include <cmath>

#include <fmt/format.h>
#include <SQLiteCpp/Statement.h>

#include "core/Dates.h"
#include "core/MainDatabase.h"
#include "core/SqlUtil.h"
#include "core/Text.h"

namespace skyloom::session {

namespace {
const char* kMonthAbbrev[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string ddMmmYyyy(core::Days d) {
    return fmt::format("{:02d}-{}-{:04d}", core::dayOf(d), kMonthAbbrev[core::monthOf(d) - 1], core::yearOf(d));
}

// Rounds half to the even neighbour at one decimal.
double roundHalfEven1(double v) {
    double scaled = v * 10;
    double r = std::nearbyint(scaled);  // default rounding mode: to nearest, ties to even
    return r / 10;
}
}  // namespace

double yearsOfRange(int days) {
    double years = days / 365.0;
    return years < 5 ? roundHalfEven1(years) : std::nearbyint(years);
}

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
    double years = yearsOfRange(core::daysBetween(*from, *to));
    std::string yearsText = years < 5 ? fmt::format("{:.1f}", years) : fmt::format("{:.0f}", years);
    double ignoredShare = points + deleted > 0 ? 100.0 * deleted / (points + deleted) : 0.0;
    std::string visible = heading + " from " + ddMmmYyyy(*from) + " to " + ddMmmYyyy(*to) +
                          (subRange ? "     " : " ALL ") + yearsText + " yrs of " +
                          fmt::format("{:02d}-{:02d}", core::yearOf(*from) % 100, core::yearOf(*to) % 100) +
                          " with " + fmt::format("{:05d}", soundings) + " soundings, " +
                          fmt::format("{:06d}", points) + " data points, " + fmt::format("{:.1f}%", ignoredShare) +
                          " ignored and " + fmt::format("{:.1f}", gaps) + "% gaps.";
    return core::padRight(visible, 200) + fmt::format("{:.2f}, {:.2f}#{}", lat, lon, wmo);
}

}  // namespace skyloom::session
