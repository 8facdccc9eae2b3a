#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "power/GeneratorRecord.h"
#include "session/AnalysisCommands.h"
#include "session/EnergyListener.h"
#include "session/PowerListener.h"
#include "session/SiteAnalysis.h"
#include "session/StudyCommands.h"

namespace skyloom::session {

class Session;

// The road of one analysis, in one place: the site and its soundings, the
// current generator at the height of interest, the energy balance and the money,
// and the record every finished computation is saved as. The windows and the
// command-line tool drive this; the stored analyses recompute through it.
class PowerPage : public LiveAnalysis {
public:
    explicit PowerPage(Session& session);
    ~PowerPage() override;

    Session& session() { return session_; }
    SiteAnalysis& site() { return site_; }
    PowerListener& power() { return power_; }
    EnergyListener& energy() { return energy_; }
    AnalysisCommands& analyses() { return analyses_; }
    StudyCommands& studies() { return studies_; }

    // Makes the named generator current (false when the table has none of that
    // name) and sets the height of interest from its hub height when asked.
    bool chooseGenerator(const std::string& name, bool heightFromHub = true);
    void setGenerator(std::optional<power::GeneratorRecord> generator);
    const std::optional<power::GeneratorRecord>& generator() const { return power_.generator(); }
    // A click on a usage, storage or price field: asks, checks and stores the
    // value; a change reruns the balance and the money on the soundings in memory
    // and, like every finished run, is saved as an analysis record.
    power::InputOutcome editInput(power::EnergyField field, core::Prompter& prompter);
    // The height of interest in feet above ground.
    void setHeightFeet(double feet);
    double heightFeet() const { return site_.heightOfInterestFeet(); }
    // Whether a finished energy balance is saved as an analysis record (on in the
    // program; the command-line tool turns it on for `analyse`).
    bool saveAfterEachRun = true;
    // The ID of the record the last run saved (0: nothing saved).
    long long lastSavedKey() const { return lastSavedKey_; }
    // The site the comparison of a right click is made against (0: none).
    long referenceWmo = 0;
    std::string comment;
    // Runs one analysis step; the windows pass their own so that a recalled or
    // swept analysis shows its wait label and its results like a picked one.
    using Runner = std::function<AnalysisOutcome(const std::function<AnalysisOutcome()>& work)>;
    Runner runner = [](const std::function<AnalysisOutcome()>& work) { return work(); };

    // LiveAnalysis
    analysis::AnalysisRecord current() override;
    std::string commentField() override { return comment; }
    bool recompute(const analysis::AnalysisRecord& stored) override;
    void showAnalysis(const analysis::AnalysisRecord& record) override;
    std::vector<std::string> dataSites() override;
    double lookHeightShown() override;
    std::string heightUnit() override;
    std::string speedUnit() override;
    std::string statisticWord() override;
    bool analyseSite(const std::string& siteLine, double lookHeight) override;
    double windAtLookHeight() override;

    // The average ("Average") or middle ("Mean") speed at the height of interest,
    // in the display unit.
    double windAt(bool median) const;

private:
    class SaveStep;
    Session& session_;
    SiteAnalysis site_;
    PowerListener power_;
    EnergyListener energy_;
    std::unique_ptr<SaveStep> save_;
    AnalysisListenerChain chain_;
    AnalysisCommands analyses_;
    StudyCommands studies_;
    long long lastSavedKey_ = 0;
    long long sessionRuns_ = 0;
    int unitsListener_ = 0;
};

}  // namespace skyloom::session
