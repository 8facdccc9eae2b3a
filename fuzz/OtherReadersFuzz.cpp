// Feeds arbitrary bytes through the IGRA v2 and Wyoming readers and on through
// the level building and checks.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sounding/Igra2Reader.h"
#include "sounding/LevelBuilder.h"
#include "sounding/QualityCheck.h"
#include "sounding/WyomingReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skyloom::sounding;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (auto* reader : {&igra2::read, &wyoming::read}) {
        for (const auto& s : reader(text)) {
            if (!s.readProblem.empty()) continue;
            auto b = levels::build(s);
            (void)quality::check(b, ReviewCriteria{});
        }
    }
    (void)igra2::looksLike(text);
    (void)wyoming::looksLike(text);
    return 0;
}
