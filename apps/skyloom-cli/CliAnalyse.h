#pragma once

#include <functional>
#include <optional>
#include <iosfwd>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include <CLI/CLI.hpp>

#include "core/Dates.h"
#include "sounding/Units.h"

namespace skyloom::session {
class PowerPage;
class Session;
class SiteAnalysis;
}  // namespace skyloom::session

namespace skyloom::cli {

class CliContext;

// A JSON value whose objects keep their keys in the order they were set, so
// that the analysis result reads like the analysis record.
class Json {
public:
    using Object = std::vector<std::pair<std::string, Json>>;
    using Array = std::vector<Json>;

    Json() = default;                                   // null
    Json(bool b) : value_(b) {}
    Json(int v) : value_(static_cast<double>(v)) {}
    Json(long v) : value_(static_cast<double>(v)) {}
    Json(long long v) : value_(static_cast<double>(v)) {}
    Json(double v) : value_(v) {}
    Json(const char* s) : value_(std::string(s)) {}
    Json(std::string s) : value_(std::move(s)) {}
    Json(std::string_view s) : value_(std::string(s)) {}
    Json(Array a) : value_(std::move(a)) {}
    Json(Object o) : value_(std::move(o)) {}
    static Json object() { return Json(Object{}); }

    // Sets a key of an object (a null value becomes an object): a new key goes
    // last, an existing one keeps its place.
    Json& set(const std::string& key, Json value);
    // The value of a key, or nullptr.
    const Json* find(const std::string& key) const;
    bool isObject() const { return std::holds_alternative<Object>(value_); }
    double number() const { return std::get<double>(value_); }
    const std::string& text() const { return std::get<std::string>(value_); }
    const Array& array() const { return std::get<Array>(value_); }

    // Text with two-blank indentation; numbers in their shortest exact form.
    std::string dump(int indent = 0) const;

private:
    std::variant<std::monostate, bool, double, std::string, Array, Object> value_;
};

// One run of `analyse`, as the command's extensions see it.
struct AnalyseRun {
    session::Session& session;
    // The analysis of the run: its site, generator, energy and the saved record.
    session::PowerPage& page;
    session::SiteAnalysis& analysis;      // page.site()
    sounding::Units units;
    double heightFeet;            // the height of interest
    bool json;
    Json& result;                 // the JSON object; keys are the analysis record's column names
    std::ostream& out;            // text output (unused with --json)
};

// Other command groups extend `analyse`: options, set-up before the analysis,
// lines and keys after it. addOptions runs at once when `analyse` exists already.
struct AnalyseExtension {
    std::function<void(CLI::App& analyse)> addOptions;
    std::function<void(AnalyseRun&)> prepare;
    std::function<void(AnalyseRun&)> report;
};
void addAnalyseExtension(AnalyseExtension extension);

// A station number or a date of the command line; a CliError names a bad one.
long parseStation(const std::string& text);
core::Days parseDate(const std::string& text);
// Refuses (CliError) a station that is not in the station list or has no data here.
void requireStationWithData(session::Session& s, session::SiteAnalysis& analysis, long wmo);
// Analyses the station as `analyse` does: no dates, its stored last range (or
// the whole range); with dates, that period, a date outside the file's range
// moved to its end with a word about it. A refused or empty period ends the
// command with exit code 1 after the program's own message.
void analysePeriod(CliContext& ctx, session::SiteAnalysis& analysis, long wmo, std::optional<core::Days> from,
                   std::optional<core::Days> to, bool wholeRange);

// skyloom-cli analyse WMO [--from DATE] [--to DATE] [--whole-range] [--units knots|mph|si]
//                        [--height 80m|260f] [--json]
void addAnalyseCommands(CLI::App& app, CliContext& ctx);

}  // namespace skyloom::cli
