#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/AnalysisRecord.h"

namespace SQLite { class Database; class Statement; }

namespace skyloom::analysis {

// The stored analyses (`datapoints`) on the main database's one connection, with
// the statements of the frequent calls prepared once.
class AnalysisStore {
public:
    explicit AnalysisStore(SQLite::Database& db);
    ~AnalysisStore();

    SQLite::Database& db() { return db_; }

    // Keys of the rows with the identity of `record` (usage, storage size and cost,
    // generator name, efficiency, buy price, look height, dates, station, sell
    // price), deleted rows included, in the order the rows were added. Generator
    // names compare without regard to case or trailing blanks.
    std::vector<long long> findSame(const AnalysisRecord& record);

    // Leaves one row of `keys` (rows of one identity, in order): from the first
    // row on, every row except the help-file analysis is deleted until one is left,
    // and the study memberships of the deleted rows move to the survivor, which is
    // returned. Runs in the caller's transaction.
    long long mergeDuplicates(const std::vector<long long>& keys, long long helpKey);

    // The row, deleted or not.
    std::optional<AnalysisRecord> load(long long key);
    // True when the row exists and is not marked deleted ("x").
    bool isPresent(long long key);
    bool exists(long long key);

    // Rewrites the row in place from record: generator block, inputs, results
    // (rounded), data used and bookkeeping; `AveWind`, `MeanWind` and the comment
    // keep their stored values. The version text is written (when the table has
    // that column) and a row marked deleted is revived.
    void update(long long key, const AnalysisRecord& record);
    // Adds the record as a new row (results rounded, `deleted` "0", the program's
    // version text) and returns its key.
    long long insert(const AnalysisRecord& record);

    void setComment(long long key, const std::string& comment);
    // Deletes the row outright; false when there is none.
    bool remove(long long key);
    // Marks the row deleted ("x"), as the windows' grid does.
    bool markDeleted(long long key);

    // Present rows (not marked "x").
    long long countPresent();
    // Present rows in the order of the bulk recalculation: by site name, dates, generator.
    std::vector<long long> keysForRecalculation();

    // The generator block of the named generator from `generators`; nullopt when absent.
    std::optional<GeneratorBlock> generatorBlock(const std::string& name);
    bool generatorListed(const std::string& name);
    // Adds a generator row made from an analysis's stored block, position by position.
    void recreateGenerator(const GeneratorBlock& block);

    bool hasCalcVerColumn() const { return hasCalcVer_; }

private:
    SQLite::Database& db_;
    bool hasCalcVer_ = false;
    std::unique_ptr<SQLite::Statement> identity_;
    std::unique_ptr<SQLite::Statement> update_;
    std::unique_ptr<SQLite::Statement> insert_;
    std::unique_ptr<SQLite::Statement> load_;
};

// The change report of a recalculation: for every compared result whose rounded
// stored value differs from the rounded new one, two lines and a blank line.
// Empty when nothing changed.
std::string changeReportLines(const AnalysisRecord& stored, const AnalysisRecord& fresh, long long key);
// The whole "Errors found" text around the lines.
std::string changeReportMessage(long long key, const std::string& storedDodate, const std::string& lines);

// The stored comment after a new comment is merged into it, or nullopt when it
// stays as it is (new comment empty, equal ignoring case, or already contained).
std::optional<std::string> mergedComment(const std::string& stored, const std::string& added);

}  // namespace skyloom::analysis
