// skyloom-cli as a script runs it: no terminal, standard input at its end
// unless a test gives it lines; exit codes and the one-line reasons.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "../sounding/ImportTestText.h"
#include "TempFolder.h"
#include "ZipFile.h"
#include "core/DatabaseFile.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "power/GeneratorStore.h"
#include "session/ProgramFolder.h"

using namespace skyloom;

namespace {

struct CliRun {
    int code = -1;
    std::string out, err;
};

std::string quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs the tool with args; standard input from the file `input` (none: /dev/null).
CliRun cli(const std::vector<std::string>& args, const test::TempFolder& scratch, const std::string& input = {}) {
    std::string cmd = quoted(SKYLOOM_CLI);
    for (const auto& a : args) cmd += " " + quoted(a);
    const auto out = scratch / "cli.out";
    const auto err = scratch / "cli.err";
    cmd += " < " + quoted(input.empty() ? "/dev/null" : input) + " > " + quoted(out.string()) + " 2> " +
           quoted(err.string());
    const int status = std::system(cmd.c_str());
    CliRun r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = test::readFile(out);
    r.err = test::readFile(err);
    return r;
}

bool contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

// A program folder set up as `init` sets one up (without the demo soundings).
class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        core::SilentPrompter quiet;
        core::NullProgress progress;
        ASSERT_TRUE(session::initProgramFolder(folder.dir(), quiet, progress));
    }
    CliRun run(std::vector<std::string> args, const std::string& input = {}) {
        args.push_back("--folder");
        args.push_back(folder.dir());
        return cli(args, scratch, input);
    }
    SQLite::Database db() { return core::openGuardedDatabase(folder.dir() + "Skyloom.dat", false); }
    std::int64_t count(const std::string& sql) { return db().execAndGet(sql).getInt64(); }
    std::string setting(const std::string& name) {
        SQLite::Database d = db();
        SQLite::Statement q(d, "SELECT Link FROM urls WHERE Name = ?");
        q.bind(1, name);
        return q.executeStep() ? q.getColumn(0).getString() : std::string();
    }
    const std::string albanyFile = test::sample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl").string();

    test::TempFolder folder, scratch;
};

}  // namespace

