#include "sounding/SoundingImport.h"

#include <filesystem>
#include <fstream>
#include <sstream>

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
#include "core/TextFile.h"
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

// The file's own summary: the `stations` row and the `HaveData` row, from everything it holds.
void writeSummary(SQLite::Database& db, long wmo, const SoundingRecord* station) {
    SQLite::Statement s(db, "SELECT min(Date), max(Date), count(*), coalesce(sum(numpoints), 0) FROM soundings");
    s.executeStep();
    std::string from = s.getColumn(0).isNull() ? "" : s.getColumn(0).getString();
    std::string to = s.getColumn(1).isNull() ? "" : s.getColumn(1).getString();
    std::int64_t n = s.getColumn(2).getInt64(), points = s.getColumn(3).getInt64();
    SQLite::Statement d(db, "SELECT count(*), coalesce(sum(numdpdeleted), 0) FROM deleted");
    d.executeStep();
    std::int64_t nDel = d.getColumn(0).getInt64(), pointsDel = d.getColumn(1).getInt64();
    double gaps = 0;
    {
        SQLite::Statement g(db, "SELECT TimeGaps FROM HaveData ORDER BY key LIMIT 1");
        if (g.executeStep() && !g.getColumn(0).isNull()) gaps = g.getColumn(0).getDouble();
    }

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
}

