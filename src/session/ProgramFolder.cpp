#include "session/ProgramFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include "core/DatabaseFile.h"
#include "core/FileOps.h"
#include "core/MainDatabase.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "ordering/Inventory.h"
#include "session/DataSupplier.h"
#include "session/StationListImport.h"
#include "session/SuppliedGenerators.h"
#include "sounding/StationDataFile.h"

namespace fs = std::filesystem;

namespace skyloom::session {

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

bool initProgramFolder(const std::string& dir, core::Prompter& prompter, core::Progress& progress) {
    const std::string appDir = ensureTrailingSlash(dir);
    const std::string mainPath = appDir + core::MainDatabase::kFileName;
    if (core::fileExists(mainPath)) {
        prompter.message("The program folder '" + appDir + "' is already set up; nothing was changed.");
        return false;
    }
    const std::string data = programDataFolder();
    for (const char* needed : {"stations.txt", "countries.csv"})
        if (!core::fileExists(data + needed)) {
            prompter.message("The program's data file '" + data + needed + "' is missing; the program is not "
                             "installed whole.");
            return false;
        }
    std::error_code ec;
    fs::create_directories(appDir + "data", ec);
    if (ec) {
        prompter.message("Cannot create the program folder '" + appDir + "': " + ec.message());
        return false;
    }
    // The data supplier's folders (DataSupplier): a request for quotation has
    // somewhere to go, and purchased data somewhere to arrive, from the start.
    for (const char* sub : {DataSupplier::kUsageFolder, DataSupplier::kInboxFolder, DataSupplier::kUpdatesFolder})
        fs::create_directories(appDir + DataSupplier::kDefaultLocation + sub, ec);
    // Built under a temporary name so that an interrupted set-up never looks finished.
    const std::string building = mainPath + ".new";
    fs::remove(building, ec);
    {
        core::MainDatabase::create(building);
        SQLite::Database db = core::openGuardedDatabase(building, false);
        SQLite::Transaction tx(db);
        loadCountries(db, data + "countries.csv");
        tx.commit();
    }
    const std::string empty = appDir + "empty.dat";
    if (!core::fileExists(empty)) sounding::StationDataFile::createEmpty(empty);
    fs::rename(building, mainPath, ec);
    if (ec) {
        prompter.message("Cannot create '" + mainPath + "': " + ec.message());
        return false;
    }
    core::MainDatabase db(appDir);
    if (!db.open(prompter)) return false;
    importStationListText(db, readWholeFile(data + "stations.txt"));
    ordering::fillDefaultInventory(db.db());
    try {
        giveLibraryGenerators(db.db());
    } catch (const std::exception& e) {
        prompter.message(std::string("The supplied generators were not added: ") + e.what() +
                         ". They are added at the next start once it can be read.");
        return false;
    }
    // Further contents of a new folder are added here, in order.
    (void)progress;
    return true;
}

}  // namespace skyloom::session
