#include "session/PowerPage.h"

#include <ctime>

#include <SQLiteCpp/Statement.h>

#include "core/Dates.h"
#include "core/MainDatabase.h"
#include "core/Rounding.h"
#include "core/Settings.h"
#include "core/Text.h"
#include "power/GeneratorStore.h"
#include "power/PowerPageEnergy.h"
#include "session/Session.h"
#include "sounding/HeightInterpolation.h"

namespace skyloom::session {

// The last step of every analysis: the finished energy balance is stored.
class PowerPage::SaveStep : public AnalysisListener {
public:
    explicit SaveStep(PowerPage& page) : page_(page) {}
    void energyBalance(const sounding::SoundingSet&, const sounding::LevelStatistics&) override {
        ++page_.sessionRuns_;
        if (page_.saveAfterEachRun && page_.energy_.computed())
            page_.lastSavedKey_ = page_.analyses_.saveCurrentAnalysis();
    }

private:
    PowerPage& page_;
};

namespace {
constexpr double kFeetPerMetre = 3.281;
}

PowerPage::PowerPage(Session& session)
    : session_(session),
      site_(session),
      energy_(power_),
      save_(std::make_unique<SaveStep>(*this)),
      analyses_(session, *this),
      studies_(session, analyses_) {
    chain_.add(&power_);
    chain_.add(&energy_);
    chain_.add(save_.get());
    chain_.setGeneratorSource(&power_);
    site_.setListener(&chain_);
    site_.setUnits(session.displayUnits());
    unitsListener_ = session.addUnitsListener([this] { site_.setUnits(session_.displayUnits()); });
    analyses_.setStudies(&studies_);
    energy_.setStateOfCharge(session.stateOfCharge);
    power::PowerPageInputs& in = energy_.inputs();
    in.storeEff = 80;
    // The storage cost field starts each run from its stored setting.
    in.batDollarsPerYr = session.settings().getNumber("BatCostPerkWhrPerYr", 50);
}

PowerPage::~PowerPage() { session_.removeUnitsListener(unitsListener_); }

void PowerPage::setGenerator(std::optional<power::GeneratorRecord> generator) {
    if (generator) energy_.inputs().generatorCost = generator->costPerYear;
    power_.setGenerator(std::move(generator));
}

bool PowerPage::chooseGenerator(const std::string& name, bool heightFromHub) {
    auto g = power::GeneratorStore(session_.mainDb().db()).findByName(name);
    if (!g) return false;
    const double hub = g->height;
    setGenerator(std::move(g));
    if (heightFromHub) setHeightFeet(hub);
    return true;
}

power::InputOutcome PowerPage::editInput(power::EnergyField field, core::Prompter& prompter) {
    const power::InputOutcome outcome = energy_.edit(field, prompter);
    if (power::needsRerun(outcome) && energy_.computed() && saveAfterEachRun)
        lastSavedKey_ = analyses_.saveCurrentAnalysis();
    return outcome;
}

void PowerPage::setHeightFeet(double feet) {
    site_.setHeightOfInterestFeet(feet);
    energy_.setHeightFeet(feet);
}

double PowerPage::windAt(bool median) const {
    const auto& stats = site_.statistics();
    const auto& values = median ? stats.median : stats.averageSpeed;
    const sounding::Units units = site_.units();
    const double tenths = sounding::levelValueAtHeight(std::span<const double, sounding::kLevelCount>(values),
                                                       units.lengthFromFeet(heightFeet()), units);
    return units.speedFromTenths(tenths);
}

analysis::AnalysisRecord PowerPage::current() {
    analysis::AnalysisRecord r;
    const sounding::Units units = site_.units();
    if (const auto& g = power_.generator()) {
        r.generator[0] = g->name;
        for (int pos = 2; pos <= core::kGeneratorBlockSize; ++pos)
            r.generator[static_cast<std::size_t>(pos - 1)] = g->column(pos);
    }
    const power::PowerPageInputs& in = energy_.energy().inputs;
    r.aveused = in.aveUsed;
    r.bankSize = in.bankSize;
    r.batDollarsPerkWhr = in.batDollarsPerYr;
    r.storeEff = in.storeEff;
    r.shortCost = in.buyPrice;
    r.sellPrice = in.sellPrice;
    r.generatorCost = in.generatorCost;
    // Kept to the nanometre, not to the tenth of a metre the grid shows: the height
    // in feet (one decimal) comes back exactly on recall and after a restart.
    r.lookHeight = core::roundHalfAwayFromZero(heightFeet() / kFeetPerMetre, 9);
    r.fromDate = core::isoDate(site_.currentFrom());
    r.toDate = core::isoDate(site_.currentTo());
    r.siteName = siteNameOfSiteText(site_.siteString());
    r.selline = site_.siteString();
    r.wmo = site_.currentWmo();
    r.refWmo = referenceWmo ? referenceWmo : r.wmo;
    r.units = std::string(units.speedUnit());
    r.stateOfCharge = energy_.energy().stateOfCharge;
    r.dataColor = session_.dataColor;
    r.activateI = session_.settings().getFlag("Iignore", false) ? -1 : 0;
    r.ignoreZ = site_.ignoreZeroGroundWind() ? -1 : 0;

    if (energy_.computed()) {
        const auto values = power::energyRecordValues(energy_.energy().balance(), energy_.energy().money());
        for (const auto& [column, value] : values)
            for (std::size_t i = 0; i < analysis::kResultColumns.size(); ++i)
                if (core::iequals(analysis::kResultColumns[i].column, column)) r.results[i] = value;
        const power::PowerAnalysis pa = power_.analysisAt(heightFeet(), units);
        r.result(analysis::PotCF) = pa.potCF;
        r.result(analysis::PotkW) = pa.potKW;
        r.result(analysis::IdlePercent) = pa.idlePercent;
        r.result(analysis::TempPressPercent) = pa.tempPressPercent;
        r.result(analysis::ActCF) = energy_.energy().idle().idleStartsPerYear;
        r.seeSoundings = site_.soundings().count();
    }
    r.aveWind = windAt(false);
    r.meanWind = windAt(true);
    const auto& stats = site_.statistics();
    r.seePoints = stats.totalDataPoints;
    r.tgaps = stats.gapPercent;
    SQLite::Statement deleted(session_.mainDb().db(), "SELECT NumDeletedSoundings FROM havedata WHERE wmo = ?");
    deleted.bind(1, static_cast<std::int64_t>(r.wmo));
    if (deleted.executeStep()) r.seeDiscarded = deleted.getColumn(0).getDouble();

    r.dodate = core::nowIsoDateTime();
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    r.doTime = tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec;
    r.sessionAnalNum = sessionRuns_;
    return r;
}

bool PowerPage::recompute(const analysis::AnalysisRecord& stored) {
    const long wmo = static_cast<long>(stored.wmo);
    const std::string siteText = site_.siteEntryText(wmo);
    auto from = core::parseIsoDate(stored.fromDate);
    auto to = core::parseIsoDate(stored.toDate);
    if (siteText.empty() || !from || !to) return false;
    if (!chooseGenerator(stored.generatorName(), false)) return false;
    site_.setSiteString(siteText);
    site_.applyAnalysisDates(wmo, *from, *to);
    power::PowerPageInputs& in = energy_.inputs();
    in.aveUsed = stored.aveused;
    in.bankSize = stored.bankSize;
    in.batDollarsPerYr = stored.batDollarsPerkWhr;
    in.storeEff = stored.storeEff;
    in.buyPrice = stored.shortCost;
    in.sellPrice = stored.sellPrice;
    in.generatorCost = stored.generatorCost;
    // Back to feet without a new rounding: the record found again is the record recalled,
    // whether its metres were kept to the nanometre or, in older records, to the tenth.
    setHeightFeet(core::roundHalfAwayFromZero(stored.lookHeight * kFeetPerMetre, 6));
    const AnalysisOutcome outcome = runner([this] {
        return site_.retrieveAndAnalyse(site_.siteString(), site_.fromPicker().text(), site_.toPicker().text());
    });
    return outcome == AnalysisOutcome::Analysed || outcome == AnalysisOutcome::GeneratorRerun ||
           outcome == AnalysisOutcome::EnergyOnly;
}

void PowerPage::showAnalysis(const analysis::AnalysisRecord& record) { comment = record.comment.value_or(""); }

std::vector<std::string> PowerPage::dataSites() {
    std::vector<std::string> sites;
    SQLite::Statement q(session_.mainDb().db(), "SELECT wmo FROM havedata ORDER BY wmo");
    while (q.executeStep()) {
        std::string line = site_.siteEntryText(static_cast<long>(q.getColumn(0).getInt64()));
        if (!line.empty()) sites.push_back(std::move(line));
    }
    return sites;
}

double PowerPage::lookHeightShown() { return core::roundHalfEven(site_.units().lengthFromFeet(heightFeet()), 1); }
std::string PowerPage::heightUnit() { return std::string(site_.units().lengthUnit()); }
std::string PowerPage::speedUnit() { return std::string(site_.units().speedUnit()); }
std::string PowerPage::statisticWord() { return core::toLower(session_.speedStatistic); }

bool PowerPage::analyseSite(const std::string& siteLine, double lookHeight) {
    site_.setSiteString(siteLine);
    setHeightFeet(site_.units().feetFromLength(lookHeight));
    const AnalysisOutcome outcome = runner([this] { return site_.reanalyseSite(true); });
    return outcome == AnalysisOutcome::Analysed || outcome == AnalysisOutcome::GeneratorRerun ||
           outcome == AnalysisOutcome::EnergyOnly;
}

double PowerPage::windAtLookHeight() { return windAt(session_.speedStatistic == "Mean"); }

}  // namespace skyloom::session
