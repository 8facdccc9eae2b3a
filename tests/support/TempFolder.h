#pragma once

#include <filesystem>
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
// Path of a file under ../shared/data.
std::filesystem::path sharedData(const std::string& relative);
// Path of a file under tests/data.
std::filesystem::path testData(const std::string& relative);

}  // namespace skyloom::test
