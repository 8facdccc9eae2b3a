#pragma once

#include <optional>

#include "power/GeneratorRecord.h"
#include "power/PowerProduction.h"
#include "session/SiteAnalysis.h"

namespace skyloom::session {

// The power model's part of a site analysis: runs the current generator over the
// loaded soundings at every level, fills the year table's capacity factors and
// keeps the level results for the figures at the height of interest.
class PowerListener : public AnalysisListener {
public:
    void setGenerator(std::optional<power::GeneratorRecord> g) { generator_ = std::move(g); }
    const std::optional<power::GeneratorRecord>& generator() const { return generator_; }

    GeneratorSettings generatorSettings() const override;
    void powerPass(sounding::SoundingSet& set, sounding::LevelStatistics& stats, bool reloaded) override;

    // Level results of the last power pass (empty before the first).
    const power::LevelPowerResults& results() const { return results_; }
    bool computed() const { return computed_; }
    // The Power Page summary at a height in feet, shown in the given units.
    power::PowerAnalysis analysisAt(double heightFeet, const sounding::Units& units) const;
    // The same summary with the generator's published full curve in place of its
    // ten points, over the same soundings (a copy of the set is run, so the loaded
    // set and the results above stay as they are); capacity factors are taken
    // against the same MaxKW.
    power::PowerAnalysis fullCurveAnalysisAt(const sounding::SoundingSet& set, const power::FullPowerCurve& full,
                                             double heightFeet, const sounding::Units& units) const;

private:
    std::optional<power::GeneratorRecord> generator_;
    power::LevelPowerResults results_;
    bool computed_ = false;
};

}  // namespace skyloom::session
