#include "analysis/AnalysisStore.h"

#include <cmath>
#include <functional>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "core/Formats.h"
#include "core/Text.h"

namespace skyloom::analysis {

namespace {

// One `datapoints` column and where it lives in an AnalysisRecord.
struct Field {
    std::string name;
    std::function<SqlValue(const AnalysisRecord&)> get;
    std::function<void(AnalysisRecord&, const SqlValue&)> set;
};

Field field(std::string name, double AnalysisRecord::*m) {
    return {std::move(name), [m](const AnalysisRecord& r) { return SqlValue(r.*m); },
            [m](AnalysisRecord& r, const SqlValue& v) { r.*m = valueNumber(v); }};
}
Field field(std::string name, long long AnalysisRecord::*m) {
    return {std::move(name), [m](const AnalysisRecord& r) { return SqlValue(r.*m); },
            [m](AnalysisRecord& r, const SqlValue& v) { r.*m = std::llround(valueNumber(v)); }};
}
Field field(std::string name, std::string AnalysisRecord::*m) {
    return {std::move(name), [m](const AnalysisRecord& r) { return SqlValue(r.*m); },
            [m](AnalysisRecord& r, const SqlValue& v) { r.*m = valueText(v); }};
}

// The columns every save writes: generator block, inputs, results, data used and
// the bookkeeping of the calculation.
const std::vector<Field>& savedFields() {
    static const std::vector<Field> fields = [] {
        std::vector<Field> f;
        for (int i = 1; i <= core::kGeneratorBlockSize; ++i) {
            const auto idx = static_cast<std::size_t>(i - 1);
            f.push_back({std::string(core::kDatapointGeneratorColumns[static_cast<std::size_t>(i)].name),
                         [idx](const AnalysisRecord& r) { return r.generator[idx]; },
                         [idx](AnalysisRecord& r, const SqlValue& v) { r.generator[idx] = v; }});
        }
        using R = AnalysisRecord;
        f.push_back(field("aveused", &R::aveused));
        f.push_back(field("BankSize", &R::bankSize));
        f.push_back(field("BatDollarsPerkWhr", &R::batDollarsPerkWhr));
        f.push_back(field("StoreEff", &R::storeEff));
        f.push_back(field("ShortCost", &R::shortCost));
        f.push_back(field("LookHeight", &R::lookHeight));
        f.push_back(field("fromDate", &R::fromDate));
        f.push_back(field("toDate", &R::toDate));
        f.push_back(field("SiteName", &R::siteName));
        f.push_back(field("selline", &R::selline));
        f.push_back(field("GeneratorCost", &R::generatorCost));
        f.push_back(field("SellPrice", &R::sellPrice));
        f.push_back(field("wmo", &R::wmo));
        f.push_back(field("WMOkey", &R::wmoKey));
        f.push_back(field("RefWMO", &R::refWmo));
        f.push_back(field("Units", &R::units));
        f.push_back(field("StateOfCharge", &R::stateOfCharge));
        f.push_back(field("DataColor", &R::dataColor));
        f.push_back(field("ActivateI", &R::activateI));
        f.push_back(field("IgnoreZ", &R::ignoreZ));
        for (std::size_t i = 0; i < kResultColumns.size(); ++i)
            f.push_back({std::string(kResultColumns[i].column),
                         [i](const AnalysisRecord& r) { return SqlValue(r.results[i]); },
                         [i](AnalysisRecord& r, const SqlValue& v) { r.results[i] = valueNumber(v); }});
        f.push_back(field("SeeSoundings", &R::seeSoundings));
        f.push_back(field("SeePoints", &R::seePoints));
        f.push_back(field("SeeDiscarded", &R::seeDiscarded));
        f.push_back(field("Tgaps", &R::tgaps));
        f.push_back(field("dodate", &R::dodate));
        f.push_back(field("DoTime", &R::doTime));
        f.push_back(field("SessionAnalNum", &R::sessionAnalNum));
        f.push_back({"Print", [](const R& r) { return SqlValue(static_cast<long long>(r.print)); },
                     [](R& r, const SqlValue& v) { r.print = static_cast<int>(std::llround(valueNumber(v))); }});
        return f;
    }();
    return fields;
}

// Written only when a row is added.
const std::vector<Field>& newRowFields() {
    static const std::vector<Field> fields = {field("AveWind", &AnalysisRecord::aveWind),
                                              field("MeanWind", &AnalysisRecord::meanWind),
                                              field("deleted", &AnalysisRecord::deleted)};
    return fields;
}

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

struct CompareItem {
    Result result;
    ResultRounding rounding;
    const char* label;
};

// The results a recalculation checks, in the order of the report.
constexpr std::array<CompareItem, 14> kCompared = {{
    {TotalEPot, ResultRounding::A, "     Wind Generator Potential MWhr/yr should be "},
    {TotalEUse, ResultRounding::A, "                  Energy Used MWhr/yr should be "},
    {UnusedCap, ResultRounding::A, "              Unused Capacity MWhr/yr should be "},
    {PotCF, ResultRounding::B, "          Potential Capacity Factor % should be "},
    {PotkW, ResultRounding::B, "              Potential Wind Power kW should be "},
    {ActCF, ResultRounding::B, "                          Idle starts should be "},
    {IdlePercent, ResultRounding::B, "                       Percent Idle % should be "},
    {PercentNonWind, ResultRounding::B, "               % needed from Non Wind should be "},
    {ShortE, ResultRounding::B, "                Energy Shortfall MWhr should be "},
    {DieselPercent, ResultRounding::B, "         % of Time Non Wind is needed should be "},
    {BuyE, ResultRounding::B, "                Purchased Energy MWhr should be "},
    {Income, ResultRounding::B, "                      Net Income $/yr should be "},
    {NetEnergyCost, ResultRounding::B, "           Net Cost of a kW in $/kWhr should be "},
    {NetSave, ResultRounding::B, "                     Net Savings $/yr should be "},
}};

constexpr const char* kReportNumber = "###,###,###.######";

}  // namespace

AnalysisStore::AnalysisStore(SQLite::Database& db) : db_(db) {
    SQLite::Statement cols(db_, "PRAGMA table_info(datapoints)");
    while (cols.executeStep())
        if (core::iequals(cols.getColumn(1).getString(), "CalcVer")) hasCalcVer_ = true;

    identity_ = std::make_unique<SQLite::Statement>(
        db_,
        "SELECT key FROM datapoints WHERE wmo = ? AND aveused = ? AND LookHeight = ? AND BankSize = ? "
        "AND BatDollarsPerkWhr = ? AND rtrim(genname) = rtrim(?) COLLATE NOCASE AND StoreEff = ? "
        "AND ShortCost = ? AND fromDate = ? AND toDate = ? AND SellPrice = ? ORDER BY key");

    std::string set, names, marks, select = "key, comment";
    for (const auto& f : savedFields()) {
        set += (set.empty() ? "" : ", ") + quoted(f.name) + " = ?";
        names += (names.empty() ? "" : ", ") + quoted(f.name);
        marks += marks.empty() ? "?" : ", ?";
        select += ", " + quoted(f.name);
    }
    for (const auto& f : newRowFields()) {
        names += ", " + quoted(f.name);
        marks += ", ?";
        select += ", " + quoted(f.name);
    }
    if (hasCalcVer_) {
        set += ", CalcVer = ?";
        names += ", CalcVer";
        marks += ", ?";
        select += ", CalcVer";
    }
    update_ = std::make_unique<SQLite::Statement>(
        db_, "UPDATE datapoints SET " + set +
                 ", deleted = CASE WHEN deleted = 'x' THEN '0' ELSE deleted END WHERE key = ?");
    insert_ = std::make_unique<SQLite::Statement>(db_, "INSERT INTO datapoints (" + names + ") VALUES (" + marks + ")");
    load_ = std::make_unique<SQLite::Statement>(db_, "SELECT " + select + " FROM datapoints WHERE key = ?");
}

AnalysisStore::~AnalysisStore() = default;

std::vector<long long> AnalysisStore::findSame(const AnalysisRecord& r) {
    auto& q = *identity_;
    q.reset();
    q.bind(1, static_cast<int64_t>(r.wmo));
    q.bind(2, r.aveused);
    q.bind(3, r.lookHeight);
    q.bind(4, r.bankSize);
    q.bind(5, r.batDollarsPerkWhr);
    q.bind(6, r.generatorName());
    q.bind(7, r.storeEff);
    q.bind(8, r.shortCost);
    q.bind(9, r.fromDate);
    q.bind(10, r.toDate);
    q.bind(11, r.sellPrice);
    std::vector<long long> keys;
    while (q.executeStep()) keys.push_back(q.getColumn(0).getInt64());
    q.reset();
    return keys;
}

long long AnalysisStore::mergeDuplicates(const std::vector<long long>& keys, long long helpKey) {
    if (keys.empty()) return 0;
    std::vector<bool> deleted(keys.size(), false);
    std::size_t left = keys.size();
    SQLite::Statement unlink(db_, "UPDATE studykeys SET datapointkey = -1 WHERE datapointkey = ?");
    SQLite::Statement drop(db_, "DELETE FROM datapoints WHERE key = ?");
    for (std::size_t i = 0; i < keys.size() && left > 1; ++i) {
        if (keys[i] == helpKey) continue;
        unlink.bind(1, static_cast<int64_t>(keys[i]));
        unlink.exec();
        unlink.reset();
        drop.bind(1, static_cast<int64_t>(keys[i]));
        drop.exec();
        drop.reset();
        deleted[i] = true;
        --left;
    }
    long long survivor = 0;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (!deleted[i]) survivor = keys[i];
    SQLite::Statement relink(db_, "UPDATE studykeys SET datapointkey = ? WHERE datapointkey = -1");
    relink.bind(1, static_cast<int64_t>(survivor));
    relink.exec();
    return survivor;
}

std::optional<AnalysisRecord> AnalysisStore::load(long long key) {
    auto& q = *load_;
    q.reset();
    q.bind(1, static_cast<int64_t>(key));
    if (!q.executeStep()) {
        q.reset();
        return std::nullopt;
    }
    AnalysisRecord r;
    r.key = q.getColumn(0).getInt64();
    if (!q.getColumn(1).isNull()) r.comment = q.getColumn(1).getString();
    int col = 2;
    for (const auto& f : savedFields()) f.set(r, readValue(q.getColumn(col++)));
    for (const auto& f : newRowFields()) f.set(r, readValue(q.getColumn(col++)));
    if (hasCalcVer_) r.calcVer = valueText(readValue(q.getColumn(col++)));
    q.reset();
    return r;
}

bool AnalysisStore::isPresent(long long key) {
    SQLite::Statement q(db_, "SELECT 1 FROM datapoints WHERE key = ? AND deleted <> 'x'");
    q.bind(1, static_cast<int64_t>(key));
    return q.executeStep();
}

bool AnalysisStore::exists(long long key) {
    SQLite::Statement q(db_, "SELECT 1 FROM datapoints WHERE key = ?");
    q.bind(1, static_cast<int64_t>(key));
    return q.executeStep();
}

void AnalysisStore::update(long long key, const AnalysisRecord& record) {
    AnalysisRecord r = record;
    applyResultRounding(r);
    auto& q = *update_;
    q.reset();
    int i = 1;
    for (const auto& f : savedFields()) bindValue(q, i++, f.get(r));
    if (hasCalcVer_) q.bind(i++, calcVersionText());
    q.bind(i, static_cast<int64_t>(key));
    q.exec();
    q.reset();
}

long long AnalysisStore::insert(const AnalysisRecord& record) {
    AnalysisRecord r = record;
    applyResultRounding(r);
    r.deleted = "0";
    auto& q = *insert_;
    q.reset();
    int i = 1;
    for (const auto& f : savedFields()) bindValue(q, i++, f.get(r));
    for (const auto& f : newRowFields()) bindValue(q, i++, f.get(r));
    if (hasCalcVer_) q.bind(i++, calcVersionText());
    q.exec();
    q.reset();
    return db_.getLastInsertRowid();
}

void AnalysisStore::setComment(long long key, const std::string& comment) {
    SQLite::Statement q(db_, "UPDATE datapoints SET comment = ? WHERE key = ?");
    q.bind(1, comment);
    q.bind(2, static_cast<int64_t>(key));
    q.exec();
}

bool AnalysisStore::remove(long long key) {
    SQLite::Statement q(db_, "DELETE FROM datapoints WHERE key = ?");
    q.bind(1, static_cast<int64_t>(key));
    return q.exec() > 0;
}

bool AnalysisStore::markDeleted(long long key) {
    SQLite::Statement q(db_, "UPDATE datapoints SET deleted = 'x' WHERE key = ?");
    q.bind(1, static_cast<int64_t>(key));
    return q.exec() > 0;
}

long long AnalysisStore::countPresent() {
    return db_.execAndGet("SELECT count(*) FROM anals WHERE deleted <> 'x'").getInt64();
}

std::vector<long long> AnalysisStore::keysForRecalculation() {
    SQLite::Statement q(db_, "SELECT key FROM anals WHERE deleted <> 'x' ORDER BY SiteName, fromDate, toDate, genname");
    std::vector<long long> keys;
    while (q.executeStep()) keys.push_back(q.getColumn(0).getInt64());
    return keys;
}

std::optional<GeneratorBlock> AnalysisStore::generatorBlock(const std::string& name) {
    std::string cols;
    for (int i = 1; i <= core::kGeneratorBlockSize; ++i)
        cols += (i > 1 ? ", " : "") + quoted(std::string(core::kGeneratorColumns[static_cast<std::size_t>(i)].name));
    SQLite::Statement q(db_, "SELECT " + cols + " FROM generators WHERE Name = ? ORDER BY ID LIMIT 1");
    q.bind(1, name);
    if (!q.executeStep()) return std::nullopt;
    GeneratorBlock block;
    for (int i = 0; i < core::kGeneratorBlockSize; ++i) block[static_cast<std::size_t>(i)] = readValue(q.getColumn(i));
    return block;
}

bool AnalysisStore::generatorListed(const std::string& name) {
    SQLite::Statement q(db_, "SELECT 1 FROM generators WHERE Name = ?");
    q.bind(1, name);
    return q.executeStep();
}

void AnalysisStore::recreateGenerator(const GeneratorBlock& block) {
    std::string cols, marks;
    for (int i = 1; i <= core::kGeneratorBlockSize; ++i) {
        cols += (i > 1 ? ", " : "") + quoted(std::string(core::kGeneratorColumns[static_cast<std::size_t>(i)].name));
        marks += i > 1 ? ", ?" : "?";
    }
    SQLite::Statement q(db_, "INSERT INTO generators (" + cols + ") VALUES (" + marks + ")");
    for (int i = 0; i < core::kGeneratorBlockSize; ++i) bindValue(q, i + 1, block[static_cast<std::size_t>(i)]);
    q.exec();
}

std::string changeReportLines(const AnalysisRecord& stored, const AnalysisRecord& fresh, long long key) {
    std::string lines;
    for (const auto& item : kCompared) {
        const double was = roundResult(stored.result(item.result), item.rounding);
        const double now = roundResult(fresh.result(item.result), item.rounding);
        if (was == now) continue;
        lines += std::string(item.label) + core::formatNumber(now, kReportNumber) + "\n";
        lines += "                        but in ID " + core::formatNumber(static_cast<double>(key), "000000") +
                 " it was " + core::formatNumber(was, kReportNumber) + "\n\n";
    }
    return lines;
}

std::string changeReportMessage(long long key, const std::string& storedDodate, const std::string& lines) {
    const std::string id = std::to_string(key);
    return "Errors found: Analysis ID " + id + " was last calculated on " + generalDateText(storedDodate) +
           " and a current recalculation of the analysis has resulted in the following changes to the results:\n\n" +
           lines + "I am updating the results of Analysis ID " + id +
           " to the current values.  If you have used the results of this ID in any external document please "
           "update the document accordingly.";
}

std::optional<std::string> mergedComment(const std::string& storedText, const std::string& addedText) {
    const std::string stored = core::trim(storedText);
    const std::string added = core::trim(addedText);
    if (added.empty() || core::iequals(stored, added) || core::icontains(stored, added)) return std::nullopt;
    // An analysis without a comment simply takes the new one.
    if (stored.empty()) return added;
    return stored + (core::endsWith(stored, ".") ? "" : ".") + "  " + added;
}

}  // namespace skyloom::analysis
