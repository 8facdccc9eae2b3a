#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "power/GeneratorRecord.h"

namespace skyloom::power {

// The marker line between the header and the table of a generator text file.
inline constexpr std::string_view kGeneratorFileMarker =
    "The above lines can have any text before the equal sign, this line can not be edit or wrapped and "
    "the following table of 10 lines are Wind Speed in Knots followed by kW generated at that speed";

// A header line split at its first "=": the trimmed label before it and the
// trimmed value after it; without "=" the label is empty and the value is the
// whole trimmed line.
struct SettingLine {
    std::string label;
    std::string value;
};
SettingLine splitSettingLine(std::string_view line);

// The 19 lines of a generator's text file, each ended by CR LF.
std::string generatorFileText(const GeneratorRecord& g);
// Writes the file, replacing any file at path; false when it cannot be written.
bool writeGeneratorFile(const std::filesystem::path& path, const GeneratorRecord& g);

// Reads generator columns from file text: name, height, the six numeric header
// values and the ten points. Lines may end in CR LF or LF. Missing lines leave
// their columns at 0, values that are not numbers read as 0; MaxKW and OrgData
// stay 0 (MaxKW is recomputed by whoever adds the generator).
GeneratorRecord parseGeneratorFile(std::string_view text);
// The same from a file; an unreadable file reads as an empty text.
GeneratorRecord readGeneratorFile(const std::filesystem::path& path);

}  // namespace skyloom::power
