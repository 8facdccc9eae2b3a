#include "sounding/StationDataFile.h"

#include <filesystem>
#include <map>
#include <mutex>

#include <sys/stat.h>

#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <zlib.h>

#include "core/DatabaseFile.h"
#include "core/FileOps.h"
#include "core/Prompter.h"
#include "core/SqlUtil.h"
#include "core/WholeFile.h"

namespace skyloom::sounding {

std::string levelColumn(int level, Quantity q) {
    if (level == 0) {
        switch (q) {
            case Speed: return "gndspd";
            case Direction: return "GNDDir";
            case Temperature: return "GNDtemp";
            case Pressure: return "GNDpres";
        }
    }
    std::string h = std::to_string(level * kLevelStepFeet);
    switch (q) {
        case Speed: return h + "spd";
        case Direction: return h + "Dir";
        case Temperature: return h + "temp";
        case Pressure: return h + "press";
    }
    return {};
}

namespace {
constexpr const char* kHaveDataTable =
    "CREATE TABLE HaveData (key INTEGER PRIMARY KEY AUTOINCREMENT, wmo INTEGER, FromDate TEXT, ToDate TEXT, "
    "NumSoundings INTEGER, NumDataPoints INTEGER, NumDeletedDataPoints INTEGER, NumDeletedSoundings INTEGER, "
    "TimeGaps REAL)";
}

void createStationSchema(SQLite::Database& db) {
    std::string levels;
    for (int l = 0; l < kLevelCount; ++l)
        for (Quantity q : {Speed, Direction, Temperature, Pressure}) levels += ", \"" + levelColumn(l, q) + "\" INTEGER";
    SQLite::Transaction tx(db, SQLite::TransactionBehavior::IMMEDIATE);
    db.exec("CREATE TABLE soundings (Key INTEGER PRIMARY KEY AUTOINCREMENT, Hrs INTEGER NOT NULL, "
            "stationwmo INTEGER NOT NULL, Date TEXT NOT NULL, Time TEXT NOT NULL" +
            levels +
            ", BadTemperatureData INTEGER DEFAULT 0, BadPressureData INTEGER DEFAULT 0, bands TEXT, numpoints INTEGER, "
            "wban INTEGER, lat REAL, lon REAL, elev REAL, rtime TEXT, staid TEXT, sonde TEXT, hydro TEXT, mxwd TEXT, "
            "tropl TEXT, tindex TEXT, Source TEXT)");
    db.exec("CREATE INDEX soundings_hrs ON soundings(Hrs)");
    db.exec("CREATE UNIQUE INDEX soundings_when ON soundings(stationwmo, Date, Time)");
    db.exec("CREATE TABLE deleted (id INTEGER PRIMARY KEY AUTOINCREMENT, wmo INTEGER, stationwmo INTEGER, Date TEXT, "
            "Time TEXT, sounding TEXT, deletedall INTEGER, deletedline TEXT, Reason TEXT COLLATE NOCASE, "
            "numdpdeleted INTEGER)");
    db.exec("CREATE INDEX deleted_when ON deleted(wmo, Date, Time)");
    db.exec("CREATE TABLE stations (wmo INTEGER, wban INTEGER, lat REAL, lon REAL, elev REAL, rtime TEXT, "
            "fromDate TEXT, toDate TEXT, NumSoundings INTEGER, NumDataPoints INTEGER, NumDeletedDataPoints INTEGER, "
            "NumDeletedSoundings INTEGER, TimeGaps REAL)");
    db.exec(kHaveDataTable);
    tx.commit();
}

void StationDataFile::createEmpty(const std::string& path) {
    const auto building = core::makeTemporaryBeside(path, "making");
    try {
        {
            SQLite::Database db = core::openGuardedDatabase(building.string(), true);
            createStationSchema(db);
        }
        core::replaceWithWhole(building, path);
    } catch (...) {
        std::error_code ec;
        std::filesystem::remove(building, ec);
        std::filesystem::remove(building.string() + "-journal", ec);
        throw;
    }
}

std::string StationDataFile::emptyFileProblem(const std::string& path) {
    std::string problem = core::databaseFileProblem(path, {"soundings", "deleted", "stations", "HaveData"});
    if (!problem.empty()) return problem;
    try {
        SQLite::Database db = core::openGuardedDatabase(path, false);
        for (const char* table : {"soundings", "deleted", "stations", "HaveData"})
            if (db.execAndGet(std::string("SELECT count(*) FROM ") + table).getInt64() != 0)
                return std::string("it is not empty (its table '") + table + "' holds rows)";
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

namespace {
// What identifies one state of a file: any write changes its change time.
struct FileState {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified = 0, changed = 0;
    bool operator==(const FileState&) const = default;
};
std::optional<FileState> stateOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    auto ns = [](const timespec& t) { return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return FileState{st.st_dev, st.st_ino, st.st_size, ns(st.st_mtim), ns(st.st_ctim)};
}
}  // namespace

std::string StationDataFile::emptyFileProblemOnce(const std::string& path) {
    static std::mutex lock;
    static std::map<std::string, FileState> passed;
    const auto before = stateOf(path);
    {
        std::lock_guard<std::mutex> guard(lock);
        if (auto it = passed.find(path); before && it != passed.end() && it->second == *before) return {};
    }
    std::string problem = emptyFileProblem(path);
    // Only a file that did not change while it was checked is remembered.
    if (problem.empty() && before && stateOf(path) == before) {
        std::lock_guard<std::mutex> guard(lock);
        passed[path] = *before;
    }
    return problem;
}

std::unique_ptr<StationDataFile> StationDataFile::open(const std::string& path, bool quiet,
                                                       core::Prompter& prompter) {
    if (!core::fileExists(path)) {
        if (!quiet) prompter.message("Unable to Display Data, File '" + path + "' is missing.");
        return nullptr;
    }
    try {
        SQLite::Database db = core::openGuardedDatabase(path, false);
        // One look at the schema for the four tables (each look is a lock taken and let go).
        SQLite::Statement names(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name IN "
                                    "('soundings', 'deleted', 'stations', 'HaveData')");
        int tables = 0;
        bool haveDataTable = false;
        while (names.executeStep()) {
            ++tables;
            if (names.getColumn(0).getString() == "HaveData") haveDataTable = true;
        }
        names.reset();
        if (tables - (haveDataTable ? 1 : 0) != 3)
            throw SQLite::Exception("not a station data file (tables missing)", 26);
        if (!haveDataTable) {
            // Older files keep their summary only in `stations`.
            SQLite::Transaction tx(db, SQLite::TransactionBehavior::IMMEDIATE);
            int rows = db.execAndGet("SELECT count(*) FROM stations").getInt();
            if (rows > 1)
                throw SQLite::Exception("its stations table describes " + std::to_string(rows) +
                                            " stations; a station data file holds one",
                                        26);
            db.exec(kHaveDataTable);
            if (rows == 1)
                db.exec("INSERT INTO HaveData (wmo, FromDate, ToDate, NumSoundings, NumDataPoints, "
                        "NumDeletedDataPoints, NumDeletedSoundings, TimeGaps) SELECT wmo, fromDate, toDate, "
                        "NumSoundings, NumDataPoints, NumDeletedDataPoints, NumDeletedSoundings, TimeGaps "
                        "FROM stations");
            tx.commit();
        }
        return std::unique_ptr<StationDataFile>(new StationDataFile(path, std::move(db)));
    } catch (const std::exception& e) {
        if (!quiet)
            prompter.message("The station data file '" + path + "' could not be opened: " + e.what());
        return nullptr;
    }
}

std::optional<HaveDataRow> StationDataFile::haveData() {
    SQLite::Statement q(db_, std::string("SELECT ") + kHaveDataColumns + " FROM HaveData ORDER BY key LIMIT 1");
    if (!q.executeStep()) return std::nullopt;
    HaveDataRow r;
    r.wmo = static_cast<long>(q.getColumn(0).getInt64());
    r.fromDate = q.getColumn(1).isNull() ? "" : q.getColumn(1).getString();
    r.toDate = q.getColumn(2).isNull() ? "" : q.getColumn(2).getString();
    r.numSoundings = static_cast<long>(q.getColumn(3).getInt64());
    r.numDataPoints = static_cast<long>(q.getColumn(4).getInt64());
    r.numDeletedDataPoints = static_cast<long>(q.getColumn(5).getInt64());
    r.numDeletedSoundings = static_cast<long>(q.getColumn(6).getInt64());
    r.timeGaps = q.getColumn(7).getDouble();
    return r;
}

void insertHaveDataRow(SQLite::Database& db, const std::string& table, const HaveDataRow& r) {
    SQLite::Statement ins(db, "INSERT INTO " + table + " (" + kHaveDataColumns + ") VALUES (?,?,?,?,?,?,?,?)");
    ins.bind(1, static_cast<std::int64_t>(r.wmo));
    ins.bind(2, r.fromDate);
    ins.bind(3, r.toDate);
    ins.bind(4, static_cast<std::int64_t>(r.numSoundings));
    ins.bind(5, static_cast<std::int64_t>(r.numDataPoints));
    ins.bind(6, static_cast<std::int64_t>(r.numDeletedDataPoints));
    ins.bind(7, static_cast<std::int64_t>(r.numDeletedSoundings));
    ins.bind(8, r.timeGaps);
    ins.exec();
}

void StationDataFile::writeHaveData(const HaveDataRow& r) {
    SQLite::Transaction tx(db_, SQLite::TransactionBehavior::IMMEDIATE);
    db_.exec("DELETE FROM HaveData");
    insertHaveDataRow(db_, "HaveData", r);
    tx.commit();
}

void carryOverUserDeletions(const std::string& appDir, long wmo, core::Prompter& prompter) {
    const std::string oldPath = appDir + "data/" + std::to_string(wmo) + "_Previous.dat";
    const std::string newPath = appDir + "data/" + std::to_string(wmo) + ".dat";
    try {
        core::SilentPrompter quiet;
        auto oldFile = StationDataFile::open(oldPath, true, quiet);
        if (oldFile) {
            SQLite::Statement rows(oldFile->db(),
                                   "SELECT wmo, stationwmo, Date, Time, sounding, deletedall, deletedline, Reason, "
                                   "numdpdeleted FROM deleted WHERE Reason = 'EndUser Deleted' ORDER BY id");
            std::unique_ptr<StationDataFile> newFile;
            while (rows.executeStep()) {
                if (!newFile) {
                    newFile = StationDataFile::open(newPath, false, prompter);
                    if (!newFile) break;
                }
                auto& db = newFile->db();
                const std::string date = rows.getColumn(2).getString();
                const std::string time = rows.getColumn(3).getString();
                SQLite::Transaction tx(db, SQLite::TransactionBehavior::IMMEDIATE);
                SQLite::Statement del(db, "DELETE FROM soundings WHERE stationwmo = ? AND Date = ? AND Time = ?");
                del.bind(1, static_cast<std::int64_t>(wmo));
                del.bind(2, date);
                del.bind(3, time);
                del.exec();
                SQLite::Statement have(db, "SELECT count(*) FROM deleted WHERE wmo = ? AND Date = ? AND Time = ?");
                have.bind(1, static_cast<std::int64_t>(wmo));
                have.bind(2, date);
                have.bind(3, time);
                have.executeStep();
                if (have.getColumn(0).getInt() == 0) {
                    SQLite::Statement add(db,
                                          "INSERT INTO deleted (wmo, stationwmo, Date, Time, sounding, deletedall, "
                                          "deletedline, Reason, numdpdeleted) VALUES (?,?,?,?,?,1,?,?,?)");
                    for (int c = 0; c < 9; ++c) {
                        if (c == 5) continue;  // deletedall is always 1 here
                        int param = c < 5 ? c + 1 : c;
                        core::bindColumn(add, param, rows.getColumn(c));
                    }
                    add.exec();
                }
                tx.commit();
            }
        }
    } catch (const std::exception&) {
        // Errors of the carry-over are not reported; the old copy goes all the same.
    }
    std::error_code ec;
    std::filesystem::remove(oldPath, ec);
}

std::string compressText(const std::string& data, int* status) {
    uLongf outLen = static_cast<uLongf>(data.size() + data.size() / 100 + 12 + 1);
    std::string out(outLen, '\0');
    int rc = ::compress(reinterpret_cast<Bytef*>(out.data()), &outLen, reinterpret_cast<const Bytef*>(data.data()),
                        static_cast<uLong>(data.size()));
    if (status) *status = rc;
    out.resize(rc == Z_OK ? outLen : 0);
    return out;
}

std::string uncompressText(const std::string& data, std::size_t unpackedLength, int* status) {
    uLongf outLen = static_cast<uLongf>(unpackedLength);
    std::string out(unpackedLength, '\0');
    int rc = ::uncompress(reinterpret_cast<Bytef*>(out.data()), &outLen,
                          reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()));
    if (status) *status = rc;
    out.resize(rc == Z_OK ? outLen : 0);
    return out;
}

}  // namespace skyloom::sounding
