#pragma once

#include <cstdint>
#include <filesystem>

namespace skyloom::test {

// A station's period of record as one FSL text file: the real Albany 1990 sample
// repeated year after year from firstYear on, its dates shifted by whole years
// (the sample's few soundings of early January 1991 meet the next copy's and are
// duplicates the import skips). Written line by line to path, never held whole;
// returns the number of soundings written. About 790 soundings and 3.3 MB a year.
std::int64_t writePeriodOfRecord(const std::filesystem::path& path, int years, int firstYear = 1960);

}  // namespace skyloom::test
