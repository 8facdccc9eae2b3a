#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Dates.h"
#include "sounding/LevelStatistics.h"
#include "sounding/SoundingSet.h"
#include "sounding/Units.h"

namespace skyloom::core {
class MainDatabase;
class Progress;
class Prompter;
class Settings;
class StationIndex;
}  // namespace skyloom::core

namespace skyloom::session {

class Session;

// A date picker as the windows show it: a current value inside an allowed range.
// Like a real picker it never holds a minimum after its maximum (the other end
// moves along) and keeps its value inside the range.
class DatePicker {
public:
    DatePicker();
    core::Days value() const { return value_; }
    core::Days minimum() const { return min_; }
    core::Days maximum() const { return max_; }
    void setValue(core::Days d);
    void setMinimum(core::Days d);
    void setMaximum(core::Days d);
    // The picker's text, as handed to an analysis.
    std::string text() const { return core::isoDate(value_); }

private:
    void clampValue();
    core::Days value_, min_, max_;
};

// Gives both pickers the allowed range min..max. Both latest dates are first
// widened to 1 Jan 2100 so that no moment has an earliest date after a latest one.
void setPickerRanges(DatePicker& from, DatePicker& to, core::Days min, core::Days max);

// The generator settings the power model's derived table was computed with.
struct GeneratorSettings {
    double hubHeight = 0;
    double temperature = 0;
    double pressure = 0;
    double cutIn = 0;
    double maxToGrid = 0;
    double cutOut = 0;
    std::array<double, 10> pointKw{};
    std::array<double, 10> pointSpeed{};
};
// Position of the first setting that differs, in the order hub height,
// temperature, pressure, cut-in, maximum to grid, cut-out, then kW and speed of
// points 1..10 (0-based: 0..25); -1 when nothing differs.
int firstGeneratorDifference(const GeneratorSettings& a, const GeneratorSettings& b);

// What the loaded soundings and their derived table belong to.
struct LoadedSetKey {
    bool loaded = false;
    long wmo = 0;
    core::Days from{};
    core::Days to{};
    bool ignoreZeroGroundWind = false;
    GeneratorSettings generator;
};

// The steps of an analysis that belong to the power model, the energy balance
// and the displays. Every method has a do-nothing default.
class AnalysisListener {
public:
    virtual ~AnalysisListener() = default;
    // The generator settings in force now (compared with those of the loaded set).
    virtual GeneratorSettings generatorSettings() const { return {}; }
    // Per-sounding, per-level work run inside the statistics pass after a load; may be null.
    virtual sounding::LevelVisitor* levelVisitor() { return nullptr; }
    // After a load and its statistics (reloaded true), or when only the generator
    // settings changed (reloaded false; the derived table was cleared and sized for
    // the set): the power pass, the year table's capacity factors, the percentages.
    virtual void powerPass(sounding::SoundingSet& set, sounding::LevelStatistics& stats, bool reloaded) {
        (void)set; (void)stats; (void)reloaded;
    }
    // Every analysis that did not fail ends here: energy balance and Power Page graphs.
    virtual void energyBalance(const sounding::SoundingSet& set, const sounding::LevelStatistics& stats) {
        (void)set; (void)stats;
    }
    // The height of interest changed (move the hub-height marker, run the power figures).
    virtual void heightOfInterestChanged(double feet) { (void)feet; }
};

// Hands every step to several listeners in the order they were added; the
// generator settings come from the one named as their source (none: defaults).
class AnalysisListenerChain : public AnalysisListener {
public:
    void add(AnalysisListener* listener) { listeners_.push_back(listener); }
    void setGeneratorSource(AnalysisListener* source) { generatorSource_ = source; }
    GeneratorSettings generatorSettings() const override;
    sounding::LevelVisitor* levelVisitor() override;
    void powerPass(sounding::SoundingSet& set, sounding::LevelStatistics& stats, bool reloaded) override;
    void energyBalance(const sounding::SoundingSet& set, const sounding::LevelStatistics& stats) override;
    void heightOfInterestChanged(double feet) override;

private:
    std::vector<AnalysisListener*> listeners_;
    AnalysisListener* generatorSource_ = nullptr;
};

enum class AnalysisOutcome {
    Analysed,          // soundings loaded and analysed
    GeneratorRerun,    // same soundings; derived table and everything after it renewed
    EnergyOnly,        // nothing changed but what the energy balance reads
    NoSite,            // no site selected, or the station is not in the station list
    BadDates,          // a date text that is not a date
    FileMissing,       // the station data file could not be opened (its own message was shown)
    NoSoundings,       // "No soundings in that date range"
    Cancelled,
    Busy,              // an analysis is already running
};

// The analysis of one site: the selected site, the date pickers, the loaded
// soundings with their statistics, and the operations that choose a period,
// load it (or reuse what is loaded) and analyse it. A failed or cancelled
// analysis leaves the previous one intact.
class SiteAnalysis {
public:
    SiteAnalysis(core::MainDatabase& db, core::Settings& settings, core::Prompter& prompter,
                 const core::StationIndex& stations);
    // On the program's session: its main database, settings, prompter and station index.
    explicit SiteAnalysis(Session& session);

