#include "ordering/Inventory.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include "core/SqlUtil.h"
#include "core/Text.h"

namespace skyloom::ordering {

namespace {

constexpr int kLastInventoryYear = 2006;

std::int64_t asKey(long wmo) { return static_cast<std::int64_t>(wmo); }

}  // namespace

bool InventoryRecord::isTotal() const { return core::iequals(core::trim(year), "Total"); }

std::vector<InventoryRecord> Inventory::rows(long wmo) {
    SQLite::Statement q(db_, "SELECT Key, WMO, Year, Selected, Total, Tyears FROM Inventory WHERE WMO = ? ORDER BY Key");
    q.bind(1, asKey(wmo));
    std::vector<InventoryRecord> out;
    while (q.executeStep()) {
        InventoryRecord r;
        r.key = q.getColumn(0).getInt64();
        r.wmo = static_cast<long>(q.getColumn(1).getInt64());
        r.year = core::columnText(q.getColumn(2));
        r.selected = q.getColumn(3).getInt() != 0;
        r.total = static_cast<long>(q.getColumn(4).getInt64());
        r.tyears = static_cast<long>(q.getColumn(5).getInt64());
        out.push_back(std::move(r));
    }
    return out;
}

std::vector<InventoryRow> Inventory::choices(long wmo) {
    std::vector<InventoryRow> out;
    for (const InventoryRecord& r : rows(wmo)) out.push_back({r.year, r.selected});
    return out;
}

bool Inventory::hasStation(long wmo) {
    SQLite::Statement q(db_, "SELECT 1 FROM Inventory WHERE WMO = ? LIMIT 1");
    q.bind(1, asKey(wmo));
    return q.executeStep();
}

bool Inventory::setSelected(std::int64_t key, bool selected) {
    SQLite::Statement find(db_, "SELECT WMO, Year FROM Inventory WHERE Key = ?");
    find.bind(1, key);
    if (!find.executeStep()) return false;
    const std::int64_t wmo = find.getColumn(0).getInt64();
    const bool total = core::iequals(core::trim(core::columnText(find.getColumn(1))), "Total");
    find.reset();
    SQLite::Statement upd(db_, total ? "UPDATE Inventory SET Selected = ? WHERE WMO = ?"
                                     : "UPDATE Inventory SET Selected = ? WHERE Key = ?");
    upd.bind(1, selected ? -1 : 0);
    upd.bind(2, total ? wmo : key);
    upd.exec();
    return true;
}

void Inventory::selectYears(long wmo, const std::vector<int>& years) {
    SQLite::Transaction tx(db_, SQLite::TransactionBehavior::IMMEDIATE);
    SQLite::Statement clear(db_, "UPDATE Inventory SET Selected = 0 WHERE WMO = ?");
    clear.bind(1, asKey(wmo));
    clear.exec();
    SQLite::Statement pick(db_, "UPDATE Inventory SET Selected = -1 WHERE WMO = ? AND trim(Year) = ?");
    for (int y : years) {
        pick.reset();
        pick.bind(1, asKey(wmo));
        pick.bind(2, std::to_string(y));
        pick.exec();
    }
    tx.commit();
}

void Inventory::clearSelected(long wmo) {
    SQLite::Statement upd(db_, "UPDATE Inventory SET Selected = 0 WHERE WMO = ?");
    upd.bind(1, asKey(wmo));
    upd.exec();
}

void Inventory::fillStation(long wmo, const std::vector<YearOfData>& years) {
    SQLite::Statement del(db_, "DELETE FROM Inventory WHERE WMO = ?");
    del.bind(1, asKey(wmo));
    del.exec();
    SQLite::Statement ins(db_, "INSERT INTO Inventory (WMO, Year, Selected, Total, Tyears) VALUES (?, ?, 0, ?, ?)");
    long all = 0;
    for (const YearOfData& y : years) {
        ins.reset();
        ins.bind(1, asKey(wmo));
        ins.bind(2, std::to_string(y.year));
        ins.bind(3, static_cast<std::int64_t>(y.soundings));
        ins.bind(4, 1);
        ins.exec();
        all += y.soundings;
    }
    ins.reset();
    ins.bind(1, asKey(wmo));
    ins.bind(2, "Total");
    ins.bind(3, static_cast<std::int64_t>(all));
    ins.bind(4, static_cast<std::int64_t>(years.size()));
    ins.exec();
}

std::vector<YearOfData> defaultYearsOfData(long wmo) {
    const long w = wmo < 0 ? -wmo : wmo;
    // First years between 1973 and 1994, so every station offers at least 1994 to 2006.
    const int first = 1973 + static_cast<int>(w % 22);
    std::vector<YearOfData> out;
    for (int y = first; y <= kLastInventoryYear; ++y) {
        const long mix = (w / 7 + static_cast<long>(y) * 31) % 97;
        // Two soundings a day with a few missed; about one year in nine thin (a broken record).
        long n = 730 - mix % 45;
        if (mix % 9 == 4) n = 120 + mix * 2;
        out.push_back({y, n});
    }
    return out;
}

int fillDefaultInventory(SQLite::Database& db) {
    std::vector<long> stations;
    {
        SQLite::Statement q(db,
                            "SELECT DISTINCT wmo FROM stations WHERE wmo > 0 AND wmo NOT IN "
                            "(SELECT WMO FROM Inventory WHERE WMO IS NOT NULL) ORDER BY wmo");
        while (q.executeStep()) stations.push_back(static_cast<long>(q.getColumn(0).getInt64()));
    }
    SQLite::Transaction tx(db, SQLite::TransactionBehavior::IMMEDIATE);
    Inventory inv(db);
    for (long wmo : stations) inv.fillStation(wmo, defaultYearsOfData(wmo));
    tx.commit();
    return static_cast<int>(stations.size());
}

}  // namespace skyloom::ordering
