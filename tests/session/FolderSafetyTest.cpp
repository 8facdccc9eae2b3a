// The program folder under faults and races: several runs on one folder, a
// damaged or half-made folder, a disk that fills up.
#include <cstdio>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include "AnalysisCommandsFake.h"
#include "DiskFull.h"
#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "core/DatabaseFile.h"
#include "core/FolderLock.h"
#include "core/Progress.h"
#include "session/ProgramFolder.h"
#include "session/Session.h"
#include "sounding/SoundingImport.h"
#include "sounding/StationDataFile.h"

using namespace skyloom;
namespace fs = std::filesystem;
using Start = session::Session::StartResult;
using Repair = core::MainDatabase::RepairResult;

namespace {

// Sets how long databases wait for a lock for one test.
class BusyTimeout {
public:
    explicit BusyTimeout(int ms) : old_(core::busyTimeout()) { core::setBusyTimeout(ms); }
    ~BusyTimeout() { core::setBusyTimeout(old_); }
private:
    int old_;
};

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

long long count(session::Session& s, const std::string& table) {
    return s.mainDb().db().execAndGet("SELECT count(*) FROM " + table).getInt64();
}

bool hasAnalysis(session::Session& s, long long key) {
    SQLite::Statement q(s.mainDb().db(), "SELECT count(*) FROM datapoints WHERE key = ?");
    q.bind(1, static_cast<std::int64_t>(key));
    return q.executeStep() && q.getColumn(0).getInt64() == 1;
}

// A child process that saves analyses as fast as it can; it writes the ID of
// each save the moment it was told it is saved, and the reason when one failed.
pid_t startSaver(const std::string& appDir, int who, int saves, const std::string& out) {
    pid_t pid = ::fork();
    if (pid != 0) return pid;
    int code = 0;
    std::ofstream ids(out);
    try {
        core::SilentPrompter quiet;
        session::Session s(appDir, quiet);
        if (s.startUp() != Start::Ready) ::_exit(3);
        test::FakeLiveAnalysis live;
        session::AnalysisCommands commands(s, live);
        live.commands = &commands;
        for (int i = 0; i < saves; ++i) {
            live.next = test::sampleRecord(72493, 1000 * who + i);
            live.next.siteName = "Saver " + std::to_string(who) + " site " + std::to_string(i);
            ids << commands.saveCurrentAnalysis() << std::endl;
        }
    } catch (const std::exception& e) {
        ids << "failed: " << e.what() << std::endl;
        code = 1;
    }
    ids.close();
    ::_exit(code);
}

}  // namespace

class FolderSafety : public ::testing::Test {
protected:
    void SetUp() override {
        core::NullProgress progress;
        ASSERT_TRUE(session::initProgramFolder(dir, p, progress));
        p.messages.clear();
    }
    std::unique_ptr<session::Session> start(test::ScriptedPrompter& prompter) {
        auto s = std::make_unique<session::Session>(dir, prompter);
        EXPECT_EQ(s->startUp(), Start::Ready) << prompter.lastMessage();
        return s;
    }

    test::TempFolder tmp;
    const std::string dir = tmp.dir();
    test::ScriptedPrompter p;
};

TEST_F(FolderSafety, repairIsRefusedWhileAnotherRunHoldsTheFolder) {
    test::ScriptedPrompter otherPrompter;
    auto other = start(otherPrompter);
    auto s = start(p);
    const std::string before = test::readFile(dir + "Skyloom.dat");
    EXPECT_EQ(s->repairMainDatabase(), Repair::NotDone);
    EXPECT_EQ(p.lastMessage(), "The data structure was not repaired: another program is using the program folder '" +
                                   dir + "'. Close the other Skyloom windows and commands on this folder and try again.");
    EXPECT_EQ(test::readFile(dir + "Skyloom.dat"), before);
    // The refusal leaves both runs working.
    other->settings().set("Other", "still saves");
    s->settings().set("This", "too");
    other.reset();
    p.messages.clear();
    EXPECT_EQ(s->repairMainDatabase(), Repair::Done);
    EXPECT_TRUE(p.messages.empty());
    EXPECT_EQ(s->settings().get("Other", ""), "still saves");
}

