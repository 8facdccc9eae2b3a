#include "sounding/SoundingRetrieval.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <type_traits>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Exception.h>
#include <sqlite3.h>

#include "core/Progress.h"
#include "sounding/StationDataFile.h"

namespace skyloom::sounding {

// Fills a set in place for the retrieval. The arrays keep their memory and
// whatever they held, so that a new load of a long record neither clears nor
// faults in megabytes first: the reader writes every element of each sounding
// it reads (decodeRow), moves the rows together when the parts leave gaps, and
// finish() clears sounding 0 and the room after the count. The set then holds
// exactly what a reset and a row-by-row load would have left in it.
class SetOverwrite {
public:
    explicit SetOverwrite(SoundingSet& set) : set_(set) {
        set_.count_ = 0;
        set_.derived.clear();
    }
    // Makes every array hold sounding numbers 0..upper at least; what is
    // already there stays until overwritten. Never called while readers run.
    void room(int upper) {
        if (upper > set_.upperBound_) set_.resizeAll(upper);
    }
    // Puts soundings from..from+m-1 at to..to+m-1 (to <= from).
    void moveRows(int from, int to, int m) {
        if (from == to || m == 0) return;
        forEachArray([&](auto& column) {
            std::copy(column.begin() + from, column.begin() + from + m, column.begin() + to);
        });
    }
    // Puts soundings 1..m of other at to..to+m-1.
    void copyRows(SoundingSet& other, int to, int m) {
        room(to + m - 1);
        auto copy = [&](auto& into, const auto& from) { std::copy_n(from.begin() + 1, m, into.begin() + to); };
        copy(set_.key, other.key);
        copy(set_.time, other.time);
        copy(set_.badTemperature, other.badTemperature);
        copy(set_.badPressure, other.badPressure);
        copy(set_.level, other.level);
        copy(set_.topWindLevel, other.topWindLevel);
        copy(set_.bandCode, other.bandCode);
        copy(set_.pointCount, other.pointCount);
    }
    // Soundings 1..n are read: sizes the arrays as growth in steps of 1000
    // from an empty set would have, with sounding 0 and the room after n cleared.
    void finish(int n) {
        const int upper = std::max(1, (n + SoundingSet::kGrowStep - 1) / SoundingSet::kGrowStep) * SoundingSet::kGrowStep;
        const int clearTo = std::min(upper, set_.upperBound_);
        forEachArray([&](auto& column) {
            using Element = typename std::decay_t<decltype(column)>::value_type;
            column[0] = Element{};
            std::fill(column.begin() + n + 1, column.begin() + clearTo + 1, Element{});
        });
        set_.resizeAll(upper);   // shrinking keeps the memory; growing clears the new room
        set_.count_ = n;
    }

private:
    template <class F>
    void forEachArray(F&& f) {
        f(set_.key);
        f(set_.time);
        f(set_.badTemperature);
        f(set_.badPressure);
        f(set_.level);
        f(set_.topWindLevel);
        f(set_.bandCode);
        f(set_.pointCount);
    }
    SoundingSet& set_;
};

namespace {

constexpr int kProgressEvery = 1024;
// A range spanning less than this share (1 / n) of the table's rows is read through the date index.
constexpr std::int64_t kIndexedShare = 4;
constexpr Quantity kQuantities[] = {Speed, Direction, Temperature, Pressure};
// Column positions in the select list of retrievalSql.
constexpr int kKeyColumn = 0;
constexpr int kHrsColumn = 1;
constexpr int kBadTemperatureColumn = 2;
constexpr int kBadPressureColumn = 3;
constexpr int kFirstLevelColumn = 4;
constexpr int kBandsColumn = kFirstLevelColumn + kLevelCount * 4;
constexpr int kPointsColumn = kBandsColumn + 1;

using StatementPtr = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;
using ConnectionPtr = std::unique_ptr<sqlite3, int (*)(sqlite3*)>;

// The rows are read in file order, which is time order for files written in
// one pass; anything else is put in time order in memory afterwards. This
// avoids the engine copying every wide row into a sorter.
std::string whereClause(bool ignoreZeroGroundWind) {
    std::string where = " FROM soundings NOT INDEXED WHERE stationwmo = ? AND Date >= ? AND Date < ?";
    if (ignoreZeroGroundWind) where += " AND gndspd <> 0";
    return where;
}

// The bound values of one read; the texts live as long as the statements using them.
struct BoundRange {
    explicit BoundRange(const RetrievalQuery& q)
        : wmo(q.wmo), from(core::isoDate(q.from)), dayAfter(core::isoDate(q.to + std::chrono::days{1})),
          firstHour(core::hoursSince1930(q.from, 0)),
          hourAfter(core::hoursSince1930(q.to + std::chrono::days{1}, 0)),
          ignoreZero(q.ignoreZeroGroundWind) {}
    long wmo;
    std::string from, dayAfter;
    core::HoursSince1930 firstHour, hourAfter;
    bool ignoreZero;
};

StatementPtr prepare(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &prepared, nullptr) != SQLITE_OK) {
        sqlite3_finalize(prepared);
        throw SQLite::Exception(db);
    }
    return StatementPtr(prepared, sqlite3_finalize);
}

