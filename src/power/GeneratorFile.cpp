#include "power/GeneratorFile.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "core/Formats.h"
#include "core/Rounding.h"
#include "core/Text.h"
#include "core/WholeFile.h"

namespace skyloom::power {

namespace {

constexpr std::string_view kEol = "\r\n";
constexpr std::string_view kMarkerStart = "The above lines";

std::vector<std::string> fileLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace

SettingLine splitSettingLine(std::string_view line) {
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return {"", core::trim(line)};
    return {core::trim(line.substr(0, eq)), core::trim(line.substr(eq + 1))};
}

std::string generatorFileText(const GeneratorRecord& g) {
    std::string out;
    auto line = [&out](std::string_view a, const std::string& b) {
        out += a;
        out += b;
        out += kEol;
    };
    line("Generator Name (please no / ? < > \\ : * | double quote) = ", core::trim(g.name));
    line("Hub Height (feet agl) = ", core::formatPlain(g.height));
    line("Cut-in Wind Speed (knots) = ", core::formatPlain(g.cutInSpeed));
    line("Temperature (degC) = ", core::formatVbStr(g.temperature / 10.0));
    line("Pressure (millibars) = ", core::formatVbStr(g.pressure));
    line("Cost Per Year (Dollars) = ", core::formatVbStr(g.costPerYear));
    line("Max to Grid (kW) = ", core::formatVbStr(g.maxToGrid));
    line("Cut-out Wind Speed (knots) = ", core::formatVbStr(g.cutOut));
    line(kGeneratorFileMarker, "");
    for (const CurvePoint& p : g.points) line(core::formatPlain(p.speed), " " + core::formatPlain(p.kw));
    return out;
}

bool writeGeneratorFile(const std::filesystem::path& path, const GeneratorRecord& g) {
    return core::tryWriteFileWhole(path, generatorFileText(g)).empty();
}

GeneratorRecord parseGeneratorFile(std::string_view text) {
    GeneratorRecord g;
    const std::vector<std::string> lines = fileLines(text);
    std::size_t next = 0;
    auto more = [&] { return next < lines.size(); };

    if (more()) g.name = splitSettingLine(lines[next++]).value;
    if (more()) g.height = core::leadingNumber(splitSettingLine(lines[next++]).value);

    // Up to six numeric header lines; the marker line ends the header early.
    int values = 0;
    bool markerSeen = false;
    while (values < 6 && more()) {
        const std::string& line = lines[next++];
        if (line.compare(0, kMarkerStart.size(), kMarkerStart) == 0) {
            markerSeen = true;
            break;
        }
        const double v = core::leadingNumber(splitSettingLine(line).value);
        switch (values) {
            case 0: g.cutInSpeed = v; break;
            case 1: g.temperature = core::roundHalfEven(v * 10.0, 9); break;
            case 2: g.pressure = v; break;
            case 3: g.costPerYear = v; break;
            case 4: g.maxToGrid = v; break;
            default: g.cutOut = v; break;
        }
        ++values;
    }
    if (!markerSeen && values == 6 && more()) ++next;   // the marker line itself

    for (auto& p : g.points) {
        if (!more()) break;
        const std::string line = core::trim(lines[next++]);
        const auto blank = line.find(' ');
        if (blank == std::string::npos) continue;
        p.speed = core::leadingNumber(std::string_view(line).substr(0, blank));
        p.kw = core::leadingNumber(std::string_view(line).substr(blank + 1));
    }
    return g;
}

GeneratorRecord readGeneratorFile(const std::filesystem::path& path) {
    std::ifstream f(path, std::ios::binary);
    std::string text;
    if (f) text.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return parseGeneratorFile(text);
}

}  // namespace skyloom::power