TEST_F(FolderSafety, aStartWaitsForAFolderHeldAloneAndThenSaysSo) {
    BusyTimeout shortWait(100);
    core::FolderLock compacting(dir);
    ASSERT_TRUE(compacting.tryHoldAlone());
    session::Session s(dir, p);
    EXPECT_EQ(s.startUp(), Start::FolderInUse);
    EXPECT_EQ(p.lastMessage(), session::folderInUseText(dir));
    EXPECT_NE(p.lastMessage().find("'" + dir + "'"), std::string::npos);
    EXPECT_FALSE(s.databaseOpen());
    compacting.backToShared();
    EXPECT_EQ(s.startUp(), Start::Ready);
}

TEST_F(FolderSafety, aStartPutsBackAnInterruptedCompactionBeforeTheDatabaseIsLookedFor) {
    fs::rename(dir + "Skyloom.dat", dir + "Skyloom.datx");
    test::writeFile(dir + "Skyloom.dat.compacting-Xy12ab", "part of a compacted copy");
    auto s = std::make_unique<session::Session>(dir, p);
    ASSERT_TRUE(s->holdFolder());
    EXPECT_TRUE(core::fileExists(dir + "Skyloom.dat"));
    EXPECT_FALSE(core::fileExists(dir + "Skyloom.datx"));
    EXPECT_FALSE(core::fileExists(dir + "Skyloom.dat.compacting-Xy12ab"));
    EXPECT_EQ(s->startUp(), Start::Ready);
    // init finds the folder set up, so it never makes a fresh database beside a backup.
    s.reset();
    fs::rename(dir + "Skyloom.dat", dir + "Skyloom.datx");
    core::NullProgress progress;
    EXPECT_EQ(session::initProgramFolder(dir, p, progress), session::InitResult::AlreadySetUp);
    EXPECT_FALSE(core::fileExists(dir + "Skyloom.datx"));
    auto again = start(p);
    EXPECT_GT(count(*again, "stations"), 150);
}

TEST_F(FolderSafety, twoProcessesSavingAnalysesAtOnceBothSaveEveryOne) {
    constexpr int kSaves = 120;
    const std::string outA = dir + "a.ids", outB = dir + "b.ids";
    const pid_t a = startSaver(dir, 1, kSaves, outA);
    const pid_t b = startSaver(dir, 2, kSaves, outB);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    int statusA = 0, statusB = 0;
    ::waitpid(a, &statusA, 0);
    ::waitpid(b, &statusB, 0);
    auto s = start(p);
    for (const auto& [status, out] : {std::pair{statusA, outA}, std::pair{statusB, outB}}) {
        std::ifstream in(out);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        ASSERT_TRUE(WIFEXITED(status)) << out;
        EXPECT_EQ(WEXITSTATUS(status), 0) << (lines.empty() ? std::string() : lines.back());
        EXPECT_EQ(lines.size(), static_cast<std::size_t>(kSaves));
        // Every ID a saver was given names a stored analysis.
        for (const auto& line : lines) {
            if (line.rfind("failed", 0) == 0) continue;
            ASSERT_TRUE(hasAnalysis(*s, std::stoll(line))) << line;
        }
    }
    EXPECT_EQ(count(*s, "datapoints"), 2 * kSaves);
}

TEST_F(FolderSafety, initWritesEveryFileWholeAndLeavesNothingBeside) {
    EXPECT_EQ(namesIn(tmp.path()), (std::vector<std::string>{"Skyloom.dat", "Skyloom.lock", "data", "empty.dat", "supplier"}));
    EXPECT_EQ(sounding::StationDataFile::emptyFileProblem(dir + "empty.dat"), "");
}

