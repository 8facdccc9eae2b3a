#include "sounding/SoundingImport.h"

#include <charconv>
#include <chrono>
#include <filesystem>
#include <unordered_set>

#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <fmt/format.h>

#include "core/DatabaseFile.h"
#include "core/FileOps.h"
#include "core/Formats.h"
#include "core/MainDatabase.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "core/LineReader.h"
#include "sounding/FileStation.h"
#include "sounding/HaveDataIndex.h"
#include "sounding/Igra2Reader.h"
#include "sounding/LevelBuilder.h"
#include "sounding/QualityCheck.h"
#include "sounding/RawTextReader.h"
#include "sounding/StationDataFile.h"
#include "sounding/WyomingReader.h"

namespace fs = std::filesystem;

namespace skyloom::sounding {

namespace {

constexpr const char* kReportDatePattern = "dddd mmm-dd-yyyy";

SoundingRecord recordOf(const ParsedSounding& s, const LevelBuild& b) {
    SoundingRecord r;
    r.stationwmo = s.wmo;
    r.date = *s.date;
    r.hour = s.hour;
    r.hrs = core::hoursSince1930(*s.date, s.hour);
    r.levels = b.levels;
    r.badTemperatureData = b.badTemperatureData;
    r.badPressureData = b.badPressureData;
    r.bands = b.bands;
    r.numpoints = static_cast<long>(b.points.size());
    r.wban = s.wban;
    r.rtime = s.rtime;
    r.staid = s.staid;
    r.sonde = s.sonde;
    r.hydro = s.hydro;
    r.mxwd = s.mxwd;
    r.tropl = s.tropl;
    r.tindex = s.tindex;
    r.source = s.source;
    r.lat = s.lat;
    r.lon = s.lon;
    r.elev = s.elevationM.value_or(0.0);
    return r;
}

// A sounding's station, date and hour as one number.
std::int64_t soundingKey(long stationwmo, core::Days date, int hour) {
    return (static_cast<std::int64_t>(stationwmo) << 32) ^
           static_cast<std::uint32_t>(core::hoursSince1930(date, hour));
}

// The prepared statements of one import on the open station data file.
class ImportWriter {
public:
    explicit ImportWriter(SQLite::Database& db)
        : inSoundings_(db, "SELECT count(*) FROM soundings WHERE stationwmo = ? AND Date = ? AND Time = ?"),
          inDeleted_(db, "SELECT count(*) FROM deleted WHERE wmo = ? AND stationwmo = ? AND Date = ? AND Time = ?"),
          sameText_(db, "SELECT count(*) FROM deleted WHERE wmo = ? AND Date IS NULL AND sounding = ?"),
          addDeleted_(db, "INSERT INTO deleted (wmo, stationwmo, Date, Time, sounding, deletedall, deletedline, "
                          "Reason, numdpdeleted) VALUES (?,?,?,?,?,1,'',?,?)"),
          addSounding_(db, insertSoundingSql()) {}

    bool present(long wmo, long stationwmo, const std::string& date, const std::string& time) {
        inDeleted_.reset();
        inDeleted_.bind(1, static_cast<std::int64_t>(wmo));
        inDeleted_.bind(2, static_cast<std::int64_t>(stationwmo));
        inDeleted_.bind(3, date);
        inDeleted_.bind(4, time);
        inDeleted_.executeStep();
        return count(inSoundings_, stationwmo, date, time) > 0 || inDeleted_.getColumn(0).getInt64() > 0;
    }

