#include "core/FileOps.h"

#include <cmath>
#include <filesystem>
#include <system_error>

#include <sys/statvfs.h>

#include "core/DiskFaults.h"
#include "core/Formats.h"
#include "core/Prompter.h"
#include "core/WholeFile.h"

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

bool ensureSpaceFor(std::uint64_t bytes, const std::string& target, Prompter& prompter,
                    const FreeSpaceSource& freeSpace) {
    for (;;) {
        double freeMb = static_cast<double>(freeSpace(target)) / kMegabyte;
        double sourceMb = static_cast<double>(bytes) / kMegabyte;
        double needed = sourceMb + 1 - freeMb;
        if (needed <= 0) return true;
        if (!prompter.okCancel("Skyloom needs " + formatNumber(needed, "##.0") + " mb of space freed up on drive " +
                               folderOf(target) +
                               "\nPlease free up this space now and then click OK (Make sure you empty the "
                               "Recycle bin after you delete some files)"))
            return false;
    }
}

bool copyWithSpaceCheck(const std::string& source, const std::string& target, Prompter& prompter,
                        const FreeSpaceSource& freeSpace, std::string* problem) {
    auto say = [&](const std::string& why) {
        if (problem) *problem = why;
        return false;
    };
    if (!fileExists(source)) {
        prompter.message("Cant find " + source + " to copy it!");
        return say("'" + source + "' is missing");
    }
    if (!ensureSpaceFor(fileSize(source), target, prompter, freeSpace))
        return say("there is not enough free space on the disk");
    fs::path part;
    std::string failure;
    try {
        part = makeTemporaryBeside(target, "copying");
        std::error_code ec;
        fs::copy_file(source, part, fs::copy_options::overwrite_existing, ec);
        if (!ec && diskfaults::nextWriteFails()) ec = std::make_error_code(std::errc::no_space_on_device);
        if (ec) failure = ec.message();
        else replaceWithWhole(part, target);
    } catch (const FileWriteError& e) {
        failure = e.reason;
    }
    if (failure.empty()) return true;
    std::error_code ignore;
    if (!part.empty()) fs::remove(part, ignore);
    prompter.message("Error " + failure + " copying " + source + " to " + target);
    return say(failure);
}

}  // namespace skyloom::core
