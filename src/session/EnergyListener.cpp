#include "session/EnergyListener.h"

#include "power/PowerProduction.h"
#include "session/PowerListener.h"

namespace skyloom::session {

void EnergyListener::energyBalance(const sounding::SoundingSet& set, const sounding::LevelStatistics& stats) {
    (void)stats;
    if (!power_.computed() || !power_.generator()) {
        computed_ = false;
        return;
    }
    const power::GeneratorRecord& g = *power_.generator();
    const power::PowerModel model = power::PowerModel::fromGenerator(g);
    const double correction = 1.0 + power::heightEffect(power_.results(), heightFeet_);
    const auto powers = power::soundingPowerAtFeet(set, model, heightFeet_, correction);
    const auto speeds = power::soundingSpeedsAtFeet(set, heightFeet_);
    energy_.maxToGrid = g.maxToGrid;
    energy_.setSoundings(set, powers, speeds);
    energy_.setIdle(power::idleStatisticsAtFeet(power_.results(), heightFeet_));
    energy_.run();
    computed_ = true;
    if (onChanged) onChanged();
}

power::InputOutcome EnergyListener::edit(power::EnergyField field, core::Prompter& prompter) {
    const power::InputOutcome outcome = power::editEnergyField(field, prompter, energy_.inputs);
    if (power::needsRerun(outcome) && computed_) {
        energy_.run();
        if (onChanged) onChanged();
    }
    return outcome;
}

}  // namespace skyloom::session
