#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/AnalysisRecord.h"
#include "core/MainSchema.h"

namespace SQLite { class Database; }

namespace skyloom::analysis {

// One column of the study grid: its heading, the `anals` column shown, the
// display format ("" = as stored) and the field a heading click sorts by ("" =
// the column does not sort).
struct GridColumn {
    std::string_view caption;
    std::string_view column;
    std::string_view format;
    std::string_view sortField;
};
extern const std::array<GridColumn, core::kAnalsGridColumns> kGridColumns;
// Position of the column whose typed "x" or "q" removes the row.
constexpr int kDeleteColumn = 27;
constexpr int kCommentColumn = 1;

// A row of `anals`: the 31 grid columns, then `wmo`, `RefWMO`, `dodate`, `instudy`.
using AnalsRow = std::array<SqlValue, core::kAnalsColumns.size()>;

// The grid's text of a value in column `position`, in the column's format.
std::string gridText(const AnalsRow& row, int position);

// The heading-click sorting: every column keeps its own direction, ascending
// first, then alternating.
class GridSort {
public:
    // The " order by" clause body ("Key ASC") for a click on the heading at
    // position, or nullopt when that column does not sort.
    std::optional<std::string> click(int position);
    // The heading mark of the last click on that column: "SRTv" ascending,
    // "SRT^" descending, "" before the first click.
    std::string mark(int position) const;

private:
    std::array<int, core::kAnalsGridColumns> clicks_{};
};

// The condition appended to the `anals` query for a study with these member keys
// (in ascending order, repeats allowed): runs of consecutive keys become ranges.
// No members give " and (key = 0)".
std::string studyFilterFromKeys(const std::vector<long long>& ascendingKeys);

struct StudyInfo {
    long long key = 0;
    std::string name;
    std::string dateCreated;
    std::string dateUpdated;
    long long members = 0;
};

// The line of a study in the study list, and the number read back from such a line.
std::string studyListLine(const StudyInfo& study);
constexpr const char* kAllStudiesLine = "Study #0 = ALL previous analysis";
std::optional<long long> studyNumberFromLine(std::string_view line);

// The studies (`studies`) and their members (`studykeys`).
class StudyStore {
public:
    explicit StudyStore(SQLite::Database& db);

    // The present date and time as stored; replaceable so tests can tell saves apart.
    std::function<std::string()> now;

    // "" for study 0, else the member filter of the study.
    std::string filterFor(long long study);
    std::optional<StudyInfo> study(long long key);
    std::vector<StudyInfo> studies();
    bool nameExists(const std::string& name);

    // Adds a study and returns its number.
    long long create(const std::string& name);
    void rename(long long study, const std::string& name);
    // A new study with the members of `from` (added now); returns its number.
    long long copy(long long from, const std::string& name);
    void remove(long long study);

    void addMember(long long study, long long analysis);
    bool isMember(long long study, long long analysis);
    // Removes the analysis from the study; false when it was not in it.
    bool removeMember(long long study, long long analysis);
    // The first study (in table order) holding the analysis.
    std::optional<long long> studyHolding(long long analysis);
    // Deletes memberships whose analysis no longer exists; returns how many.
    int removeOrphans();
    // Sets `instudy` of every present analysis.
    void refreshInStudy();

    // The present rows of `anals` under a filter, in the given order ("key desc").
    std::vector<AnalsRow> rows(const std::string& filter, const std::string& orderBy = "key desc");
    long long countRows(const std::string& filter);

private:
    SQLite::Database& db_;
};

}  // namespace skyloom::analysis