    void setListener(AnalysisListener* listener) { listener_ = listener; }
    void setProgress(core::Progress* progress) { progress_ = progress; }

    // The selected site's list text and the data-sites list.
    const std::string& siteString() const { return siteString_; }
    void setSiteString(std::string text) { siteString_ = std::move(text); }
    std::vector<std::string>& dataSites() { return dataSites_; }
    long currentWmo() const { return currentWmo_; }
    core::Days currentFrom() const { return currentFrom_; }
    core::Days currentTo() const { return currentTo_; }
    DatePicker& fromPicker() { return fromPicker_; }
    DatePicker& toPicker() { return toPicker_; }
    const DatePicker& fromPicker() const { return fromPicker_; }
    const DatePicker& toPicker() const { return toPicker_; }

    const sounding::SoundingSet& soundings() const { return set_; }
    sounding::SoundingSet& soundings() { return set_; }
    const sounding::LevelStatistics& statistics() const { return stats_; }
    sounding::LevelStatistics& statistics() { return stats_; }
    const LoadedSetKey& loadedSetKey() const { return loaded_; }
    // Caption of the summary label, the site label, and the first and last sounding ("mmm d, yyyy").
    const std::string& summaryLine() const { return summary_; }
    const std::string& siteName() const { return siteName_; }
    const std::string& firstSoundingText() const { return firstSounding_; }
    const std::string& lastSoundingText() const { return lastSounding_; }
    bool wholeRange() const { return wholeRange_; }
    // How often a station data file was read into the set (reuse shows as no change).
    int fileReads() const { return fileReads_; }

    sounding::Units units() const { return units_; }
    void setUnits(sounding::Units units) { units_ = units; }
    double heightOfInterestFeet() const { return heightFeet_; }
    void setHeightOfInterestFeet(double feet) { heightFeet_ = feet; }
    bool ignoreZeroGroundWind() const { return ignoreZero_; }

    // Analyses the site of siteString(): chooses the period from the station's
    // stored last range (or its whole range), sets the pickers, analyses.
    AnalysisOutcome reanalyseSite(bool useWholeRange);
    // Loads (or reuses) the soundings of the site for the range and analyses them.
    AnalysisOutcome retrieveAndAnalyse(std::string_view siteText, std::string_view fromText,
                                       std::string_view toText);
    // True when the to picker lies at least one day after the from picker;
    // otherwise says "'To' date must be after 'From' date".
    bool checkDateOrder();
    // Sets the pickers to a recalled analysis's dates inside the station's range
    // and records them as the station's last range.
    void applyAnalysisDates(long wmo, core::Days from, core::Days to);
    // Rebuilds siteString() for the current station and replaces its entry in the data-sites list.
    void refreshSiteEntry();
    // Asks for the height of interest; a valid new answer is stored and the site analysed again.
    bool setHeightOfInterest();
    // The "IgnoreZ" check box: a change selects the soundings again.
    void setIgnoreZeroGroundWind(bool on);
    // Forgets what is loaded, so the next analysis reads the file (after a sounding was ignored).
    void invalidateLoadedSet() { loaded_.loaded = false; }
    // Set after a sounding was ignored: the next analysis first rebuilds the
    // data-sites list (its ignored shares changed) and clears the mark.
    void markStationListStale() { stationListStale_ = true; }
    bool stationListStale() const { return stationListStale_; }
    // Refills the data-sites list from `havedata`, one entry per station with data.
    void rebuildDataSites();

    // The data-sites list text of a station: heading, data line, the hidden key.
    std::string siteEntryText(long wmo);

    // The station's file range and stored last range from the main database.
    struct StationRange {
        core::Days from{}, to{};
        std::optional<core::Days> lastFrom, lastTo;
    };
    std::optional<StationRange> stationRange(long wmo);

private:
    AnalysisOutcome analyse(long wmo, core::Days from, core::Days to, std::string_view siteText);
    void recordResults(long wmo, core::Days from, core::Days to);
    bool updateHaveData(long wmo);
    void showWait(const std::string& line);

    core::MainDatabase& db_;
    core::Settings& settings_;
    core::Prompter& prompter_;
    const core::StationIndex& stations_;
    AnalysisListener* listener_ = nullptr;
    core::Progress* progress_ = nullptr;

    std::string siteString_;
    std::vector<std::string> dataSites_;
    long currentWmo_ = 0;
    core::Days currentFrom_{}, currentTo_{};
    DatePicker fromPicker_, toPicker_;

    sounding::SoundingSet set_;
    sounding::SoundingSet spare_;
    sounding::LevelStatistics stats_;
    LoadedSetKey loaded_;
    std::string summary_, siteName_, firstSounding_, lastSounding_;
    bool wholeRange_ = false;
    int fileReads_ = 0;
    bool busy_ = false;
    bool stationListStale_ = false;

    sounding::Units units_;
    double heightFeet_ = 0;
    bool ignoreZero_ = false;
};

// The station number a site-list text carries: the number after "#" in its last
// 30 characters (0 when there is none).
long wmoOfSiteText(std::string_view text);
// The display name of a site-list text: the text before the first " from ", trimmed.
std::string siteNameOfSiteText(std::string_view text);

}  // namespace skyloom::session
