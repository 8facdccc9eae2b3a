#include "session/SiteAnalysis.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include <SQLiteCpp/Statement.h>

#include "core/DatabaseFile.h"
#include "core/Formats.h"
#include "core/MainDatabase.h"
#include "core/NestedTransaction.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "core/Rounding.h"
#include "core/Settings.h"
#include "core/StationIndex.h"
#include "core/Text.h"
#include "core/TypedNumber.h"
#include "sounding/AnalysisSummary.h"
#include "sounding/HaveDataIndex.h"
#include "sounding/HeightInterpolation.h"
#include "sounding/SoundingRetrieval.h"
#include "sounding/StationDataFile.h"
#include "session/Session.h"
#include "session/StationSummary.h"

namespace skyloom::session {

namespace {

const core::Days kPickerFloor = core::makeDate(1900, 1, 1);
const core::Days kPickerCeiling = core::makeDate(2100, 1, 1);
constexpr std::size_t kSiteKeyLength = 30;     // the hidden key sits in a line's last 30 characters
constexpr std::size_t kSiteTextWidth = 200;    // visible text is padded to this before the key
constexpr const char* kWaitIndent = "          ";

std::optional<core::Days> dateColumn(const SQLite::Column& c) {
    if (c.isNull()) return std::nullopt;
    return core::parseIsoDate(c.getString());
}

std::string shownDate(core::Days d) { return core::formatDate(d, "dd-mmm-yyyy"); }

// Keeps an analysis from starting inside another one (a progress report may let
// the windows deliver another click).
class BusyGuard {
public:
    explicit BusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyGuard() { flag_ = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
private:
    bool& flag_;
};

}  // namespace

// ---- date pickers ---------------------------------------------------------

DatePicker::DatePicker() : value_(core::makeDate(2000, 1, 1)), min_(kPickerFloor), max_(kPickerCeiling) {}

void DatePicker::clampValue() { value_ = std::clamp(value_, min_, max_); }

void DatePicker::setValue(core::Days d) {
    value_ = d;
    clampValue();
}

void DatePicker::setMinimum(core::Days d) {
    min_ = d;
    if (max_ < min_) max_ = min_;
    clampValue();
}

void DatePicker::setMaximum(core::Days d) {
    max_ = d;
    if (min_ > max_) min_ = max_;
    clampValue();
}

void setPickerRanges(DatePicker& from, DatePicker& to, core::Days min, core::Days max) {
    from.setMaximum(kPickerCeiling);
    to.setMaximum(kPickerCeiling);
    from.setMinimum(min);
    to.setMinimum(min);
    from.setMaximum(max);
    to.setMaximum(max);
}

// ---- generator comparison -------------------------------------------------

int firstGeneratorDifference(const GeneratorSettings& a, const GeneratorSettings& b) {
    const double first[] = {a.hubHeight, a.temperature, a.pressure, a.cutIn, a.maxToGrid, a.cutOut};
    const double second[] = {b.hubHeight, b.temperature, b.pressure, b.cutIn, b.maxToGrid, b.cutOut};
    int position = 0;
    for (std::size_t i = 0; i < std::size(first); ++i, ++position)
        if (first[i] != second[i]) return position;
    for (std::size_t p = 0; p < a.pointKw.size(); ++p) {
        if (a.pointKw[p] != b.pointKw[p]) return position;
        ++position;
        if (a.pointSpeed[p] != b.pointSpeed[p]) return position;
        ++position;
    }
    return -1;
}

// ---- listener chain -------------------------------------------------------

GeneratorSettings AnalysisListenerChain::generatorSettings() const {
    return generatorSource_ ? generatorSource_->generatorSettings() : GeneratorSettings{};
}

sounding::LevelVisitor* AnalysisListenerChain::levelVisitor() {
    // The statistics pass takes one visitor: the first listener that offers one.
    for (auto* l : listeners_)
        if (auto* v = l->levelVisitor()) return v;
    return nullptr;
}

void AnalysisListenerChain::powerPass(sounding::SoundingSet& set, sounding::LevelStatistics& stats, bool reloaded) {
    for (auto* l : listeners_) l->powerPass(set, stats, reloaded);
}

void AnalysisListenerChain::energyBalance(const sounding::SoundingSet& set, const sounding::LevelStatistics& stats) {
    for (auto* l : listeners_) l->energyBalance(set, stats);
}

void AnalysisListenerChain::heightOfInterestChanged(double feet) {
    for (auto* l : listeners_) l->heightOfInterestChanged(feet);
}

// ---- site texts -----------------------------------------------------------

long wmoOfSiteText(std::string_view text) {
    const std::string_view tail = text.size() > kSiteKeyLength ? text.substr(text.size() - kSiteKeyLength) : text;
    const std::string key = core::trim(tail);
    const auto hash = key.find('#');
    if (hash == std::string::npos) return 0;
    return static_cast<long>(core::leadingNumber(key.substr(hash + 1)));
}

std::string siteNameOfSiteText(std::string_view text) {
    const auto at = text.find(" from ");
    return core::trim(at == std::string_view::npos ? text : text.substr(0, at));
}

// ---- the analysis ---------------------------------------------------------

SiteAnalysis::SiteAnalysis(core::MainDatabase& db, core::Settings& settings, core::Prompter& prompter,
                           const core::StationIndex& stations)
    : db_(db), settings_(settings), prompter_(prompter), stations_(stations) {
    units_ = sounding::Units::fromSetting(settings_.get("Units", "0"));
    ignoreZero_ = settings_.getFlag("IgnoreZ", false);
}

SiteAnalysis::SiteAnalysis(Session& session)
    : SiteAnalysis(session.mainDb(), session.settings(), session.prompter(), session.stations()) {}

std::optional<SiteAnalysis::StationRange> SiteAnalysis::stationRange(long wmo) {
    SQLite::Statement q(db_.db(),
                        "SELECT fromdate, todate, lastfromdate, lasttodate FROM stations "
                        "WHERE wmo = ? AND nodataavailable = 0");
    q.bind(1, static_cast<std::int64_t>(wmo));
    if (!q.executeStep()) return std::nullopt;
    const auto from = dateColumn(q.getColumn(0));
    const auto to = dateColumn(q.getColumn(1));
    if (!from || !to) return std::nullopt;
    StationRange r;
    r.from = *from;
    r.to = *to;
    r.lastFrom = dateColumn(q.getColumn(2));
    r.lastTo = dateColumn(q.getColumn(3));
    return r;
}

AnalysisOutcome SiteAnalysis::reanalyseSite(bool useWholeRange) {
    if (siteString_.empty()) return AnalysisOutcome::NoSite;
    const long wmo = wmoOfSiteText(siteString_);
    const auto range = stationRange(wmo);
    if (!range || !stations_.find(wmo)) return AnalysisOutcome::NoSite;

    setPickerRanges(fromPicker_, toPicker_, range->from, range->to);
    core::Days from = range->from;
    core::Days to = range->to;
    if (range->lastFrom && range->lastTo) {
        from = useWholeRange || *range->lastFrom < range->from ? range->from : *range->lastFrom;
        to = useWholeRange || *range->lastTo > range->to ? range->to : *range->lastTo;
    }
    from = std::max(from, range->from);
    to = std::min(to, range->to);
    fromPicker_.setValue(from);
    toPicker_.setValue(to);

    currentWmo_ = wmo;
    currentFrom_ = fromPicker_.value();
    currentTo_ = toPicker_.value();
    siteString_ = siteEntryText(wmo);
    siteName_ = siteNameOfSiteText(siteString_);
    return retrieveAndAnalyse(siteString_, fromPicker_.text(), toPicker_.text());
}

AnalysisOutcome SiteAnalysis::retrieveAndAnalyse(std::string_view siteText, std::string_view fromText,
                                                 std::string_view toText) {
    if (busy_) return AnalysisOutcome::Busy;
    const auto from = core::parseUserDate(fromText);
    const auto to = core::parseUserDate(toText);
    if (!from || !to) return AnalysisOutcome::BadDates;
    long wmo = wmoOfSiteText(siteText);
    if (wmo == 0) wmo = currentWmo_;
    if (wmo == 0) return AnalysisOutcome::NoSite;
    BusyGuard guard(busy_);
    try {
        if (stationListStale_) {
            rebuildDataSites();
            stationListStale_ = false;
        }
        return analyse(wmo, *from, *to, siteText);
    } catch (const std::exception& e) {
        prompter_.message(core::databaseErrorText(e, db_.appDir()));
        return AnalysisOutcome::FileMissing;
    }
}

void SiteAnalysis::showWait(const std::string& caption) {
    if (progress_) progress_->step(0, 0, caption);
}

AnalysisOutcome SiteAnalysis::analyse(long wmo, core::Days from, core::Days to, std::string_view siteText) {
    const bool wholeRange = from == fromPicker_.minimum() && to == toPicker_.maximum();
    currentWmo_ = wmo;
    const GeneratorSettings generator = listener_ ? listener_->generatorSettings() : GeneratorSettings{};

    if (loaded_.loaded && loaded_.wmo == wmo && loaded_.from == from && loaded_.to == to &&
        loaded_.ignoreZeroGroundWind == ignoreZero_) {
        if (firstGeneratorDifference(generator, loaded_.generator) < 0) {
            if (listener_) listener_->energyBalance(set_, stats_);
            return AnalysisOutcome::EnergyOnly;
        }
        // The soundings and their level statistics stay; what the generator feeds is renewed.
        set_.resetDerived();
        wholeRange_ = wholeRange;
        stats_.yearTable = sounding::buildYearTable(set_);
        loaded_.generator = generator;
        if (listener_) listener_->powerPass(set_, stats_, false);
        recordResults(wmo, from, to);
        if (listener_) listener_->energyBalance(set_, stats_);
        return AnalysisOutcome::GeneratorRerun;
    }

    const std::string path = db_.appDir() + "data/" + std::to_string(wmo) + ".dat";
    auto file = sounding::StationDataFile::open(path, false, prompter_);
    if (!file) return AnalysisOutcome::FileMissing;

    const std::string siteLine = kWaitIndent + siteNameOfSiteText(siteText);
    showWait(siteLine + "\n" + kWaitIndent + "Please wait retrieving data!");
    // The load goes into the spare set, so a failed or cancelled one leaves the
    // shown analysis intact; the spare keeps the memory of an earlier load, so a
    // new load of a long record does not fault in megabytes of fresh pages.
    sounding::SoundingSet& fresh = spare_;
    const auto result =
        sounding::retrieveSoundings(file->db(), {wmo, from, to, ignoreZero_}, fresh, progress_);
    ++fileReads_;
    file.reset();
    if (result == sounding::RetrievalResult::Cancelled) return AnalysisOutcome::Cancelled;
    if (result == sounding::RetrievalResult::Empty) {
        prompter_.message("No soundings in that date range");
        return AnalysisOutcome::NoSoundings;
    }
    showWait(siteLine + "\n" + kWaitIndent + "Opened " + std::to_string(fresh.count()) +
             " soundings, analysing now.");

    fresh.resetDerived();
    sounding::LevelStatistics stats;
    if (!sounding::computeLevelStatistics(fresh, {from, to}, stats, progress_,
                                          listener_ ? listener_->levelVisitor() : nullptr))
        return AnalysisOutcome::Cancelled;

    std::swap(set_, spare_);
    stats_ = std::move(stats);
    wholeRange_ = wholeRange;
    siteName_ = siteNameOfSiteText(siteText);
    currentFrom_ = from;
    currentTo_ = to;
    firstSounding_ = core::formatDate(core::dateOfHours(set_.hrs(1)), "mmm d, yyyy");
    lastSounding_ = core::formatDate(core::dateOfHours(set_.hrs(set_.count())), "mmm d, yyyy");
    loaded_ = LoadedSetKey{true, wmo, from, to, ignoreZero_, generator};
    if (listener_) listener_->powerPass(set_, stats_, true);
    recordResults(wmo, from, to);
    if (listener_) listener_->energyBalance(set_, stats_);
    return AnalysisOutcome::Analysed;
}

void SiteAnalysis::recordResults(long wmo, core::Days from, core::Days to) {
    std::int64_t points = 0, deletedPoints = 0;
    {
        SQLite::Statement q(db_.db(),
                            "SELECT NumDataPoints, NumDeletedDataPoints FROM havedata WHERE wmo = ? ORDER BY key LIMIT 1");
        q.bind(1, static_cast<std::int64_t>(wmo));
        if (q.executeStep()) {
            points = q.getColumn(0).getInt64();
            deletedPoints = q.getColumn(1).getInt64();
        }
    }
    summary_ = sounding::summaryLine(stats_, {from, to}, wholeRange_, sounding::ignoredShare(points, deletedPoints));

    // The last range and the counts are written together: one commit, or part of
    // the caller's when the analysis runs inside one (the bulk recalculation).
    bool haveRow = false;
    {
        core::NestedTransaction tx(db_.db(), "record_results");
        SQLite::Statement last(db_.db(), "UPDATE stations SET lastfromdate = ?, lasttodate = ? WHERE wmo = ?");
        last.bind(1, core::isoDate(from));
        last.bind(2, core::isoDate(to));
        last.bind(3, static_cast<std::int64_t>(wmo));
        last.exec();
        haveRow = updateHaveData(wmo);
        tx.commit();
    }
    if (!haveRow) {
        // A missing summary row means the index no longer matches the data folder.
        sounding::rebuildHaveData(db_, prompter_, nullptr);
        if (!updateHaveData(wmo)) {
            // The summary of the files on this computer and that of all files are one table here.
            prompter_.message("Error, no dhavedata record for " + std::to_string(wmo));
            prompter_.message("Error, no allhavedata record for " + std::to_string(wmo));
        }
    }
    refreshSiteEntry();
}

bool SiteAnalysis::updateHaveData(long wmo) {
    SQLite::Statement q(db_.db(), "UPDATE havedata SET NumSoundings = ?, NumDataPoints = ?, TimeGaps = ? WHERE wmo = ?");
    q.bind(1, stats_.soundingCount);
    q.bind(2, stats_.totalDataPoints);
    q.bind(3, stats_.gapPercent);
    q.bind(4, static_cast<std::int64_t>(wmo));
    return q.exec() > 0;
}

bool SiteAnalysis::checkDateOrder() {
    if (core::daysBetween(fromPicker_.value(), toPicker_.value()) > 0) return true;
    prompter_.message("'To' date must be after 'From' date");
    return false;
}

void SiteAnalysis::applyAnalysisDates(long wmo, core::Days from, core::Days to) {
    const auto range = stationRange(wmo);
    if (!range) return;
    setPickerRanges(fromPicker_, toPicker_, range->from, range->to);
    core::Days useFrom = from;
    if (from < fromPicker_.minimum()) {
        const core::StationEntry* station = stations_.find(wmo);
        const std::string name = station ? station->name : std::to_string(wmo);
        const std::string earliest = shownDate(fromPicker_.minimum());
        prompter_.message("The " + name + " data file is only from " + earliest + "\n" +
                          "This analysis wanted to use a from date of " + shownDate(from) +
                          ".  From date is now set to " + earliest);
        useFrom = fromPicker_.minimum();
    }
    const core::Days useTo = std::min(to, toPicker_.maximum());
    fromPicker_.setValue(useFrom);
    toPicker_.setValue(useTo);
    currentFrom_ = fromPicker_.value();
    currentTo_ = toPicker_.value();
    SQLite::Statement last(db_.db(), "UPDATE stations SET lastfromdate = ?, lasttodate = ? WHERE wmo = ?");
    last.bind(1, fromPicker_.text());
    last.bind(2, toPicker_.text());
    last.bind(3, static_cast<std::int64_t>(wmo));
    last.exec();
    currentWmo_ = wmo;
    refreshSiteEntry();
}

void SiteAnalysis::refreshSiteEntry() {
    if (currentWmo_ == 0) return;
    siteString_ = siteEntryText(currentWmo_);
    for (auto& entry : dataSites_)
        if (wmoOfSiteText(entry) == currentWmo_) entry = siteString_;
}

bool SiteAnalysis::setHeightOfInterest() {
    const double shown = core::roundHalfEven(units_.lengthFromFeet(heightFeet_), 1);
    const auto answer = prompter_.input(sounding::heightOfInterestPrompt(units_), core::formatPlain(shown));
    if (!answer || core::trim(*answer).empty()) return false;
    // Letters are no height: the user hears what the box takes and the height stays.
    const auto feet = sounding::parseHeightOfInterest(*answer, units_, true);
    if (!feet) {
        prompter_.message(core::expectedNumberText(
            {0, std::round(units_.lengthFromFeet(5000)), units_.lengthUnit()}));
        return false;
    }
    if (*feet == heightFeet_) return false;
    heightFeet_ = *feet;
    if (listener_) listener_->heightOfInterestChanged(heightFeet_);
    reanalyseSite(false);
    return true;
}

void SiteAnalysis::setIgnoreZeroGroundWind(bool on) {
    if (on == ignoreZero_) return;
    ignoreZero_ = on;
    settings_.setFlag("IgnoreZ", on);
    reanalyseSite(false);
}

void SiteAnalysis::rebuildDataSites() {
    std::vector<long> wmos;
    {
        SQLite::Statement st(db_.db(), "SELECT wmo FROM havedata ORDER BY wmo");
        while (st.executeStep()) wmos.push_back(static_cast<long>(st.getColumn(0).getInt64()));
    }
    dataSites_.clear();
    for (long wmo : wmos)
        if (std::string entry = siteEntryText(wmo); !entry.empty()) dataSites_.push_back(std::move(entry));
}

std::string SiteAnalysis::siteEntryText(long wmo) {
    // " ALL " marks an entry whose current period is the station's whole range.
    bool subRange = false;
    if (wmo == currentWmo_)
        if (const auto range = stationRange(wmo)) subRange = currentFrom_ != range->from || currentTo_ != range->to;
    return stationSummary(db_, wmo, subRange).value_or(std::string());
}

}  // namespace skyloom::session
