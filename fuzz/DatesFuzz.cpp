// Feeds arbitrary bytes through the date readers (the stored ISO form and the
// forms a user types) and every date they accept through the formats and the
// hour count: nothing may crash, and a date read back from its ISO text must
// be the same date.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/Dates.h"
#include "core/Formats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skyloom::core;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)monthFromName(text);
    for (auto date : {parseIsoDate(text), parseUserDate(text)}) {
        if (!date) continue;
        if (parseIsoDate(isoDate(*date)) != date) std::abort();
        for (std::string_view pattern : {"dd-mmm-yyyy", "dddd mmm-dd-yyyy", "mmm d, yyyy hh:mm", "yyyy"})
            (void)formatDate(*date, pattern);
        const auto hours = hoursSince1930(*date, 12);
        (void)dateOfHours(hours);
        (void)hourOfHours(hours);
        (void)daysBetween(*date, makeDate(1930, 1, 1));
    }
    return 0;
}
