// Feeds arbitrary bytes through the radiosonde text reader, the level building
// and the quality checks: none of them may crash or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sounding/LevelBuilder.h"
#include "sounding/QualityCheck.h"
#include "sounding/RawTextReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skyloom::sounding;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const auto& s : rawtext::read(text)) {
        if (!s.readProblem.empty()) continue;
        auto b = levels::build(s);
        (void)quality::check(b, ReviewCriteria{});
    }
    return 0;
}
