#include "session/AnalysisCommands.h"

#include <cmath>
#include <exception>
#include <optional>

#include <SQLiteCpp/Database.h>

#include "analysis/AnalysisStore.h"
#include "core/Constants.h"
#include "core/Formats.h"
#include "core/NestedTransaction.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "core/TypedNumber.h"
#include "session/Session.h"
#include "session/StudyCommands.h"

namespace skyloom::session {

std::string recalculationQuestion(long long count) {
    return "We are sorry but a program revision has been made that necessitates the recalculation of all your " +
           std::to_string(count) + " analysis." + "\n\n" +
           "This means that output values, which you have used  or taken from this program, may be incorrect." +
           "\n\n" +
           "Would you like me to recalculate these analysis now? (If you say no, only new analysis will have "
           "correct output data, you will be given an opportunity to do this recalcuation every time you start the "
           "program until you do it.";
}

std::string recalculationFailureMessage(long long failed, long long count, const std::vector<long long>& ids) {
    std::string list;
    constexpr std::size_t kListed = 20;
    for (std::size_t i = 0; i < ids.size() && i < kListed; ++i)
        list += (i ? ", " : "") + core::formatNumber(static_cast<double>(ids[i]), "000000");
    if (ids.size() > kListed) list += ", ...";
    return std::to_string(failed) + " of " + std::to_string(count) +
           " analyses could not be recalculated (Analysis ID " + list +
           "); their stored results are from the earlier calculation.  The calculation level was not stored, so the "
           "recalculation will be offered again at the next start.";
}

AnalysisCommands::AnalysisCommands(Session& session, LiveAnalysis& live) : session_(session), live_(live) {}

AnalysisCommands::~AnalysisCommands() = default;

analysis::AnalysisStore& AnalysisCommands::store() {
    if (!store_) store_ = std::make_unique<analysis::AnalysisStore>(session_.mainDb().db());
    return *store_;
}

void AnalysisCommands::dropStore() { store_.reset(); }

core::Prompter& AnalysisCommands::prompter() { return dialogue ? *dialogue : session_.prompter(); }

void AnalysisCommands::attachToStartUp() {
    session_.recalculateAllAnalyses = [this](Session&) { return recalculateAllAnalyses(nullptr).levelStored; };
}

void AnalysisCommands::storeLastKey() {
    session_.lastKey = currentAnalysisId;
    session_.settings().set("LastKey", std::to_string(currentAnalysisId));
}

void AnalysisCommands::show(long long key) {
    shownAnalysisId = key;
    if (auto row = store().load(key)) {
        shownComment_ = row->comment.value_or("");
        live_.showAnalysis(*row);
    }
}

void AnalysisCommands::refreshGrid() {
    if (studies_) studies_->refreshStudyGrid();
}

long long AnalysisCommands::saveCurrentAnalysis() {
    analysis::AnalysisRecord record = live_.current();
    if (record.seeSoundings == 0) return 0;
    record.print = printTrigger;
    auto& st = store();
    auto& ui = prompter();
    // One commit for the whole save; it nests when the save recalls the analysis.
    core::NestedTransaction saving(st.db(), "save_analysis");

    const auto same = st.findSame(record);
    long long key = 0;
    if (!same.empty()) {
        key = same.size() > 1 ? st.mergeDuplicates(same, session_.helpKey) : same.front();
        const auto stored = st.load(key);
        if (recallingFromGrid && !recalculating && stored) {
            const std::string lines = analysis::changeReportLines(*stored, record, key);
            if (!lines.empty()) ui.longMessage(analysis::changeReportMessage(key, stored->dodate, lines));
        }
        st.update(key, record);

        currentAnalysisId = key;
        if (shownAnalysisId != key) {
            const std::string comment = core::trim(live_.commentField());
            if (!comment.empty()) {
                if (auto row = st.load(key)) {
                    if (auto merged = analysis::mergedComment(row->comment.value_or(""), comment))
                        st.setComment(key, *merged);
                } else {
                    ui.message("Analysis ID " + core::formatNumber(static_cast<double>(key), "000000") +
                                         " was not found.",
                                     "Potential data problem");
                }
            }
            show(key);
            refreshGrid();
            if (key != recallAnalysisId && printTrigger == 0) {
                // The recall computes the analysis again from its stored inputs
                // and saves it; with the recall ID on it, that save stops here.
                recallAnalysisId = key;
                recallAnalysis();
            }
        }
    } else {
        record.aveWind = analysis::toMetresPerSecond(record.aveWind, record.units);
        record.meanWind = analysis::toMetresPerSecond(record.meanWind, record.units);
        key = st.insert(record);
        currentAnalysisId = key;
        show(key);
        refreshGrid();
    }

    if (studies_) studies_->updateStudyIndicator();
    printTrigger = 0;
    storeLastKey();
    saving.commit();
    lastSaved_ = key;
    return key;
}

bool AnalysisCommands::recallAnalysisByNumber() {
    auto& ui = prompter();
    for (;;) {
        auto answer = ui.input("What Analysis Number would you like to recall?");
        if (!answer) return false;
        if (core::trim(*answer).empty()) return false;
        const std::optional<double> typed = core::typedNumber(*answer);
        if (!typed) {
            ui.message(core::expectedNumberText({1, 999999999, "", true}));
            continue;
        }
        const double number = *typed;
        if (!(number > 0)) return false;
        const bool whole = number == std::floor(number) && number < 9.2e18;
        if (!whole || !store().isPresent(static_cast<long long>(number))) {
            ui.message("The is no analysis with an ID of " + core::formatPlain(number));
            continue;
        }
        recallAnalysisId = static_cast<long long>(number);
        return recallAnalysis();
    }
}

bool AnalysisCommands::recallAnalysis() {
    auto& st = store();
    auto& ui = prompter();
    const long long id = recallAnalysisId;
    auto record = st.load(id);
    if (!record || record->deleted == "x") {
        ui.message("Analysis " + std::to_string(id) + " is missing.");
        return false;
    }
    show(id);
    const std::string name = record->generatorName();
    if (!st.generatorListed(name)) {
        ui.message("I am unable to find a Power Curve in the current list called '" + name + "'." + "\n\n" +
                         "I am recreating the power curve from the information in this analysis and I am adding it "
                         "to the current list.");
        st.recreateGenerator(record->generator);
        live_.generatorsChanged();
    }
    currentAnalysisId = id;
    const bool computed = live_.recompute(*record);
    refreshGrid();
    storeLastKey();
    return computed;
}

bool AnalysisCommands::recallFromGrid(long long key) {
    recallingFromGrid = true;
    recallAnalysisId = key;
    bool ok = false;
    try {
        ok = recallAnalysis();
    } catch (...) {
        recallingFromGrid = false;
        throw;
    }
    recallingFromGrid = false;
    return ok;
}

bool AnalysisCommands::recalculationDue() {
    return session_.settings().getInt("ReCalcLevel", 0) != core::kCalcLevel;
}

bool AnalysisCommands::confirmRecalculation() {
    const long long count = store().countPresent();
    // With nothing stored there is nothing to recalculate and nothing to ask.
    return count == 0 || prompter().ask(recalculationQuestion(count));
}

AnalysisCommands::Recalculation AnalysisCommands::recalculateAllAnalyses(core::Progress* progress) {
    if (!confirmRecalculation()) {
        Recalculation run;
        run.count = store().countPresent();
        run.declined = true;
        return run;
    }
    Recalculation run = recalculateAll(progress);
    if (!run.cancelled && !run.failed.empty())
        prompter().message(
            recalculationFailureMessage(static_cast<long long>(run.failed.size()), run.count, run.failed));
    return run;
}

AnalysisCommands::Recalculation AnalysisCommands::recalculateAll(core::Progress* progress) {
    Recalculation run;
    auto& st = store();
    run.count = st.countPresent();
    recalculating = true;
    const auto keys = st.keysForRecalculation();
    long long position = 0;
    // Commits in batches: a cut-off run keeps what was recalculated, without a
    // disk flush for every analysis. Every save inside nests in the batch.
    constexpr long long kBatch = 100;
    std::optional<core::NestedTransaction> batch;
    try {
        for (long long key : keys) {
            ++position;
            if (!batch) batch.emplace(st.db(), "recalculate");
            if (progress && progress->cancelRequested()) {
                run.cancelled = true;
                break;
            }
            recallAnalysisId = key;
            if (progress)
                progress->step(position, run.count,
                               "Recalculating Analysis ID " + std::to_string(key) + " => " + std::to_string(position) +
                                   " of " + std::to_string(run.count));
            // An analysis counts as recalculated only when it was computed and saved
            // again under its own ID; one that fails (its station's data gone, its
            // period no longer in the file) keeps its old figures and is named.
            lastSaved_ = 0;
            bool computed = false;
            try {
                computed = recallAnalysis();
            } catch (const std::exception&) {
                computed = false;
            }
            if (computed && lastSaved_ == key)
                ++run.recalculated;
            else
                run.failed.push_back(key);
            if (position % kBatch == 0) {
                batch->commit();
                batch.reset();
            }
        }
        if (batch) batch->commit();
        batch.reset();
    } catch (...) {
        batch.reset();
        recalculating = false;
        recallingFromGrid = false;
        throw;
    }
    if (progress) progress->step(run.count, run.count, "");
    recalculating = false;
    recallingFromGrid = false;
    if (run.cancelled || !run.failed.empty()) return run;
    session_.settings().set("ReCalcLevel", std::to_string(core::kCalcLevel));
    run.levelStored = true;
    return run;
}

void AnalysisCommands::saveAnalysisComment(const std::string& fieldText) {
    if (shownAnalysisId == 0 || fieldText == shownComment_) return;
    if (!store().exists(shownAnalysisId)) return;
    store().setComment(shownAnalysisId, fieldText);
    shownComment_ = fieldText;
}

}  // namespace skyloom::session
