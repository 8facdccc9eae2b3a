#include "session/PowerListener.h"

#include "core/Rounding.h"
#include "sounding/LevelStatistics.h"

namespace skyloom::session {

GeneratorSettings PowerListener::generatorSettings() const {
    GeneratorSettings s;
    if (!generator_) return s;
    const power::GeneratorRecord& g = *generator_;
    s.hubHeight = g.height;
    s.temperature = g.temperature;
    s.pressure = g.pressure;
    s.cutIn = g.cutInSpeed;
    s.maxToGrid = g.maxToGrid;
    s.cutOut = g.cutOut;
    for (std::size_t i = 0; i < g.points.size(); ++i) {
        s.pointKw[i] = g.points[i].kw;
        s.pointSpeed[i] = g.points[i].speed;
    }
    return s;
}

void PowerListener::powerPass(sounding::SoundingSet& set, sounding::LevelStatistics& stats, bool reloaded) {
    (void)reloaded;
    if (!generator_) {
        computed_ = false;
        results_ = {};
        return;
    }
    results_ = power::computeLevelPower(set, power::PowerModel::fromGenerator(*generator_));
    computed_ = true;
    for (auto& row : stats.yearTable.rows) {
        row.capacityFactor = {};
        for (const auto& y : results_.years)
            if (y.year == row.year) row.capacityFactor = y.capacityFactor;
    }
}

power::PowerAnalysis PowerListener::analysisAt(double heightFeet, const sounding::Units& units) const {
    const double shown = core::roundHalfEven(units.lengthFromFeet(heightFeet), 1);
    return power::showPowerAnalysis(results_, generator_ ? generator_->maxKW : 0, heightFeet, shown,
                                    std::string(units.lengthUnit()));
}

power::PowerAnalysis PowerListener::fullCurveAnalysisAt(const sounding::SoundingSet& set,
                                                        const power::FullPowerCurve& full, double heightFeet,
                                                        const sounding::Units& units) const {
    power::PowerModel model = power::PowerModel::fromGenerator(generator_.value_or(power::GeneratorRecord{}));
    model.fullCurve = full;
    sounding::SoundingSet copy = set;
    const power::LevelPowerResults results = power::computeLevelPower(copy, model);
    const double shown = core::roundHalfEven(units.lengthFromFeet(heightFeet), 1);
    return power::showPowerAnalysis(results, generator_ ? generator_->maxKW : 0, heightFeet, shown,
                                    std::string(units.lengthUnit()));
}

}  // namespace skyloom::session
