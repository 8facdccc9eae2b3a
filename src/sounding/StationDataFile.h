#pragma once

#include <memory>
#include <optional>
#include <string>

#include <SQLiteCpp/Database.h>

#include "sounding/SoundingSet.h"

namespace skyloom::core { class Prompter; }

namespace skyloom::sounding {

// The summary row of a station data file (`HaveData`), copied into the main
// database's `havedata` table.
struct HaveDataRow {
    long wmo = 0;
    std::string fromDate, toDate;   // "YYYY-MM-DD"
    long numSoundings = 0;
    long numDataPoints = 0;
    long numDeletedDataPoints = 0;
    long numDeletedSoundings = 0;
    double timeGaps = 0;
};

// The eight summary columns after `key`, as both `HaveData` and the main
// database's `havedata` name them, and an insert of one row into either table.
constexpr const char* kHaveDataColumns =
    "wmo, FromDate, ToDate, NumSoundings, NumDataPoints, NumDeletedDataPoints, NumDeletedSoundings, TimeGaps";
void insertHaveDataRow(SQLite::Database& db, const std::string& table, const HaveDataRow& row);

// Column name of one quantity at one level in `soundings`: "gndspd", "GNDDir",
// "GNDtemp", "GNDpres" at the ground, "500spd" ... "5000press" above it.
std::string levelColumn(int level, Quantity q);

// One station's soundings file, data/<wmo>.dat: `soundings`, `deleted`,
// `stations` (one row) and `HaveData` (one row).
class StationDataFile {
public:
    // Opens a file. A missing file shows "Unable to Display Data, File '<path>' is
    // missing." unless quiet. A file that is not a station data file gives a
    // message (none when quiet). An older file without `HaveData` gets the table,
    // filled from its `stations` row.
    static std::unique_ptr<StationDataFile> open(const std::string& path, bool quiet, core::Prompter& prompter);
    // Creates an empty station data file (the program's "empty.dat"), written
    // whole: built under a temporary name and renamed. Throws when it cannot.
    static void createEmpty(const std::string& path);
    // What is wrong with a file that should be an empty station data file (a
    // damaged or partial file, a missing table, soundings in it), or empty when
    // it is one.
    static std::string emptyFileProblem(const std::string& path);
    // The same check, made once for as long as the file stays exactly as it was
    // when it passed (same file, length, modification and change times): an
    // import of many files checks "empty.dat" once, not once per new station.
    static std::string emptyFileProblemOnce(const std::string& path);

    SQLite::Database& db() { return db_; }
    const std::string& path() const { return path_; }
    std::optional<HaveDataRow> haveData();
    void writeHaveData(const HaveDataRow& row);

private:
    StationDataFile(std::string path, SQLite::Database db) : path_(std::move(path)), db_(std::move(db)) {}
    std::string path_;
    SQLite::Database db_;
};

void createStationSchema(SQLite::Database& db);

// After a delivered copy of a station's file replaced the old one (now named
// data/<wmo>_Previous.dat), applies the user's own deletions of the old copy to
// the new one, then deletes the old copy.
void carryOverUserDeletions(const std::string& appDir, long wmo, core::Prompter& prompter);

// zlib compression of a byte buffer; status is zlib's return code.
std::string compressText(const std::string& data, int* status = nullptr);
std::string uncompressText(const std::string& data, std::size_t unpackedLength, int* status = nullptr);

}  // namespace skyloom::sounding
