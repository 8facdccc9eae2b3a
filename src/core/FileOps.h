#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace skyloom::core {

class Prompter;

// Free bytes on the file system that holds a path. Replaceable so that tests
// can play a nearly full disk.
using FreeSpaceSource = std::function<std::uint64_t(const std::string& path)>;
std::uint64_t freeBytesOnFileSystem(const std::string& path);

bool fileExists(const std::string& path);
std::uint64_t fileSize(const std::string& path);

// Copies source to target after making sure the target's file system has room
// for the file plus one megabyte (1,024,000 bytes); asks the user to free space
// until it has. The copy is written beside the target and renamed over it, so an
// interrupted copy never leaves half a file under the target's name.
bool copyWithSpaceCheck(const std::string& source, const std::string& target, Prompter& prompter,
                        const FreeSpaceSource& freeSpace = freeBytesOnFileSystem);

// Compacts one database file in place through appDir "temp.mdb" and a backup
// named path + "x"; a failed copy-back restores the backup.
void compactFile(const std::string& path, const std::string& appDir, Prompter& prompter,
                 const FreeSpaceSource& freeSpace = freeBytesOnFileSystem);

// A compaction killed half-way leaves the backup path + "x": put it back when
// the file itself is missing, drop it when the file is whole.
void recoverInterruptedCompaction(const std::string& path);

}  // namespace skyloom::core