    // The (station, date, time) of every sounding the file holds, in `soundings` or
    // among the station's rows of `deleted`: read once, so that the duplicate test
    // of each sounding is a look-up. False when a stored date or time is not in
    // the form this program writes (the test then asks the database each time).
    bool loadKeys(SQLite::Database& db, long wmo, std::unordered_set<std::int64_t>& keys) {
        SQLite::Statement a(db, "SELECT stationwmo, Date, Time FROM soundings");
        while (a.executeStep())
            if (!addKey(a, keys)) return false;
        SQLite::Statement d(db, "SELECT stationwmo, Date, Time FROM deleted WHERE wmo = ? AND Date IS NOT NULL");
        d.bind(1, static_cast<std::int64_t>(wmo));
        while (d.executeStep())
            if (!addKey(d, keys)) return false;
        return true;
    }

    bool unreadablePresent(long wmo, const std::string& rawText) {
        sameText_.reset();
        sameText_.bind(1, static_cast<std::int64_t>(wmo));
        sameText_.bind(2, rawText);
        sameText_.executeStep();
        return sameText_.getColumn(0).getInt64() > 0;
    }

    void addDeleted(long wmo, long stationwmo, const std::optional<std::string>& date,
                    const std::optional<std::string>& time, const std::string& rawText, const std::string& reason,
                    long points) {
        auto& q = addDeleted_;
        q.reset();
        q.clearBindings();
        q.bind(1, static_cast<std::int64_t>(wmo));
        q.bind(2, static_cast<std::int64_t>(stationwmo));
        if (date) q.bind(3, *date);
        if (time) q.bind(4, *time);
        q.bind(5, rawText);
        q.bind(6, reason);
        q.bind(7, static_cast<std::int64_t>(points));
        q.exec();
    }

    void addSounding(const SoundingRecord& r) {
        auto& q = addSounding_;
        q.reset();
        int i = 1;
        q.bind(i++, static_cast<std::int64_t>(r.hrs));
        q.bind(i++, static_cast<std::int64_t>(r.stationwmo));
        q.bind(i++, core::isoDate(r.date));
        q.bind(i++, soundingTimeText(r.hour));
        for (const auto& l : r.levels) {
            q.bind(i++, l.speed);
            q.bind(i++, l.direction);
            q.bind(i++, l.temperature);
            q.bind(i++, l.pressure);
        }
        q.bind(i++, r.badTemperatureData);
        q.bind(i++, r.badPressureData);
        q.bind(i++, r.bands);
        q.bind(i++, static_cast<std::int64_t>(r.numpoints));
        q.bind(i++, r.wban);
        q.bind(i++, r.lat);
        q.bind(i++, r.lon);
        q.bind(i++, r.elev);
        for (const std::string* s : {&r.rtime, &r.staid, &r.sonde, &r.hydro, &r.mxwd, &r.tropl, &r.tindex, &r.source})
            q.bind(i++, *s);
        q.exec();
    }

private:
    static std::string insertSoundingSql() {
        std::string cols = "Hrs, stationwmo, Date, Time";
        int n = 4;
        for (int l = 0; l < kLevelCount; ++l)
            for (Quantity q : {Speed, Direction, Temperature, Pressure}) {
                cols += ", \"" + levelColumn(l, q) + "\"";
                ++n;
            }
        cols += ", BadTemperatureData, BadPressureData, bands, numpoints, wban, lat, lon, elev, rtime, staid, sonde, "
                "hydro, mxwd, tropl, tindex, Source";
        n += 16;
        std::string marks = "?";
        for (int k = 1; k < n; ++k) marks += ",?";
        return "INSERT INTO soundings (" + cols + ") VALUES (" + marks + ")";
    }

    static bool addKey(SQLite::Statement& q, std::unordered_set<std::int64_t>& keys) {
        const std::string date = q.getColumn(1).getString(), time = q.getColumn(2).getString();
        int y = 0, m = 0, d = 0, h = 0;
        auto num = [](std::string_view t, int& out) {
            auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
            return ec == std::errc() && p == t.data() + t.size();
        };
        if (date.size() != 10 || date[4] != '-' || date[7] != '-' || time.size() < 2 || !num(date.substr(0, 4), y) ||
            !num(date.substr(5, 2), m) || !num(date.substr(8, 2), d) || !num(std::string_view(time).substr(0, 2), h))
            return false;
        const std::chrono::year_month_day ymd{std::chrono::year{y}, std::chrono::month{static_cast<unsigned>(m)},
                                              std::chrono::day{static_cast<unsigned>(d)}};
        if (!ymd.ok() || time != soundingTimeText(h)) return false;
        keys.insert(soundingKey(static_cast<long>(q.getColumn(0).getInt64()), std::chrono::sys_days{ymd}, h));
        return true;
    }

