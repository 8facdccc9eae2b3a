#include "session/Session.h"

#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include "core/Compaction.h"
#include "core/Constants.h"
#include "core/DatabaseFile.h"
#include "core/FileOps.h"
#include "core/Formats.h"
#include "core/Prompter.h"
#include "core/SqlUtil.h"
#include "core/Text.h"
#include "core/WholeFile.h"
#include "session/ProgramFolder.h"
#include "session/SuppliedGenerators.h"
#include "sounding/HaveDataIndex.h"

extern char** environ;

namespace fs = std::filesystem;

namespace skyloom::session {

std::string folderInUseText(const std::string& appDir) {
    return "Another program is using the program folder '" + appDir +
           "' on its own (it is repairing the data structure or setting the folder up). Try again when it has "
           "finished.";
}

bool launchDetached(const std::string& program, const std::string& workingDir) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    std::string cwd = workingDir;
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = 0;
    std::error_code ec;
    fs::path old = fs::current_path(ec);
    fs::current_path(cwd, ec);
    int rc = posix_spawn(&pid, program.c_str(), &actions, &attr, argv, environ);
    fs::current_path(old, ec);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    return rc == 0;
}

Session::Session(std::string appDir, core::Prompter& prompter)
    : appDir_(ensureTrailingSlash(std::move(appDir))), prompter_(prompter), db_(appDir_), settings_(db_),
      lock_(appDir_) {}

Session::~Session() = default;

bool Session::holdFolder() {
    if (folderHeld_) return true;
    const std::string mainPath = appDir_ + core::MainDatabase::kFileName;
    if (lock_.tryHoldAlone()) {
        // No other run works here: what a killed run left can be put right.
        core::recoverInterruptedCompaction(mainPath);
        core::clearCompactionLeftovers(mainPath);
        core::clearTemporariesIn(appDir_ + "data");
        lock_.backToShared();
    } else if (!lock_.holdShared(core::busyTimeout())) {
        prompter_.message(folderInUseText(appDir_));
        return false;
    }
    folderHeld_ = true;
    return true;
}

Session::StartResult Session::startUp(core::Progress* progress) {
    if (!holdFolder()) return StartResult::FolderInUse;
    if (core::fileExists(appDir_ + kUpdateNeeded) && core::fileExists(appDir_ + kUpdater)) {
        if (launcher(appDir_ + kUpdater, appDir_)) return StartResult::UpdatePending;
    }
    revertVisible = core::fileExists(appDir_ + kPreviousProgram);
    std::error_code ec;
    if (core::fileExists(appDir_ + kLogFile)) fs::remove(appDir_ + kLogFile, ec);

    if (!db_.open(prompter_)) return StartResult::BadDatabase;
    try {
        helpKey = settings_.getInt("HelpKey", 0);
        sounding::checkHaveData(db_, prompter_, progress);
        email = settings_.get("Email", "");
        units = static_cast<int>(settings_.getInt("Units", 0));
        if (units < 0 || units > 2) units = 0;
        speedStatistic = settings_.getInt("ShowWhat", 0) == 1 ? "Mean" : "Average";
        stateOfCharge = settings_.getNumber("StateOfCharge", 75);
        dotSize = settings_.getNumber("DotSize", 100);
        settings_.set("Version", core::kProgramVersionText);
        settings_.set("MinorRev", core::kMinorRevision);
        struct utsname u {};
        settings_.set("WinVer", ::uname(&u) == 0 ? std::string(u.sysname) + " " + u.release : "unknown");
        // The public address needs the data supplier's servers, which this computer does not reach.
        settings_.set("MyIPAddress", "unknown");
        if (db_.db().execAndGet("SELECT count(*) FROM havedata").getInt() == 0)
            sounding::rebuildHaveData(db_, prompter_, progress);
        stations_.load(db_);
        // Library curves published since this folder was made; a table that cannot
        // be read or written now is tried again at the next start.
        try {
            giveLibraryGenerators(db_.db());
        } catch (const std::exception&) {
        }

        long color = settings_.getInt("DataColor", core::kDataColorDefault);
        dataColor = (color > core::kDataColorMax || color < core::kDataColorMin) ? core::kDataColorDefault
                                                                                : static_cast<int>(color);
        powerVisible = settings_.getFlag("PowerVisible", true);
        onPage = settings_.get("OnPage", "Wind") == "Order" ? "Order" : "Wind";
        if (settings_.getInt("ReCalcLevel", 0) != core::kCalcLevel && recalculateAllAnalyses)
            recalculateAllAnalyses(*this);
        if (settings_.getInt("DatesFixed", 0) == 0) rewriteAnalysisDates();
        lastStudy = settings_.getInt("LastStudy", 0);
        lastKey = settings_.getInt("LastKey", helpKey);
        studyVisible = settings_.getFlag("StudyVisible", false);
    } catch (const std::exception& e) {
        prompter_.message(std::string("Bad database\n") + e.what());
        db_.close();
        return StartResult::BadDatabase;
    }
    return StartResult::Ready;
}