TEST_F(CommandLineTest, withoutATerminalAnImportStopsBeforeASoundingThatNeedsReview) {
    // Ezeiza text: a good sounding, two that need review, a good one.
    constexpr long kEzeiza = 87576;
    const std::string file = (scratch / "87576 review.txt").string();
    test::writeFile(file, test::goodSounding(4, kEzeiza) + test::soundingNeedingReview(5, kEzeiza) +
                              test::soundingNeedingReview(6, kEzeiza) + test::goodSounding(7, kEzeiza));
    auto ezeiza = [this](const std::string& sql) {
        return core::openGuardedDatabase(folder.dir() + "data/87576.dat", false).execAndGet(sql).getInt64();
    };
    const std::string reviewed = "SELECT count(*) FROM deleted WHERE Reason LIKE '% User reviewed and deleted it.'";

    CliRun r = run({"import", file});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.err, "skyloom-cli: 87576 review.txt: the import stopped because the sounding of 2019-01-05 00:00:00 "
                     "needs review and there is no terminal to ask on; the soundings before it are stored. Choose "
                     "with --review=accept or --review=reject.\n");
    EXPECT_EQ(ezeiza("SELECT count(*) FROM soundings"), 1);
    EXPECT_EQ(ezeiza("SELECT count(*) FROM deleted"), 0);

    // Asked with its input at its end: the same, nothing decided for anyone.
    r = run({"import", file, "--review=ask"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(contains(r.err, "2019-01-05 00:00:00 needs review and was neither accepted nor deleted")) << r.err;
    EXPECT_EQ(ezeiza("SELECT count(*) FROM soundings"), 1);
    EXPECT_EQ(ezeiza("SELECT count(*) FROM deleted"), 0);

    // A script that answers: its "n" is a decision; at the end of its lines the import stops.
    test::writeFile(scratch / "answers", "n\n");
    r = run({"import", file, "--review=ask"}, (scratch / "answers").string());
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(contains(r.err, "2019-01-06 00:00:00 needs review and was neither accepted nor deleted")) << r.err;
    EXPECT_EQ(ezeiza(reviewed), 1);

    // Chosen on the command line: the rest of the file, a rejection marked as nobody's review.
    r = run({"import", file, "--review=reject"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ezeiza("SELECT count(*) FROM soundings"), 2);
    EXPECT_EQ(ezeiza(reviewed), 1);
    EXPECT_EQ(ezeiza("SELECT count(*) FROM deleted WHERE Reason LIKE '% Deleted without review%'"), 1);
}

TEST_F(CommandLineTest, recalculateAllRecomputesEveryAnalysisOrSaysHowManyFailed) {
    ASSERT_EQ(run({"import", albanyFile, "--wmo", "72518", "--review=accept"}).code, 0);
    std::string generator;
    {
        SQLite::Database d = db();
        generator = power::GeneratorStore(d).first()->name;
    }
    for (const char* height : {"100f", "300f"}) {
        const CliRun r = run({"analyse", "72518", "--whole-range", "--generator", generator, "--height", height});
        ASSERT_EQ(r.code, 0) << r.err;
        ASSERT_TRUE(contains(r.out, "Analysis ID")) << r.out;
    }
    ASSERT_EQ(count("SELECT count(*) FROM datapoints"), 2);
    const std::int64_t potKW = count("SELECT round(PotkW * 1000) FROM datapoints ORDER BY key LIMIT 1");
    auto makeStale = [this] {
        SQLite::Database d = db();
        d.exec("UPDATE datapoints SET PotkW = -1");
        d.exec("UPDATE urls SET Link = '6' WHERE Name = 'ReCalcLevel'");
    };
    makeStale();
    CliRun r = run({"recalculate-all", "--yes"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "Recalculated 2 of 2 analyses; calculation level 7 stored")) << r.out;
    EXPECT_EQ(count("SELECT count(*) FROM datapoints WHERE PotkW = -1"), 0);
    EXPECT_EQ(count("SELECT round(PotkW * 1000) FROM datapoints ORDER BY key LIMIT 1"), potKW);
    EXPECT_EQ(setting("ReCalcLevel"), "7");

    makeStale();
    db().exec("UPDATE datapoints SET wmo = 99999 WHERE key = (SELECT max(key) FROM datapoints)");
    r = run({"recalculate-all", "--yes"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(contains(r.err, "1 of 2 analyses could not be recalculated; the calculation level was not stored"))
        << r.err;
    EXPECT_TRUE(contains(r.out, "1 of 2 analyses could not be recalculated (Analysis ID 000002)")) << r.out;
    EXPECT_EQ(setting("ReCalcLevel"), "6");
    EXPECT_EQ(count("SELECT count(*) FROM datapoints WHERE PotkW = -1"), 1);
}

TEST_F(CommandLineTest, badGeneratorAndStationFilesAreRefusedWithAReason) {
    CliRun r = run({"generator", "import", scratch.dir()});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(contains(r.out, "is a folder, not a generator text file.")) << r.out << r.err;
    EXPECT_FALSE(contains(r.out + r.err, "basic_filebuf"));
    test::writeFile(scratch / "huge.txt", "Generator Name = Huge\r\nHub Height (feet agl) = 1e999\r\n");
    r = run({"generator", "import", (scratch / "huge.txt").string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(contains(r.out, "line 2 (\"Hub Height (feet agl) = 1e999\"): not a number that can be stored"))
        << r.out;

    const std::int64_t stations = count("SELECT count(*) FROM stations");
    test::writeFile(scratch / "empty.txt", "");
    r = run({"import-stations", (scratch / "empty.txt").string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(contains(r.out, "is empty; the station list was left as it was.")) << r.out;
    EXPECT_EQ(count("SELECT count(*) FROM stations"), stations);
}

TEST(CommandLine, everyCommandTakesTheFolderAfterItsSubcommand) {
    test::TempFolder scratch;
    const std::string missing = (scratch / "no folder").string();
    const std::string file = test::sample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl").string();
    const std::vector<std::vector<std::string>> commands = {
        {"stations"}, {"summary", "72518"}, {"import", file}, {"analyse", "72518"}, {"generators"},
        {"generator", "export", "X"}, {"generator", "import", file}, {"analyses"}, {"recall", "1"},
        {"recalculate-all"}, {"studies"}, {"study", "new", "N"}, {"study", "rename", "1", "N"},
        {"study", "copy", "1", "N"}, {"study", "delete", "1"}, {"study", "add", "1", "2"}, {"export-csv"},
        {"order", "list"}, {"order", "add", "72518"}, {"order", "years", "72518", "1994"}, {"order", "clear"},
        {"order", "quote"}, {"install-data"}, {"check-updates"}, {"rebuild-index"}, {"repair"},
        {"import-stations", file}, {"demo-data"}, {"default-station"}, {"resource", "72518"},
    };
    std::set<std::string> named;
    for (auto args : commands) {
        named.insert(args[0] + (args.size() > 1 && (args[0] == "order" || args[0] == "study" || args[0] == "generator")
                                    ? " " + args[1]
                                    : ""));
        args.push_back("--folder");
        args.push_back(missing);
        const CliRun r = cli(args, scratch);
        EXPECT_EQ(r.code, 1) << args[0] << " " << args[1 % args.size()] << ": " << r.err;
        EXPECT_TRUE(contains(r.err, "no program folder at '" + missing + "/'")) << args[0] << ": " << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(missing));

    // Every command the tool lists is among those above (init makes the folder).
    auto listed = [&scratch](const std::vector<std::string>& args) {
        std::istringstream help(cli(args, scratch).out);
        std::vector<std::string> names;
        bool inList = false;
        for (std::string line; std::getline(help, line);) {
            if (line.rfind("Subcommands:", 0) == 0) inList = true;
            else if (inList && line.size() > 2 && line[0] == ' ')
                names.push_back(line.substr(2, line.find(' ', 2) - 2));
        }
        return names;
    };
    for (const std::string& name : listed({"--help"})) {
        if (name == "init") continue;
        if (name == "order" || name == "study" || name == "generator") {
            for (const std::string& sub : listed({name, "--help"}))
                EXPECT_TRUE(named.count(name + " " + sub)) << name << " " << sub;
        } else {
            EXPECT_TRUE(named.count(name)) << name;
        }
    }
    const CliRun init = cli({"init", "--folder", missing}, scratch);
    EXPECT_EQ(init.code, 0) << init.err;
    EXPECT_TRUE(std::filesystem::exists(missing + "/Skyloom.dat"));
}

TEST_F(CommandLineTest, generatorsListTheTurbineLibraryWithItsFacts) {
    CliRun r = run({"generators"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "76 generators (speeds in knots)\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "Northern Power NPS 100C-21 (100 kW)")) << r.out;
    EXPECT_TRUE(contains(r.out, "20.7  distributed  theoretical  supplied\n")) << r.out;
    EXPECT_FALSE(contains(r.out, "\nNorthern Power 100 ")) << "a hand-typed curve in a new folder";
    r = run({"generators", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "\"source\": \"data/turbines/data/Distributed/NPS100C-21_100kW_20.7.csv\"")) << r.out;
    EXPECT_TRUE(contains(r.out, "\"rotorDiameterMetres\": 126,")) << r.out;
}

TEST_F(CommandLineTest, fullCurveRunsTheLibrarysPublishedCurveBesideTheTenPoints) {
    ASSERT_EQ(run({"import", albanyFile, "--wmo", "72518", "--review=accept"}).code, 0);
    const std::string nps = "Northern Power NPS 100C-21 (100 kW)";
    CliRun r = run({"analyse", "72518", "--generator", nps, "--height", "37m", "--full-curve", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "\"PotCF\": ")) << r.out;
    EXPECT_TRUE(contains(r.out, "\"fullCurve\": {")) << r.out;
    EXPECT_TRUE(contains(r.out, "\"tenPointDifferencePercent\": ")) << r.out;
    r = run({"analyse", "72518", "--full-curve"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "skyloom-cli: --full-curve needs --generator\n");
    // The user's own curve has no published full curve to run.
    ASSERT_EQ(run({"generator", "export", nps, (scratch / "nps.txt").string()}).code, 0);
    ASSERT_EQ(run({"generator", "import", (scratch / "nps.txt").string(), "--name", "Mine"}).code, 0);
    r = run({"analyse", "72518", "--generator", "Mine", "--full-curve"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "skyloom-cli: 'Mine' has no published full curve; only the supplied library curves have one\n");
}

TEST(CommandLine, initOpensOnRealStationsBesideTheDemoOnesAndTheWorldsNetwork) {
    test::TempFolder scratch;
    const std::string dir = (scratch / "new").string();
    CliRun r = cli({"init", "--folder", dir}, scratch);
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_TRUE(contains(r.out, "ncdc-cdrom_ALB_72518_1990_ms_32767.fsl.gz: station 72518, added ")) << r.out;
    r = cli({"stations", "--with-data", "--folder", dir}, scratch);
    for (const char* real : {"72518 ALB   Albany ", "72606 PWM   Portland Intl Jetport ", "74494 CHH   Chatham ",
                             "87576 SAEZ  Ezeiza Aero ", "71701 YCX   Gagetown (Can-Mil) "})
        EXPECT_TRUE(contains(r.out, real)) << real << "\n" << r.out;
    std::istringstream lines(r.out);
    int demo = 0;
    for (std::string line; std::getline(lines, line);) demo += contains(line, "(DEMO)");
    EXPECT_EQ(demo, 8);
    EXPECT_TRUE(contains(r.out, "\n13 stations\n")) << r.out;
    r = cli({"stations", "--folder", dir}, scratch);
    const std::size_t last = r.out.rfind('\n', r.out.size() - 2);
    EXPECT_GE(std::stoi(r.out.substr(last + 1)), 900) << r.out.substr(last + 1);
    EXPECT_EQ(cli({"default-station", "--folder", dir}, scratch).out, "72518\n");
}

TEST_F(CommandLineTest, filesWithoutSoundingsMakeNoStationAndAreNamed) {
    std::string junk(3000, '\0');
    unsigned x = 12345;
    for (auto& c : junk) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 16);
    test::writeFile(scratch / "12345 junk.txt", junk);
    test::writeFile(scratch / "notes.txt", "Balloon launched at noon.\n");
    test::writeFile(scratch / "87576 empty.txt", "");
    const std::int64_t stations = count("SELECT count(*) FROM stations");
    CliRun r = run({"import", (scratch / "12345 junk.txt").string(), (scratch / "notes.txt").string(),
                    (scratch / "87576 empty.txt").string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "skyloom-cli: 3 file(s) not imported: 12345 junk.txt, notes.txt, 87576 empty.txt\n");
    EXPECT_TRUE(contains(r.out, "No soundings were found in 'notes.txt': it is not radiosonde text")) << r.out;
    EXPECT_TRUE(contains(r.out, "No soundings were found in '87576 empty.txt': the file is empty.")) << r.out;
    EXPECT_FALSE(std::filesystem::exists(folder / "data/12345.dat"));
    EXPECT_FALSE(std::filesystem::exists(folder / "data/87576.dat"));
    EXPECT_EQ(count("SELECT count(*) FROM stations"), stations);
    EXPECT_EQ(count("SELECT count(*) FROM havedata"), 0);
}

TEST_F(CommandLineTest, aFolderOfArchivesImportsWholeAndADamagedFileIsNamed) {
    const auto archive = scratch / "archive";
    std::filesystem::create_directories(archive / "igra");
    std::filesystem::copy_file(albanyFile, archive / "ncdc-cdrom_ALB_72518_1990_ms_32767.fsl.gz");
    test::writeFile(archive / "ncdc-cdrom_PWM_72606_1990_ms_32767.fsl",
                    test::readSample("fsl/ncdc-cdrom_PWM_72606_1990_ms_32767.fsl"));
    test::writeZip(archive / "igra/CAM00071701-data.zip", "CAM00071701-data.txt",
                   test::readSample("igra2/CAM00071701-data.txt"));
    test::writeFile(archive / "igra/notes.txt", "Balloon launched at noon.\n");
    CliRun r = run({"import", archive.string(), "--review=accept"});
    EXPECT_EQ(r.code, 0) << r.err;
    for (const char* line : {"ncdc-cdrom_ALB_72518_1990_ms_32767.fsl.gz: station 72518, added 787,",
                             "ncdc-cdrom_PWM_72606_1990_ms_32767.fsl: station 72606, added 774,",
                             "CAM00071701-data.zip:CAM00071701-data.txt: station 71701, added 242,",
                             "Passed over 1 file(s) of the folders that hold no soundings."})
        EXPECT_TRUE(contains(r.out, line)) << line << "\n" << r.out;
    EXPECT_EQ(count("SELECT count(*) FROM havedata WHERE wmo IN (72518, 72606, 71701)"), 3);

    // A gzip file cut short: what comes before the cut is kept, and the command says so.
    const std::string gz = test::readFile(test::sample("fsl/ncdc-cdrom_CHH_74494_1990_ms_32767.fsl"));
    test::writeFile(scratch / "cut.fsl.gz", gz.substr(0, gz.size() / 3));
    r = run({"import", (scratch / "cut.fsl.gz").string(), "--review=accept"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "skyloom-cli: 1 file(s) damaged, imported up to the damage: cut.fsl.gz (the compressed file "
                     "ends early (it is truncated))\n");
    EXPECT_GT(count("SELECT max(NumSoundings) FROM havedata WHERE wmo = 74494"), 200);
}
