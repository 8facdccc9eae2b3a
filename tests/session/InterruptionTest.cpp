// Killing the program at any moment of its work on the folder (a repair, a
// data-index rebuild, an import, the set-up of a folder) must leave every file
// whole and openable, and the next run must be able to finish the work. A child
// process does the work and is killed at varying moments; the parent then
// opens everything.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "core/DatabaseFile.h"
#include "core/Progress.h"
#include "session/ProgramFolder.h"
#include "session/Session.h"
#include "sounding/HaveDataIndex.h"
#include "sounding/SoundingImport.h"
#include "sounding/StationDataFile.h"

using namespace skyloom;
namespace fs = std::filesystem;

namespace {

// Runs work in a child process and kills it after delayUs microseconds (when
// it has not ended by then). True when the kill came before the work ended.
bool runAndKill(const std::function<void()>& work, long delayUs) {
    pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        work();
        ::_exit(0);
    }
    ::usleep(static_cast<useconds_t>(delayUs));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status);
}

// The files of a folder, but for the engine's own journal, which a killed write
// may leave (the next write takes it over).
std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (!name.ends_with("-journal")) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void setUpFolder(const std::string& appDir) {
    core::SilentPrompter quiet;
    core::NullProgress progress;
    ASSERT_TRUE(session::initProgramFolder(appDir, quiet, progress));
}

void makeDataFiles(const std::string& appDir, int n) {
    for (int i = 0; i < n; ++i) {
        long wmo = 10000 + i;
        const std::string path = appDir + "data/" + std::to_string(wmo) + ".dat";
        sounding::StationDataFile::createEmpty(path);
        SQLite::Database db = core::openGuardedDatabase(path, false);
        db.exec("INSERT INTO stations (wmo) VALUES (" + std::to_string(wmo) + ")");
        db.exec("INSERT INTO HaveData (wmo, FromDate, ToDate, NumSoundings) VALUES (" + std::to_string(wmo) +
                ", '2000-01-01', '2000-12-31', 700)");
    }
}

std::map<std::string, long long> rowCounts(SQLite::Database& db) {
    std::map<std::string, long long> counts;
    SQLite::Statement t(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'");
    while (t.executeStep()) {
        const std::string name = t.getColumn(0).getString();
        counts[name] = db.execAndGet("SELECT count(*) FROM \"" + name + "\"").getInt64();
    }
    return counts;
}

// A program folder with 8 station data files, and work run on it in a child killed again and again.
template <class Work>
void killRepeatedly(Work work) {
    test::TempFolder tmp;
    const std::string appDir = tmp.dir();
    setUpFolder(appDir);
    makeDataFiles(appDir, 8);
    std::map<std::string, long long> rows;
    {
        core::SilentPrompter quiet;
        session::Session s(appDir, quiet);
        ASSERT_EQ(s.startUp(), session::Session::StartResult::Ready);
        rows = rowCounts(s.mainDb().db());
    }
    const auto files = namesIn(tmp.path());
    for (int round = 0; round < 12; ++round) {
        const bool killed = runAndKill(
            [&] {
                core::SilentPrompter quiet;
                session::Session s(appDir, quiet);
                if (s.startUp() != session::Session::StartResult::Ready) ::_exit(3);
                for (;;) work(s);
            },
            20000 + round * 17000);
        ASSERT_TRUE(killed) << "round " << round << " child ended on its own";
        // Everything opens, with every row, and nothing a killed run left stays.
        test::ScriptedPrompter p;
        session::Session check(appDir, p);
        ASSERT_EQ(check.startUp(), session::Session::StartResult::Ready) << "round " << round;
        EXPECT_EQ(rowCounts(check.mainDb().db()), rows) << "round " << round;
        EXPECT_EQ(check.mainDb().db().execAndGet("PRAGMA integrity_check").getString(), "ok");
        for (const auto& f : sounding::listDataFiles(appDir))
            EXPECT_TRUE(sounding::StationDataFile::open(appDir + "data/" + f, true, p)) << f;
        EXPECT_EQ(namesIn(tmp.path()), files) << "round " << round;
        EXPECT_TRUE(p.messages.empty());
    }
}

const std::vector<std::pair<long, std::string>> kSamples = {
    {72518, "fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl"},
    {72606, "fsl/ncdc-cdrom_PWM_72606_1990_ms_32767.fsl"},
    {74494, "fsl/ncdc-cdrom_CHH_74494_1990_ms_32767.fsl"},
};

long long soundingsIn(const std::string& path) {
    SQLite::Database db = core::openGuardedDatabase(path, false);
    EXPECT_EQ(db.execAndGet("PRAGMA integrity_check").getString(), "ok") << path;
    return db.execAndGet("SELECT count(*) FROM soundings").getInt64();
}

void importSamples(session::Session& s, core::Prompter& prompter) {
    sounding::FixedReviewDecider accept(true);
    sounding::ImportOptions opt;
    opt.decider = &accept;
    opt.mainDb = &s.mainDb();
    for (const auto& [wmo, file] : kSamples)
        sounding::importFile(s.appDir(), test::sample(file).string(), opt, prompter, wmo);
}

}  // namespace

