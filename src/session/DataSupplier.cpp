#include "session/DataSupplier.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include <fmt/format.h>

#include "core/Constants.h"
#include "core/FileOps.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "core/WholeFile.h"
#include "session/Session.h"
#include "sounding/HaveDataIndex.h"
#include "sounding/StationDataFile.h"

namespace fs = std::filesystem;

namespace skyloom::session {

namespace {

bool isFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

// A delivered station data file is named by its station number alone.
long deliveredWmo(const fs::path& file) {
    if (file.extension() != ".dat") return 0;
    const std::string stem = file.stem().string();
    if (stem.empty() || !std::all_of(stem.begin(), stem.end(), [](unsigned char c) { return c >= '0' && c <= '9'; }))
        return 0;
    long long wmo = 0;
    return core::parseInteger(stem, wmo) && wmo > 0 ? static_cast<long>(wmo) : 0;
}

// The delivered file opens as a station data file and describes the station it is named after.
bool isStationFileOf(const fs::path& file, long wmo, core::Prompter& prompter) {
    auto opened = sounding::StationDataFile::open(file.string(), true, prompter);
    if (!opened) return false;
    const auto summary = opened->haveData();
    return !summary || summary->wmo == wmo;
}

std::string joinWmos(const std::vector<long>& wmos) {
    std::string out;
    for (long w : wmos) out += (out.empty() ? "" : ", ") + std::to_string(w);
    return out;
}

}  // namespace

std::string DataSupplier::location() {
    std::string where = core::trim(session_.settings().get(kLocationSetting, kDefaultLocation));
    if (where.empty()) where = kDefaultLocation;
    if (core::startsWith(where, "file://")) {
        where = where.substr(7);
        // "file://localhost/path" names the same folder as "file:///path".
        if (core::startsWith(where, "localhost/")) where = where.substr(9);
    } else if (where.find("://") != std::string::npos) {
        return {};
    }
    if (!fs::path(where).is_absolute()) where = session_.appDir() + where;
    if (where.back() != '/') where += '/';
    return where;
}

bool DataSupplier::upload(const fs::path& file) {
    const std::string root = location();
    if (!isFolder(root)) return false;
    std::error_code ec;
    const fs::path usage = fs::path(root) / "USAGE";
    fs::create_directory(usage, ec);
    if (!fs::is_directory(usage, ec)) return false;
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return !in.bad() && core::tryWriteFileWhole(usage / file.filename(), bytes).empty();
}

std::vector<long> DataSupplier::installPurchasedData(core::Progress* progress) {
    core::Prompter& prompter = session_.prompter();
    const std::string root = location();
    const std::string inbox = root.empty() ? std::string() : root + kInboxFolder;
    std::vector<fs::path> delivered;
    if (isFolder(inbox)) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(inbox, ec))
            if (entry.is_regular_file(ec) && deliveredWmo(entry.path()) > 0) delivered.push_back(entry.path());
    }
    if (delivered.empty()) {
        prompter.message("There are no purchased data files waiting for this computer.");
        return {};
    }
    std::sort(delivered.begin(), delivered.end());

    const std::string appDir = session_.appDir();
    std::error_code ec;
    fs::create_directories(appDir + "data", ec);
    std::vector<long> installed;
    std::int64_t done = 0;
    for (const fs::path& source : delivered) {
        if (progress) progress->step(done++, static_cast<std::int64_t>(delivered.size()), "Installing purchased data");
        const long wmo = deliveredWmo(source);
        if (!isStationFileOf(source, wmo, prompter)) {
            prompter.message("The delivered file '" + source.string() +
                             "' is not a station data file of that station; it was left where it is.");
            continue;
        }
        const std::string target = appDir + "data/" + std::to_string(wmo) + ".dat";
        const std::string previous = appDir + "data/" + std::to_string(wmo) + "_Previous.dat";
        fs::remove(previous, ec);
        const bool replacing = core::fileExists(target);
        if (replacing) {
            // The old copy keeps its name until the new one is renamed over it:
            // the station never is without a whole file.
            fs::create_hard_link(target, previous, ec);
            if (ec) {
                ec.clear();
                fs::copy_file(target, previous, ec);
            }
            if (ec) {
                prompter.message("Error " + ec.message() + " copying " + target + " to " + previous);
                fs::remove(previous, ec);
                continue;
            }
        }
        if (!core::copyWithSpaceCheck(source.string(), target, prompter)) {
            if (replacing) fs::remove(previous, ec);
            continue;
        }
        if (replacing) sounding::carryOverUserDeletions(appDir, wmo, prompter);
        fs::remove(source, ec);
        installed.push_back(wmo);
    }
    if (progress) progress->step(done, done);
    if (!installed.empty()) {
        session_.rebuildDataIndex(progress);
        prompter.message(fmt::format("Purchased data was installed for {} station{}: {}.", installed.size(),
                                     installed.size() == 1 ? "" : "s", joinWmos(installed)));
    }
    return installed;
}