    static std::int64_t count(SQLite::Statement& q, long wmo, const std::string& date, const std::string& time) {
        q.reset();
        q.bind(1, static_cast<std::int64_t>(wmo));
        q.bind(2, date);
        q.bind(3, time);
        q.executeStep();
        return q.getColumn(0).getInt64();
    }

    SQLite::Statement inSoundings_, inDeleted_, sameText_, addDeleted_, addSounding_;
};

// What the file's summary rows (`stations`, `HaveData`) say about everything it
// holds: read once when an import opens the file, kept up to date as soundings
// are stored, written with every committed batch.
struct FileSummary {
    std::string from, to;
    std::int64_t n = 0, points = 0, nDel = 0, pointsDel = 0;
    double gaps = 0;

    // True when the file holds no soundings and no deleted ones (its summary
    // then is all zero), in one look at each table.
    static bool emptyFile(SQLite::Database& db) {
        return !db.execAndGet("SELECT EXISTS (SELECT 1 FROM soundings) OR EXISTS (SELECT 1 FROM deleted) OR "
                              "EXISTS (SELECT 1 FROM HaveData WHERE TimeGaps <> 0)")
                    .getInt();
    }

    void load(SQLite::Database& db) {
        SQLite::Statement s(db, "SELECT min(Date), max(Date), count(*), coalesce(sum(numpoints), 0) FROM soundings");
        s.executeStep();
        from = s.getColumn(0).isNull() ? "" : s.getColumn(0).getString();
        to = s.getColumn(1).isNull() ? "" : s.getColumn(1).getString();
        n = s.getColumn(2).getInt64();
        points = s.getColumn(3).getInt64();
        SQLite::Statement d(db, "SELECT count(*), coalesce(sum(numdpdeleted), 0) FROM deleted");
        d.executeStep();
        nDel = d.getColumn(0).getInt64();
        pointsDel = d.getColumn(1).getInt64();
        SQLite::Statement g(db, "SELECT TimeGaps FROM HaveData ORDER BY key LIMIT 1");
        if (g.executeStep() && !g.getColumn(0).isNull()) gaps = g.getColumn(0).getDouble();
    }
    void added(const std::string& date, long numpoints) {
        if (from.empty() || date < from) from = date;
        if (to.empty() || date > to) to = date;
        ++n;
        points += numpoints;
    }
    void deleted(long numpoints) {
        ++nDel;
        pointsDel += numpoints;
    }

