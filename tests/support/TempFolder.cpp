#include "TempFolder.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

#include "core/TextFile.h"

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

std::filesystem::path projectData(const std::string& relative) {
    return std::filesystem::path(SKYLOOM_PROJECT_DIR) / "data" / relative;
}

std::filesystem::path sample(const std::string& relative) { return projectData("samples/" + relative + ".gz"); }

std::string readSample(const std::string& relative) {
    auto text = core::readPlainOrGzip(sample(relative).string());
    if (!text) throw std::runtime_error("cannot read the sample " + relative);
    return *text;
}

std::optional<std::filesystem::path> wyomingPage(const std::string& name) {
    // The pages sit in the collection of observation files beside the repository.
    auto p = std::filesystem::path(SKYLOOM_PROJECT_DIR) / ".." / "shared" / "data" / "wyoming" / name;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(p, ec)) return std::nullopt;
    return p;
}

std::filesystem::path testData(const std::string& relative) {
    return std::filesystem::path(SKYLOOM_TEST_DATA) / relative;
}

}  // namespace skyloom::test