// The station's file, made from "empty.dat" when it does not exist yet. When it
// cannot be made or opened, problem names the file and says why.
std::unique_ptr<StationDataFile> openOrCreate(const std::string& appDir, long wmo, core::Prompter& prompter,
                                              std::string& problem) {
    const std::string path = appDir + "data/" + std::to_string(wmo) + ".dat";
    if (!core::fileExists(path)) {
        std::error_code ec;
        fs::create_directories(appDir + "data", ec);
        const std::string empty = appDir + "empty.dat";
        const std::string cannot = "The station data file '" + path + "' could not be made: ";
        if (core::fileExists(empty)) {
            // A damaged "empty.dat" would make a damaged station file, or give
            // every new station another one's soundings.
            if (const std::string bad = StationDataFile::emptyFileProblem(empty); !bad.empty()) {
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

// Stores the soundings in the open file in one transaction; throws on a database error (nothing is stored then).
void storeSoundings(StationDataFile& file, long wmo, const std::vector<ParsedSounding>& soundings,
                    const ImportOptions& options, ImportResult& result);

std::string reportOf(const ImportResult& r) {
    if (r.added > 0)
        return fmt::format(" Added {} unique soundings from {} to {} with {} data points.", r.added,
                           core::formatDate(*r.firstDate, kReportDatePattern),
                           core::formatDate(*r.lastDate, kReportDatePattern), r.pointsAdded);
    if (r.rejected > 0) return kNothingValid;
    return kNothingNew;
}

}  // namespace

SourceFormat detectFormat(std::string_view text) {
    if (igra2::looksLike(text)) return SourceFormat::Igra2;
    if (wyoming::looksLike(text)) return SourceFormat::Wyoming;
    return SourceFormat::RawText;
}

std::vector<ParsedSounding> readSoundings(std::string_view text, SourceFormat format) {
    switch (format) {
        case SourceFormat::Igra2: return igra2::read(text);
        case SourceFormat::Wyoming: return wyoming::read(text);
        case SourceFormat::RawText: break;
    }
    return rawtext::read(text);
}

long wmoFromFileName(std::string_view path) { return numberAtNameStart(path).value_or(0); }

std::string soundingTimeText(int hour) { return fmt::format("{:02}:00:00", hour); }

ImportResult importSoundings(const std::string& appDir, long wmo, const std::vector<ParsedSounding>& soundings,
                             const ImportOptions& options, core::Prompter& prompter) {
    ImportResult result;
    result.wmo = wmo;
    std::string problem;
    auto file = openOrCreate(appDir, wmo, prompter, problem);
    if (!file) {
        result.failed = true;
        result.report = problem;
        prompter.message(result.report);
        return result;
    }
    try {
        storeSoundings(*file, wmo, soundings, options, result);
    } catch (const SQLite::Exception& e) {
        // The transaction was rolled back: the file holds what it held before.
        ImportResult failed;
        failed.wmo = wmo;
        failed.failed = true;
        failed.report = "The soundings were not stored in the station data file '" + file->path() +
                        "' (it was left as it was): " + core::databaseErrorText(e, appDir);
        prompter.message(failed.report);
        return failed;
    }
    if (options.mainDb && options.mainDb->isOpen()) {
        try {
            refreshHaveDataRow(*options.mainDb, *file);
        } catch (const SQLite::Exception& e) {
            throw std::runtime_error("The soundings were stored in '" + file->path() +
                                     "', but the index of station data files in the main database could not be "
                                     "updated: " + std::string(e.what()) + ". Run rebuild-index once there is room.");
        }
    }
    result.report = reportOf(result);
    return result;
}

namespace {

void storeSoundings(StationDataFile& file, long wmo, const std::vector<ParsedSounding>& soundings,
                    const ImportOptions& options, ImportResult& result) {
    auto& db = file.db();
    SQLite::Transaction tx(db, SQLite::TransactionBehavior::IMMEDIATE);
    ImportWriter w(db);
    std::optional<SoundingRecord> lastStation;
    const auto total = static_cast<std::int64_t>(soundings.size());
    for (std::size_t i = 0; i < soundings.size(); ++i) {
        if (options.progress) {
            if (i % 16 == 0) options.progress->step(static_cast<std::int64_t>(i), total, "Importing soundings");
            if (options.progress->cancelRequested()) {
                result.cancelled = true;
                break;
            }
        }
        const ParsedSounding& s = soundings[i];
        if (!s.readProblem.empty()) {
            std::optional<std::string> date, time;
            if (s.date) {
                date = core::isoDate(*s.date);
                time = soundingTimeText(s.hour);
                if (w.present(wmo, s.wmo, *date, *time)) { ++result.duplicates; continue; }
            } else if (w.unreadablePresent(wmo, s.rawText)) {
                ++result.duplicates;
                continue;
            }
            w.addDeleted(wmo, s.wmo, date, time, s.rawText, s.readProblem, static_cast<long>(s.points.size()));
            ++result.unreadable;
            if (options.counted) options.counted(result);
            continue;
        }
        const std::string date = core::isoDate(*s.date), time = soundingTimeText(s.hour);
        if (w.present(wmo, s.wmo, date, time)) {
            ++result.duplicates;
            continue;
        }
        if (s.wmo != wmo) {
            w.addDeleted(wmo, s.wmo, date, time, s.rawText, quality::kMultipleWmo, static_cast<long>(s.points.size()));
            ++result.otherStation;
            if (options.counted) options.counted(result);
            continue;
        }
        LevelBuild built = levels::build(s);
        QualityVerdict verdict = quality::check(built, options.criteria);
        SoundingRecord rec = recordOf(s, built);
        bool accepted = !verdict.reject;
        if (accepted && verdict.needsReview && options.decider) {
            try {
                accepted = options.decider->accept(rec, s.rawText, verdict.reason);
            } catch (const ReviewUndecided& nobody) {
                result.cancelled = true;
                result.undecided = nobody.what();
                break;
            }
            ++result.reviewed;
            if (!accepted) verdict.reason += options.decider->rejectionNote();
        }
        if (accepted) {
            w.addSounding(rec);
            ++result.added;
            result.pointsAdded += rec.numpoints;
            if (!result.firstDate || rec.date < *result.firstDate) result.firstDate = rec.date;
            if (!result.lastDate || rec.date > *result.lastDate) result.lastDate = rec.date;
            lastStation = rec;
        } else {
            w.addDeleted(wmo, s.wmo, date, time, s.rawText, verdict.reason, rec.numpoints);
            ++result.rejected;
            result.pointsRejected += rec.numpoints;
        }
        if (options.counted) options.counted(result);
    }
    writeSummary(db, wmo, lastStation ? &*lastStation : nullptr);
    tx.commit();
    if (options.progress) options.progress->step(total, total, {});
}

}  // namespace

ImportResult importText(const std::string& appDir, long wmo, std::string_view text, const ImportOptions& options,
                        core::Prompter& prompter) {
    return importSoundings(appDir, wmo, readSoundings(text, detectFormat(text)), options, prompter);
}

ImportResult importFile(const std::string& appDir, const std::string& path, const ImportOptions& options,
                        core::Prompter& prompter, std::optional<long> wmo) {
    ImportResult failed;
    failed.failed = true;
    auto refuse = [&](std::string why) {
        failed.report = std::move(why);
        prompter.message(failed.report);
        return failed;
    };
    const std::optional<std::string> read = core::readPlainOrGzip(path);
    if (!read) return refuse("Unable to read the file '" + path + "'.");
    const std::string& text = *read;
    // Nothing is made (no station file, no station) for a file that gives no station's soundings.
    auto soundings = looksUtf16(text) ? std::vector<ParsedSounding>{} : readSoundings(text, detectFormat(text));
    if (soundings.empty())
        return refuse("No soundings were found in '" + fs::path(path).filename().string() + "': " +
                      noSoundingsReason(text) + ".");
    const FileStation station = chooseFileStation(path, wmo, soundings, options.mainDb);
    if (station.wmo <= 0) return refuse(station.refusal);
    return importSoundings(appDir, station.wmo, soundings, options, prompter);
}

}  // namespace skyloom::sounding
