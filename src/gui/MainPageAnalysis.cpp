#include "gui/MainPageAnalysis.h"

#include <algorithm>

#include "core/Dates.h"
#include "core/Text.h"
#include "gui/AnalysisPanel.h"
#include "session/Session.h"
#include "session/SiteAnalysis.h"
#include "sounding/HeightInterpolation.h"
#include "sounding/Units.h"

namespace skyloom::gui {

MainPageAnalysis::MainPageAnalysis(session::Session& session, session::SiteAnalysis& analysis, AnalysisPanel& panel)
    : session_(session), analysis_(analysis), panel_(panel) {}

analysis::AnalysisRecord MainPageAnalysis::current() {
    analysis::AnalysisRecord r;
    r.wmo = analysis_.currentWmo();
    r.siteName = analysis_.siteName();
    r.selline = analysis_.siteString();
    r.fromDate = core::isoDate(analysis_.currentFrom());
    r.toDate = core::isoDate(analysis_.currentTo());
    r.lookHeight = analysis_.heightOfInterestFeet() / sounding::kFeetPerMetre;
    r.units = std::string(analysis_.units().speedUnit());
    r.seeSoundings = analysis_.soundings().count();
    const auto& stats = analysis_.statistics();
    const sounding::Units feet(sounding::UnitMode::Knots);
    auto knotsAt = [&](const std::array<double, sounding::kLevelCount>& tenths) {
        return sounding::levelValueAtHeight(std::span<const double, sounding::kLevelCount>(tenths),
                                            analysis_.heightOfInterestFeet(), feet) / 10.0;
    };
    r.aveWind = knotsAt(stats.averageSpeed) * sounding::kMetresPerSecondPerKnot;
    r.meanWind = knotsAt(stats.median) * sounding::kMetresPerSecondPerKnot;
    return r;
}

bool MainPageAnalysis::recompute(const analysis::AnalysisRecord& stored) {
    auto from = core::parseIsoDate(stored.fromDate.substr(0, 10));
    auto to = core::parseIsoDate(stored.toDate.substr(0, 10));
    if (!from || !to || stored.wmo == 0) return false;
    analysis_.applyAnalysisDates(stored.wmo, *from, *to);
    if (stored.lookHeight > 0) analysis_.setHeightOfInterestFeet(stored.lookHeight * sounding::kFeetPerMetre);
    panel_.recalculate();
    return panel_.lastOutcome() == session::AnalysisOutcome::Analysed ||
           panel_.lastOutcome() == session::AnalysisOutcome::GeneratorRerun ||
           panel_.lastOutcome() == session::AnalysisOutcome::EnergyOnly;
}

std::vector<std::string> MainPageAnalysis::dataSites() { return analysis_.dataSites(); }

double MainPageAnalysis::lookHeightShown() {
    return analysis_.units().lengthFromFeet(analysis_.heightOfInterestFeet());
}

std::string MainPageAnalysis::heightUnit() { return std::string(analysis_.units().lengthUnit()); }
std::string MainPageAnalysis::speedUnit() { return std::string(analysis_.units().speedUnit()); }
std::string MainPageAnalysis::statisticWord() { return core::toLower(session_.speedStatistic); }

bool MainPageAnalysis::analyseSite(const std::string& siteLine, double lookHeight) {
    analysis_.setHeightOfInterestFeet(analysis_.units().feetFromLength(lookHeight));
    return panel_.analyseStation(session::wmoOfSiteText(siteLine));
}

double MainPageAnalysis::windAtLookHeight() {
    const auto& stats = analysis_.statistics();
    const auto& tenths = session_.speedStatistic == "Mean" ? stats.median : stats.averageSpeed;
    const sounding::Units feet(sounding::UnitMode::Knots);
    double knots = sounding::levelValueAtHeight(std::span<const double, sounding::kLevelCount>(tenths),
                                                analysis_.heightOfInterestFeet(), feet) / 10.0;
    return knots * analysis_.units().speedFactor();
}

}  // namespace skyloom::gui