    HaveDataRow write(SQLite::Database& db, long wmo, const SoundingRecord* station) const {
        SQLite::Statement has(db, "SELECT count(*) FROM stations");
        has.executeStep();
        if (has.getColumn(0).getInt64() == 0) {
            SQLite::Statement ins(db, "INSERT INTO stations (wmo, TimeGaps) VALUES (?, 0)");
            ins.bind(1, static_cast<std::int64_t>(wmo));
            ins.exec();
        }
        SQLite::Statement upd(db, "UPDATE stations SET wmo = ?, fromDate = ?, toDate = ?, NumSoundings = ?, "
                                  "NumDataPoints = ?, NumDeletedDataPoints = ?, NumDeletedSoundings = ?");
        upd.bind(1, static_cast<std::int64_t>(wmo));
        upd.bind(2, from);
        upd.bind(3, to);
        upd.bind(4, n);
        upd.bind(5, points);
        upd.bind(6, pointsDel);
        upd.bind(7, nDel);
        upd.exec();
        if (station) {
            SQLite::Statement st(db, "UPDATE stations SET wban = ?, lat = ?, lon = ?, elev = ?, rtime = ?");
            long long wban = 0;
            if (core::parseInteger(station->wban, wban)) st.bind(1, static_cast<std::int64_t>(wban));
            else st.bind(1, station->wban);
            st.bind(2, station->lat);
            st.bind(3, station->lon);
            st.bind(4, station->elev);
            st.bind(5, station->rtime);
            st.exec();
        }
        db.exec("DELETE FROM HaveData");
        HaveDataRow row;
        row.wmo = wmo;
        row.fromDate = from;
        row.toDate = to;
        row.numSoundings = static_cast<long>(n);
        row.numDataPoints = static_cast<long>(points);
        row.numDeletedDataPoints = static_cast<long>(pointsDel);
        row.numDeletedSoundings = static_cast<long>(nDel);
        row.timeGaps = gaps;
        insertHaveDataRow(db, "HaveData", row);
        return row;
    }
};

// The station's file, made from "empty.dat" when it does not exist yet. When it
// cannot be made or opened, problem names the file and says why.
std::unique_ptr<StationDataFile> openOrCreate(const std::string& appDir, long wmo, core::Prompter& prompter,
                                              std::string& problem, bool& made) {
    const std::string path = appDir + "data/" + std::to_string(wmo) + ".dat";
    made = false;
    if (!core::fileExists(path)) {
        made = true;
        std::error_code ec;
        fs::create_directories(appDir + "data", ec);
        const std::string empty = appDir + "empty.dat";
        const std::string cannot = "The station data file '" + path + "' could not be made: ";
        if (core::fileExists(empty)) {
            // A damaged "empty.dat" would make a damaged station file, or give
            // every new station another one's soundings.
            if (const std::string bad = StationDataFile::emptyFileProblemOnce(empty); !bad.empty()) {
                problem = cannot + "'" + empty + "' is damaged (" + bad +
                          "). Run init on the program folder to make it again.";
                return nullptr;
            }
            std::string why;
            if (!core::copyWithSpaceCheck(empty, path, prompter, core::freeBytesOnFileSystem, &why)) {
                problem = cannot + why + ".";
                return nullptr;
            }
        } else {
            try {
                StationDataFile::createEmpty(path);
            } catch (const std::exception& e) {
                problem = cannot + e.what();
                return nullptr;
            }
        }
    }
    auto file = StationDataFile::open(path, true, prompter);
    if (!file)
        problem = "The station data file '" + path + "' could not be opened: " +
                  core::databaseFileProblem(path, {"soundings", "deleted", "stations"});
    return file;
}

std::string reportOf(const ImportResult& r) {
    if (r.added > 0)
        return fmt::format(" Added {} unique soundings from {} to {} with {} data points.", r.added,
                           core::formatDate(*r.firstDate, kReportDatePattern),
                           core::formatDate(*r.lastDate, kReportDatePattern), r.pointsAdded);
    if (r.rejected > 0) return kNothingValid;
    return kNothingNew;
}

// One import into one station data file: the soundings are taken one by one and
// stored in batches, each committed whole with the file's summary.
class StationImport {
public:
    StationImport(const std::string& appDir, long wmo, const ImportOptions& options, core::Prompter& prompter)
        : options_(options), appDir_(appDir), prompter_(prompter) {
        result_.wmo = wmo;
        bool made = false;
        file_ = openOrCreate(appDir, wmo, prompter, problem_, made);
        if (!file_) return;
        auto& db = file_->db();
        // The file's summary and keys are read inside the first batch's
        // transaction: under one lock, and nobody can change them in between.
        tx_.emplace(db, SQLite::TransactionBehavior::IMMEDIATE);
        w_.emplace(db);
        // A file just made from the checked "empty.dat" holds nothing to read,
        // unless another import filled it in the moment before this lock.
        if (made && summary_.emptyFile(db)) {
            exactKeys_ = true;
            return;
        }
        summary_.load(db);
        exactKeys_ = w_->loadKeys(db, wmo, keys_);
    }

