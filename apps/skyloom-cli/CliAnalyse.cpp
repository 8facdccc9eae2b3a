#include "CliAnalyse.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <optional>

#include <SQLiteCpp/Statement.h>
#include <fmt/format.h>

#include "CliContext.h"
#include "core/Formats.h"
#include "core/Rounding.h"
#include "core/SqlUtil.h"
#include "core/Text.h"
#include "session/PowerPage.h"
#include "session/SiteAnalysis.h"
#include "session/StationSummary.h"
#include "sounding/HeightInterpolation.h"

namespace skyloom::cli {

// ---- JSON -----------------------------------------------------------------

Json& Json::set(const std::string& key, Json value) {
    if (std::holds_alternative<std::monostate>(value_)) value_ = Object{};
    auto& object = std::get<Object>(value_);
    for (auto& [k, v] : object)
        if (k == key) {
            v = std::move(value);
            return *this;
        }
    object.emplace_back(key, std::move(value));
    return *this;
}

const Json* Json::find(const std::string& key) const {
    if (!isObject()) return nullptr;
    for (const auto& [k, v] : std::get<Object>(value_))
        if (k == key) return &v;
    return nullptr;
}

namespace {

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) out += fmt::format("\\u{:04x}", c);
                else out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

}  // namespace

std::string Json::dump(int indent) const {
    const std::string pad(static_cast<std::size_t>(indent + 2), ' ');
    const std::string closePad(static_cast<std::size_t>(indent), ' ');
    return std::visit(
        [&](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>) return "null";
            else if constexpr (std::is_same_v<T, bool>) return v ? "true" : "false";
            else if constexpr (std::is_same_v<T, double>) return std::isfinite(v) ? core::formatPlain(v) : "null";
            else if constexpr (std::is_same_v<T, std::string>) return quoted(v);
            else if constexpr (std::is_same_v<T, Array>) {
                if (v.empty()) return "[]";
                std::string s = "[\n";
                for (std::size_t i = 0; i < v.size(); ++i)
                    s += pad + v[i].dump(indent + 2) + (i + 1 < v.size() ? ",\n" : "\n");
                return s + closePad + "]";
            } else {
                if (v.empty()) return "{}";
                std::string s = "{\n";
                for (std::size_t i = 0; i < v.size(); ++i)
                    s += pad + quoted(v[i].first) + ": " + v[i].second.dump(indent + 2) + (i + 1 < v.size() ? ",\n" : "\n");
                return s + closePad + "}";
            }
        },
        value_);
}

// ---- the command ----------------------------------------------------------

namespace {
// Messages of a JSON run go to standard error so the output stays one document.
// Ends the command with exit code 1 after the program's own message was shown.
[[noreturn]] void refused() { throw CLI::RuntimeError(1); }
}  // namespace

long parseStation(const std::string& text) {
    long long wmo = 0;
    if (!core::parseInteger(text, wmo) || wmo <= 0) throw CliError("'" + text + "' is not a WMO station number");
    return static_cast<long>(wmo);
}

core::Days parseDate(const std::string& text) {
    const auto d = core::parseUserDate(text);
    if (!d) throw CliError("'" + text + "' is not a date");
    return *d;
}

void requireStationWithData(session::Session& s, session::SiteAnalysis& analysis, long wmo) {
    if (analysis.stationRange(wmo) && s.stations().find(wmo)) return;
    SQLite::Statement known(s.mainDb().db(), "SELECT count(*) FROM stations WHERE wmo = ?");
    known.bind(1, static_cast<std::int64_t>(wmo));
    known.executeStep();
    if (known.getColumn(0).getInt() == 0) throw CliError("station " + std::to_string(wmo) + " is not in the station list");
    throw CliError("station " + std::to_string(wmo) + " has no data on this computer");
}

