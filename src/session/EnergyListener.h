#pragma once

#include <functional>

#include "power/PowerPageEnergy.h"
#include "session/SiteAnalysis.h"

namespace skyloom::session {

class PowerListener;

// The energy balance's part of a site analysis: at the end of every analysis it
// runs the current generator through the period at the height of interest, with
// the temperature-and-pressure correction of that height, against the Power
// Page's demand, store and prices, and works out the money. The Power Page's
// input fields go through edit(), which reruns both at once on a valid change.
class EnergyListener : public AnalysisListener {
public:
    explicit EnergyListener(const PowerListener& power) : power_(power) {}

    void setHeightFeet(double feet) { heightFeet_ = feet; }
    double heightFeet() const { return heightFeet_; }
    void setStateOfCharge(double percent) { energy_.stateOfCharge = percent; }
    power::PowerPageInputs& inputs() { return energy_.inputs; }

    void energyBalance(const sounding::SoundingSet& set, const sounding::LevelStatistics& stats) override;
    void heightOfInterestChanged(double feet) override { heightFeet_ = feet; }

    // Asks for one input field; a valid change reruns the balance and the money
    // on the soundings of the last run and tells onChanged.
    power::InputOutcome edit(power::EnergyField field, core::Prompter& prompter);

    // False until a run with a generator; the figures of the last run.
    bool computed() const { return computed_; }
    const power::PowerPageEnergy& energy() const { return energy_; }

    // Told after every run (the Power Page redraws its figures and graphs).
    std::function<void()> onChanged;

private:
    const PowerListener& power_;
    double heightFeet_ = 0.0;
    bool computed_ = false;
    power::PowerPageEnergy energy_;
};

}  // namespace skyloom::session
