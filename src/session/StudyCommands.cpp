#include "session/StudyCommands.h"

#include <SQLiteCpp/Database.h>

#include "analysis/AnalysisStore.h"
#include "analysis/CsvExport.h"
#include "core/Formats.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "core/TypedNumber.h"
#include "session/AnalysisCommands.h"
#include "session/Session.h"

namespace skyloom::session {

namespace {
constexpr const char* kBadName = "Bad name, please do not include / ? < > \\ : * | or double quote";
}

std::string sitesAboveStudyName(std::size_t sites, const std::string& statisticWord, const std::string& speed,
                                const std::string& speedUnit, const std::string& height,
                                const std::string& heightUnit) {
    std::string name = "Sites of " + std::to_string(sites) + " having " + statisticWord + " wind speeds above " +
                       speed + " " + speedUnit + " at " + height + " " + heightUnit;
    std::string out;
    for (char c : name) {
        if (c == ',') continue;
        out += c == '/' ? '~' : c;
    }
    return out;
}

StudyCommands::StudyCommands(Session& session, AnalysisCommands& analyses) : session_(session), analyses_(analyses) {
    analyses_.setStudies(this);
}

StudyCommands::~StudyCommands() {
    if (analyses_.studies() == this) analyses_.setStudies(nullptr);
}

analysis::StudyStore& StudyCommands::store() {
    if (!store_) store_ = std::make_unique<analysis::StudyStore>(session_.mainDb().db());
    return *store_;
}

void StudyCommands::dropStore() { store_.reset(); }

core::Prompter& StudyCommands::prompter() { return dialogue ? *dialogue : session_.prompter(); }

std::string StudyCommands::currentName() { return core::trim(studyLab); }

void StudyCommands::restoreFromSettings() {
    currentStudyKey = session_.lastStudy;
    analyses_.currentAnalysisId = session_.lastKey;
    analyses_.recallAnalysisId = 0;
    fillStudyList();
    showStudy();
}

void StudyCommands::showStudy() {
    auto& st = store();
    std::optional<analysis::StudyInfo> info;
    if (currentStudyKey != 0) info = st.study(currentStudyKey);
    if (!info) currentStudyKey = 0;
    if (currentStudyKey == 0) {
        studyFilter.clear();
        studyLab = analysis::kAllAnalysesLabel;
    } else {
        studyLab = " " + info->name;
        studyFilter = st.filterFor(currentStudyKey);
    }
    studyNumLab = " This is Study " + std::to_string(currentStudyKey);
    refreshStudyGrid();
    session_.lastStudy = currentStudyKey;
    session_.settings().set("LastStudy", std::to_string(currentStudyKey));
    updateStudyIndicator();
}

void StudyCommands::refreshStudyGrid() {
    gridOrder = "key desc";
    loadGrid();
}

void StudyCommands::loadGrid() {
    auto& st = store();
    gridRows = st.rows(studyFilter, gridOrder);
    ninLab = std::to_string(gridRows.size()) + " in list";
    st.refreshInStudy();
    gridRow = 0;
    for (std::size_t i = 0; i < gridRows.size(); ++i) {
        if (analysis::valueNumber(gridRows[i][0]) == static_cast<double>(analyses_.currentAnalysisId)) {
            gridRow = static_cast<int>(i);
            break;
        }
    }
}

void StudyCommands::fillStudyList() {
    studyList.clear();
    studyList.emplace_back(analysis::kAllStudiesLine);
    for (const auto& s : store().studies()) studyList.push_back(analysis::studyListLine(s));
}

void StudyCommands::addAnalysisToCurrentStudy(bool soundingsUsed) {
    if (!soundingsUsed || currentStudyKey == 0) return;
    auto& st = store();
    st.addMember(currentStudyKey, analyses_.currentAnalysisId);
    studyFilter = st.filterFor(currentStudyKey);
    refreshStudyGrid();
    updateStudyIndicator();
}

void StudyCommands::updateStudyIndicator() {
    if (currentStudyKey == 0) {
        indicator = StudyIndicator{};
        return;
    }
    if (store().isMember(currentStudyKey, analyses_.currentAnalysisId)) {
        indicator.addButtonVisible = false;
        indicator.csLab = "This analysis is already in the Current Study:";
    } else {
        indicator.addButtonVisible = true;
        indicator.csLab = "Current Study is:";
    }
    indicator.curStLab = studyLab;
}

bool StudyCommands::beginNewStudy() {
    auto& ui = prompter();
    auto answer = ui.input("What Name would you like to give this new study?");
    if (!answer) return false;
    const std::string name = core::trim(*answer);
    if (name.empty()) return false;
    if (!core::isLegalName(name)) {
        ui.message(kBadName);
        return false;
    }
    if (store().nameExists(name)) {
        ui.message("A study by than exists already, try a different name.");
        return false;
    }
    currentStudyKey = store().create(name);
    fillStudyList();
    showStudy();
    return true;
}

bool StudyCommands::renameStudy() {
    if (currentStudyKey == 0) return false;
    auto& ui = prompter();
    auto answer = ui.input("What Name would you like to give this current study?", currentName());
    if (!answer) return false;
    const std::string name = core::trim(*answer);
    if (name.empty() || core::iequals(name, currentName())) return false;
    if (!core::isLegalName(name)) {
        ui.message(kBadName);
        return false;
    }
    store().rename(currentStudyKey, name);
    studyLab = " " + name;
    fillStudyList();
    updateStudyIndicator();
    return true;
}

bool StudyCommands::saveStudyAs() {
    auto& ui = prompter();
    for (;;) {
        auto answer = ui.input(
            "What Name would you like to Save the current study as (You are making a copy of the Current Study with "
            "this new name)?");
        if (!answer) return false;
        const std::string name = core::trim(*answer);
        if (name.empty()) return false;
        if (core::iequals(name, currentName())) {
            ui.message("Please give it a different name or Cancel");
            continue;
        }
        if (!core::isLegalName(name)) {
            ui.message(kBadName);
            return false;
        }
        currentStudyKey = store().copy(currentStudyKey, name);
        fillStudyList();
        showStudy();
        return true;
    }
}

bool StudyCommands::deleteStudy() {
    auto& ui = prompter();
    if (currentStudyKey == 0) {
        ui.message("This study can not be deleted.");
        return false;
    }
    if (!ui.ask("Are you sure you want to delete the Study '" + currentName() + "'?")) return false;
    store().remove(currentStudyKey);
    currentStudyKey = 0;
    fillStudyList();
    showStudy();
    return true;
}

bool StudyCommands::pickStudy(const std::string& line) {
    auto number = analysis::studyNumberFromLine(line);
    if (!number) return false;
    currentStudyKey = *number;
    showStudy();
    return true;
}

void StudyCommands::showAllStudies() {
    currentStudyKey = 0;
    showStudy();
}

int StudyCommands::removeOrphans() { return store().removeOrphans(); }

bool StudyCommands::sortByColumn(int position) {
    auto order = gridSort.click(position);
    if (!order) return false;
    gridOrder = *order;
    loadGrid();
    return true;
}

StudyCommands::Typing StudyCommands::typeInGrid(long long key, int position, char typed) {
    auto& ui = prompter();
    if (key == session_.helpKey) {
        ui.message("You are not allowed to delete this row or change its comment.");
        return Typing::Refused;
    }
    const bool removeKey = typed == 'x' || typed == 'X' || typed == 'q' || typed == 'Q';
    if (position != analysis::kDeleteColumn || !removeKey) return Typing::Accepted;
    if (currentStudyKey != 0) {
        if (!store().removeMember(currentStudyKey, key)) {
            ui.message("Error 342, No record");
            return Typing::NotFound;
        }
        studyFilter = store().filterFor(currentStudyKey);
        refreshStudyGrid();
        updateStudyIndicator();
        return Typing::LeftStudy;
    }
    if (auto holder = store().studyHolding(key)) {
        ui.message("Can't delete this row as it is used in Study #" + std::to_string(*holder));
        return Typing::Refused;
    }
    if (!analyses_.store().remove(key)) {
        ui.message("Cant find " + std::to_string(key));
        return Typing::NotFound;
    }
    refreshStudyGrid();
    return Typing::Deleted;
}

bool StudyCommands::setGridComment(long long key, const std::string& text) {
    if (key == session_.helpKey) {
        prompter().message("You are not allowed to delete this row or change its comment.");
        return false;
    }
    if (!analyses_.store().exists(key)) return false;
    analyses_.store().setComment(key, text);
    // The row keeps its place: the grid's order does not change under the user.
    for (auto& row : gridRows)
        if (analysis::valueNumber(row[0]) == static_cast<double>(key)) row[analysis::kCommentColumn] = text;
    return true;
}

std::string StudyCommands::exportCsv() {
    const std::string text =
        analysis::exportStudyCsv(session_.mainDb().db(), currentStudyKey, studyLab, session_.appDir());
    prompter().message(text);
    return text;
}

long long StudyCommands::studySitesAbove(core::Progress* progress) {
    auto& ui = prompter();
    auto& live = analyses_.live();
    if (!ui.ask("This function may take a little time, before you do this, make sure you have the wind "
                      "generator selected that you wish to use and the appropriate variables for everything but "
                      "height of interest.\n\nShall I continue?"))
        return -1;
    const std::string heightUnit = live.heightUnit();
    const std::string speedUnit = live.speedUnit();
    const std::string word = live.statisticWord();

    auto heightAnswer = ui.input("What height are you interested in? (" + heightUnit + ")",
                                       core::formatPlain(live.lookHeightShown()));
    if (!heightAnswer || core::trim(*heightAnswer).empty()) return -1;
    const std::optional<double> typedHeight = core::typedNumber(*heightAnswer);
    if (!typedHeight || *typedHeight < 0) {
        ui.message(core::expectedNumberText({0, heightUnit == "meters" ? 1524.0 : 5000.0, heightUnit}));
        return -1;
    }
    const double height = *typedHeight;
    auto speedAnswer = ui.input("What " + word +
                                      " wind speed do you want to evaluate? Enter 0 to include all sites in study. (" +
                                      speedUnit + ")");
    if (!speedAnswer || core::trim(*speedAnswer).empty()) return -1;
    const std::optional<double> typedSpeed = core::typedNumber(*speedAnswer);
    if (!typedSpeed || *typedSpeed < 0) {
        ui.message(core::expectedNumberText({0, 200, speedUnit}));
        return -1;
    }
    const double speed = *typedSpeed;
    const std::string heightText = core::formatPlain(height);
    const std::string speedText = core::formatPlain(speed);

    if (!ui.ask("I am about to calculate the percentage of your purchased sites that have wind speeds above " +
                      speedText + " " + speedUnit + " at " + heightText + " " + heightUnit +
                      " above the ground.  Is this correct?"))
        return -1;

    const auto sites = live.dataSites();
    const auto count = static_cast<long long>(sites.size());
    const std::string name = sitesAboveStudyName(sites.size(), word, speedText, speedUnit, heightText, heightUnit);
    bool building = false;
    if (ui.ask("Would you like to have a study created of this search?")) {
        building = true;
        std::optional<long long> existing;
        for (const auto& s : store().studies())
            if (core::iequals(s.name, name)) {
                existing = s.key;
                break;
            }
        if (existing && ui.ask("This study already exists, would you like to overwrite it"))
            currentStudyKey = *existing;
        else
            currentStudyKey = store().create(name);
        fillStudyList();
        showStudy();
    }
    const bool pause = ui.ask("Would you like to pause between each site to view it and have the option to "
                                    "cancel the rest?");

    long long found = 0;
    long long position = 0;
    for (const auto& site : sites) {
        ++position;
        if (progress) {
            if (progress->cancelRequested()) break;
            progress->step(position, count, std::to_string(position) + " of " + std::to_string(count) + " analysed");
        }
        if (!live.analyseSite(site, height)) continue;
        const double wind = live.windAtLookHeight();
        if (wind > speed || speed == 0) {
            ++found;
            if (building) addAnalysisToCurrentStudy(true);
        }
        if (pause && ui.ask("So far, I found " + std::to_string(found) +
                                  " reviewed sites above your speed.  There are a total of " + std::to_string(count) +
                                  " sites to review. Cancel the rest?"))
            break;
    }

    showStudy();
    const double share = count > 0 ? static_cast<double>(found) / static_cast<double>(count) : 0.0;
    ui.message("Of your " + std::to_string(count) + " purchased sites, " + std::to_string(found) + " have " +
                     word + " windspeeds at " + heightText + " " + heightUnit + " that are above " + speedText + " " +
                     speedUnit + ", or " + core::formatNumber(share, "#0.0%"));
    return found;
}

}  // namespace skyloom::session