void bindRange(sqlite3_stmt* stmt, const BoundRange& range) {
    sqlite3_bind_int64(stmt, 1, range.wmo);
    sqlite3_bind_text(stmt, 2, range.from.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(stmt, 3, range.dayAfter.c_str(), -1, SQLITE_STATIC);
}

StatementPtr prepareBound(sqlite3* db, const std::string& sql, const BoundRange& range) {
    StatementPtr stmt = prepare(db, sql);
    bindRange(stmt.get(), range);
    return stmt;
}

// The rows of the range in file order, or through the date index in date order.
StatementPtr prepareRows(sqlite3* db, const BoundRange& range, bool throughDateIndex) {
    std::string sql = retrievalSql(range.ignoreZero);
    if (throughDateIndex) sql.replace(sql.find(" NOT INDEXED"), 12, " INDEXED BY soundings_when");
    return prepareBound(db, sql, range);
}

// The rows of the range whose key lies between parameters 4 and 5 (both
// included); a bound on the row key is a seek in the table itself, allowed
// despite NOT INDEXED. One statement serves every part a reader takes. The
// rows go to the row function when rowFunction is set.
StatementPtr prepareKeySpan(sqlite3* db, const BoundRange& range, bool rowFunction);

// The number of soundings the read will give, for the progress display.
std::int64_t countRows(sqlite3* db, const BoundRange& range) {
    // Without the ground-wind test the (stationwmo, Date, Time) index answers
    // the count without a pass over the wide rows.
    const std::string sql = range.ignoreZero
                                ? "SELECT count(*)" + whereClause(true)
                                : std::string("SELECT count(*) FROM soundings WHERE stationwmo = ? AND Date >= ? AND Date < ?");
    StatementPtr stmt = prepare(db, sql);
    bindRange(stmt.get(), range);
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_ROW) throw SQLite::Exception(db, rc);
    return sqlite3_column_int64(stmt.get(), 0);
}

// Where the range lies in file order, found through the time index: about how
// many rows it spans from which row key on, and the highest
// key (about the size of the table).
struct KeyPlan {
    std::int64_t estimate = 0;
    std::int64_t firstKey = 0;
    std::int64_t lastKey = 0;
};