void Session::rewriteAnalysisDates() {
    auto& db = db_.db();
    SQLite::Transaction tx(db, SQLite::TransactionBehavior::IMMEDIATE);
    SQLite::Statement rows(db, "SELECT key, selline, fromDate, toDate FROM datapoints");
    SQLite::Statement upd(db, "UPDATE datapoints SET selline = ? WHERE key = ?");
    auto fmtDate = [](const std::string& iso) -> std::string {
        auto d = core::parseIsoDate(iso);
        return d ? core::formatDate(*d, "dd-mmm-yyyy") : iso;
    };
    while (rows.executeStep()) {
        std::string line = core::columnText(rows.getColumn(1));
        auto from = line.find(" from ");
        auto with = line.find(" with ");
        if (from == std::string::npos) continue;
        std::string fixed = line.substr(0, from + 6) + fmtDate(core::columnText(rows.getColumn(2))) + " to " +
                            fmtDate(core::columnText(rows.getColumn(3))) +
                            (with == std::string::npos ? std::string() : line.substr(with));
        upd.reset();
        upd.bind(1, fixed);
        upd.bind(2, rows.getColumn(0).getInt64());
        upd.exec();
    }
    tx.commit();
    settings_.set("DatesFixed", "-1");
}

sounding::Units Session::displayUnits() const {
    return sounding::Units(static_cast<sounding::UnitMode>(units >= 0 && units <= 2 ? units : 0));
}

void Session::setUnits(int index) {
    if (index < 0 || index > 2 || index == units) return;
    units = index;
    settings_.setNumber("Units", index);
    // A listener may add or remove listeners while it is told: tell a copy.
    const auto listeners = unitsListeners_;
    for (const auto& [id, listener] : listeners)
        if (listener) listener();
}

int Session::addUnitsListener(std::function<void()> listener) {
    unitsListeners_.emplace_back(nextUnitsListener_, std::move(listener));
    return nextUnitsListener_++;
}

void Session::removeUnitsListener(int id) {
    std::erase_if(unitsListeners_, [id](const auto& l) { return l.first == id; });
}

void Session::shutDown() {
    db_.close();
}

bool Session::revert() {
    if (!core::fileExists(appDir_ + kPreviousProgram)) {
        prompter_.message("The previous version does not exist on this computer.");
        return false;
    }
    if (const std::string problem = core::tryWriteFileWhole(appDir_ + kUpdateNeeded, "Revert\r\n"); !problem.empty()) {
        prompter_.message(problem);
        return false;
    }
    launcher(appDir_ + kUpdater, appDir_);
    return true;
}

core::MainDatabase::RepairResult Session::repairMainDatabase() {
    using Result = core::MainDatabase::RepairResult;
    if (!lock_.tryHoldAlone()) {
        prompter_.message("The data structure was not repaired: another program is using the program folder '" +
                          appDir_ + "'. Close the other Skyloom windows and commands on this folder and try again.");
        return Result::NotDone;
    }
    const Result result = db_.repair(prompter_);
    lock_.backToShared();
    if (result != Result::NotOpen) stations_.load(db_);
    return result;
}

void Session::reloadStationIndex() { stations_.load(db_); }

void Session::rebuildDataIndex(core::Progress* progress) {
    sounding::rebuildHaveData(db_, prompter_, progress);
    stations_.load(db_);
}

}  // namespace skyloom::session
