#include "core/WholeFile.h"

#include <cerrno>
#include <cstring>
#include <regex>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/DiskFaults.h"

namespace fs = std::filesystem;

namespace skyloom::core {

namespace {

std::string reasonOf(int err) { return std::strerror(err); }

[[noreturn]] void fail(const fs::path& path, const std::string& reason) {
    throw FileWriteError("Can not write the file '" + path.string() + "': " + reason, reason);
}

// Permissions a plain new file gets (mkstemp makes it private to the user).
mode_t newFileMode() {
    static const mode_t mode = [] {
        mode_t mask = ::umask(022);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

bool writeAll(int fd, std::string_view bytes, int& err) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (diskfaults::nextWriteFails()) {
            err = ENOSPC;
            return false;
        }
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void syncFolderOf(const fs::path& path) {
    fs::path folder = fs::absolute(path).parent_path();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // some file systems cannot flush a folder; the rename stands regardless
    ::close(fd);
}

}  // namespace

fs::path makeTemporaryBeside(const fs::path& path, std::string_view purpose) {
    std::string pattern = path.string() + "." + std::string(purpose) + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) fail(path, reasonOf(errno));
    ::fchmod(fd, newFileMode());
    ::close(fd);
    return fs::path(name.data());
}

void clearTemporariesIn(const fs::path& folder) {
    static const std::regex temporary(R"(.+\.(writing|copying|making|compacting)-[A-Za-z0-9]{6}(-journal)?)");
    std::error_code ec;
    std::vector<fs::path> leftovers;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (std::regex_match(entry.path().filename().string(), temporary)) leftovers.push_back(entry.path());
    for (const auto& p : leftovers) fs::remove(p, ec);
}

void replaceWithWhole(const fs::path& temporary, const fs::path& path) {
    std::error_code ignore;
    const int fd = ::open(temporary.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int err = errno;
        if (fd >= 0) ::close(fd);
        fs::remove(temporary, ignore);
        fail(path, reasonOf(err));
    }
    ::close(fd);
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int err = errno;
        fs::remove(temporary, ignore);
        fail(path, reasonOf(err));
    }
    syncFolderOf(path);
}

void writeFileWhole(const fs::path& path, std::string_view bytes) {
    const fs::path temporary = makeTemporaryBeside(path, "writing");
    std::error_code ignore;
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    int err = 0;
    if (fd < 0) err = errno;
    else if (!writeAll(fd, bytes, err)) ::close(fd);
    else if (::close(fd) != 0) err = errno;
    if (err != 0) {
        fs::remove(temporary, ignore);
        fail(path, reasonOf(err));
    }
    replaceWithWhole(temporary, path);
}

std::string tryWriteFileWhole(const fs::path& path, std::string_view bytes) {
    try {
        writeFileWhole(path, bytes);
    } catch (const FileWriteError& e) {
        return e.what();
    }
    return {};
}

}  // namespace skyloom::core
