#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ordering/OrderList.h"

namespace SQLite {
class Database;
}

namespace skyloom::ordering {

// One row of the main database's `Inventory` table: a year of data of a station
// that can be ordered, or the station's "Total" row.
struct InventoryRecord {
    std::int64_t key = 0;
    long wmo = 0;
    std::string year;        // "1994" ... or "Total"
    bool selected = false;   // stored as 0 / -1
    long total = 0;          // soundings of that year (all years on the "Total" row)
    long tyears = 0;         // years the row stands for: 1, or the station's count on "Total"

    bool isTotal() const;
};

// Column captions of the years window's grid, in column order (`Selected` is column 3).
inline constexpr std::array<std::string_view, 6> kInventoryCaptions = {"Key", "WMO", "Year", "Selected", "Total",
                                                                       "Total Years"};

// Soundings of one year that can be ordered.
struct YearOfData {
    int year = 0;
    long soundings = 0;
};

// Access to `Inventory` on an open main database. Rows of a station are always
// read in table order (by `Key`), the order the years window and the years text use.
class Inventory {
public:
    explicit Inventory(SQLite::Database& db) : db_(db) {}

    std::vector<InventoryRecord> rows(long wmo);
    // The rows of a station as the years text reads them.
    std::vector<InventoryRow> choices(long wmo);
    bool hasStation(long wmo);

    // An edit of `Selected` on one row; on the "Total" row every row of the
    // station takes the value (select all or none). False when no such row.
    bool setSelected(std::int64_t key, bool selected);
    // Selects exactly the given years of a station (the others are cleared).
    void selectYears(long wmo, const std::vector<int>& years);
    // Removing a station from the order list clears its marks.
    void clearSelected(long wmo);

    // Replaces a station's rows: one per year in the order given, then its "Total" row.
    void fillStation(long wmo, const std::vector<YearOfData>& years);

private:
    SQLite::Database& db_;
};

// The years a new program folder offers for a station: from a first year that
// depends on the station number up to 2006 (2007 and 2008 are asked for through
// the window's 2007-2008 option), about 700 soundings a year with some thin years.
std::vector<YearOfData> defaultYearsOfData(long wmo);

// Fills `Inventory` for every station of the station table that has no rows yet
// (one transaction). Returns the number of stations filled.
int fillDefaultInventory(SQLite::Database& db);

}  // namespace skyloom::ordering
