#pragma once

namespace SQLite {
class Database;
}

namespace skyloom::sounding {

// The share of a station's whole record, from its first sounding's day to its
// last one's, that no sounding stands for, in percent to one decimal: the gap
// share an analysis of the whole record finds. Kept in the file's summary from
// the import on, so that a station nobody has analysed yet does not read "0.0%
// gaps". 0 for a file without soundings.
double recordGapPercent(SQLite::Database& stationDb);

}  // namespace skyloom::sounding
