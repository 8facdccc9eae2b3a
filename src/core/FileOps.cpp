#include "core/FileOps.h"

#include <cmath>
#include <filesystem>
#include <system_error>

#include <sys/statvfs.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include "core/DatabaseFile.h"
#include "core/Formats.h"
#include "core/Prompter.h"

namespace fs = std::filesystem;

namespace skyloom::core {

namespace {
constexpr double kMegabyte = 1024000.0;

std::string folderOf(const std::string& path) {
    fs::path p = fs::absolute(fs::path(path)).parent_path();
    return p.empty() ? std::string("/") : p.string();
}
}  // namespace

std::uint64_t freeBytesOnFileSystem(const std::string& path) {
    struct statvfs st {};
    if (::statvfs(folderOf(path).c_str(), &st) != 0) return 0;
    return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
}

bool fileExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

std::uint64_t fileSize(const std::string& path) {
    std::error_code ec;
    auto n = fs::file_size(path, ec);
    return ec ? 0 : n;
}

bool copyWithSpaceCheck(const std::string& source, const std::string& target, Prompter& prompter,
                        const FreeSpaceSource& freeSpace) {
    if (!fileExists(source)) {
        prompter.message("Cant find " + source + " to copy it!");
        return false;
    }
    for (;;) {
        double freeMb = static_cast<double>(freeSpace(target)) / kMegabyte;
        double sourceMb = static_cast<double>(fileSize(source)) / kMegabyte;
        double needed = sourceMb + 1 - freeMb;
        if (needed <= 0) break;
        prompter.message("Skyloom needs " + formatNumber(needed, "##.0") + " mb of space freed up on drive " +
                         folderOf(target) +
                         "\nPlease free up this space now and then click OK (Make sure you empty the Recycle bin "
                         "after you delete some files)");
    }
    std::error_code ec;
    const std::string part = target + ".part";
    fs::copy_file(source, part, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::rename(part, target, ec);
    if (ec) {
        std::error_code ignore;
        fs::remove(part, ignore);
        prompter.message("Error " + ec.message() + " copying " + source + " to " + target);
        return false;
    }
    return true;
}

void recoverInterruptedCompaction(const std::string& path) {
    const std::string backup = path + "x";
    if (!fileExists(backup)) return;
    std::error_code ec;
    if (fileExists(path))
        fs::remove(backup, ec);
    else
        fs::rename(backup, path, ec);
}

void compactFile(const std::string& path, const std::string& appDir, Prompter& prompter,
                 const FreeSpaceSource& freeSpace) {
    if (!fileExists(path)) return;
    const std::string temp = appDir + "temp.mdb";
    const std::string backup = path + "x";
    std::error_code ec;
    fs::remove(temp, ec);
    try {
        SQLite::Database db = openGuardedDatabase(path, false);
        SQLite::Statement vacuum(db, "VACUUM INTO ?");
        vacuum.bind(1, temp);
        vacuum.exec();
    } catch (const std::exception&) {
        // A file that cannot be compacted stays as it is.
    }
    if (fileExists(temp)) {
        fs::remove(backup, ec);
        fs::rename(path, backup, ec);
        if (!ec) {
            if (!copyWithSpaceCheck(temp, path, prompter, freeSpace)) {
                fs::remove(path, ec);
                fs::rename(backup, path, ec);
            }
        }
    }
    fs::remove(temp, ec);
    fs::remove(backup, ec);
}

}  // namespace skyloom::core
