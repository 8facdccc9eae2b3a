#pragma once

#include <memory>
#include <string>
#include <vector>

#include "analysis/StudyStore.h"

namespace skyloom::core { class Progress; class Prompter; }

namespace skyloom::session {

class Session;
class AnalysisCommands;

// The Power Page's study indicator: the add button and the two labels.
struct StudyIndicator {
    bool addButtonVisible = false;
    std::string csLab;       // "Current Study is:" or "This analysis is already in the Current Study:"
    std::string curStLab;    // the study caption
};

// The studies as the Main Page shows them: the current study, its grid and
// labels, the study list, and the commands that change them.
class StudyCommands {
public:
    // Registers itself with `analyses`, whose saves refresh the grid and indicator.
    StudyCommands(Session& session, AnalysisCommands& analyses);
    ~StudyCommands();

    analysis::StudyStore& store();
    void dropStore();

    long long currentStudyKey = 0;
    std::string studyFilter;
    std::string studyLab;        // " " + name, or " List of all previous Analysis"
    std::string studyNumLab;     // " This is Study " + number
    std::string ninLab;          // row count + " in list"
    std::vector<analysis::AnalsRow> gridRows;
    int gridRow = 0;             // the row the grid is positioned on
    std::string gridOrder = "key desc";   // a heading click's order until the next refresh
    analysis::GridSort gridSort;
    std::vector<std::string> studyList;
    StudyIndicator indicator;

    // At start-up: the study and the analysis shown last (LastStudy, LastKey)
    // become current, no recall is pending, and the study list and grid are filled.
    void restoreFromSettings();
    // Builds the filter of the current study, sets the labels, refreshes the grid,
    // stores LastStudy and refreshes the indicator. A study that no longer exists
    // shows as study 0.
    void showStudy();
    // Reloads the grid (newest first), its count and `instudy`, and positions it
    // on the current analysis (else on the first row).
    void refreshStudyGrid();
    void fillStudyList();
    // The Power Page button: puts the current analysis into the current study.
    // Nothing happens for study 0 or when the last statistics used no soundings.
    void addAnalysisToCurrentStudy(bool soundingsUsed = true);
    void updateStudyIndicator();

    bool beginNewStudy();
    bool renameStudy();
    bool saveStudyAs();
    bool deleteStudy();
    // A line of the study list clicked: the study after "Study #" becomes current.
    bool pickStudy(const std::string& line);
    void showAllStudies();
    // Memberships of analyses that are gone (when the Power Page closes).
    int removeOrphans();

    // A click on a column heading; false when the column does not sort.
    bool sortByColumn(int position);

    enum class Typing {
        Accepted,          // the key goes into the cell
        Refused,           // a message told why
        LeftStudy,         // the analysis left the current study
        Deleted,           // the analysis was deleted
        NotFound,          // a message told that the row is missing
    };
    // A key typed in the grid in the row of analysis `key` at column `position`.
    Typing typeInGrid(long long key, int position, char typed);

    // A comment typed into the grid's comment cell of analysis `key`: stored with
    // the analysis. The help text's own analysis keeps its comment (refused with a message).
    bool setGridComment(long long key, const std::string& text);

    // "Export to Excel File": writes the current study's CSV and tells where it is.
    std::string exportCsv();

    // The study of the sites above a wind speed (every question, the walk over
    // the sites with data, the report). Returns the number of sites found, -1 when
    // the user stopped at a question.
    long long studySitesAbove(core::Progress* progress = nullptr);

    // Where the dialogue goes; the session's prompter when unset.
    core::Prompter* dialogue = nullptr;

private:
    core::Prompter& prompter();
    void loadGrid();
    std::string currentName();

    Session& session_;
    AnalysisCommands& analyses_;
    std::unique_ptr<analysis::StudyStore> store_;
};

// "Sites of ... " with "/" made "~" and "," removed.
std::string sitesAboveStudyName(std::size_t sites, const std::string& statisticWord, const std::string& speed,
                                const std::string& speedUnit, const std::string& height,
                                const std::string& heightUnit);

}  // namespace skyloom::session
