#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace skyloom::core {
class Progress;
}

namespace skyloom::session {

class Session;

// The exchanges with the data supplier. Its servers lie outside this program:
// they are reached through a configurable location (setting `SupplierFolder`,
// a folder or a "file://" address; a relative folder is taken inside the program
// folder; default "supplier/"), laid out as the servers are:
//   USAGE/        requests for quotation are uploaded here
//   inbox/        purchased station data files (<wmo>.dat) waiting for this computer
//   updates/      a newer program: "version.txt" (its version number on the first
//                 line), "Updater.exe" when the updater itself changed, and the
//                 program files the updater swaps in
class DataSupplier {
public:
    static constexpr const char* kLocationSetting = "SupplierFolder";
    static constexpr const char* kDefaultLocation = "supplier/";
    static constexpr const char* kUsageFolder = "USAGE/";
    static constexpr const char* kInboxFolder = "inbox/";
    static constexpr const char* kUpdatesFolder = "updates/";
    static constexpr const char* kVersionFile = "version.txt";
    // Program files of an update wait in this folder of the program folder until
    // the updater (started with "Update" in "UpdateNeeded.txt") swaps them in.
    static constexpr const char* kStagingFolder = "update/";

    explicit DataSupplier(Session& session) : session_(session) {}

    // The location as a local folder ending in "/" (empty for an address this
    // computer cannot reach as a folder, such as "ftp://...").
    std::string location();

    // Copies a file into the location's "USAGE/" folder. False when the location
    // cannot be reached or the copy fails.
    bool upload(const std::filesystem::path& file);

    // "Download Purchased Data to this Computer": installs every delivered
    // <wmo>.dat of the inbox. An existing data/<wmo>.dat becomes
    // data/<wmo>_Previous.dat, the new file is copied in with the space check, the
    // user's own deletions of the old copy are carried over (the old copy is then
    // deleted), the installed file leaves the inbox, and finally the station index
    // is rebuilt. Returns the stations installed, in file-name order.
    std::vector<long> installPurchasedData(core::Progress* progress = nullptr);

    // "Check For Program Updates".
    enum class UpdateCheck {
        Unavailable,   // the updates could not be reached
        UpToDate,      // no newer program
        Declined,      // the user did not want it now
        Failed,        // the files could not be made ready, or the updater did not start
        EndProgram,    // the updater runs: end the program at once
    };
    UpdateCheck checkForProgramUpdates();

private:
    Session& session_;
};

}  // namespace skyloom::session
