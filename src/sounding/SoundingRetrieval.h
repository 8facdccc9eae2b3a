#pragma once

#include <string>

#include "core/Dates.h"
#include "sounding/SoundingSet.h"

namespace SQLite { class Database; }
namespace skyloom::core { class Progress; }

namespace skyloom::sounding {

// Which soundings of a station data file an analysis reads.
struct RetrievalQuery {
    long wmo = 0;
    core::Days from{};                  // both ends of the range are included
    core::Days to{};
    // Leave out soundings whose ground speed is 0 (the "IgnoreZ" setting).
    bool ignoreZeroGroundWind = false;
};

enum class RetrievalResult { Loaded, Empty, Cancelled };

// The SQL of the query: parameters 1 wmo, 2 first day, 3 the day after the last
// one (so any time part stored with a date still falls inside the range).
// The caller gets the soundings in ascending time order from retrieveSoundings.
std::string retrievalSql(bool ignoreZeroGroundWind);

// Reads the soundings of the range into set (emptied first) in one pass, growing
// its arrays in steps of 1000, and sets each sounding's top wind level. Reports
// through progress (when given) and stops when it asks to cancel (the set is then
// left empty).
RetrievalResult retrieveSoundings(SQLite::Database& db, const RetrievalQuery& query, SoundingSet& set,
                                  core::Progress* progress = nullptr);

}  // namespace skyloom::sounding