TEST_F(FolderSafety, initChecksWhatItFindsAndNeverTakesADamagedFileAsItIs) {
    core::NullProgress progress;
    const std::string empty = dir + "empty.dat";
    const std::string whole = test::readFile(empty);
    // Cut short by a kill, or holding a station's soundings: made again.
    for (const std::string& damaged : {whole.substr(0, 2000), std::string()}) {
        test::writeFile(empty, damaged);
        p.messages.clear();
        EXPECT_EQ(session::initProgramFolder(dir, p, progress), session::InitResult::AlreadySetUp);
        ASSERT_EQ(p.messages.size(), 2u);
        EXPECT_EQ(p.messages[0].rfind("The file '" + empty + "' was damaged (", 0), 0u) << p.messages[0];
        EXPECT_EQ(p.messages[1], "The program folder '" + dir + "' is already set up; only 'empty.dat' was made again.");
        EXPECT_EQ(sounding::StationDataFile::emptyFileProblem(empty), "");
    }
    {
        SQLite::Database db = core::openGuardedDatabase(empty, false);
        db.exec("INSERT INTO soundings (Hrs, stationwmo, Date, Time) VALUES (1, 72518, '1990-01-01', '00:00:00')");
    }
    EXPECT_EQ(sounding::StationDataFile::emptyFileProblem(empty), "it is not empty (its table 'soundings' holds rows)");
    EXPECT_EQ(session::initProgramFolder(dir, p, progress), session::InitResult::AlreadySetUp);
    EXPECT_EQ(sounding::StationDataFile::emptyFileProblem(empty), "");

    // A damaged main database is reported and left for the user to decide.
    const std::string main = dir + "Skyloom.dat";
    const std::string cut = test::readFile(main).substr(0, 5000);
    test::writeFile(main, cut);
    p.messages.clear();
    EXPECT_EQ(session::initProgramFolder(dir, p, progress), session::InitResult::Failed);
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].rfind("The main database '" + main + "' is damaged: ", 0), 0u) << p.messages[0];
    EXPECT_NE(p.messages[0].find("Nothing was changed"), std::string::npos);
    EXPECT_EQ(test::readFile(main), cut);
}

TEST_F(FolderSafety, initIsRefusedWhileAnotherRunHoldsTheFolder) {
    test::TempFolder other;
    core::FolderLock running(other.dir());
    ASSERT_TRUE(running.holdShared(0));
    core::NullProgress progress;
    EXPECT_EQ(session::initProgramFolder(other.dir(), p, progress), session::InitResult::Failed);
    EXPECT_EQ(p.lastMessage(), "Another program is using the program folder '" + other.dir() +
                                   "', so it was not set up. Close it and try again.");
    EXPECT_FALSE(core::fileExists(other.dir() + "Skyloom.dat"));
}

TEST_F(FolderSafety, aDiskThatFillsDuringInitNeverLeavesAFolderThatLooksSetUp) {
    core::NullProgress progress;
    int failures = 0;
    for (long n = 1;; n += 1 + n / 2) {
        test::TempFolder fresh;
        core::SilentPrompter quiet;
        session::InitResult result = session::InitResult::Failed;
        {
            test::DiskFillsAt full(n);
            result = session::initProgramFolder(fresh.dir(), quiet, progress);
        }
        if (result == session::InitResult::SetUp) break;
        ++failures;
        ASSERT_EQ(result, session::InitResult::Failed) << "write " << n;
        ASSERT_FALSE(quiet.messages().empty());
        EXPECT_FALSE(core::fileExists(fresh.dir() + "Skyloom.dat")) << "write " << n;
        // The next init, with room on the disk, finishes the folder.
        ASSERT_TRUE(session::initProgramFolder(fresh.dir(), quiet, progress)) << "write " << n;
        EXPECT_EQ(namesIn(fresh.path()), (std::vector<std::string>{"Skyloom.dat", "Skyloom.lock", "data", "empty.dat", "supplier"}));
        ASSERT_LT(n, 1000000);
    }
    EXPECT_GT(failures, 5);
}

