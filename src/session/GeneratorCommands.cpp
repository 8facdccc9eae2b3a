#include "session/GeneratorCommands.h"

#include <cmath>
#include <filesystem>
#include <system_error>

#include "core/Formats.h"
#include "core/Prompter.h"
#include "core/Rounding.h"
#include "core/Text.h"
#include "core/TypedNumber.h"
#include "power/GeneratorFile.h"
#include "power/GeneratorStore.h"

namespace skyloom::session {

namespace {

using sounding::kFeetPerMetre;

const std::string kIllegalName = "This is not a legal file name, please try again.";
const std::string kNameInUse =
    "This filename in currently being used in the power curve selection list, please enter another name.";
const std::string kNotNegative = "Must be greater than or equal to 0";

// What a generator field can sensibly hold: speeds up to 200 knots, power up to
// 100,000,000 kW, hubs up to the top of the sounding levels.
constexpr double kMaxSpeedKnots = 200;
constexpr double kMaxKW = 100000000;
constexpr double kMaxHubFeet = 5000;

double round2(double v) { return core::roundHalfAwayFromZero(v, 2); }

// Every generator column but the key taken from an analysis's copy of the block.
void takeBlock(power::GeneratorRecord& g, const power::GeneratorRecord& from) {
    g.name = from.name;
    for (int pos = power::kColTemperature; pos < power::kGeneratorColumnCount; ++pos) g.setColumn(pos, from.column(pos));
}

}  // namespace

GeneratorCommands::GeneratorCommands(power::GeneratorStore& store, core::Prompter& prompter,
                                     std::string programFolder, GeneratorObserver* observer)
    : store_(store), prompter_(prompter), folder_(std::move(programFolder)),
      observer_(observer ? observer : &noObserver_) {}

void GeneratorCommands::fillList() { list_ = store_.namesTallestFirst(); }

void GeneratorCommands::setCurrent(std::optional<power::GeneratorRecord> g) {
    current_ = std::move(g);
    curveUsed_ = current_ ? usedInAnalyses() : 0;
}

int GeneratorCommands::usedInAnalyses() const { return store_.curveUsedInAnalysis(current_->name, *current_); }

void GeneratorCommands::refresh() {
    fillList();
    std::optional<power::GeneratorRecord> g;
    if (current_) g = store_.findById(current_->id);
    if (!g && !list_.empty()) g = store_.findByName(list_.front());
    setCurrent(g);
}

void GeneratorCommands::saveCurrent() {
    current_->recomputeMaxKW();
    store_.update(*current_);
}

void GeneratorCommands::markStale() {
    stale_ = true;
    observer_->resultsMarkedStale();
}

bool GeneratorCommands::nameListed(const std::string& upperName) const {
    for (const auto& n : list_)
        if (core::toUpper(n) == upperName) return true;
    return false;
}

bool GeneratorCommands::curveLocked() {
    if (!current_) return true;
    curveUsed_ = usedInAnalyses();
    std::string reason;
    if (current_->orgData != 0) reason = "This is data originally supplied with Skyloom";
    if (curveUsed_ != 0)
        reason = reason.empty() ? "This power curve has been used in an analysis"
                                : reason + " and this power curve has been used in an analysis";
    if (reason.empty()) return false;
    prompter_.message(reason +
                      ".  If you wish to modify it, please make a copy of this Power Curve with a new name and then "
                      "make the changes you wish.");
    return true;
}

double GeneratorCommands::shownSpeed(int stored) const {
    if (!current_ || stored < 0 || stored > power::kCurvePoints) return 0;
    const double knots = stored == 0 ? current_->cutInSpeed : current_->points[static_cast<std::size_t>(stored - 1)].speed;
    return round2(knots * units_.speedFactor());
}

double GeneratorCommands::shownHubHeight() const {
    if (!current_) return 0;
    return units_.metric() ? core::roundHalfAwayFromZero(current_->height / kFeetPerMetre, 0) : current_->height;
}

double GeneratorCommands::shownTemperature() const {
    if (!current_) return 0;
    const double c = current_->temperature / 10.0;
    return core::roundHalfAwayFromZero(!units_.metric() ? c * 9 / 5 + 32 : c, 1);
}

double GeneratorCommands::shownCutOut() const {
    if (!current_) return 0;
    return units_.shownSpeed(current_->cutOut);
}

std::string GeneratorCommands::shownCostPerYear() const {
    return current_ ? core::formatNumber(current_->costPerYear, "$#,###,##0") : std::string();
}

std::optional<double> GeneratorCommands::askChanged(const std::string& prompt, double shown,
                                                    const core::SensibleRange& sensible, bool ownLowRule,
                                                    const std::string& defaultText) {
    const auto answer = prompter_.input(prompt, defaultText.empty() ? core::formatPlain(shown) : defaultText);
    if (!answer || core::trim(*answer).empty()) return std::nullopt;
    // Letters are no number; a number past what a generator can have is refused
    // before the field's own rules, in one line that says what is expected.
    const std::optional<double> v = core::typedNumber(*answer);
    if (!v || ((*v >= sensible.lo || !ownLowRule) && !sensible.contains(*v))) {
        prompter_.message(core::expectedNumberText(sensible));
        return std::nullopt;
    }
    if (*v == shown) return std::nullopt;
    return v;
}

core::SensibleRange GeneratorCommands::speedRange() const {
    return {0, std::round(kMaxSpeedKnots * units_.speedFactor()), units_.speedUnit()};
}

std::optional<std::string> GeneratorCommands::askNewName(const std::string& prompt, const std::string& defaultValue) {
    for (;;) {
        const auto answer = prompter_.input(prompt, defaultValue);
        if (!answer) return std::nullopt;
        const std::string name = core::trim(*answer);
        if (name.empty()) return std::nullopt;
        if (!power::isLegalGeneratorName(name)) {
            prompter_.message(kIllegalName);
            continue;
        }
        if (nameListed(core::toUpper(name))) {
            prompter_.message(kNameInUse);
            continue;
        }
        return name;
    }
}

bool GeneratorCommands::choose(const std::string& name, bool overlay) {
    auto g = store_.findByName(name);
    if (!g) return false;
    if (overlay) {
        observer_->overlayCurve(*g);
        return false;
    }
    setCurrent(std::move(g));
    // The whole computation runs with the chosen generator: nothing is stale.
    stale_ = false;
    observer_->generatorChanged();
    return true;
}

bool GeneratorCommands::rename() {
    if (curveLocked()) return false;
    const std::string oldName = current_->name;
    std::string name;
    bool reload = false;
    for (;;) {
        const auto answer = askNewName("New Name?", current_->name);
        if (!answer) return false;
        name = *answer;
        reload = false;
        if (store_.curveUsedInAnalysis(name, *current_) == -2) {
            if (!prompter_.ask("At some point an analysis has been done with a generator by this name, and the curve "
                               "does not match the displayed curve, shall I reload that curve?  If you say no, you "
                               "must enter a different name.",
                               "Adding cuve name '" + name + "'"))
                continue;
            reload = true;
        }
        break;
    }
    current_->name = name;
    saveCurrent();
    if (reload) {
        if (auto a = store_.curveFromAnalysis(name)) {
            takeBlock(*current_, *a);
            store_.update(*current_);
        }
    } else {
        store_.renameInAnalyses(oldName, name);
    }
    setCurrent(store_.findById(current_->id));
    fillList();
    observer_->listChanged();
    stale_ = false;
    observer_->generatorChanged();
    return true;
}

bool GeneratorCommands::newCurve() {
    std::string name;
    bool reload = false;
    for (;;) {
        const auto answer = askNewName("What name would you like to use for for this new Wind Generator?", "");
        if (!answer) return false;
        name = *answer;
        reload = false;
        if (store_.nameInAnalyses(name)) {
            if (!prompter_.ask("At some point an analysis has been done with a generator by this name, shall I "
                               "reload that curve?  If you say no, you must enter a different name.",
                               "Adding curve name '" + name + "'"))
                continue;
            reload = true;
        }
        break;
    }
    power::GeneratorRecord g;
    g.name = name;
    if (reload)
        if (auto a = store_.curveFromAnalysis(name)) takeBlock(g, *a);
    store_.add(g);
    setCurrent(g);
    fillList();
    observer_->listChanged();
    markStale();
    observer_->generatorAwaitsRun(std::nullopt);
    return true;
}

bool GeneratorCommands::copyCurve() {
    if (!current_) return false;
    power::GeneratorRecord g = *current_;
    g.name = power::copyBase(current_->name) + "~" + std::to_string(store_.nextCopyNumber(current_->name));
    g.id = 0;
    g.orgData = 0;   // a copy is never a supplied curve
    g.recomputeMaxKW();
    store_.add(g);
    setCurrent(g);
    fillList();
    observer_->listChanged();
    markStale();
    observer_->generatorAwaitsRun(g.height);
    return true;
}

bool GeneratorCommands::removeCurve() {
    if (!current_ || store_.empty()) return false;
    const std::string name = current_->name;
    if (!prompter_.ask("Are you sure you want to remove the curve '" + name + "' ?", {}, true)) return false;
    store_.remove(current_->id);
    setCurrent(store_.first());
    const std::filesystem::path file = folder_ + name + ".txt";
    std::error_code ec;
    if (std::filesystem::exists(file, ec) &&
        prompter_.ask("Would you like me to delete this curve ('" + name +
                      "') from you hard disk too, so that it is not available for importing?"))
        std::filesystem::remove(file, ec);
    fillList();
    observer_->listChanged();
    stale_ = false;
    observer_->generatorChanged();
    return true;
}

bool GeneratorCommands::editSpeed(int i) {
    if (i < 11 || i > 21 || curveLocked()) return false;
    const int stored = i - 11;
    const auto v = askChanged("New Speed?", shownSpeed(stored), speedRange(), true);
    if (!v) return false;
    if (i > 11 && !(*v > shownSpeed(stored - 1))) {
        prompter_.message("You must enter a speed that is greater than the speed below it.");
        return false;
    }
    if (i < 21 && shownSpeed(stored + 1) > 0 && !(*v < shownSpeed(stored + 1))) {
        prompter_.message("You must enter a speed that is less than the speed above it.");
        return false;
    }
    const double knots = round2(*v / units_.speedFactor());
    if (stored == 0)
        current_->cutInSpeed = knots;
    else
        current_->points[static_cast<std::size_t>(stored - 1)].speed = knots;
    saveCurrent();
    markStale();
    return true;
}

bool GeneratorCommands::editKW(int i) {
    if (i < 1 || i > power::kCurvePoints || curveLocked()) return false;
    auto& pts = current_->points;
    const auto at = [&](int k) { return pts[static_cast<std::size_t>(k - 1)].kw; };
    const auto v = askChanged("New KiloWatts?", at(i), {0, kMaxKW, "kW"}, true);
    if (!v) return false;
    if (i > 1 && !(*v > at(i - 1))) {
        prompter_.message("You must enter a kW that is greater than the kW below it.");
        return false;
    }
    if (i < power::kCurvePoints && at(i + 1) > 0 && !(*v < at(i + 1))) {
        prompter_.message("You must enter a kW that is less than the kW above it.");
        return false;
    }
    pts[static_cast<std::size_t>(i - 1)].kw = power::roundKW(*v);
    saveCurrent();
    markStale();
    return true;
}

bool GeneratorCommands::editHubHeight() {
    if (curveLocked()) return false;
    const std::string unit(units_.lengthUnit());
    const auto v = askChanged("The Height at which you wish this wind generator analysed when it is first selected. (" +
                                  unit + ")",
                              shownHubHeight(), {0, std::round(units_.lengthFromFeet(kMaxHubFeet)), units_.lengthUnit()}, true);
    if (!v) return false;
    if (*v < 0) {
        prompter_.message(kNotNegative);
        return false;
    }
    const double feet = units_.metric() ? *v * kFeetPerMetre : *v;
    current_->height = core::roundHalfAwayFromZero(feet, 0);
    saveCurrent();
    if (prompter_.ask("Shall I set the current Analysis Height to " + core::formatPlain(*v) + " " + unit + "?"))
        observer_->analysisHeightSet(core::roundHalfAwayFromZero(feet, 1));
    return true;
}

bool GeneratorCommands::editTemperature() {
    if (curveLocked()) return false;
    const auto v = askChanged(std::string("The Temperature at which the power curve was obtained (at the hub height).  "
                                          "This should not be changed once it is originally input. (") +
                                  std::string(units_.temperatureUnit()) + ")",
                              shownTemperature(),
                              units_.metric() ? core::SensibleRange{-90, 60, "degC"} : core::SensibleRange{-130, 140, "degF"},
                              false);
    if (!v) return false;
    const double celsius = !units_.metric() ? (*v - 32) * 5 / 9 : *v;
    current_->temperature = std::round(core::roundHalfAwayFromZero(celsius, 1) * 10);
    saveCurrent();
    markStale();
    return true;
}

bool GeneratorCommands::editPressure() {
    if (curveLocked()) return false;
    const double shown = current_->pressure;
    const auto v = askChanged("The Pressure at which the power curve was obtained (at the hub height).  This should not "
                              "be changed once it is originally input. (mb) (Note: The Standard Sea Level pressure in "
                              "millibars is 1013.25)?",
                              shown, {0, 1100, "mb"}, false, shown == 0 ? "1013.25" : "");
    if (!v) return false;
    current_->pressure = *v;
    saveCurrent();
    markStale();
    return true;
}

bool GeneratorCommands::editCostPerYear() {
    if (curveLocked()) return false;
    const auto v = askChanged(
        "Cost of Wind Generator amortized to a yearly cost for Capital and Maintenance (Dollars/year)",
        current_->costPerYear, {0, 1000000000, "dollars per year"}, true);
    if (!v) return false;
    if (*v < 0) {
        prompter_.message(kNotNegative);
        return false;
    }
    current_->costPerYear = *v;
    saveCurrent();
    observer_->recomputeBalance();
    return true;
}

bool GeneratorCommands::editCutOut() {
    if (curveLocked()) return false;
    for (;;) {
        const auto v = askChanged("What is the wind speed that the mill shuts down due to too high winds",
                                  shownCutOut(), speedRange(), true);
        if (!v) return false;
        const double whole = core::roundHalfAwayFromZero(*v, 0);
        const double knots = round2(whole / units_.speedFactor());
        const double atMax = current_->speedAtMaxPower();
        if (knots < atMax) {
            prompter_.message("Must be greater than speed at max power of " +
                              core::formatPlain(round2(atMax * units_.speedFactor())));
            continue;
        }
        current_->cutOut = knots;
        saveCurrent();
        markStale();
        observer_->recomputeAll();
        return true;
    }
}

bool GeneratorCommands::editMaxToGrid() {
    if (curveLocked()) return false;
    const auto v = askChanged("What is the generator size (power above this will be stored if there is a storage "
                              "system). (kW)",
                              current_->maxToGrid, {0, kMaxKW, "kW"}, true);
    if (!v) return false;
    if (*v < 0) {
        prompter_.message(kNotNegative);
        return false;
    }
    current_->maxToGrid = power::roundMaxToGrid(*v);
    saveCurrent();
    markStale();
    observer_->recomputeAll();
    return true;
}

std::optional<std::string> GeneratorCommands::exportCurrent(std::optional<std::string> proposed) {
    if (!current_) return std::nullopt;
    const std::string name = core::trim(current_->name);
    std::string path = proposed.value_or(folder_ + name + ".txt");
    std::error_code ec;
    while (std::filesystem::exists(path, ec)) {
        if (prompter_.ask("The file '" + path + "' exists, do you want to overwrite it?")) break;
        const auto answer = prompter_.input("What path and filename do you want to give the file?");
        if (!answer || core::trim(*answer).empty()) return std::nullopt;
        path = core::trim(*answer);
    }
    if (!power::writeGeneratorFile(path, *current_)) {
        prompter_.message("'" + name + "' could not be written to '" + path + "'");
        return std::nullopt;
    }
    prompter_.message("'" + name + "' was exported to '" + path + "'");
    return path;
}

bool GeneratorCommands::importFile(std::optional<std::string> path, std::optional<std::string> newName) {
    if (!path) path = prompter_.openFile("Import", "Text Files|*.txt", folder_);
    if (!path) return false;
    std::error_code ec;
    if (std::filesystem::is_directory(*path, ec)) {
        prompter_.message("'" + *path + "' is a folder, not a generator text file.");
        return false;
    }
    const std::optional<std::string> text = power::readGeneratorText(*path);
    if (!text) {
        prompter_.message("The file '" + *path + "' could not be read.");
        return false;
    }
    // Nothing is imported that the page's own fields would have refused.
    if (const auto problem = power::generatorFileProblem(*text)) {
        prompter_.message("The generator in '" + *path + "' was not imported: " + *problem);
        return false;
    }
    power::GeneratorFileLines lines;
    power::GeneratorRecord g = power::parseGeneratorFile(*text, &lines);
    std::string name = core::trim(newName.value_or(g.name));
    const auto legal = [](const std::string& n) { return !n.empty() && power::isLegalGeneratorName(n); };
    if (!legal(name)) {
        prompter_.message(kIllegalName);
        return false;
    }
    while (nameListed(core::toUpper(name))) {
        const auto answer = prompter_.input("A wind generator by the name of '" + name +
                                                "' already exists in then Skyloom database, enter a different name "
                                                "to use now or Cancel to exit?",
                                            name);
        if (!answer || core::trim(*answer).empty()) return false;
        const std::string typed = core::trim(*answer);
        if (!legal(typed)) {
            prompter_.message(kIllegalName);
            continue;
        }
        name = typed;
    }
    g.id = 0;
    g.name = name;
    g.orgData = 0;
    g.recomputeMaxKW();
    // A file without its "Max to Grid" line: the generator's size, so that its
    // shortfalls count (at 0 every sounding would pass everything to the grid).
    if (lines.header[power::HeaderMaxToGrid] == 0) g.maxToGrid = power::roundMaxToGrid(g.maxKW);
    const int used = store_.curveUsedInAnalysis(name, g);
    if (used == -1) {
        prompter_.message("You are importing a curve that has previously been used in an analysis and the curve "
                          "matches the curve in the analysis.");
    } else if (used == -2 &&
               prompter_.ask("At some point an analysis has been done with a generator by this name.  The curve you "
                             "are importing does not match the curve used in the analysis, shall I reload the curve "
                             "from the analysis?",
                             "Importing curve name '" + name + "'")) {
        if (auto a = store_.curveFromAnalysis(name)) takeBlock(g, *a);
    }
    store_.add(g);
    setCurrent(g);
    fillList();
    observer_->listChanged();
    stale_ = false;
    observer_->generatorChanged();
    observer_->recomputeAll();
    return true;
}

}  // namespace skyloom::session