std::optional<KeyPlan> planKeys(sqlite3* db, const BoundRange& range) {
    static constexpr const char* kSql =
        "SELECT (SELECT Key FROM soundings INDEXED BY soundings_hrs WHERE Hrs >= ?1 ORDER BY Hrs LIMIT 1), "
        "(SELECT Key FROM soundings INDEXED BY soundings_hrs WHERE Hrs >= ?2 ORDER BY Hrs LIMIT 1), "
        "(SELECT max(Key) FROM soundings)";
    sqlite3_stmt* prepared = nullptr;
    // A file without the time index is simply read in one pass.
    if (sqlite3_prepare_v2(db, kSql, -1, &prepared, nullptr) != SQLITE_OK) {
        sqlite3_finalize(prepared);
        return std::nullopt;
    }
    const StatementPtr stmt(prepared, sqlite3_finalize);
    sqlite3_bind_int64(prepared, 1, range.firstHour);
    sqlite3_bind_int64(prepared, 2, range.hourAfter);
    if (sqlite3_step(prepared) != SQLITE_ROW) return std::nullopt;
    const std::int64_t lastKey = sqlite3_column_int64(prepared, 2);
    if (sqlite3_column_type(prepared, 0) == SQLITE_NULL) return KeyPlan{0, 0, lastKey};
    const std::int64_t first = sqlite3_column_int64(prepared, 0);
    const std::int64_t end =
        sqlite3_column_type(prepared, 1) == SQLITE_NULL ? lastKey + 1 : sqlite3_column_int64(prepared, 1);
    const std::int64_t estimate = std::max<std::int64_t>(0, end - first);
    return KeyPlan{estimate, first, lastKey};
}

// Where a second reader finds the file behind db: its name and file layer.
// None for a database without a file, one with an open transaction (its
// uncommitted rows would be missing from the other half) or an engine built
// without thread support.
struct ReaderSource {
    std::string file;
    std::string layer;
};

std::optional<ReaderSource> secondReaderSource(sqlite3* db) {
    if (!sqlite3_threadsafe() || !sqlite3_get_autocommit(db)) return std::nullopt;
    const char* file = sqlite3_db_filename(db, "main");
    if (!file || !*file) return std::nullopt;
    sqlite3_vfs* vfs = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_VFS_POINTER, &vfs) != SQLITE_OK || !vfs) return std::nullopt;
    return ReaderSource{file, vfs->zName};
}

// A read-only connection of its own; none when the file cannot be opened so.
ConnectionPtr openReader(const ReaderSource& source) {
    sqlite3* other = nullptr;
    const int rc = sqlite3_open_v2(source.file.c_str(), &other, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                                   source.layer.c_str());
    ConnectionPtr owner(other, sqlite3_close_v2);
    if (rc != SQLITE_OK) return ConnectionPtr(nullptr, sqlite3_close_v2);
    sqlite3_busy_timeout(other, 5000);
    return owner;
}

// One row's values, fetched from the statement's result columns.
struct ResultColumns {
    sqlite3_stmt* row;
    int integer(int column) const { return sqlite3_column_int(row, column); }
    const unsigned char* text(int column) const { return sqlite3_column_text(row, column); }
    int bytes(int column) const { return sqlite3_column_bytes(row, column); }
};

// One row's values, handed to a function of the query as its arguments.
struct FunctionArguments {
    sqlite3_value** argv;
    int integer(int column) const { return sqlite3_value_int(argv[column]); }
    const unsigned char* text(int column) const { return sqlite3_value_text(argv[column]); }
    int bytes(int column) const { return sqlite3_value_bytes(argv[column]); }
};