TEST_F(FolderSafety, anImportThatCannotMakeTheStationFileSaysWhichFileAndWhy) {
    test::writeFile(dir + "empty.dat", "half an empty.dat");
    auto s = start(p);
    sounding::ImportOptions opt;
    opt.mainDb = &s->mainDb();
    const auto r = sounding::importFile(dir, test::sample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl").string(), opt,
                                        p, 72518);
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.report.rfind("The station data file '" + dir + "data/72518.dat' could not be made: '" + dir +
                                 "empty.dat' is damaged (",
                             0),
              0u)
        << r.report;
    EXPECT_NE(r.report.find("Run init on the program folder to make it again."), std::string::npos);
    EXPECT_EQ(p.lastMessage(), r.report);
    EXPECT_FALSE(core::fileExists(dir + "data/72518.dat"));
}

// "empty.dat" is checked once while it stays as it was; damaged afterwards (in
// place, its length kept), the next new station's file is refused all the same.
TEST_F(FolderSafety, anEmptyFileDamagedAfterAnImportIsFoundAtTheNextNewStation) {
    auto s = start(p);
    sounding::ImportOptions opt;
    opt.mainDb = &s->mainDb();
    sounding::FixedReviewDecider accept(true);
    opt.decider = &accept;
    const auto first =
        sounding::importFile(dir, test::sample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl").string(), opt, p, 72518);
    ASSERT_FALSE(first.failed) << first.report;
    std::string bytes = test::readFile(dir + "empty.dat");
    for (std::size_t i = 100; i < 400; ++i) bytes[i] = 'x';
    {
        std::FILE* f = std::fopen((dir + "empty.dat").c_str(), "r+b");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    const auto second =
        sounding::importFile(dir, test::sample("fsl/ncdc-cdrom_PWM_72606_1990_ms_32767.fsl").string(), opt, p, 72606);
    EXPECT_TRUE(second.failed);
    EXPECT_NE(second.report.find("empty.dat' is damaged ("), std::string::npos) << second.report;
    EXPECT_FALSE(core::fileExists(dir + "data/72606.dat"));
}

TEST_F(FolderSafety, aDiskThatFillsDuringAnImportLeavesEveryFileWholeAndSaysWhatFailed) {
    auto s = start(p);
    const std::string sample = test::sample("fsl/ncdc-cdrom_PWM_72606_1990_ms_32767.fsl").string();
    const std::string station = dir + "data/72606.dat";
    sounding::ImportOptions opt;
    opt.mainDb = &s->mainDb();
    sounding::FixedReviewDecider accept(true);
    opt.decider = &accept;
    auto soundingsStored = [&] {
        SQLite::Database db = core::openGuardedDatabase(station, false);
        EXPECT_EQ(db.execAndGet("PRAGMA integrity_check").getString(), "ok");
        return db.execAndGet("SELECT count(*) FROM soundings").getInt64();
    };
    int failures = 0;
    for (long n = 1;; n += 1 + n / 3) {
        core::SilentPrompter quiet;
        sounding::ImportResult r;
        try {
            test::DiskFillsAt full(n);
            r = sounding::importFile(dir, sample, opt, quiet, 72606);
        } catch (const std::runtime_error& e) {
            // Stored, but the index in the main database could not follow: it says so.
            EXPECT_EQ(std::string(e.what()).rfind("The soundings were stored in '" + station + "', but the index", 0),
                      0u) << e.what();
            EXPECT_GT(soundingsStored(), 600);
            ++failures;
            continue;
        }
        if (!r.failed) break;
        ++failures;
        // The copy of "empty.dat" says what failed in its own words first.
        ASSERT_FALSE(quiet.messages().empty()) << "write " << n;
        EXPECT_LE(quiet.messages().size(), 2u) << "write " << n;
        EXPECT_EQ(quiet.messages().back(), r.report);
        EXPECT_NE(r.report.find(station), std::string::npos) << r.report;
        if (core::fileExists(station)) {
            EXPECT_EQ(soundingsStored(), 0) << "write " << n;
        }
        ASSERT_LT(n, 1000000);
    }
    EXPECT_GT(failures, 3);
    const long long stored = soundingsStored();
    EXPECT_GT(stored, 600);
    EXPECT_EQ(s->mainDb().db().execAndGet("PRAGMA integrity_check").getString(), "ok");
    EXPECT_EQ(count(*s, "havedata WHERE wmo = 72606 AND NumSoundings = " + std::to_string(stored)), 1);
}