    bool opened() const { return file_ != nullptr; }
    ImportResult& result() { return result_; }

    // The file could not be made or opened: the report names it and says why.
    ImportResult notOpened() {
        ImportResult r;
        r.wmo = result_.wmo;
        r.failed = true;
        r.report = problem_;
        prompter_.message(r.report);
        return r;
    }

    // Runs store (the soundings taken one by one) and finishes the import. A
    // database error (a full disk) rolls back the batch being stored and is
    // reported with what the file keeps: nothing new, or the batches committed before.
    template <class Store>
    ImportResult run(Store&& store) {
        try {
            store();
            return finish();
        } catch (const SQLite::Exception& e) {
            tx_.reset();
            ImportResult failed;
            failed.wmo = result_.wmo;
            failed.failed = true;
            const std::string why = core::databaseErrorText(e, appDir_);
            if (committed_ == 0)
                failed.report = "The soundings were not stored in the station data file '" + file_->path() +
                                "' (it was left as it was): " + why;
            else
                failed.report = fmt::format("Only the first {} soundings were stored in the station data file '{}' "
                                            "(the rest were not; importing the file again adds them): {}",
                                            committed_, file_->path(), why);
            prompter_.message(failed.report);
            return failed;
        }
    }

    // Stores or skips one sounding; false when the import is to stop before it
    // (a cancel request, a review nobody could decide).
    bool take(const ParsedSounding& s) {
        if (options_.progress && options_.progress->cancelRequested()) {
            result_.cancelled = true;
            return false;
        }
        const long wmo = result_.wmo;
        if (!s.readProblem.empty()) {
            std::optional<std::string> date, time;
            if (s.date) {
                date = core::isoDate(*s.date);
                time = soundingTimeText(s.hour);
                if (present(s, *date, *time)) {
                    ++result_.duplicates;
                    return true;
                }
            } else if (w_->unreadablePresent(wmo, s.rawText)) {
                ++result_.duplicates;
                return true;
            }
            storeDeleted(s, date, time, s.readProblem, static_cast<long>(s.points.size()));
            ++result_.unreadable;
            return counted();
        }
        const std::string date = core::isoDate(*s.date), time = soundingTimeText(s.hour);
        if (present(s, date, time)) {
            ++result_.duplicates;
            return true;
        }
        if (s.wmo != wmo) {
            storeDeleted(s, date, time, quality::kMultipleWmo, static_cast<long>(s.points.size()));
            ++result_.otherStation;
            return counted();
        }
        LevelBuild built = levels::build(s);
        QualityVerdict verdict = quality::check(built, options_.criteria);
        SoundingRecord rec = recordOf(s, built);
        bool accepted = !verdict.reject;
        if (accepted && verdict.needsReview && options_.decider) {
            try {
                accepted = options_.decider->accept(rec, s.rawText, verdict.reason);
            } catch (const ReviewUndecided& nobody) {
                result_.cancelled = true;
                result_.undecided = nobody.what();
                return false;
            }
            ++result_.reviewed;
            if (!accepted) verdict.reason += options_.decider->rejectionNote();
        }
        if (accepted) {
            w_->addSounding(rec);
            keys_.insert(soundingKey(s.wmo, *s.date, s.hour));
            summary_.added(date, rec.numpoints);
            ++result_.added;
            result_.pointsAdded += rec.numpoints;
            if (!result_.firstDate || rec.date < *result_.firstDate) result_.firstDate = rec.date;
            if (!result_.lastDate || rec.date > *result_.lastDate) result_.lastDate = rec.date;
            lastStation_ = std::move(rec);
        } else {
            storeDeleted(s, date, time, verdict.reason, rec.numpoints);
            ++result_.rejected;
            result_.pointsRejected += rec.numpoints;
        }
        return counted();
    }

