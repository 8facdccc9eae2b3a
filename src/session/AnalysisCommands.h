#pragma once

#include <memory>
#include <string>
#include <vector>

#include "analysis/AnalysisRecord.h"

namespace skyloom::core { class Progress; class Prompter; }
namespace skyloom::analysis { class AnalysisStore; }

namespace skyloom::session {

class Session;
class StudyCommands;

// What the analysis records need from the analysis on the Power Page: the
// figures just computed, and a way to compute a stored analysis again.
class LiveAnalysis {
public:
    virtual ~LiveAnalysis() = default;

    // The analysis just computed, every field filled: the current generator's
    // block, the inputs, the results as computed (not yet rounded), the data used
    // and the bookkeeping (`dodate`, `DoTime`, `SessionAnalNum`). `aveWind` and
    // `meanWind` are the average and mean speed at the look height in the speed
    // unit `units`. `seeSoundings` is 0 when the last statistics used no soundings.
    virtual analysis::AnalysisRecord current() = 0;
    // The text of the Power Page's comment field.
    virtual std::string commentField() = 0;
    // Loads the station and period of `stored`, takes its inputs and generator and
    // computes it again (statistics, power, energy balance); as after every
    // energy balance, the computation ends with AnalysisCommands::saveCurrentAnalysis.
    // False when it could not be computed.
    virtual bool recompute(const analysis::AnalysisRecord& stored) = 0;
    // The stored record now shown on the Power Page.
    virtual void showAnalysis(const analysis::AnalysisRecord& record) { (void)record; }
    // A generator was added to the generators table.
    virtual void generatorsChanged() {}

    // For the study of sites above a wind speed:
    // the site-list lines of the stations with data;
    virtual std::vector<std::string> dataSites() = 0;
    // the look height as shown on the Power Page, and the units shown;
    virtual double lookHeightShown() = 0;
    virtual std::string heightUnit() = 0;      // "meters" or "feet"
    virtual std::string speedUnit() = 0;       // "m/sec", "knots" or "mph"
    // the word of the chosen wind statistic ("average" or "mean");
    virtual std::string statisticWord() = 0;
    // selects the site, loads its data, sets the look height (in the unit shown)
    // and analyses it, which saves the analysis; false when the site has no data;
    virtual bool analyseSite(const std::string& siteLine, double lookHeight) = 0;
    // the Main Page's wind speed of the chosen statistic at the look height, in the unit shown.
    virtual double windAtLookHeight() = 0;
};

// The stored analyses as the windows use them: saving every computed analysis,
// recalling one by its ID, recalculating all of them after a program revision.
class AnalysisCommands {
public:
    AnalysisCommands(Session& session, LiveAnalysis& live);
    ~AnalysisCommands();

    Session& session() { return session_; }
    LiveAnalysis& live() { return live_; }
    // The store on the session's main database, made on first use (the database
    // opens during start-up) and after dropStore.
    analysis::AnalysisStore& store();
    // Forget the prepared statements (before the main database is closed or repaired).
    void dropStore();
    // The study commands that show the grid and the indicator; may stay unset.
    void setStudies(StudyCommands* studies) { studies_ = studies; }
    StudyCommands* studies() const { return studies_; }

    // The analysis now shown; stored as the setting LastKey after every save and recall.
    long long currentAnalysisId = 0;
    // The analysis asked for by the last recall.
    long long recallAnalysisId = 0;
    // The record on the Power Page (its record source position).
    long long shownAnalysisId = 0;
    bool recallingFromGrid = false;
    bool recalculating = false;
    // What triggered the save: 0 an analysis run; 1, 2, 3, 5 the Main Page printed
    // landscape, portrait, copied, saved as bitmap; 4 help text printed; 11, 12,
    // 13, 15 the same outputs of the Power Page. Reset to 0 after each save.
    int printTrigger = 0;

    // Stores the analysis just computed (nothing without soundings): updates the
    // row of the same identity in place (merging duplicates, reporting changed
    // results when recalled from the grid, merging the comment) or adds a row.
    // Returns the analysis ID, 0 when nothing was saved.
    long long saveCurrentAnalysis();
    // The "recall" command: asks for an ID until one is found or the answer is not above 0.
    bool recallAnalysisByNumber();
    // Computes the analysis recallAnalysisId again from its stored inputs,
    // re-creating its generator when the list lacks it.
    bool recallAnalysis();
    // A row picked in the study grid: recalled with changed results reported.
    bool recallFromGrid(long long key);
    // What a bulk recalculation did.
    struct Recalculation {
        long long count = 0;              // present analyses
        long long recalculated = 0;       // computed again and saved under their own ID
        std::vector<long long> failed;    // IDs that could not be computed again
        bool declined = false;            // the user answered No
        bool cancelled = false;           // stopped on request
        bool levelStored = false;         // every analysis recalculated: ReCalcLevel is this program's
    };
    // Offers the recalculation of every stored analysis; on Yes recalculates them.
    // Only when every one was computed again and saved under its own ID is this
    // program's calculation level stored as ReCalcLevel; otherwise the user is told
    // how many failed and the level stays, so the offer comes again.
    Recalculation recalculateAllAnalyses(core::Progress* progress = nullptr);
    // The two halves, for windows that show the work's progress between them:
    // the question (true without asking when nothing is stored), and the work,
    // which stores the level when it completed and says nothing.
    bool confirmRecalculation();
    Recalculation recalculateAll(core::Progress* progress);
    // True when the stored analyses were computed at another calculation level.
    bool recalculationDue();
    // Makes the start-up run recalculateAllAnalyses when the calculation level changed.
    void attachToStartUp();

    // The Power Page's comment field is written to the shown analysis when it
    // differs from the comment last shown.
    void saveAnalysisComment(const std::string& fieldText);

    // Where the dialogue goes; the session's prompter when unset.
    core::Prompter* dialogue = nullptr;

private:
    core::Prompter& prompter();
    void show(long long key);
    void refreshGrid();
    void storeLastKey();
    // The ID the last save wrote (0: nothing saved since it was cleared).
    long long lastSaved_ = 0;

    Session& session_;
    LiveAnalysis& live_;
    StudyCommands* studies_ = nullptr;
    std::unique_ptr<analysis::AnalysisStore> store_;
    std::string shownComment_;
};

// The question asked before the bulk recalculation.
std::string recalculationQuestion(long long count);
// The message after a bulk recalculation in which some analyses failed.
std::string recalculationFailureMessage(long long failed, long long count, const std::vector<long long>& ids);

}  // namespace skyloom::session
