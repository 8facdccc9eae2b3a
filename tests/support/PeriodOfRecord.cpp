#include "PeriodOfRecord.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "TempFolder.h"

namespace skyloom::test {

std::int64_t writePeriodOfRecord(const std::filesystem::path& path, int years, int firstYear) {
    std::istringstream sample(readSample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(sample, line);) lines.push_back(line);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::int64_t soundings = 0;
    for (int y = 0; y < years; ++y) {
        for (const std::string& line : lines) {
            // "    254      0      1      JAN    1990": the four digits of the year end the line.
            const std::size_t last = line.find_last_of("0123456789");
            if (line.rfind("    254", 0) == 0 && last != std::string::npos && last >= 3) {
                const int year = std::stoi(line.substr(last - 3, 4)) - 1990 + firstYear + y;
                out << line.substr(0, last - 3) << fmt::format("{:04}", year) << line.substr(last + 1) << '\n';
                ++soundings;
            } else {
                out << line << '\n';
            }
        }
    }
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
    return soundings;
}

}  // namespace skyloom::test
