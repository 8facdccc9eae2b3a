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

// Makes sure the file system of target has room for bytes plus one megabyte
// (1,024,000 bytes), asking the user to free space until it has. The question
// offers a way out: false when the user gives up, and at once where no one can
// free space (the command line answers the question with Cancel).
bool ensureSpaceFor(std::uint64_t bytes, const std::string& target, Prompter& prompter,
                    const FreeSpaceSource& freeSpace = freeBytesOnFileSystem);

// Copies source to target after the space check for the source's size. The copy
// is written beside the target, flushed and renamed over it, so an interrupted
// copy never leaves half a file under the target's name. False (after the
// message) when the source is missing, the user gave up freeing space or the
// copy failed; problem, when given, then says why in a few words.
bool copyWithSpaceCheck(const std::string& source, const std::string& target, Prompter& prompter,
                        const FreeSpaceSource& freeSpace = freeBytesOnFileSystem, std::string* problem = nullptr);

}  // namespace skyloom::core
