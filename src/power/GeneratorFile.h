#pragma once

#include <array>
#include <filesystem>
#include <optional>
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
// Writes the file whole, replacing any file at path; false when it cannot be written.
bool writeGeneratorFile(const std::filesystem::path& path, const GeneratorRecord& g);

// Where the values of a generator file were read: 1-based line numbers, 0 when
// the file ended first (or, for a header value, the marker line came first).
struct GeneratorFileLines {
    int name = 0;
    int height = 0;
    // Cut-in, temperature, pressure, cost per year, max to grid, cut-out.
    std::array<int, 6> header{};
    std::array<int, kCurvePoints> points{};
    int count = 0;   // lines in the file
};
enum GeneratorFileHeader : int {
    HeaderCutIn, HeaderTemperature, HeaderPressure, HeaderCost, HeaderMaxToGrid, HeaderCutOut
};

// Reads generator columns from file text: name, height, the six numeric header
// values and the ten points. Lines may end in CR LF or LF. Missing lines leave
// their columns at 0, values that are not numbers read as 0; MaxKW and OrgData
// stay 0 (MaxKW is recomputed by whoever adds the generator). where, when given,
// is told the line of every value.
GeneratorRecord parseGeneratorFile(std::string_view text, GeneratorFileLines* where = nullptr);
// The bytes of a file; nullopt when it cannot be read (missing, a folder, no permission).
std::optional<std::string> readGeneratorText(const std::filesystem::path& path);
// The same as parseGeneratorFile from a file; an unreadable file reads as an empty text.
GeneratorRecord readGeneratorFile(const std::filesystem::path& path);

// Checks a generator file with the rules of the Power Page's own fields, so that
// nothing is imported that the page would have refused: a file that holds text
// and no NUL bytes (as UTF-16 text has); finite numbers; hub height, cost per
// year and max to grid of 0 or more; cut-in of 0 or more and a temperature above
// -273 degC and a pressure of 0 or more (the least the physics allows); a power
// curve table whose speeds rise from point to point and whose kW rise up to the
// curve's top and do not rise after it (a published curve may fall in storms),
// the points in use first; a cut-out of 0 (none) or at least the speed at the
// last point. Returns
// the first rule broken, naming the line ("line 7 ("Max to Grid (kW) = -5"):
// Must be greater than or equal to 0"), or nullopt.
std::optional<std::string> generatorFileProblem(std::string_view text);

}  // namespace skyloom::power
