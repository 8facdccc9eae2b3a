// Killing the program in the middle of a repair or a data-index rebuild must
// leave every file openable. A child process does the work in a loop and is
// killed at varying moments; the parent then opens everything.
#include <gtest/gtest.h>

#include <csignal>
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
#include "sounding/StationDataFile.h"

using namespace skyloom;

namespace {

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

// A new program folder with 8 station data files, and work run on it in a child killed again and again.
template <class Work>
void killRepeatedly(Work work) {
    test::TempFolder tmp;
    const std::string appDir = tmp.dir();
    {
        core::SilentPrompter quiet;
        core::NullProgress progress;
        ASSERT_TRUE(session::initProgramFolder(appDir, quiet, progress));
        makeDataFiles(appDir, 8);
    }
    for (int round = 0; round < 12; ++round) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            core::SilentPrompter quiet;
            session::Session s(appDir, quiet);
            if (s.startUp() != session::Session::StartResult::Ready) ::_exit(3);
            for (;;) work(s);
        }
        ::usleep(static_cast<useconds_t>(20000 + round * 17000));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round << " child ended on its own: " << status;
        // Everything opens, and the index is whole.
        test::ScriptedPrompter p;
        session::Session check(appDir, p);
        ASSERT_EQ(check.startUp(), session::Session::StartResult::Ready) << "round " << round;
        EXPECT_EQ(check.mainDb().db().execAndGet("SELECT count(*) FROM havedata").getInt(), 8) << "round " << round;
        for (const auto& f : sounding::listDataFiles(appDir))
            EXPECT_TRUE(sounding::StationDataFile::open(appDir + "data/" + f, true, p)) << f;
        EXPECT_TRUE(p.messages.empty());
    }
}

}  // namespace

TEST(Interruption, killedRepairLeavesTheMainDatabaseOpenable) {
    killRepeatedly([](session::Session& s) { s.repairMainDatabase(); });
}

TEST(Interruption, killedIndexRebuildLeavesTheIndexWhole) {
    killRepeatedly([](session::Session& s) { s.rebuildDataIndex(); });
}
