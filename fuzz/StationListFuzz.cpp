// Feeds arbitrary bytes through the station list reader ("<OPTION>" lines and
// IGRA v2 station lines), whole and line by line: nothing may crash or read
// out of bounds, and every station read has a WMO number.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/StationIndex.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skyloom::core;
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const auto& entry : parseStationList(text))
        if (entry.wmo <= 0) std::abort();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        (void)parseOptionLine(line);
        (void)parseIgra2StationLine(line);
        start = end + 1;
    }
    return 0;
}
