#pragma once

#include <array>
#include <string>
#include <string_view>

namespace SQLite { class Database; }

namespace skyloom::core {

struct ColumnDef {
    std::string_view name;
    std::string_view type;   // SQL type with collation where text compares without regard to case
};

// The generator block: columns 1..30 of `generators`, in this order. `datapoints`
// carries the same columns at the same positions (its position 1 is `genname`), so
// comparisons and reloads between a generator and an analysis go by position.
// Position 0 is the row key (`ID` in generators, `key` in datapoints).
constexpr int kGeneratorBlockSize = 30;
extern const std::array<ColumnDef, kGeneratorBlockSize + 1> kGeneratorColumns;   // [0] = ID
extern const std::array<ColumnDef, kGeneratorBlockSize + 1> kDatapointGeneratorColumns;  // [0] = key, [1] = genname

// The 31 columns of the study grid, in order, then four more; `anals` selects
// exactly these from `datapoints`, and the spreadsheet export writes all but the last four.
constexpr int kAnalsGridColumns = 31;
extern const std::array<std::string_view, kAnalsGridColumns + 4> kAnalsColumns;

// Creates every table and view of a new main database ("Skyloom.dat").
void createMainSchema(SQLite::Database& db);

}  // namespace skyloom::core
