#pragma once

#include <string>

namespace SQLite { class Database; }

namespace skyloom::analysis {

// The label of study 0 in the study caption.
constexpr const char* kAllAnalysesLabel = " List of all previous Analysis";

// "Analysis_" + the trimmed study label + ".csv".
std::string csvFileName(const std::string& studyLabel);

// The spreadsheet text of a study's analyses: a heading line of the grid
// captions in double quotes, then one line per analysis with the plain values of
// every grid column; every field ends with "," and every line with CR LF. Commas
// and line breaks inside a value become blanks and double quotes apostrophes, so
// no value splits a field or a line or opens a quoted section. Study 0 lists every present
// analysis, newest first; another study lists its members in the order they were
// added (deleted analyses included), skipping members whose row is gone. No
// analyses give an empty text.
std::string studyCsvText(SQLite::Database& db, long long study);

// Writes studyCsvText to appDir + csvFileName(studyLabel), replacing the file whole,
// and returns the message telling the user where it is. Throws std::runtime_error
// when the file cannot be written.
std::string exportStudyCsv(SQLite::Database& db, long long study, const std::string& studyLabel,
                           const std::string& appDir);

}  // namespace skyloom::analysis
