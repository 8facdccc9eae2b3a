#pragma once

#include "session/AnalysisCommands.h"

namespace skyloom::session {
class PowerListener;
class Session;
class SiteAnalysis;
}  // namespace skyloom::session

namespace skyloom::gui {

class AnalysisPanel;

// The analysis as the Main Page holds it, for the analysis and study commands:
// a recalled analysis loads its station and period and is shown again; the wind
// figures at the look height come from the level statistics.
class MainPageAnalysis : public session::LiveAnalysis {
public:
    MainPageAnalysis(session::Session& session, session::SiteAnalysis& analysis, AnalysisPanel& panel);

    analysis::AnalysisRecord current() override;
    std::string commentField() override { return {}; }
    bool recompute(const analysis::AnalysisRecord& stored) override;
    std::vector<std::string> dataSites() override;
    double lookHeightShown() override;
    std::string heightUnit() override;
    std::string speedUnit() override;
    std::string statisticWord() override;
    bool analyseSite(const std::string& siteLine, double lookHeight) override;
    double windAtLookHeight() override;

private:
    session::Session& session_;
    session::SiteAnalysis& analysis_;
    AnalysisPanel& panel_;
};

}  // namespace skyloom::gui
