#include "sounding/RecordGaps.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "core/Dates.h"
#include "sounding/LevelStatistics.h"

namespace skyloom::sounding {

double recordGapPercent(SQLite::Database& stationDb) {
    // The launch times in order (from the index), walked as the analysis walks
    // its soundings; the first and last give the record's days.
    SQLite::Statement times(stationDb, "SELECT Hrs FROM soundings ORDER BY Hrs");
    LevelStatistics figures;
    bool first = true;
    core::HoursSince1930 start = 0, previous = 0;
    double previousBefore = 0;
    while (times.executeStep()) {
        const auto t = static_cast<core::HoursSince1930>(times.getColumn(0).getInt64());
        if (!first) {
            // The sounding before this one now knows its hours after.
            const double spacing = sideHours(static_cast<double>(t - previous));
            figures.totalHours += previousBefore + spacing;
            previousBefore = spacing;
        } else {
            start = t;
            previousBefore = kOuterSideHours;
            first = false;
        }
        previous = t;
    }
    if (first) return 0;
    figures.totalHours += previousBefore + kOuterSideHours;
    setPeriodFigures(figures, AnalysisPeriod{core::dateOfHours(start), core::dateOfHours(previous)}, 0, 0);
    return figures.gapPercent;
}

}  // namespace skyloom::sounding
