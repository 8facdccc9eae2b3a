#include "TempFolder.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace skyloom::test {

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    std::ostringstream name;
    name << "skyloom-test-" << ::getpid() << "-" << counter++ << "-" << rd();
    path_ = std::filesystem::temp_directory_path() / name.str();
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::filesystem::path sharedData(const std::string& relative) {
    return std::filesystem::path(SKYLOOM_SHARED_DATA) / relative;
}

std::filesystem::path testData(const std::string& relative) {
    return std::filesystem::path(SKYLOOM_TEST_DATA) / relative;
}

}  // namespace skyloom::test
