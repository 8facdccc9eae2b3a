#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "power/GeneratorRecord.h"

namespace SQLite {
class Database;
}

namespace skyloom::power {

// The `generators` table of the main database and the generator block of the
// saved analyses (`datapoints`), read and written with bound parameters only.
// Names compare without regard to case. When the database has no `datapoints`
// table yet, there are simply no saved analyses.
class GeneratorStore {
public:
    explicit GeneratorStore(SQLite::Database& db);

    // FillGeneratorList: every name, the tallest generators first.
    std::vector<std::string> namesTallestFirst() const;
    bool empty() const;
    std::optional<GeneratorRecord> findByName(std::string_view name) const;
    std::optional<GeneratorRecord> findById(long long id) const;
    // The first generator of the table (lowest ID).
    std::optional<GeneratorRecord> first() const;

    // Adds the generator as a new row (its id is set from the new row).
    void add(GeneratorRecord& g);
    // Writes every column of the row g.id.
    void update(const GeneratorRecord& g);
    void remove(long long id);

    // CurveUsedInAnalysis for a name: 0 when no saved analysis names it, -1 when
    // every analysis naming it holds this curve, -2 when one differs in a column
    // other than the name, MaxKW and OrgData. The analysis with key `exceptKey`
    // (the one still open on the page, which follows the curve it is run with)
    // is left out.
    int curveUsedInAnalysis(std::string_view name, const GeneratorRecord& g, long long exceptKey = 0) const;
    // The generator block of the first analysis naming the generator (id 0).
    std::optional<GeneratorRecord> curveFromAnalysis(std::string_view name) const;
    // Gives every analysis of oldName the name newName.
    void renameInAnalyses(std::string_view oldName, std::string_view newName);
    bool nameInAnalyses(std::string_view name) const;

    // The smallest N from 1 such that base~N names no generator and no analysis,
    // base being the name up to its first "~".
    int nextCopyNumber(std::string_view name) const;

private:
    bool haveAnalyses() const;
    SQLite::Database& db_;
};

// The part of a name before its first "~" (the whole name without one).
std::string copyBase(std::string_view name);

}  // namespace skyloom::power
