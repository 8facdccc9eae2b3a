#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/FolderLock.h"
#include "core/MainDatabase.h"
#include "core/Settings.h"
#include "core/StationIndex.h"
#include "sounding/Units.h"

namespace skyloom::core {
class Prompter;
class Progress;
}  // namespace skyloom::core

namespace skyloom::session {

// Runs an outside program (the updater) detached; returns false when it could not be started.
using ProgramLauncher = std::function<bool(const std::string& program, const std::string& workingDir)>;
bool launchDetached(const std::string& program, const std::string& workingDir);

// The message for a program folder another run holds alone.
std::string folderInUseText(const std::string& appDir);

// Program-wide state of one run: the program folder, the main database, the
// settings, the station index, and the user preferences read at start-up.
class Session {
public:
    enum class StartResult {
        Ready,          // the program runs
        UpdatePending,  // the updater was started: end the program at once
        BadDatabase,    // the main database did not open: end after the messages
        FolderInUse,    // another run holds the program folder alone (its message was shown)
    };

    Session(std::string appDir, core::Prompter& prompter);
    ~Session();

    // The start-up sequence: pending update, Revert visibility, log deletion,
    // main database, havedata check, settings read-back, recalculation, date-text rewrite.
    StartResult startUp(core::Progress* progress = nullptr);
    // The first step of start-up, also for callers that look at the folder
    // before starting: holds the program folder (shared with other runs) and,
    // when no other run holds it, puts back what an interrupted compaction left.
    // False, after its message, while another run holds the folder alone for
    // longer than a database waits for a lock.
    bool holdFolder();
    // Nothing is saved at shutdown: settings are saved the moment they change.
    void shutDown();

    const std::string& appDir() const { return appDir_; }
    core::Prompter& prompter() { return prompter_; }
    core::MainDatabase& mainDb() { return db_; }
    core::Settings& settings() { return settings_; }
    core::StationIndex& stations() { return stations_; }
    bool databaseOpen() const { return db_.isOpen(); }

    // Preferences read back at start-up.
    int units = 0;                  // 0 mph, 1 knots, 2 SI; changed through setUnits

    // The unit mode every figure is shown in; stored values never change with it.
    sounding::Units displayUnits() const;
    // Changes the unit mode: saved in the setting "Units" at once, then every
    // listener re-reads what it shows (each open window, the analysis in memory).
    void setUnits(int index);
    // A listener is told after each change of the unit mode, in the order added.
    int addUnitsListener(std::function<void()> listener);
    void removeUnitsListener(int id);
    std::string speedStatistic = "Average";   // or "Mean"
    double stateOfCharge = 75;
    double dotSize = 100;
    int dataColor = 0;
    bool powerVisible = true;
    std::string onPage = "Wind";
    long helpKey = 0;
    long lastStudy = 0;
    long lastKey = 0;
    bool studyVisible = false;
    std::string email;
    bool revertVisible = false;

    // "Revert to last Program Version". Returns true when the updater was started
    // and the program must end.
    bool revert();
    // "Repair Data Structure". Refused, with a message naming the folder, while
    // another run holds the program folder: it would keep writing to the file
    // the compaction replaces.
    core::MainDatabase::RepairResult repairMainDatabase();
    // Reloads the station index (after a repair or new data files).
    void reloadStationIndex();
    // Ctrl+D and the data installation: rebuilds `havedata` and the index.
    void rebuildDataIndex(core::Progress* progress = nullptr);

    // Replaceable for tests: how the updater is started.
    ProgramLauncher launcher = launchDetached;
    // Run at start-up when the stored calculation level differs from this
    // program's; it recalculates the stored analyses and returns true when it
    // stored the new level. Until set, nothing is recalculated.
    std::function<bool(Session&)> recalculateAllAnalyses;

    // File names in the program folder.
    static constexpr const char* kUpdateNeeded = "UpdateNeeded.txt";
    static constexpr const char* kUpdater = "Updater.exe";
    static constexpr const char* kPreviousProgram = "Skyloom_Previous.exe";
    static constexpr const char* kLogFile = "Skyloom.log";
    static constexpr const char* kLockFile = core::FolderLock::kFileName;

private:
    void rewriteAnalysisDates();

    std::string appDir_;
    core::Prompter& prompter_;
    std::vector<std::pair<int, std::function<void()>>> unitsListeners_;
    int nextUnitsListener_ = 1;
    core::MainDatabase db_;
    core::Settings settings_;
    core::StationIndex stations_;
    core::FolderLock lock_;
    bool folderHeld_ = false;
};

}  // namespace skyloom::session