// The wide rows are read through the engine's own calls, one fetch per value
// without a wrapper object. Writes every element of sounding n.
template <class Row>
void decodeRow(const Row& row, SoundingSet& set, int n) {
    const auto i = static_cast<std::size_t>(n);
    set.key[i] = row.integer(kKeyColumn);
    set.time[i] = {static_cast<double>(row.integer(kHrsColumn)), 0, 0, 0, 0};
    set.badTemperature[i] = static_cast<std::int16_t>(row.integer(kBadTemperatureColumn));
    set.badPressure[i] = static_cast<std::int16_t>(row.integer(kBadPressureColumn));
    auto& levels = set.level[i];
    std::int16_t top = 0;
    int column = kFirstLevelColumn;
    for (int l = 0; l < kLevelCount; ++l) {
        auto& values = levels[static_cast<std::size_t>(l)];
        values[0] = 0;
        for (Quantity quantity : kQuantities) values[quantity] = row.integer(column++);
        if (l > 0 && values[Speed] != 0 && values[Direction] != 0) top = static_cast<std::int16_t>(l);
    }
    set.topWindLevel[i] = top;
    auto& band = set.bandCode[i];
    band.fill(' ');
    if (const unsigned char* text = row.text(kBandsColumn)) {
        const auto bytes = static_cast<std::size_t>(row.bytes(kBandsColumn));
        std::copy_n(text, std::min(bytes, band.size()), band.begin());
    }
    set.pointCount[i] = row.integer(kPointsColumn);
}

// On a connection of the retrieval's own, each row is decoded by a function
// of the query that takes the selected values as its arguments: the engine
// hands them over in one call, where fetching 50 result columns one by one
// costs each a pass through the engine's checks. Where the row goes is set
// before each step; a row beyond `last` is refused, so no part ever writes
// into another's slice.
constexpr const char* kTakeRowFunction = "skyloom_take_sounding_row";
constexpr int kSelectedColumns = kPointsColumn + 1;

struct RowTarget {
    SoundingSet* set = nullptr;
    int at = 0;
    int last = -1;
};

void takeRow(sqlite3_context* context, int argc, sqlite3_value** argv) {
    auto* target = static_cast<RowTarget*>(sqlite3_user_data(context));
    if (argc != kSelectedColumns || !target->set || target->at > target->last) {
        sqlite3_result_error(context, "a sounding row with no place to go", -1);
        return;
    }
    decodeRow(FunctionArguments{argv}, *target->set, target->at);
}

// A connection of the retrieval's own, with the row function bound to target.
struct OwnReader {
    std::unique_ptr<RowTarget> target = std::make_unique<RowTarget>();   // outlives the connection
    ConnectionPtr connection{nullptr, sqlite3_close_v2};
};

std::optional<OwnReader> openOwnReader(const ReaderSource& source) {
    OwnReader reader;
    reader.connection = openReader(source);
    if (!reader.connection) return std::nullopt;
    if (sqlite3_create_function_v2(reader.connection.get(), kTakeRowFunction, kSelectedColumns,
                                   SQLITE_UTF8 | SQLITE_DIRECTONLY, reader.target.get(), takeRow, nullptr, nullptr,
                                   nullptr) != SQLITE_OK)
        return std::nullopt;
    return reader;
}

// The query of retrievalSql with the selected values handed to the row function.
std::string rowFunctionSql(bool ignoreZeroGroundWind) {
    std::string sql = retrievalSql(ignoreZeroGroundWind);
    const auto from = sql.find(" FROM ");
    return "SELECT " + std::string(kTakeRowFunction) + "(" + sql.substr(7, from - 7) + ")" + sql.substr(from);
}

StatementPtr prepareKeySpan(sqlite3* db, const BoundRange& range, bool rowFunction) {
    const std::string sql = rowFunction ? rowFunctionSql(range.ignoreZero) : retrievalSql(range.ignoreZero);
    return prepareBound(db, sql + " AND Key >= ?4 AND Key <= ?5", range);
}

