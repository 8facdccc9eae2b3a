#include "analysis/StudyStore.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "core/Dates.h"
#include "core/Formats.h"
#include "core/NestedTransaction.h"
#include "core/Text.h"

namespace skyloom::analysis {

const std::array<GridColumn, core::kAnalsGridColumns> kGridColumns = {{
    {"ID", "key", "", "Key"},
    {" Analysis Comment", "comment", "", "Comment"},
    {"  Radiosonde Location", "SiteName", "", "Sitename"},
    {" Wind Generator", "genname", "", "GenName"},
    {"Height AGL meters", "LookHeight", "#.#", "Lookheight"},
    {"Ave Wind m/sec", "AveWind", "#.#", "AveWind"},
    {"Mean Wind m/sec", "MeanWind", "#.#", "MeanWind"},
    {"Potential Capacity Factor", "PotCF", "#.#", "PotCF"},
    {"Net Income $/Year", "Income", "#,###,###", "Income"},
    {"Net Save $/Year", "NetSave", "#,###,###", "NetSave"},
    {"Net Cost $/kWhr", "NetEnergyCost", "#.####", "NetEnergyCost"},
    {"Used Cost $/kWhr", "UsedEnergyCost", "#.####", "UsedEnergyCost"},
    {"Potential kW", "PotkW", "#,###,###", "PotkW"},
    {"Potential MWhr/yr", "TotalEPot", "#,###,###", "TotalEPot"},
    {"UnUsed Capacity MWhr/yr", "UnusedCap", "#,###,###", "UnUsedCap"},
    {"Idle Percent", "IdlePercent", "#.#", "IdlePercent"},
    {"Gen Cost $/yr", "GeneratorCost", "#,###,###", "GeneratorCost"},
    {"Local Usage kW", "aveused", "#,###,###", "AveUsed"},
    {"Local Storage MWhr", "BankSize", "#,###,###.##", "Banksize"},
    {"Store Cost $/kWhr /yr", "BatDollarsPerkWhr", "", "BatDollarsPerkWhr"},
    {"Store Efincy %", "StoreEff", "#.#", "StoreEff"},
    {"Buy Price $/kWhr", "ShortCost", "#.####", "Shortcost"},
    {"Sell Price $/kWhr", "SellPrice", "#.####", "SellPrice"},
    {"Yearly Starts from Idle", "ActCF", "#", "ActCF"},
    {"% Non Wind", "PercentNonWind", "#.#", "PercentNonWind"},
    {"Buy % of time", "DieselPercent", "#.#", ""},
    {"Energy Bought $/yr", "BuyE", "#,###,###", "BuyE"},
    {"Row Delete if X'd", "deleted", "", "Deleted"},
    {"From Date", "fromDate", "dd-mmm-yyyy", "Fromdate"},
    {"To Date", "toDate", "dd-mmm-yyyy", "ToDate"},
    {"Calc by Version", "CalcVer", "", ""},
}};

std::string gridText(const AnalsRow& row, int position) {
    const auto& col = kGridColumns.at(static_cast<std::size_t>(position));
    const SqlValue& v = row[static_cast<std::size_t>(position)];
    if (col.format.empty() || std::holds_alternative<std::monostate>(v)) return valueText(v);
    if (col.format.find('d') != std::string_view::npos) {
        auto day = core::parseIsoDate(valueText(v));
        return day ? core::formatDate(*day, col.format) : valueText(v);
    }
    if (std::holds_alternative<std::string>(v)) {
        double d = 0;
        if (!core::parseNumber(std::get<std::string>(v), d)) return std::get<std::string>(v);
        return core::formatNumber(d, col.format);
    }
    return core::formatNumber(valueNumber(v), col.format);
}

std::optional<std::string> GridSort::click(int position) {
    if (position < 0 || position >= core::kAnalsGridColumns) return std::nullopt;
    const auto& col = kGridColumns[static_cast<std::size_t>(position)];
    if (col.sortField.empty()) return std::nullopt;
    int& n = clicks_[static_cast<std::size_t>(position)];
    ++n;
    return std::string(col.sortField) + (n % 2 == 1 ? " ASC" : " DESC");
}

std::string GridSort::mark(int position) const {
    if (position < 0 || position >= core::kAnalsGridColumns) return {};
    int n = clicks_[static_cast<std::size_t>(position)];
    if (n == 0) return {};
    return n % 2 == 1 ? "SRTv" : "SRT^";
}

std::string studyFilterFromKeys(const std::vector<long long>& keys) {
    if (keys.empty()) return " and (key = 0)";
    std::string clauses;
    std::size_t i = 0;
    while (i < keys.size()) {
        const long long first = keys[i];
        long long last = first;
        std::size_t j = i + 1;
        while (j < keys.size() && keys[j] <= last + 1) last = keys[j++];
        if (last == first)
            clauses += " or key = " + std::to_string(first);
        else
            clauses += " or (key >= " + std::to_string(first) + " and key <= " + std::to_string(last) + ")";
        i = j;
    }
    return " and (" + clauses.substr(3) + ")";
}

std::string studyListLine(const StudyInfo& s) {
    return "Study #" + std::to_string(s.key) + " = " + s.name + ", created on " + generalDateText(s.dateCreated) +
           " with " + std::to_string(s.members) + " analysis.";
}

std::optional<long long> studyNumberFromLine(std::string_view line) {
    auto at = line.find("Study #");
    if (at == std::string_view::npos) return std::nullopt;
    std::size_t p = at + 7, end = p;
    while (end < line.size() && line[end] >= '0' && line[end] <= '9') ++end;
    if (end == p) return std::nullopt;
    long long n = 0;
    if (!core::parseInteger(line.substr(p, end - p), n)) return std::nullopt;
    return n;
}

StudyStore::StudyStore(SQLite::Database& db) : now(core::nowIsoDateTime), db_(db) {}

std::string StudyStore::filterFor(long long studyKey) {
    if (studyKey == 0) return {};
    SQLite::Statement q(db_, "SELECT datapointkey FROM studykeys WHERE studyKey = ? ORDER BY datapointkey ASC");
    q.bind(1, static_cast<int64_t>(studyKey));
    std::vector<long long> keys;
    while (q.executeStep()) keys.push_back(q.getColumn(0).getInt64());
    return studyFilterFromKeys(keys);
}

std::optional<StudyInfo> StudyStore::study(long long key) {
    SQLite::Statement q(db_,
                        "SELECT studyKey, StudyName, DateCreated, dateupdated, "
                        "(SELECT count(*) FROM studykeys k WHERE k.studyKey = s.studyKey) FROM studies s "
                        "WHERE studyKey = ?");
    q.bind(1, static_cast<int64_t>(key));
    if (!q.executeStep()) return std::nullopt;
    return StudyInfo{q.getColumn(0).getInt64(), valueText(readValue(q.getColumn(1))),
                     valueText(readValue(q.getColumn(2))), valueText(readValue(q.getColumn(3))),
                     q.getColumn(4).getInt64()};
}

std::vector<StudyInfo> StudyStore::studies() {
    SQLite::Statement q(db_,
                        "SELECT studyKey, StudyName, DateCreated, dateupdated, "
                        "(SELECT count(*) FROM studykeys k WHERE k.studyKey = s.studyKey) FROM studies s "
                        "ORDER BY studyKey");
    std::vector<StudyInfo> out;
    while (q.executeStep())
        out.push_back({q.getColumn(0).getInt64(), valueText(readValue(q.getColumn(1))),
                       valueText(readValue(q.getColumn(2))), valueText(readValue(q.getColumn(3))),
                       q.getColumn(4).getInt64()});
    return out;
}

bool StudyStore::nameExists(const std::string& name) {
    SQLite::Statement q(db_, "SELECT 1 FROM studies WHERE StudyName = ?");
    q.bind(1, name);
    return q.executeStep();
}

long long StudyStore::create(const std::string& name) {
    SQLite::Statement q(db_, "INSERT INTO studies (StudyName, DateCreated, dateupdated) VALUES (?, ?, ?)");
    const std::string t = now();
    q.bind(1, name);
    q.bind(2, t);
    q.bind(3, t);
    q.exec();
    return db_.getLastInsertRowid();
}

void StudyStore::rename(long long studyKey, const std::string& name) {
    SQLite::Statement q(db_, "UPDATE studies SET StudyName = ?, dateupdated = ? WHERE studyKey = ?");
    q.bind(1, name);
    q.bind(2, now());
    q.bind(3, static_cast<int64_t>(studyKey));
    q.exec();
}

long long StudyStore::copy(long long from, const std::string& name) {
    core::NestedTransaction tx(db_, "study");
    const long long to = create(name);
    SQLite::Statement q(db_,
                        "INSERT INTO studykeys (studyKey, datapointkey, dateadded) "
                        "SELECT ?, datapointkey, ? FROM studykeys WHERE studyKey = ? ORDER BY id");
    q.bind(1, static_cast<int64_t>(to));
    q.bind(2, now());
    q.bind(3, static_cast<int64_t>(from));
    q.exec();
    tx.commit();
    return to;
}

void StudyStore::remove(long long studyKey) {
    core::NestedTransaction tx(db_, "study");
    SQLite::Statement members(db_, "DELETE FROM studykeys WHERE studyKey = ?");
    members.bind(1, static_cast<int64_t>(studyKey));
    members.exec();
    SQLite::Statement study(db_, "DELETE FROM studies WHERE studyKey = ?");
    study.bind(1, static_cast<int64_t>(studyKey));
    study.exec();
    tx.commit();
}

void StudyStore::addMember(long long studyKey, long long analysis) {
    core::NestedTransaction tx(db_, "study");
    const std::string t = now();
    SQLite::Statement add(db_, "INSERT INTO studykeys (studyKey, datapointkey, dateadded) VALUES (?, ?, ?)");
    add.bind(1, static_cast<int64_t>(studyKey));
    add.bind(2, static_cast<int64_t>(analysis));
    add.bind(3, t);
    add.exec();
    SQLite::Statement touch(db_, "UPDATE studies SET dateupdated = ? WHERE studyKey = ?");
    touch.bind(1, t);
    touch.bind(2, static_cast<int64_t>(studyKey));
    touch.exec();
    tx.commit();
}

bool StudyStore::isMember(long long studyKey, long long analysis) {
    SQLite::Statement q(db_, "SELECT 1 FROM studykeys WHERE studyKey = ? AND datapointkey = ?");
    q.bind(1, static_cast<int64_t>(studyKey));
    q.bind(2, static_cast<int64_t>(analysis));
    return q.executeStep();
}

bool StudyStore::removeMember(long long studyKey, long long analysis) {
    // One membership row goes, as a found record is deleted; a repeated member keeps its other rows.
    SQLite::Statement q(db_,
                        "DELETE FROM studykeys WHERE id = (SELECT id FROM studykeys WHERE datapointkey = ? "
                        "AND studyKey = ? ORDER BY id LIMIT 1)");
    q.bind(1, static_cast<int64_t>(analysis));
    q.bind(2, static_cast<int64_t>(studyKey));
    return q.exec() > 0;
}

std::optional<long long> StudyStore::studyHolding(long long analysis) {
    SQLite::Statement q(db_, "SELECT studyKey FROM studykeys WHERE datapointkey = ? ORDER BY id LIMIT 1");
    q.bind(1, static_cast<int64_t>(analysis));
    if (!q.executeStep()) return std::nullopt;
    return q.getColumn(0).getInt64();
}

int StudyStore::removeOrphans() {
    return db_.exec(
        "DELETE FROM studykeys WHERE NOT EXISTS "
        "(SELECT 1 FROM datapoints d WHERE d.key = studykeys.datapointkey AND d.deleted <> 'x')");
}

void StudyStore::refreshInStudy() {
    // Only rows whose flag changes are written.
    db_.exec(
        "UPDATE datapoints SET instudy = -1 WHERE deleted <> 'x' AND instudy IS NOT -1 "
        "AND key IN (SELECT datapointkey FROM studykeys)");
    db_.exec(
        "UPDATE datapoints SET instudy = 0 WHERE deleted <> 'x' AND instudy IS NOT 0 "
        "AND key NOT IN (SELECT datapointkey FROM studykeys)");
}

std::vector<AnalsRow> StudyStore::rows(const std::string& filter, const std::string& orderBy) {
    SQLite::Statement q(db_, "SELECT * FROM anals WHERE deleted <> 'x'" + filter + " ORDER BY " + orderBy);
    std::vector<AnalsRow> out;
    while (q.executeStep()) {
        AnalsRow row;
        for (std::size_t i = 0; i < row.size(); ++i) row[i] = readValue(q.getColumn(static_cast<int>(i)));
        out.push_back(std::move(row));
    }
    return out;
}

long long StudyStore::countRows(const std::string& filter) {
    SQLite::Statement q(db_, "SELECT count(*) FROM anals WHERE deleted <> 'x'" + filter);
    q.executeStep();
    return q.getColumn(0).getInt64();
}

}  // namespace skyloom::analysis
