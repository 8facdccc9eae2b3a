#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace skyloom::core {

// A file that could not be written; the text names the file and the reason.
struct FileWriteError : std::runtime_error {
    FileWriteError(const std::string& text, std::string why) : std::runtime_error(text), reason(std::move(why)) {}
    std::string reason;  // the bare reason ("No space left on device")
};

// Every file the program makes is written whole: under a temporary name beside
// its own, flushed to the disk, then renamed over the old one, so the file holds
// either all its old bytes or all its new ones and never a part. A failure
// (a full disk, a missing folder) leaves the old file as it was, removes the
// temporary one and throws FileWriteError.
void writeFileWhole(const std::filesystem::path& path, std::string_view bytes);

// The same, for callers that report a failure themselves: the reason, or empty.
std::string tryWriteFileWhole(const std::filesystem::path& path, std::string_view bytes);

// A new, empty file beside path under a name no other file has:
// path + "." + purpose + "-XXXXXX". Throws FileWriteError.
std::filesystem::path makeTemporaryBeside(const std::filesystem::path& path, std::string_view purpose);

// Flushes a finished temporary file to the disk and renames it over path, then
// flushes the folder so the new name stays. Throws FileWriteError; the
// temporary file is then removed.
void replaceWithWhole(const std::filesystem::path& temporary, const std::filesystem::path& path);

// Removes from folder every temporary file the program makes (with the engine's
// journal of one) that a killed run left: files written whole, copies, new
// station files, compacted copies. Only while no other run may be writing
// them, that is while the program folder is held alone.
void clearTemporariesIn(const std::filesystem::path& folder);

}  // namespace skyloom::core
