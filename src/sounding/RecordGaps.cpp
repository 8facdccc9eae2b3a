#include "sounding/RecordGaps.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "core/Dates.h"
#include "sounding/LevelStatistics.h"

namespace skyloom::sounding {

double recordGapPercent(SQLite::Database& stationDb) {
    SQLite::Statement range(stationDb, "SELECT min(Date), max(Date) FROM soundings");
    if (!range.executeStep() || range.getColumn(0).isNull()) return 0;
    const auto from = core::parseIsoDate(range.getColumn(0).getString());
    const auto to = core::parseIsoDate(range.getColumn(1).getString());
    if (!from || !to) return 0;
    // The launch times in order, walked as the analysis walks its soundings.
    SQLite::Statement times(stationDb, "SELECT Hrs FROM soundings ORDER BY Hrs");
    LevelStatistics figures;
    bool first = true;
    double previous = 0, previousBefore = 0;
    while (times.executeStep()) {
        const double t = static_cast<double>(times.getColumn(0).getInt64());
        if (!first) {
            // The sounding before this one now knows its hours after.
            const double spacing = sideHours(t - previous);
            figures.totalHours += previousBefore + spacing;
            previousBefore = spacing;
        } else {
            previousBefore = kOuterSideHours;
            first = false;
        }
        previous = t;
    }
    figures.totalHours += previousBefore + kOuterSideHours;
    setPeriodFigures(figures, AnalysisPeriod{*from, *to}, 0, 0);
    return figures.gapPercent;
}

}  // namespace skyloom::sounding