DataSupplier::UpdateCheck DataSupplier::checkForProgramUpdates() {
    core::Prompter& prompter = session_.prompter();
    const std::string root = location();
    const std::string updates = root.empty() ? std::string() : root + kUpdatesFolder;
    const std::string versionFile = updates + kVersionFile;
    if (updates.empty() || !core::fileExists(versionFile)) {
        prompter.message("Skyloom could not reach the program updates at '" +
                         (updates.empty() ? session_.settings().get(kLocationSetting, kDefaultLocation) : updates) +
                         "'. Please try again later.");
        return UpdateCheck::Unavailable;
    }
    std::string first;
    {
        std::ifstream in(versionFile, std::ios::binary);
        std::getline(in, first);
    }
    const long offered = static_cast<long>(core::leadingNumber(first));
    if (offered <= core::kProgramVersion) {
        prompter.message(fmt::format("You have the latest version of Skyloom (version {}).", core::kProgramVersion));
        return UpdateCheck::UpToDate;
    }
    if (!prompter.ask(fmt::format("Version {} of Skyloom is available; this is version {}.\n\nShall I install it now? "
                                  "Skyloom will close while the update is installed.",
                                  offered, core::kProgramVersion)))
        return UpdateCheck::Declined;

    const std::string appDir = session_.appDir();
    const std::string staging = appDir + kStagingFolder;
    std::error_code ec;
    fs::remove_all(staging, ec);
    fs::create_directories(staging, ec);
    for (const auto& entry : fs::directory_iterator(updates, ec)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        if (name == kVersionFile) continue;
        // The updater cannot replace itself while it runs, so a new one is put in place now.
        const std::string target = name == Session::kUpdater ? appDir + name : staging + name;
        if (!core::copyWithSpaceCheck(entry.path().string(), target, prompter)) {
            fs::remove_all(staging, ec);
            return UpdateCheck::Failed;
        }
    }
    const std::string updater = appDir + Session::kUpdater;
    if (!core::fileExists(updater)) {
        prompter.message("The updater '" + updater + "' is missing, so the update can not be installed.");
        fs::remove_all(staging, ec);
        return UpdateCheck::Failed;
    }
    const std::string pending = appDir + Session::kUpdateNeeded;
    if (const std::string problem = core::tryWriteFileWhole(pending, "Update\r\n"); !problem.empty()) {
        prompter.message(problem);
        fs::remove_all(staging, ec);
        return UpdateCheck::Failed;
    }
    if (!session_.launcher(updater, appDir)) {
        // Left in place, the request would start the updater at every start-up.
        fs::remove(pending, ec);
        prompter.message("The updater '" + updater + "' could not be started.");
        return UpdateCheck::Failed;
    }
    return UpdateCheck::EndProgram;
}

}  // namespace skyloom::session
