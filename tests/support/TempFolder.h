#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace skyloom::test {

// A fresh program folder under the system temp folder, removed when the test ends.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder with a trailing "/", as the program keeps it.
    std::string dir() const { return path_.string() + "/"; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Reads or writes a whole file as bytes.
std::string readFile(const std::filesystem::path& p);
void writeFile(const std::filesystem::path& p, const std::string& bytes);
// Path of a file under the project's data folder.
std::filesystem::path projectData(const std::string& relative);
// Path of a real observation sample the project carries (data/samples), e.g.
// "fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl"; the file itself is gzip-compressed
// (the import reads it as it is).
std::filesystem::path sample(const std::string& relative);
// The uncompressed text of a real sample.
std::string readSample(const std::string& relative);
// A University of Wyoming page kept beside the project (not carried in it: the
// pages are written by others). Empty when absent; the caller skips its test.
std::optional<std::filesystem::path> wyomingPage(const std::string& name);
// The reason a test reading a Wyoming page gives when it skips.
inline constexpr const char* kNoWyomingPages = "the University of Wyoming pages are not beside the project";
// Path of a file under tests/data.
std::filesystem::path testData(const std::string& relative);

}  // namespace skyloom::test
