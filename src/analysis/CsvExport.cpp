#include "analysis/CsvExport.h"

#include <stdexcept>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "analysis/AnalysisRecord.h"
#include "analysis/StudyStore.h"
#include "core/Text.h"
#include "core/WholeFile.h"

namespace skyloom::analysis {

namespace {

constexpr int kExported = core::kAnalsGridColumns;

// Commas and line breaks would split a field or a line; a double quote would open
// a quoted section that runs over the following fields and lines, so it becomes
// an apostrophe.
std::string safe(std::string text) {
    for (char& c : text) {
        if (c == ',' || c == '\r' || c == '\n') c = ' ';
        else if (c == '"') c = '\'';
    }
    return core::trim(text);
}

std::string headingLine() {
    std::string line;
    for (int i = 0; i < kExported; ++i)
        line += "\"" + core::trim(safe(std::string(kGridColumns[static_cast<std::size_t>(i)].caption))) + "\",";
    return line + "\r\n";
}

std::string dataLine(SQLite::Statement& row) {
    std::string line;
    for (int i = 0; i < kExported; ++i) line += safe(valueText(readValue(row.getColumn(i)))) + ",";
    return line + "\r\n";
}

}  // namespace

std::string csvFileName(const std::string& studyLabel) { return "Analysis_" + core::trim(studyLabel) + ".csv"; }

std::string studyCsvText(SQLite::Database& db, long long study) {
    std::string text;
    if (study == 0) {
        SQLite::Statement rows(db, "SELECT * FROM anals WHERE deleted <> 'x' ORDER BY key DESC");
        while (rows.executeStep()) {
            if (text.empty()) text = headingLine();
            text += dataLine(rows);
        }
        return text;
    }
    SQLite::Statement members(db, "SELECT datapointkey FROM studykeys WHERE studyKey = ? ORDER BY id");
    members.bind(1, static_cast<int64_t>(study));
    SQLite::Statement row(db, "SELECT * FROM anals WHERE key = ?");
    while (members.executeStep()) {
        if (text.empty()) text = headingLine();
        row.reset();
        row.bind(1, members.getColumn(0).getInt64());
        if (row.executeStep()) text += dataLine(row);
    }
    return text;
}

std::string exportStudyCsv(SQLite::Database& db, long long study, const std::string& studyLabel,
                           const std::string& appDir) {
    const std::string name = csvFileName(studyLabel);
    const std::string text = studyCsvText(db, study);
    core::writeFileWhole(appDir + name, text);
    return "An Excel .csv file by the name of '" + name + "' in the directory " + appDir;
}

}  // namespace skyloom::analysis