void analysePeriod(CliContext& ctx, session::SiteAnalysis& analysis, long wmo, std::optional<core::Days> from,
                   std::optional<core::Days> to, bool wholeRange) {
    session::Session& s = ctx.session();
    core::Prompter& prompter = ctx.prompter;
    const auto range = analysis.stationRange(wmo);
    if (!range) throw CliError("station " + std::to_string(wmo) + " has no data on this computer");
    session::AnalysisOutcome outcome;
    if (!from && !to) {
        analysis.setSiteString(analysis.siteEntryText(wmo));
        outcome = analysis.reanalyseSite(wholeRange);
    } else {
        session::setPickerRanges(analysis.fromPicker(), analysis.toPicker(), range->from, range->to);
        const core::StationEntry* station = s.stations().find(wmo);
        core::Days f = from.value_or(range->from);
        core::Days t = to.value_or(range->to);
        // A date outside the file's range moves to its nearer end, with a word about it.
        auto clampDate = [&](core::Days d, const char* which) {
            if (d >= range->from && d <= range->to) return d;
            const core::Days moved = std::clamp(d, range->from, range->to);
            const std::string word = std::string(which) == "from" ? "From" : "To";
            prompter.message("The " + station->name + " data file is only from " +
                             core::formatDate(range->from, "dd-mmm-yyyy") + " to " +
                             core::formatDate(range->to, "dd-mmm-yyyy") + "\nThis analysis wanted to use a " + which +
                             " date of " + core::formatDate(d, "dd-mmm-yyyy") + ".  " + word + " date is now set to " +
                             core::formatDate(moved, "dd-mmm-yyyy"));
            return moved;
        };
        f = clampDate(f, "from");
        t = clampDate(t, "to");
        analysis.fromPicker().setValue(f);
        analysis.toPicker().setValue(t);
        if (!analysis.checkDateOrder()) refused();
        const std::string site = analysis.siteEntryText(wmo);
        outcome = analysis.retrieveAndAnalyse(site, analysis.fromPicker().text(), analysis.toPicker().text());
    }
    ctx.progress.finish();
    if (outcome == session::AnalysisOutcome::NoSite) throw CliError("station " + std::to_string(wmo) + " has no data on this computer");
    if (outcome != session::AnalysisOutcome::Analysed && outcome != session::AnalysisOutcome::GeneratorRerun &&
        outcome != session::AnalysisOutcome::EnergyOnly)
        refused();
}

