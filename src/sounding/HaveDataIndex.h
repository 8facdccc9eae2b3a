#pragma once

#include <string>
#include <vector>

namespace skyloom::core {
class MainDatabase;
class Prompter;
class Progress;
}  // namespace skyloom::core

namespace skyloom::sounding {

class StationDataFile;
struct HaveDataRow;

// The station data files in the program folder's `data` folder ("*.dat"), in directory order.
std::vector<std::string> listDataFiles(const std::string& appDir);
// The WMO number a data file's name begins with (0 when it begins with no digit).
long wmoOfDataFileName(const std::string& fileName);

// Compares the data folder with `havedata` and rebuilds the table when a file
// has no row or the counts differ. Returns true when it rebuilt.
bool checkHaveData(core::MainDatabase& db, core::Prompter& prompter, core::Progress* progress = nullptr);

// Rebuilds `havedata` from the data files (one transaction: an interrupted
// rebuild leaves the table as it was). Files that do not open are skipped
// quietly; "_Previous" leftovers of an update are deleted. Also keeps the
// station table in step: the HaveData flag and the station's date range, and a
// row for a station that has a file but no entry yet.
void rebuildHaveData(core::MainDatabase& db, core::Prompter& prompter, core::Progress* progress = nullptr);

// Replaces the `havedata` row of one station by the summary of its open file.
void refreshHaveDataRow(core::MainDatabase& db, StationDataFile& file);
// The same with the row the caller has just written to the file's `HaveData`
// (not read back from the file).
void refreshHaveDataRow(core::MainDatabase& db, StationDataFile& file, const HaveDataRow& row);

}  // namespace skyloom::sounding