// Decodes every row of stmt into set from sounding number `first` on: at
// most `room` rows into arrays already sized for them, or (room < 0) growing
// the arrays as the rows come; through the row function when target is given
// (stmt then selects it), else column by column. keepGoing(n) is asked
// whenever `before` (the rows this thread read earlier) + n reaches a multiple
// of kProgressEvery; false stops the read, which then gives -1. Otherwise
// gives the number of rows read.
template <class KeepGoing>
int readRows(sqlite3* db, sqlite3_stmt* stmt, SoundingSet& set, int first, int room, int before,
             RowTarget* target, KeepGoing&& keepGoing) {
    int n = 0;
    int rc = SQLITE_OK;
    for (;;) {
        if (target) {
            if (room < 0) set.ensureCapacity(first + n);
            *target = {&set, first + n, room < 0 ? set.upperBound() : first + room - 1};
        }
        if ((rc = sqlite3_step(stmt)) != SQLITE_ROW) break;
        ++n;
        if ((before + n) % kProgressEvery == 0 && !keepGoing(n)) {
            if (target) target->set = nullptr;
            return -1;
        }
        if (target) continue;
        if (room < 0) set.ensureCapacity(first + n - 1);
        else if (n > room) throw std::logic_error("more soundings in a span of keys than keys in it");
        decodeRow(ResultColumns{stmt}, set, first + n - 1);
    }
    if (target) target->set = nullptr;
    if (rc != SQLITE_DONE) throw SQLite::Exception(db, rc);
    return n;
}

bool reportAndGoOn(core::Progress* progress, std::int64_t done, std::int64_t total) {
    if (!progress) return true;
    progress->step(done, total);
    return !progress->cancelRequested();
}