namespace {

std::vector<AnalyseExtension>& extensions() {
    static std::vector<AnalyseExtension> list;
    return list;
}
CLI::App* analyseCommand = nullptr;

struct AnalyseOptions {
    std::string wmo;
    std::string from;
    std::string to;
    bool wholeRange = false;
    std::string units;
    std::string height = "80m";
    bool json = false;
};

void listStationsWithData(session::Session& s) {
    SQLite::Statement q(s.mainDb().db(), "SELECT DISTINCT wmo FROM havedata ORDER BY wmo");
    int n = 0;
    while (q.executeStep()) {
        const long wmo = static_cast<long>(q.getColumn(0).getInt64());
        const auto text = session::stationSummary(s.mainDb(), wmo);
        if (!text) continue;
        std::cout << fmt::format("{:05d}  {}\n", wmo, core::trim(text->substr(0, 200)));
        ++n;
    }
    std::cout << n << " stations with data" << std::endl;
}

double rounded(double v, int decimals) { return core::roundHalfEven(v, decimals); }

void runAnalyse(CliContext& ctx, const AnalyseOptions& o) {
    auto& s = ctx.session();
    if (o.wmo.empty()) {
        listStationsWithData(s);
        return;
    }
    const long wmo = parseStation(o.wmo);

    sounding::Units units = sounding::Units::fromSetting(s.settings().get("Units", "0"));
    if (!o.units.empty() && !sounding::Units::fromWord(o.units, units))
        throw CliError("'" + o.units + "' is not a unit (knots, mph or si)");
    const auto heightFeet = sounding::parseHeightOfInterest(o.height, units, true);
    if (!heightFeet)
        throw CliError("'" + o.height + "' is not a height (a number, optionally followed by m or f)");
    std::optional<core::Days> from, to;
    if (!o.from.empty()) from = parseDate(o.from);
    if (!o.to.empty()) to = parseDate(o.to);

    ctx.prompter.messagesToError = o.json;
    session::PowerPage page(s);
    session::SiteAnalysis& analysis = page.site();
    analysis.setUnits(units);
    page.setHeightFeet(*heightFeet);
    analysis.setProgress(&ctx.progress);

    requireStationWithData(s, analysis, wmo);

    Json result = Json::object();
    AnalyseRun run{s, page, analysis, units, *heightFeet, o.json, result, std::cout};
    for (auto& e : extensions())
        if (e.prepare) e.prepare(run);

    analysePeriod(ctx, analysis, wmo, from, to, o.wholeRange);

    const auto& st = analysis.statistics();
    const double speedFactor = units.speedFactor() / 10.0;     // stored tenths of a knot to display units
    const double lengthFactor = units.lengthFactor();
    const double shownHeight = rounded(*heightFeet * lengthFactor, 1);
    const double average = sounding::levelValueAtHeight(st.averageSpeed, shownHeight, units);
    const double mean = sounding::levelValueAtHeight(st.median, shownHeight, units);

    result.set("summary", analysis.summaryLine());
    result.set("units", units.speedUnit());
    result.set("lengthUnit", units.lengthUnit());
    Json::Array levels;
    for (int l = 0; l < sounding::kLevelCount; ++l) {
        const auto i = static_cast<std::size_t>(l);
        Json level = Json::object();
        level.set("height", rounded(l * sounding::kLevelStepFeet * lengthFactor, 1));
        level.set("average", rounded(st.averageSpeed[i] * speedFactor, 2));
        level.set("mean", rounded(st.median[i] * speedFactor, 2));
        level.set("max", rounded(st.maxSpeed[i] * speedFactor, 2));
        level.set("direction", rounded(st.averageDirection[i], 1));
        level.set("peak", st.histogramPeak[i]);
        levels.push_back(std::move(level));
    }
    result.set("levels", std::move(levels));
    result.set("soundings", st.soundingCount);
    result.set("dataPoints", static_cast<long long>(st.totalDataPoints));
    result.set("wmo", wmo);
    result.set("SiteName", analysis.siteName());
    result.set("fromDate", core::isoDate(analysis.currentFrom()));
    result.set("toDate", core::isoDate(analysis.currentTo()));
    result.set("LookHeight", rounded(*heightFeet / sounding::kFeetPerMetre, 1));
    result.set("AveWind", rounded(average / 10.0 * sounding::kMetresPerSecondPerKnot, 2));
    result.set("MeanWind", rounded(mean / 10.0 * sounding::kMetresPerSecondPerKnot, 2));
    result.set("IgnoreZ", analysis.ignoreZeroGroundWind() ? -1 : 0);

    if (!o.json) {
        std::cout << analysis.summaryLine() << "\n\n";
        std::cout << fmt::format("{:>10} {:>9} {:>9} {:>9} {:>9} {:>6}\n", fmt::format("Height"), "Average",
                                 "Mean", "Max", "Direction", "Peak");
        std::cout << fmt::format("{:>10} {:>9} {:>9} {:>9} {:>9} {:>6}\n", fmt::format("({})", units.lengthUnit()),
                                 fmt::format("({})", units.speedUnit()), fmt::format("({})", units.speedUnit()),
                                 fmt::format("({})", units.speedUnit()), "(deg)", "");
        for (const auto& level : result.find("levels")->array())
            std::cout << fmt::format("{:>10} {:>9} {:>9} {:>9} {:>9} {:>6}\n",
                                     core::formatNumber(level.find("height")->number(), "0"),
                                     core::formatNumber(level.find("average")->number(), "0.00"),
                                     core::formatNumber(level.find("mean")->number(), "0.00"),
                                     core::formatNumber(level.find("max")->number(), "0.00"),
                                     core::formatNumber(level.find("direction")->number(), "0"),
                                     core::formatNumber(level.find("peak")->number(), "0"));
        std::cout << "\nAt " << core::formatPlain(shownHeight) << " " << units.lengthUnit() << ": average "
                  << core::formatNumber(average * speedFactor, "0.00") << " " << units.speedUnit() << ", mean "
                  << core::formatNumber(mean * speedFactor, "0.00") << " " << units.speedUnit() << "\n";
    }
    for (auto& e : extensions())
        if (e.report) e.report(run);
    // Every run with a generator is stored as the windows store it.
    if (page.lastSavedKey() > 0) {
        result.set("key", page.lastSavedKey());
        if (!o.json) std::cout << "\nAnalysis ID " << core::formatNumber(static_cast<double>(page.lastSavedKey()), "000000") << "\n";
    }
    if (o.json) std::cout << result.dump() << std::endl;
    std::cout << std::flush;
}

}  // namespace

void addAnalyseExtension(AnalyseExtension extension) {
    if (analyseCommand && extension.addOptions) extension.addOptions(*analyseCommand);
    extensions().push_back(std::move(extension));
}

void addAnalyseCommands(CLI::App& app, CliContext& ctx) {
    static AnalyseOptions options;
    auto* cmd = app.add_subcommand("analyse", "Wind statistics of a station at the eleven height levels "
                                              "(no station: list the stations with data)");
    ctx.addFolderOption(cmd);
    cmd->add_option("WMO", options.wmo, "WMO station number");
    auto* from = cmd->add_option("--from", options.from, "First day of the period (2019-01-31, 31-Jan-2019, ...)");
    auto* to = cmd->add_option("--to", options.to, "Last day of the period");
    cmd->add_flag("--whole-range", options.wholeRange, "Analyse the station's whole range, not its last one")
        ->excludes(from)
        ->excludes(to);
    cmd->add_option("--units", options.units, "knots, mph or si (default: the Units setting)");
    cmd->add_option("--height", options.height, "Height of interest: 80m, 260f, or a number in the unit shown");
    cmd->add_flag("--json", options.json, "One JSON object instead of the table");
    cmd->callback([&ctx] { runAnalyse(ctx, options); });
    analyseCommand = cmd;
    for (auto& e : extensions())
        if (e.addOptions) e.addOptions(*cmd);
}

}  // namespace skyloom::cli
