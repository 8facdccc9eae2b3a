#include "session/ProgramFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include "core/DatabaseFile.h"
#include "core/Compaction.h"
#include "core/FileOps.h"
#include "core/FolderLock.h"
#include "core/MainDatabase.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "core/StationIndex.h"
#include "core/Text.h"
#include "core/WholeFile.h"
#include "ordering/Inventory.h"
#include "session/DataSupplier.h"
#include "session/StationListImport.h"
#include "session/SuppliedGenerators.h"
#include "sounding/StationDataFile.h"

namespace fs = std::filesystem;

namespace skyloom::session {

namespace {
// Tables every main database holds; a file without one of them is not one.
const std::vector<std::string> kMainTables = {"urls", "stations", "countries", "havedata", "datapoints",
                                              "generators", "studies", "studykeys"};
// A new folder's main database is built in a folder of this name (plus six characters) inside it.
constexpr const char* kBuildFolderPrefix = ".setting-up-";
}  // namespace

std::string ensureTrailingSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

std::string defaultProgramFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return ensureTrailingSlash(std::string(xdg) + "/skyloom");
    const char* home = std::getenv("HOME");
    return ensureTrailingSlash(std::string(home && *home ? home : ".") + "/.local/share/skyloom");
}

std::string programDataFolder() {
    if (const char* d = std::getenv("SKYLOOM_DATA_DIR"); d && *d) return ensureTrailingSlash(d);
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "/usr/share/skyloom/";
    // Installed: <prefix>/bin and <prefix>/share/skyloom. A build tree links its
    // share/skyloom to the project's data beside the programs (or one level up, for
    // the tests and benchmarks).
    const fs::path installed = exe.parent_path().parent_path() / "share" / "skyloom";
    for (const fs::path& dir : {installed, exe.parent_path() / "share" / "skyloom"})
        if (fs::exists(dir / "stations.txt", ec)) return ensureTrailingSlash(dir.string());
    return ensureTrailingSlash(installed.string());
}

namespace {

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void loadCountries(SQLite::Database& db, const std::string& csvPath) {
    std::istringstream in(readWholeFile(csvPath));
    std::string line;
    bool header = true;
    SQLite::Statement ins(db, "INSERT INTO countries (abrev, country, region, lat, lon, elev) VALUES (?,?,?,?,?,?)");
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (header) {
            header = false;
            continue;
        }
        auto f = core::split(line, ',');
        if (f.size() < 6) continue;
        ins.reset();
        ins.bind(1, f[0]);
        ins.bind(2, f[1]);
        ins.bind(3, f[2]);
        ins.bind(4, core::leadingNumber(f[3]));
        ins.bind(5, core::leadingNumber(f[4]));
        ins.bind(6, core::leadingNumber(f[5]));
        ins.exec();
    }
}

}  // namespace

namespace {

// The main database of a new folder, built whole in a folder of its own beside
// the program folder's files and checked; the caller renames it into place.
std::string buildMainDatabase(const std::string& buildDir, core::Prompter& prompter) {
    const std::string data = programDataFolder();
    core::MainDatabase::create(buildDir + core::MainDatabase::kFileName);
    {
        SQLite::Database db = core::openGuardedDatabase(buildDir + core::MainDatabase::kFileName, false);
        SQLite::Transaction tx(db, SQLite::TransactionBehavior::IMMEDIATE);
        loadCountries(db, data + "countries.csv");
        tx.commit();
    }
    core::MainDatabase db(buildDir);
    if (!db.open(prompter)) return "it did not open";
    importStationListText(db, readWholeFile(data + "stations.txt"));
    ordering::fillDefaultInventory(db.db());
    try {
        giveLibraryGenerators(db.db());
    } catch (const std::exception& e) {
        return std::string("the supplied generators were not added: ") + e.what();
    }
    db.close();
    return core::databaseFileProblem(buildDir + core::MainDatabase::kFileName, kMainTables);
}

// Folders and files that set-ups killed half-way left behind.
void clearSetUpLeftovers(const std::string& appDir) {
    std::error_code ec;
    fs::remove(appDir + core::MainDatabase::kFileName + ".new", ec);
    for (const auto& entry : fs::directory_iterator(appDir, ec))
        if (entry.path().filename().string().rfind(kBuildFolderPrefix, 0) == 0) fs::remove_all(entry.path(), ec);
}

// "empty.dat" is made again when it is missing, damaged or not empty. False after a message when it cannot be.
bool ensureEmptyFile(const std::string& appDir, core::Prompter& prompter, bool& remade) {
    const std::string empty = appDir + "empty.dat";
    remade = false;
    std::string problem;
    if (core::fileExists(empty)) {
        problem = sounding::StationDataFile::emptyFileProblem(empty);
        if (problem.empty()) return true;
    }
    try {
        sounding::StationDataFile::createEmpty(empty);
    } catch (const std::exception& e) {
        prompter.message("Cannot make '" + empty + "': " + e.what());
        return false;
    }
    if (!problem.empty())
        prompter.message("The file '" + empty + "' was damaged (" + problem + ") and has been made again.");
    remade = true;
    return true;
}

}  // namespace