// Reads the range in parts by row key, shared out between this thread and a
// worker, each on a read-only connection of its own (this thread on the
// caller's when the file cannot be opened again): each takes the next part not
// yet taken until none is left, so that a worker that gets no processor costs little.
// The keys from plan.firstKey on, up to the range's last, are cut into kSlices
// spans; as keys are unique, a span of k keys holds at most k rows, so each span
// is read straight into its own slice of set, and the slices are then moved
// together in key order. The rows before and after those keys (none in a file
// written in time order) are read into sets of their own and put after them;
// the sort by time that follows gives the order one pass would. Gives the row
// count, -1 when cancelled.
int readInParts(sqlite3* db, const ReaderSource& source, const BoundRange& range, const KeyPlan& plan,
                SetOverwrite& fill, SoundingSet& set, core::Progress* progress, std::int64_t total) {
    constexpr int kSlices = 8;
    // Part 0: the keys below plan.firstKey; 1..kSlices: the slices; the last: the keys after them.
    constexpr int kParts = kSlices + 2;
    constexpr auto kLowest = std::numeric_limits<std::int64_t>::min();
    constexpr auto kHighest = std::numeric_limits<std::int64_t>::max();
    const std::int64_t span = plan.estimate;
    auto sliceStart = [&](int s) { return plan.firstKey + span * s / kSlices; };   // s = 0..kSlices
    struct Part {
        std::int64_t lowKey = 0, highKey = -1;   // both included; empty when highKey < lowKey
        int first = 1;                           // the sounding number of its first row
        int room = -1;                           // rows it can hold; -1: its own set grows
    };
    std::array<Part, kParts> partOf{};
    if (plan.firstKey > kLowest) partOf[0] = {kLowest, plan.firstKey - 1, 1, -1};
    for (int s = 0; s < kSlices; ++s) {
        const std::int64_t low = sliceStart(s), high = sliceStart(s + 1) - 1;
        partOf[static_cast<std::size_t>(s + 1)] = {low, high, static_cast<int>(1 + low - plan.firstKey),
                                                    static_cast<int>(high - low + 1)};
    }
    partOf[kParts - 1] = {sliceStart(kSlices), kHighest, 1, -1};
    fill.room(static_cast<int>(span));

    SoundingSet before, after;   // the rows outside the slices
    auto setOf = [&](int p) -> SoundingSet& { return p == 0 ? before : p == kParts - 1 ? after : set; };
    std::array<int, kParts> counts{};
    std::atomic<int> nextPart{1};
    std::atomic<int> workerRows{0};
    std::atomic<bool> stop{false};
    std::exception_ptr workerError;

    // One thread's way to the rows: a connection of its own with the row
    // function, else (this thread only) the caller's, column by column.
    struct Reader {
        sqlite3* db;
        StatementPtr rows;
        RowTarget* target;
    };
    auto readerOn = [&](std::optional<OwnReader>& own, sqlite3* fallback) -> std::optional<Reader> {
        if (own) return Reader{own->connection.get(), prepareKeySpan(own->connection.get(), range, true),
                               own->target.get()};
        if (!fallback) return std::nullopt;
        return Reader{fallback, prepareKeySpan(fallback, range, false), nullptr};
    };
    // Reads part p; gives its row count or -1 when told to stop.
    auto readPart = [&](Reader& reader, int p, int ownRows, auto&& keepGoing) {
        const Part& part = partOf[static_cast<std::size_t>(p)];
        if (part.highKey < part.lowKey) return 0;
        sqlite3_stmt* stmt = reader.rows.get();
        sqlite3_reset(stmt);
        sqlite3_bind_int64(stmt, 4, part.lowKey);
        sqlite3_bind_int64(stmt, 5, part.highKey);
        return readRows(reader.db, stmt, setOf(p), part.first, part.room, ownRows, reader.target, keepGoing);
    };

    auto work = [&] {
        try {
            std::optional<OwnReader> own = openOwnReader(source);
            std::optional<Reader> reader = readerOn(own, nullptr);
            if (!reader) return;
            int ownRows = 0;
            for (int p; !stop.load() && (p = nextPart.fetch_add(1)) < kParts;) {
                int reported = 0;
                const int n = readPart(*reader, p, ownRows, [&](int done) {
                    workerRows.fetch_add(done - reported, std::memory_order_relaxed);
                    reported = done;
                    return !stop.load(std::memory_order_relaxed);
                });
                if (n < 0) return;
                workerRows.fetch_add(n - reported, std::memory_order_relaxed);
                counts[static_cast<std::size_t>(p)] = n;
                ownRows += n;
            }
        } catch (...) {
            workerError = std::current_exception();
            stop = true;
        }
    };
    std::thread worker;
    try {
        worker = std::thread(work);
    } catch (const std::system_error&) {
        // No thread to be had: this one reads every part.
    }
    auto joinWorker = [&] {
        if (worker.joinable()) worker.join();
    };

    bool cancelled = false;
    try {
        std::optional<OwnReader> own = openOwnReader(source);
        std::optional<Reader> reader = readerOn(own, db);
        int ownRows = 0;
        for (int p = 0; !stop.load() && p < kParts; p = nextPart.fetch_add(1)) {
            const int n = readPart(*reader, p, ownRows, [&](int done) {
                return reportAndGoOn(progress, ownRows + done + workerRows.load(std::memory_order_relaxed), total);
            });
            if (n < 0) {
                cancelled = true;
                stop = true;
                break;
            }
            counts[static_cast<std::size_t>(p)] = n;
            ownRows += n;
        }
    } catch (...) {
        stop = true;
        joinWorker();
        throw;
    }
    joinWorker();
    if (workerError) std::rethrow_exception(workerError);
    if (cancelled) return -1;
    int n = 0;
    for (int p = 1; p < kParts - 1; ++p) {
        const auto part = static_cast<std::size_t>(p);
        fill.moveRows(partOf[part].first, n + 1, counts[part]);
        n += counts[part];
    }
    for (int p : {0, kParts - 1}) {
        const int m = counts[static_cast<std::size_t>(p)];
        if (m > 0) fill.copyRows(setOf(p), n + 1, m);
        n += m;
    }
    return n;
}

