#pragma once

#include <memory>
#include <string>

#include <SQLiteCpp/Database.h>

#include "core/FileOps.h"

namespace skyloom::core {

class Prompter;

// The main database "Skyloom.dat" in the program folder: stations, settings,
// generators, analyses and studies. Opened once at start-up and kept open.
class MainDatabase {
public:
    static constexpr const char* kFileName = "Skyloom.dat";

    explicit MainDatabase(std::string appDir);
    ~MainDatabase();

    // Opens the file. A missing file shows "The file '<path>' is missing.", any
    // other failure "Database Error = <number> <description>"; both return false
    // (the caller ends the program).
    bool open(Prompter& prompter);
    void close();
    bool isOpen() const { return db_ != nullptr; }

    SQLite::Database& db();
    const std::string& appDir() const { return appDir_; }
    std::string path() const { return appDir_ + kFileName; }

    enum class RepairResult {
        Done,        // compacted and open again
        NotDone,     // not compacted (the message says why); the file is as it was and open again
        NotOpen,     // the file did not open again (the open's message was shown)
    };
    // "Repair Data Structure": close, compact the file, open again. The caller
    // makes sure no other run has the file open (the program folder held alone).
    RepairResult repair(Prompter& prompter, const FreeSpaceSource& freeSpace = freeBytesOnFileSystem);

    // Creates a new, empty main database with the whole schema at path.
    static void create(const std::string& path);

private:
    std::string appDir_;
    std::unique_ptr<SQLite::Database> db_;
};

}  // namespace skyloom::core