InitResult initProgramFolder(const std::string& dir, core::Prompter& prompter, core::Progress& progress) {
    const std::string appDir = ensureTrailingSlash(dir);
    const std::string mainPath = appDir + core::MainDatabase::kFileName;
    const std::string data = programDataFolder();
    for (const char* needed : {"stations.txt", "countries.csv"})
        if (!core::fileExists(data + needed)) {
            prompter.message("The program's data file '" + data + needed + "' is missing; the program is not "
                             "installed whole.");
            return InitResult::Failed;
        }
    std::error_code ec;
    fs::create_directories(appDir + "data", ec);
    if (ec) {
        prompter.message("Cannot create the program folder '" + appDir + "': " + ec.message());
        return InitResult::Failed;
    }
    // The data supplier's folders (DataSupplier): a request for quotation has
    // somewhere to go, and purchased data somewhere to arrive, from the start.
    for (const char* sub : {DataSupplier::kUsageFolder, DataSupplier::kInboxFolder, DataSupplier::kUpdatesFolder})
        fs::create_directories(appDir + DataSupplier::kDefaultLocation + sub, ec);
    core::FolderLock lock(appDir);
    if (!lock.tryHoldAlone()) {
        prompter.message("Another program is using the program folder '" + appDir +
                         "', so it was not set up. Close it and try again.");
        return InitResult::Failed;
    }
    // What an interrupted compaction or set-up left is put right before the folder is looked at.
    core::recoverInterruptedCompaction(mainPath);
    core::clearCompactionLeftovers(mainPath);
    core::clearTemporariesIn(appDir + "data");
    clearSetUpLeftovers(appDir);

    bool remade = false;
    if (core::fileExists(mainPath)) {
        // A folder set up before is checked, never taken as it is.
        const std::string problem = core::databaseFileProblem(mainPath, kMainTables);
        if (!problem.empty()) {
            prompter.message("The main database '" + mainPath + "' is damaged: " + problem +
                             ". Nothing was changed; repair it, or move it away and run init again.");
            return InitResult::Failed;
        }
        if (!ensureEmptyFile(appDir, prompter, remade)) return InitResult::Failed;
        prompter.message("The program folder '" + appDir + "' is already set up; " +
                         (remade ? "only 'empty.dat' was made again." : "nothing was changed."));
        return InitResult::AlreadySetUp;
    }

    // "empty.dat" first: a folder with a main database always has it. Both are
    // written whole, so an interrupted set-up never looks finished.
    if (!ensureEmptyFile(appDir, prompter, remade)) return InitResult::Failed;
    std::string buildDir;
    try {
        std::string pattern = appDir + kBuildFolderPrefix + "XXXXXX";
        if (!::mkdtemp(pattern.data())) throw std::runtime_error(std::strerror(errno));
        buildDir = pattern + "/";
        if (const std::string problem = buildMainDatabase(buildDir, prompter); !problem.empty())
            throw std::runtime_error(problem);
        core::replaceWithWhole(buildDir + core::MainDatabase::kFileName, mainPath);
    } catch (const std::exception& e) {
        if (!buildDir.empty()) fs::remove_all(buildDir, ec);
        prompter.message("Cannot create '" + mainPath + "': " + e.what());
        return InitResult::Failed;
    }
    fs::remove_all(buildDir, ec);
    core::MainDatabase db(appDir);
    if (!db.open(prompter)) return InitResult::Failed;
    // Further contents of a new folder are added here, in order.
    (void)progress;
    return InitResult::SetUp;
}

}  // namespace skyloom::session
