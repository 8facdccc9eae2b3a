#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/TypedNumber.h"
#include "power/GeneratorRecord.h"
#include "sounding/Units.h"

namespace skyloom::core {
class Prompter;
}
namespace skyloom::power {
class GeneratorStore;
}

namespace skyloom::session {

// What the rest of the program does when a generator command changed something.
class GeneratorObserver {
public:
    virtual ~GeneratorObserver() = default;
    // Another generator became current (chosen, imported, after a removal):
    // redisplay it, run the power analysis, the energy balance and the graphs.
    virtual void generatorChanged() {}
    // A new or copied generator became current: show it, and its curve, with the
    // results marked stale; nothing is computed or saved with it until the user
    // recalculates, so it stays editable until a saved analysis uses it. With a
    // height, the analysis height becomes it (feet above ground).
    virtual void generatorAwaitsRun(std::optional<double> analysisHeightFeet) { (void)analysisHeightFeet; }
    // A generator was picked with Shift: draw its curve over the current one.
    virtual void overlayCurve(const power::GeneratorRecord& g) { (void)g; }
    // The names of the list changed.
    virtual void listChanged() {}
    // The curve or a field changed: results must be recalculated before they count.
    virtual void resultsMarkedStale() {}
    // The cost changed: energy balance, economics and graphs are recomputed at once.
    virtual void recomputeBalance() {}
    // Cut-out, grid limit or an import changed the analysis: run the whole computation again.
    virtual void recomputeAll() {}
    // The analysis height becomes this height (feet above ground) and everything is rerun.
    virtual void analysisHeightSet(double feet) { (void)feet; }
};

// The generator commands of the Power Page on the current generator: choosing,
// naming, creating, copying, removing, editing the curve and the other fields,
// exporting and importing its text file. Every refusal shows its message and
// leaves the record unchanged; a cancelled input box ends the command.
class GeneratorCommands {
public:
    GeneratorCommands(power::GeneratorStore& store, core::Prompter& prompter, std::string programFolder,
                      GeneratorObserver* observer = nullptr);

    // Display units of speeds, heights and temperatures (stored values are knots, feet, tenths of degC).
    void setUnits(const sounding::Units& u) { units_ = u; }
    const sounding::Units& units() const { return units_; }

    // FillGeneratorList, then the first generator of the list becomes current
    // when none is (or the current one is gone).
    void refresh();
    const std::vector<std::string>& list() const { return list_; }
    const std::optional<power::GeneratorRecord>& current() const { return current_; }
    // CurveUsedInAnalysis of the current generator: 0, -1 or -2. Any saved
    // analysis naming the generator locks its curve, the one open on the page too:
    // an edit would otherwise change what a recalled analysis computes.
    int curveUsedInAnalysis() const { return curveUsed_; }
    bool resultsStale() const { return stale_; }
    void clearStale() { stale_ = false; }

    // True when a list entry, upper-cased, equals upperName.
    bool nameListed(const std::string& upperName) const;
    // True (after telling the user why) when the current curve must not be changed.
    bool curveLocked();

    // Shown values of the current generator in the current units.
    double shownSpeed(int stored) const;   // stored index 0 (cut-in) .. 10
    double shownHubHeight() const;
    double shownTemperature() const;
    double shownCutOut() const;
    std::string shownCostPerYear() const;   // "$#,###,##0"

    // Commands. Each returns true when it changed something.
    bool choose(const std::string& name, bool overlay = false);
    bool rename();
    bool newCurve();
    bool copyCurve();
    bool removeCurve();
    bool editSpeed(int displayIndex);   // 11 (cut-in) .. 21 (point 10)
    bool editKW(int index);             // 1 .. 10
    bool editHubHeight();
    bool editTemperature();
    bool editPressure();
    bool editCostPerYear();
    bool editCutOut();
    bool editMaxToGrid();
    // Export of the current generator; proposed replaces the default path (program
    // folder + name + ".txt"). Returns the path written.
    std::optional<std::string> exportCurrent(std::optional<std::string> proposed = std::nullopt);
    // Import of a generator file; without a path the user picks one. newName, when
    // given, replaces the name read from the file.
    bool importFile(std::optional<std::string> path = std::nullopt,
                    std::optional<std::string> newName = std::nullopt);

private:
    void setCurrent(std::optional<power::GeneratorRecord> g);
    int usedInAnalyses() const;
    void fillList();
    void saveCurrent();
    void markStale();
    // Asks for a generator name until it is legal and not listed; nullopt on cancel.
    std::optional<std::string> askNewName(const std::string& prompt, const std::string& defaultValue);
    // Asks for a number; nullopt on cancel or when the value equals `shown`.
    // ownLowRule: the field's own rules speak for values below the sensible range.
    std::optional<double> askChanged(const std::string& prompt, double shown, const core::SensibleRange& sensible,
                                     bool ownLowRule, const std::string& defaultText = {});
    // Speeds a curve point or the cut-out can sensibly have, in the display unit.
    core::SensibleRange speedRange() const;

    power::GeneratorStore& store_;
    core::Prompter& prompter_;
    std::string folder_;
    GeneratorObserver* observer_;
    GeneratorObserver noObserver_;
    sounding::Units units_{sounding::UnitMode::Knots};
    std::vector<std::string> list_;
    std::optional<power::GeneratorRecord> current_;
    int curveUsed_ = 0;
    bool stale_ = false;
};

}  // namespace skyloom::session
