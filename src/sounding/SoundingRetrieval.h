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

// How the rows are read. Every way gives the same set.
enum class RetrievalStrategy {
    // A range that is a small part of the file through the date index; a large
    // range by two readers (see kSplitReadRows) on a machine with more than one
    // processor; else one pass.
    Automatic,
    // One pass over the table in file order on the caller's connection.
    OnePass,
    // Two readers whenever a second connection to the file can be opened.
    TwoReaders,
};

// Ranges estimated to hold at least this many soundings are read by two
// readers at once: the caller's thread and a worker thread, each on a
// read-only connection of its own, take parts of the range in turn. Below it
// the thread and the connections cost more than they save.
inline constexpr int kSplitReadRows = 4000;

// The SQL of the query: parameters 1 wmo, 2 first day, 3 the day after the last
// one (so any time part stored with a date still falls inside the range).
// The caller gets the soundings in ascending time order from retrieveSoundings.
std::string retrievalSql(bool ignoreZeroGroundWind);

// Reads the soundings of the range into set, and sets each sounding's top wind
// level. The set ends as an emptied set grown in steps of 1000 would (sounding 0
// and the room after the count zero, the derived table empty) but keeps the
// memory it had, so a reused set is filled without clearing or fresh pages.
// Reports through progress (when given; only ever called on the caller's
// thread) and stops when it asks to cancel (the set is then left empty, as
// after a failed read). Other connections are only opened when db is a file
// without an open transaction, so that every reader sees the same committed rows.
RetrievalResult retrieveSoundings(SQLite::Database& db, const RetrievalQuery& query, SoundingSet& set,
                                  core::Progress* progress = nullptr,
                                  RetrievalStrategy strategy = RetrievalStrategy::Automatic);

}  // namespace skyloom::sounding