    // Commits the last batch and refreshes the main database's row of the station.
    ImportResult finish() {
        commit(false);
        result_.report = reportOf(result_);
        return result_;
    }

private:
    bool present(const ParsedSounding& s, const std::string& date, const std::string& time) {
        if (exactKeys_) return keys_.count(soundingKey(s.wmo, *s.date, s.hour)) > 0;
        return w_->present(result_.wmo, s.wmo, date, time);
    }

    void storeDeleted(const ParsedSounding& s, const std::optional<std::string>& date,
                      const std::optional<std::string>& time, const std::string& reason, long points) {
        w_->addDeleted(result_.wmo, s.wmo, date, time, s.rawText, reason, points);
        if (s.date) keys_.insert(soundingKey(s.wmo, *s.date, s.hour));
        summary_.deleted(points);
    }

    bool counted() {
        if (options_.counted) options_.counted(result_);
        if (++sinceCommit_ >= kImportBatch) commit(true);
        return true;
    }

    void commit(bool more) {
        auto& db = file_->db();
        const HaveDataRow written = summary_.write(db, result_.wmo, lastStation_ ? &*lastStation_ : nullptr);
        tx_->commit();
        tx_.reset();
        sinceCommit_ = 0;
        committed_ = result_.added + result_.rejected + result_.unreadable + result_.otherStation;
        if (options_.mainDb) {
            std::unique_lock<std::mutex> lock;
            if (options_.mainDbLock) lock = std::unique_lock<std::mutex>(*options_.mainDbLock);
            try {
                if (options_.mainDb->isOpen()) refreshHaveDataRow(*options_.mainDb, *file_, written);
            } catch (const SQLite::Exception& e) {
                throw std::runtime_error("The soundings were stored in '" + file_->path() +
                                         "', but the index of station data files in the main database could not "
                                         "be updated: " + std::string(e.what()) +
                                         ". Run rebuild-index once there is room.");
            }
        }
        if (more) tx_.emplace(db, SQLite::TransactionBehavior::IMMEDIATE);
    }

