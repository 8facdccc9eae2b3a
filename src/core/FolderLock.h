#pragma once

#include <string>

namespace skyloom::core {

// The lock file "Skyloom.lock" of a program folder. Every run of the program
// (windows or command) holds it shared while it works on the folder, so that an
// installer or updater sees it runs; work that must have the folder to itself
// (the compaction of the main database, the set-up of a new folder) holds it
// alone. A run that ends, however it ends, lets go of it.
class FolderLock {
public:
    static constexpr const char* kFileName = "Skyloom.lock";

    explicit FolderLock(std::string appDir);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Holds the folder shared, waiting up to waitMs while another run holds it
    // alone. False when it is still held alone then. A folder whose lock file
    // cannot be made (a folder that does not exist, a read-only one) has no
    // one to share it with: true.
    bool holdShared(int waitMs);
    // Holds the folder alone, at once or not at all: false while another run
    // holds it (shared or alone). The shared hold is kept on false.
    bool tryHoldAlone();
    // From holding alone back to holding shared.
    void backToShared();
    bool heldAlone() const { return state_ == State::Alone; }

private:
    enum class State { None, Shared, Alone };
    bool openFile();

    std::string path_;
    int fd_ = -1;
    State state_ = State::None;
};

}  // namespace skyloom::core
