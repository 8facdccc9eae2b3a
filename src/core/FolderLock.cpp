#include "core/FolderLock.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace skyloom::core {

namespace {

// Open-file-description locks: held per open of the file (so two runs in one
// process exclude each other too), released when the file is closed or the
// process dies, and changed from shared to alone without letting go between.
bool setLock(int fd, short type) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
    while (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

}  // namespace

FolderLock::FolderLock(std::string appDir) : path_(std::move(appDir) + kFileName) {}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
}

bool FolderLock::openFile() {
    if (fd_ < 0) fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    return fd_ >= 0;
}

bool FolderLock::holdShared(int waitMs) {
    if (state_ == State::Shared) return true;
    if (state_ == State::Alone) {
        backToShared();
        return true;
    }
    if (!openFile()) return true;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (!setLock(fd_, F_RDLCK)) {
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    state_ = State::Shared;
    return true;
}

bool FolderLock::tryHoldAlone() {
    if (state_ == State::Alone) return true;
    if (!openFile()) return false;
    if (!setLock(fd_, F_WRLCK)) return false;
    state_ = State::Alone;
    return true;
}

void FolderLock::backToShared() {
    if (state_ != State::Alone) return;
    setLock(fd_, F_RDLCK);  // going down never conflicts
    state_ = State::Shared;
}

}  // namespace skyloom::core