    const ImportOptions& options_;
    std::string appDir_;
    core::Prompter& prompter_;
    std::string problem_;
    long committed_ = 0;   // soundings stored by the batches committed so far
    ImportResult result_;
    std::unique_ptr<StationDataFile> file_;
    std::optional<SQLite::Transaction> tx_;
    std::optional<ImportWriter> w_;
    FileSummary summary_;
    std::unordered_set<std::int64_t> keys_;
    bool exactKeys_ = false;
    std::optional<SoundingRecord> lastStation_;
    std::size_t sinceCommit_ = 0;
};


// A file's soundings whose id names no station take the station the caller or
// the file's name gives, else the one the station list knows their id by.
void placeUnnamed(ParsedSounding& s, std::optional<long> named, const ImportOptions& options) {
    if (s.wmo != 0 || s.readProblem != igra2::kNoWmoInId) return;
    if (named) {
        s.wmo = *named;
        s.readProblem.clear();
        return;
    }
    if (!options.mainDb) return;
    std::unique_lock<std::mutex> lock;
    if (options.mainDbLock) lock = std::unique_lock<std::mutex>(*options.mainDbLock);
    std::vector<ParsedSounding> one(1);
    one[0] = s;
    resolveStationIds(one, *options.mainDb);
    s.wmo = one[0].wmo;
    s.readProblem = one[0].readProblem;
}

void addUp(ImportResult& total, const ImportResult& r) {
    total.added += r.added;
    total.rejected += r.rejected;
    total.reviewed += r.reviewed;
    total.duplicates += r.duplicates;
    total.otherStation += r.otherStation;
    total.unreadable += r.unreadable;
    total.pointsAdded += r.pointsAdded;
    total.pointsRejected += r.pointsRejected;
    if (r.firstDate && (!total.firstDate || *r.firstDate < *total.firstDate)) total.firstDate = r.firstDate;
    if (r.lastDate && (!total.lastDate || *r.lastDate > *total.lastDate)) total.lastDate = r.lastDate;
}

}  // namespace

std::vector<ParsedSounding> readSoundings(std::string_view text, SourceFormat format) {
    core::MemorySource source(text);
    core::LineReader lines(source);
    auto in = openSoundingStream(lines, format);
    std::vector<ParsedSounding> out;
    ParsedSounding s;
    while (in->next(s)) out.push_back(std::move(s));
    return out;
}

long wmoFromFileName(std::string_view path) { return numberAtNameStart(path).value_or(0); }

std::string soundingTimeText(int hour) { return fmt::format("{:02}:00:00", hour); }

ImportResult importSoundings(const std::string& appDir, long wmo, const std::vector<ParsedSounding>& soundings,
                             const ImportOptions& options, core::Prompter& prompter) {
    StationImport imp(appDir, wmo, options, prompter);
    if (!imp.opened()) return imp.notOpened();
    const auto total = static_cast<std::int64_t>(soundings.size());
    auto r = imp.run([&] {
        for (std::size_t i = 0; i < soundings.size(); ++i) {
            if (options.progress && i % 16 == 0)
                options.progress->step(static_cast<std::int64_t>(i), total, "Importing soundings");
            if (!imp.take(soundings[i])) break;
        }
    });
    if (options.progress) options.progress->step(total, total, {});
    return r;
}

ImportResult importText(const std::string& appDir, long wmo, std::string_view text, const ImportOptions& options,
                        core::Prompter& prompter) {
    return importSoundings(appDir, wmo, readSoundings(text, detectFormat(text.substr(0, 1 << 18))), options,
                           prompter);
}

ImportResult importSource(const std::string& appDir, const core::SourceName& source, const ImportOptions& options,
                          core::Prompter& prompter, std::optional<long> wmo) {
    ImportResult failed;
    failed.failed = true;
    auto refuse = [&](std::string why) {
        failed.report = std::move(why);
        prompter.message(failed.report);
        return failed;
    };
    const std::string name = source.shortName();
    std::string why;
    auto bytes = core::openSource(source, why);
    if (!bytes) return refuse("Unable to read the file '" + source.display() + "'.");
    core::LineReader lines(*bytes);
    std::string damaged;
    std::string_view beginning;
    try {
        beginning = lines.prefix();
    } catch (const core::SourceDamaged& e) {
        return refuse("'" + name + "' could not be read: " + e.what() + ".");
    }
    // The station rule reads the name the user gave: the archive's, else its member's.
    const std::string namePath =
        source.member.empty() || numberAtNameStart(source.path) ? source.path : source.member;
    // Nothing is made (no station file, no station) for a file that gives no
    // station's soundings; the station is chosen on the file's first soundings.
    std::vector<ParsedSounding> first;
    std::unique_ptr<SoundingStream> in;
    const std::string noneReason = looksUtf16(beginning) ? noSoundingsReason(beginning) : "";
    const std::string beginningReason = noSoundingsReason(beginning);
    if (noneReason.empty()) {
        in = openSoundingStream(lines);
        constexpr std::size_t kFirstLook = 64;
        try {
            ParsedSounding s;
            for (;;) {
                // Room for a long modern sounding, so its lines do not grow the buffers step by step.
                s.points.reserve(256);
                s.rawText.reserve(1 << 14);
                if (first.size() >= kFirstLook || !in->next(s)) break;
                first.push_back(std::move(s));
                s = {};
            }
        } catch (const core::SourceDamaged& e) {
            damaged = e.what();
        }
    }
    if (first.empty()) {
        if (!damaged.empty()) return refuse("'" + name + "' could not be read: " + damaged + ".");
        if (options.skipNonSoundingFiles) {
            ImportResult skipped;
            skipped.skipped = true;
            skipped.report = "No soundings were found in '" + name + "': " + beginningReason + ".";
            return skipped;
        }
        return refuse("No soundings were found in '" + name + "': " + beginningReason + ".");
    }
    FileStation station;
    {
        std::unique_lock<std::mutex> lock;
        if (options.mainDbLock) lock = std::unique_lock<std::mutex>(*options.mainDbLock);
        station = chooseFileStation(namePath, wmo, first, options.mainDb);
    }
    if (station.wmo <= 0) return refuse(station.refusal);
    const std::optional<long> named = wmo ? wmo : numberAtNameStart(namePath);

    StationImport imp(appDir, station.wmo, options, prompter);
    if (!imp.opened()) return imp.notOpened();
    std::int64_t count = 0;
    auto stepped = [&] {
        if (options.soundingsRead) ++*options.soundingsRead;
        if (options.progress && ++count % 64 == 0)
            options.progress->step(static_cast<std::int64_t>(bytes->position()),
                                   static_cast<std::int64_t>(bytes->size()), "Importing soundings");
    };
    auto r = imp.run([&] {
        for (const auto& s : first) {
            stepped();
            if (!imp.take(s)) return;
        }
        first.clear();
        if (!damaged.empty()) return;
        try {
            ParsedSounding s;
            while (in->next(s)) {
                stepped();
                placeUnnamed(s, named, options);
                if (!imp.take(s)) return;
            }
        } catch (const core::SourceDamaged& e) {
            damaged = e.what();
        }
    });
    if (r.failed) return r;
    if (options.progress)
        options.progress->step(static_cast<std::int64_t>(bytes->size()), static_cast<std::int64_t>(bytes->size()), {});
    if (!damaged.empty()) {
        r.damaged = damaged;
        r.report += " The file '" + name + "' is damaged (" + damaged +
                    "): the soundings before the damage were imported.";
    }
    return r;
}

ImportResult importFile(const std::string& appDir, const std::string& path, const ImportOptions& options,
                        core::Prompter& prompter, std::optional<long> wmo) {
    if (!core::isZipFile(path)) return importSource(appDir, core::SourceName{path, {}, -1}, options, prompter, wmo);
    std::vector<core::SourceName> members;
    ImportResult failed;
    failed.failed = true;
    try {
        members = core::zipMembers(path);
    } catch (const core::SourceDamaged& e) {
        failed.report = "'" + fs::path(path).filename().string() + "' could not be read: " + e.what() + ".";
        prompter.message(failed.report);
        return failed;
    }
    if (members.empty()) {
        failed.report = "No soundings were found in '" + fs::path(path).filename().string() +
                        "': the zip archive holds no files.";
        prompter.message(failed.report);
        return failed;
    }
    if (members.size() == 1) return importSource(appDir, members[0], options, prompter, wmo);
    // An archive of several files: each is imported as a file of its own; the
    // counts are added up and the reports follow one another.
    ImportResult total;
    total.failed = true;
    for (const auto& m : members) {
        ImportResult r = importSource(appDir, m, options, prompter, wmo);
        if (r.failed || r.skipped) continue;
        total.failed = false;
        total.wmo = r.wmo;
        addUp(total, r);
        total.report += (total.report.empty() ? "" : "\n") + m.member + ":" + r.report;
        if (total.damaged.empty()) total.damaged = r.damaged;
        if (!r.undecided.empty() || r.cancelled) {
            total.cancelled = r.cancelled;
            total.undecided = r.undecided;
            break;
        }
    }
    if (total.failed) total.report = "No member of '" + fs::path(path).filename().string() + "' could be imported.";
    return total;
}

}  // namespace skyloom::sounding