TEST(Interruption, killedRepairLeavesTheMainDatabaseWholeWithEveryRow) {
    killRepeatedly([](session::Session& s) { s.repairMainDatabase(); });
}

TEST(Interruption, killedIndexRebuildLeavesTheIndexWhole) {
    killRepeatedly([](session::Session& s) { s.rebuildDataIndex(); });
}

TEST(Interruption, killedImportStoresAFileWholeOrNotAtAllAndTheNextImportCompletesIt) {
    test::TempFolder reference;
    setUpFolder(reference.dir());
    std::map<long, long long> complete;
    {
        core::SilentPrompter quiet;
        session::Session s(reference.dir(), quiet);
        ASSERT_EQ(s.startUp(), session::Session::StartResult::Ready);
        importSamples(s, quiet);
        for (const auto& [wmo, file] : kSamples)
            complete[wmo] = soundingsIn(reference.dir() + "data/" + std::to_string(wmo) + ".dat");
    }
    std::mt19937 random(15);
    for (int round = 0; round < 10; ++round) {
        test::TempFolder tmp;
        const std::string appDir = tmp.dir();
        setUpFolder(appDir);
        runAndKill(
            [&] {
                core::SilentPrompter quiet;
                session::Session s(appDir, quiet);
                if (s.startUp() != session::Session::StartResult::Ready) ::_exit(3);
                importSamples(s, quiet);
            },
            std::uniform_int_distribution<long>(5000, 900000)(random));
        test::ScriptedPrompter p;
        session::Session check(appDir, p);
        ASSERT_EQ(check.startUp(), session::Session::StartResult::Ready) << "round " << round;
        for (const auto& [wmo, file] : kSamples) {
            const std::string path = appDir + "data/" + std::to_string(wmo) + ".dat";
            if (!core::fileExists(path)) continue;
            const long long n = soundingsIn(path);
            EXPECT_TRUE(n == 0 || n == complete[wmo]) << "round " << round << " station " << wmo << ": " << n;
        }
        core::SilentPrompter quiet;
        importSamples(check, quiet);
        for (const auto& [wmo, file] : kSamples) {
            const std::string path = appDir + "data/" + std::to_string(wmo) + ".dat";
            EXPECT_EQ(soundingsIn(path), complete[wmo]) << "round " << round << " station " << wmo;
            SQLite::Statement h(check.mainDb().db(), "SELECT NumSoundings FROM havedata WHERE wmo = ?");
            h.bind(1, static_cast<std::int64_t>(wmo));
            ASSERT_TRUE(h.executeStep());
            EXPECT_EQ(h.getColumn(0).getInt64(), complete[wmo]);
        }
    }
}

TEST(Interruption, killedInitIsFinishedByTheNextInit) {
    std::mt19937 random(5);
    // The kills fall anywhere in the time a whole init takes on this machine.
    long wholeUs = 0;
    {
        test::TempFolder tmp;
        core::SilentPrompter quiet;
        core::NullProgress progress;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(session::initProgramFolder(tmp.dir(), quiet, progress), session::InitResult::SetUp);
        wholeUs = static_cast<long>(
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count());
    }
    int killed = 0;
    for (int round = 0; round < 14; ++round) {
        test::TempFolder tmp;
        const std::string appDir = tmp.dir();
        killed += runAndKill(
            [&] {
                core::SilentPrompter quiet;
                core::NullProgress progress;
                session::initProgramFolder(appDir, quiet, progress);
            },
            std::uniform_int_distribution<long>(1000, std::max(2000L, wholeUs))(random));
        test::ScriptedPrompter p;
        core::NullProgress progress;
        const auto again = session::initProgramFolder(appDir, p, progress);
        ASSERT_NE(again, session::InitResult::Failed) << "round " << round << ": " << p.lastMessage();
        EXPECT_EQ(namesIn(tmp.path()), (std::vector<std::string>{"Skyloom.dat", "Skyloom.lock", "data", "empty.dat", "supplier"}))
            << "round " << round;
        EXPECT_EQ(sounding::StationDataFile::emptyFileProblem(appDir + "empty.dat"), "");
        session::Session s(appDir, p);
        ASSERT_EQ(s.startUp(), session::Session::StartResult::Ready) << "round " << round;
        EXPECT_GT(s.stations().stations().size(), 150u);
        EXPECT_GT(s.mainDb().db().execAndGet("SELECT count(*) FROM generators").getInt(), 0);
    }
    EXPECT_GT(killed, 3);
}