// Puts the first n soundings in ascending time order (equal times by key),
// moving every array together.
void sortByTime(SoundingSet& set, int n) {
    const auto begin = set.time.begin() + 1;
    const auto firstKey = set.key.begin() + 1;
    bool inOrder = true;
    for (int i = 1; i < n && inOrder; ++i) {
        const auto a = static_cast<std::size_t>(i - 1), b = static_cast<std::size_t>(i);
        inOrder = begin[a][0] < begin[b][0] || (begin[a][0] == begin[b][0] && firstKey[a] < firstKey[b]);
    }
    if (inOrder) return;
    std::vector<int> order(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) order[static_cast<std::size_t>(i)] = i + 1;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const auto ua = static_cast<std::size_t>(a), ub = static_cast<std::size_t>(b);
        if (set.time[ua][0] != set.time[ub][0]) return set.time[ua][0] < set.time[ub][0];
        return set.key[ua] < set.key[ub];
    });
    auto permute = [&](auto& column) {
        auto copy = column;
        for (int i = 0; i < n; ++i) column[static_cast<std::size_t>(i + 1)] = copy[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])];
    };
    permute(set.key);
    permute(set.time);
    permute(set.badTemperature);
    permute(set.badPressure);
    permute(set.level);
    permute(set.topWindLevel);
    permute(set.bandCode);
    permute(set.pointCount);
}

}  // namespace

std::string retrievalSql(bool ignoreZeroGroundWind) {
    std::string sql = "SELECT Key, Hrs, BadTemperatureData, BadPressureData";
    for (int l = 0; l < kLevelCount; ++l)
        // In brackets, a name is only ever a column: a double-quoted name the
        // table lacks would be taken as a text and read as a number.
        for (Quantity q : kQuantities) sql += ", [" + levelColumn(l, q) + "]";
    sql += ", bands, numpoints" + whereClause(ignoreZeroGroundWind);
    return sql;
}

namespace {

// The read itself; gives the row count, -1 when cancelled.
int readRange(sqlite3* db, const RetrievalQuery& query, SoundingSet& set, core::Progress* progress,
              RetrievalStrategy strategy) {
    const BoundRange range(query);
    const std::int64_t total = progress ? countRows(db, range) : 0;
    std::optional<KeyPlan> plan;
    if (strategy != RetrievalStrategy::OnePass) plan = planKeys(db, range);
    // A span of keys too long to number its rows in an int is read in one pass.
    if (plan && plan->estimate >= std::numeric_limits<int>::max() / 2) plan.reset();
    SetOverwrite fill(set);
    fill.room(plan ? static_cast<int>(plan->estimate) : 0);
    // A small part of a long file is found through the date index rather than
    // by a pass over every row; the rows then come in date order.
    bool throughDateIndex = false;
    std::optional<ReaderSource> second;
    if (plan && strategy == RetrievalStrategy::Automatic && plan->estimate * kIndexedShare < plan->lastKey)
        throughDateIndex = true;
    else if (plan && (strategy == RetrievalStrategy::TwoReaders ||
                      (plan->estimate >= kSplitReadRows && std::thread::hardware_concurrency() > 1)))
        second = secondReaderSource(db);

    int n = 0;
    if (second) {
        n = readInParts(db, *second, range, *plan, fill, set, progress, total);
    } else {
        StatementPtr rows(nullptr, sqlite3_finalize);
        try {
            rows = prepareRows(db, range, throughDateIndex);
        } catch (const SQLite::Exception&) {
            if (!throughDateIndex) throw;
            rows = prepareRows(db, range, false);   // a file without the date index
        }
        n = readRows(db, rows.get(), set, 1, -1, 0, nullptr, [&](int done) { return reportAndGoOn(progress, done, total); });
    }
    if (n < 0) return -1;
    sortByTime(set, n);
    fill.finish(n);
    if (progress) progress->step(n, total);
    return n;
}

}  // namespace

RetrievalResult retrieveSoundings(SQLite::Database& database, const RetrievalQuery& query, SoundingSet& set,
                                  core::Progress* progress, RetrievalStrategy strategy) {
    int n = -1;
    try {
        n = readRange(database.getHandle(), query, set, progress, strategy);
    } catch (...) {
        set.reset();   // nothing half read stays behind
        throw;
    }
    if (n < 0) {
        set.reset();
        return RetrievalResult::Cancelled;
    }
    return n == 0 ? RetrievalResult::Empty : RetrievalResult::Loaded;
}

}  // namespace skyloom::sounding
